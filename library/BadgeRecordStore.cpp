#include "BadgeRecordStore.h"

#include "platform/FileSystem.h"
#include "platform/ini/TntIniFile.h"

namespace {

const QString kSection = QStringLiteral("Files");

bool atMostThreeCharacters(const QString &path)
{
    return path.size() <= 3;
}

bool exactlyThreeCharacters(const QString &path)
{
    return path.size() == 3;
}

} // namespace

BadgeRecordStore::BadgeRecordStore(ProgramFolder folder) : m_folder(std::move(folder)) {}

QString BadgeRecordStore::fileName() const
{
    return m_folder.file(u"base.ini");
}

QString BadgeRecordStore::iconFile(const QString &badge) const
{
    return m_folder.file(QString(QStringLiteral("icons/") + badge + QStringLiteral(".ico")));
}

QList<BadgeRecord> BadgeRecordStore::load(QStringList &recordPaths) const
{
    TTntIniFile store(fileName());
    store.ReadSection(kSection, recordPaths);
    const QList<bool> exists = FileSystem::pathsExist(recordPaths, atMostThreeCharacters);
    QList<BadgeRecord> records;
    records.reserve(recordPaths.size());
    for (qsizetype i = 0; i < recordPaths.size(); ++i) {
        const QString &path = recordPaths[i];
        records.append(
            {path, store.ReadString(kSection, path, QStringLiteral("0")), atMostThreeCharacters(path) || exists[i]});
    }
    return records;
}

bool BadgeRecordStore::IsRecordPathValid(const QString &path)
{
    return atMostThreeCharacters(path) || FileSystem::pathExists(path);
}

bool BadgeRecordStore::survivesCleanUp(const QString &path)
{
    return exactlyThreeCharacters(path) || FileSystem::pathExists(path);
}

bool BadgeRecordStore::deleteRecords(const QStringList &paths) const
{
    TTntIniFile store(fileName());
    for (const QString &path : paths)
        store.DeleteKey(kSection, path);
    return store.UpdateFile();
}

bool BadgeRecordStore::removeInvalid(QStringList &recordPaths) const
{
    TTntIniFile store(fileName());
    store.ReadSection(kSection, recordPaths);
    const QList<bool> exists = FileSystem::pathsExist(recordPaths, exactlyThreeCharacters);
    for (qsizetype i = 0; i < recordPaths.size(); ++i) {
        if (!exists[i] && !exactlyThreeCharacters(recordPaths[i]))
            store.DeleteKey(kSection, recordPaths[i]);
    }
    return store.UpdateFile();
}
