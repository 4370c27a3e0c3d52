#include "ProgramFolder.h"

#include "UserProgramFolder.h"

#include <QCoreApplication>
#include <QDir>

ProgramFolder::ProgramFolder(const QString &root) : m_root(QDir::cleanPath(root)) {}

ProgramFolder ProgramFolder::ofExecutable()
{
    const QString folder = QCoreApplication::applicationDirPath();
    if (!UserProgramFolder::isShared(folder))
        return ProgramFolder(folder);
    const QString own = UserProgramFolder::location();
    QString problem;
    // What could not be made shows later as the file the program misses.
    if (!UserProgramFolder::prepare(folder, own, &problem))
        qWarning("%s", qUtf8Printable(problem));
    return ProgramFolder(own);
}

QString ProgramFolder::file(QStringView relative) const
{
    return m_root + u'/' + relative.toString();
}

bool ProgramFolder::isPlainName(QStringView name)
{
    if (name.isEmpty() || name == u"." || name == u"..")
        return false;
    for (QChar c : name) {
        if (c == u'/' || c == u'\\' || c.unicode() == 0)
            return false;
#ifdef Q_OS_WIN
        // A drive or a stream there; on Linux a name like any other, and a
        // folder the lists show must be one the program can act on.
        if (c == u':')
            return false;
#endif
    }
    return true;
}
