#include "BadgePath.h"

#include <QDir>
#include <QFile>

namespace {

bool isIniBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\v';
}

} // namespace

namespace BadgePath {

QString fromArgument(const QByteArray &argument)
{
    const QString text = QFile::decodeName(argument);
    if (argument.isEmpty() || QFile::encodeName(text) != argument)
        return {};
    return QDir::cleanPath(QDir::current().absoluteFilePath(text));
}

QString problemWith(const QString &path)
{
    if (path.isEmpty())
        return QStringLiteral("an empty path cannot be marked");
    if (isIniBlank(path.front()) || isIniBlank(path.back()))
        return QStringLiteral("a name that begins or ends with a blank cannot be marked");
    if (path.contains(u'='))
        return QStringLiteral("a name that holds \"=\" cannot be marked");
    if (path.contains(u'\n') || path.contains(u'\r'))
        return QStringLiteral("a name that holds a line break cannot be marked");
    if (path.front() == u'[' || path.front() == u';')
        return QStringLiteral("a path that begins with \"[\" or \";\" cannot be marked");
    return {};
}

} // namespace BadgePath
