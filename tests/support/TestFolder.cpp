#include "TestFolder.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

TestFolder::TestFolder() : m_program(m_root.filePath(QStringLiteral("program")))
{
    QDir().mkpath(m_program);
    // The extension libraries write per-user files where these point: into
    // the test's root, never the real home.
    for (const auto &[name, folder] :
         {std::pair{"XDG_DATA_HOME", "xdg-data"}, std::pair{"XDG_CONFIG_HOME", "xdg-config"}}) {
        m_saved.push_back({name, qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt});
        qputenv(name, QFile::encodeName(m_root.filePath(QString::fromLatin1(folder))));
    }
}

TestFolder::~TestFolder()
{
    for (const SavedVariable &saved : m_saved) {
        if (saved.value)
            qputenv(saved.name, *saved.value);
        else
            qunsetenv(saved.name);
    }
}

QString TestFolder::path(const QString &relative) const
{
    return QDir::cleanPath(m_program + u'/' + relative);
}

QString TestFolder::write(const QString &relative, const QByteArray &bytes) const
{
    const QString file = path(relative);
    QDir().mkpath(QFileInfo(file).absolutePath());
    QFile out(file);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) || out.write(bytes) != bytes.size())
        qFatal("cannot write test file %s", qPrintable(file));
    return file;
}

QString TestFolder::rootPath(const QString &relative) const
{
    return QDir::cleanPath(m_root.path() + u'/' + relative);
}

QByteArray TestFolder::read(const QString &relative) const
{
    QFile in(path(relative));
    return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
}

bool TestFolder::exists(const QString &relative) const
{
    return QFileInfo::exists(path(relative));
}

namespace {

QStringList entriesBelow(const QString &folder)
{
    QStringList result;
    QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    const QDir root(folder);
    while (it.hasNext())
        result.append(root.relativeFilePath(it.next()));
    result.sort();
    return result;
}

} // namespace

QStringList TestFolder::entries() const
{
    return entriesBelow(m_program);
}

QStringList TestFolder::rootEntries() const
{
    return entriesBelow(m_root.path());
}
