#include "TestFolder.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <optional>
#include <vector>

namespace {

constexpr std::pair<const char *, const char *> kUserFolders[] = {{"XDG_DATA_HOME", "xdg-data"},
                                                                  {"XDG_CONFIG_HOME", "xdg-config"}};

// Folders may overlap in time in any order (a fixture replaced in init()
// makes the new one before the old one goes): the variables point into the
// newest folder alive, and are as they were before the first once none is.
std::vector<const TestFolder *> &liveFolders()
{
    static std::vector<const TestFolder *> folders;
    return folders;
}

std::vector<std::optional<QByteArray>> &valuesBeforeFirst()
{
    static std::vector<std::optional<QByteArray>> values;
    return values;
}

} // namespace

TestFolder::TestFolder(UserFolders userFolders)
    : m_program(m_root.filePath(QStringLiteral("program"))), m_ownsUserFolders(userFolders == UserFolders::InRoot)
{
    QDir().mkpath(m_program);
    if (!m_ownsUserFolders)
        return;
    if (liveFolders().empty()) {
        valuesBeforeFirst().clear();
        for (const auto &[name, folder] : kUserFolders)
            valuesBeforeFirst().push_back(qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name))
                                                                          : std::nullopt);
    }
    liveFolders().push_back(this);
    pointUserFoldersHere();
}

TestFolder::~TestFolder()
{
    if (!m_ownsUserFolders)
        return;
    std::vector<const TestFolder *> &live = liveFolders();
    std::erase(live, this);
    if (!live.empty()) {
        live.back()->pointUserFoldersHere();
        return;
    }
    for (size_t i = 0; i < std::size(kUserFolders); ++i) {
        const std::optional<QByteArray> &value = valuesBeforeFirst()[i];
        if (value)
            qputenv(kUserFolders[i].first, *value);
        else
            qunsetenv(kUserFolders[i].first);
    }
}

// The extension libraries write per-user files where these point: into the
// test's root, never the real home.
void TestFolder::pointUserFoldersHere() const
{
    for (const auto &[name, folder] : kUserFolders)
        qputenv(name, QFile::encodeName(m_root.filePath(QString::fromLatin1(folder))));
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
