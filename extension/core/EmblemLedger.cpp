#include "EmblemLedger.h"

#include "UserFiles.h"
#include "UserFolders.h"
#include "platform/AppError.h"
#include "platform/TntIniFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>

namespace {

const QString kSection = QStringLiteral("Emblems");

} // namespace

EmblemLedger::EmblemLedger() : EmblemLedger(UserFolders::stateFolder() + QStringLiteral("/emblems.ini")) {}

EmblemLedger::EmblemLedger(QString fileName) : m_fileName(std::move(fileName)) {}

QHash<QString, int> EmblemLedger::read() const
{
    TTntIniFile ledger(m_fileName, IniDocument::KeySpelling::Exact);
    QStringList paths;
    ledger.ReadSection(kSection, paths);
    QHash<QString, int> result;
    result.reserve(paths.size());
    for (const QString &path : paths)
        result.insert(path, ledger.ReadInteger(kSection, path, 0));
    return result;
}

void EmblemLedger::note(const QList<std::pair<QString, int>> &set, const QStringList &cleared) const
{
    if (set.isEmpty() && cleared.isEmpty())
        return;
    // It lists every badged path: the user's alone, whatever the umask (a
    // rewrite keeps the mode of the file it replaces).
    if (!UserFiles::makeFolder(QFileInfo(m_fileName).path()))
        throw AppError::unableToWrite(m_fileName, qt_error_string(errno));
    if (!QFileInfo::exists(m_fileName)) {
        QFile created(m_fileName);
        if (!created.open(QIODevice::WriteOnly | QIODevice::NewOnly, QFileDevice::ReadOwner | QFileDevice::WriteOwner)
            && !QFileInfo::exists(m_fileName))
            throw AppError::unableToWrite(m_fileName, created.errorString());
    }
    TTntIniFile ledger(m_fileName, IniDocument::KeySpelling::Exact);
    if (!set.isEmpty()) {
        QList<std::pair<QString, QString>> values;
        values.reserve(set.size());
        for (const auto &[path, badge] : set)
            values.append({path, QString::number(badge)});
        ledger.WriteStrings(kSection, values);
    }
    for (const QString &path : cleared)
        ledger.DeleteKey(kSection, path);
    ledger.UpdateFile();
}

void EmblemLedger::forget() const
{
    QFile::remove(m_fileName);
}
