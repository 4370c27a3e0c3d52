#include "BadgePath.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

bool isIniBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\v';
}

// The common case decided in one pass: an absolute ASCII path with no NUL,
// no empty, "." or ".." step and no trailing "/" is clean and spelled the
// same in the file system's encoding. Anything else takes the full check.
bool isPlainAbsolute(const QString &key)
{
    if (key.size() < 2 || key.front() != u'/' || key.back() == u'/')
        return false;
    qsizetype stepStart = 1;
    for (qsizetype i = 1; i <= key.size(); ++i) {
        const char16_t c = i < key.size() ? key[i].unicode() : u'/';
        if (c == 0 || c >= 0x80)
            return false;
        if (c != u'/')
            continue;
        const qsizetype length = i - stepStart;
        if (length == 0 || (length == 1 && key[stepStart] == u'.')
            || (length == 2 && key[stepStart] == u'.' && key[stepStart + 1] == u'.'))
            return false;
        stepStart = i + 1;
    }
    return true;
}

} // namespace

namespace BadgePath {

QString fromArgument(const QByteArray &argument)
{
    const QString text = QFile::decodeName(argument);
    if (argument.isEmpty() || QFile::encodeName(text) != argument)
        return {};
    QString absolute = QDir::current().absoluteFilePath(text);
    // "link/../file" is the file beside the link's target for the kernel,
    // not beside the link: the part up to the last ".." is resolved as the
    // kernel resolves it; other links keep the spelling the user sees.
    const QStringList steps = absolute.split(u'/');
    const qsizetype lastUp = steps.lastIndexOf(QStringLiteral(".."));
    if (lastUp < 0)
        return QDir::cleanPath(absolute);
    const QString resolved = QFileInfo(steps.mid(0, lastUp + 1).join(u'/')).canonicalFilePath();
    if (resolved.isEmpty())
        return absolute; // names nothing: refused as no such file
    return QDir::cleanPath(resolved + u'/' + steps.mid(lastUp + 1).join(u'/'));
}

bool namesAFile(const QString &key)
{
    // Longer than any path the kernel takes: also keeps a huge key from
    // costing memory wherever records are kept.
    constexpr qsizetype kLongestPath = 4096;
    if (key.size() < kLongestPath && isPlainAbsolute(key))
        return true;
    if (key.size() >= kLongestPath || !key.startsWith(u'/') || key.contains(QChar(0)) || QDir::cleanPath(key) != key)
        return false;
    const QByteArray name = QFile::encodeName(key);
    return name.size() < kLongestPath && QFile::decodeName(name) == key;
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
