#include "EmblemSync.h"

#include "BadgeBook.h"
#include "EmblemLedger.h"
#include "Emblems.h"
#include "platform/FileSystem.h"

#include <QList>
#include <QStringList>

EmblemSync::EmblemSync(EmblemLedger &ledger, QHash<QString, int> shown) : m_ledger(ledger), m_shown(std::move(shown)) {}

EmblemSync::Report EmblemSync::follow(const QHash<QString, QString> &records)
{
    Report report;
    QList<std::pair<QString, int>> noted;
    QStringList cleared;
    const auto show = [&](const QString &path, int badge) {
        const bool ok = Emblems::setBadge(path, badge).isEmpty();
        if (!ok) {
            ++report.failed;
        } else if (badge > 0) {
            ++report.set;
            noted.append({path, badge});
        } else {
            ++report.cleared;
        }
        // A file that is gone has no emblem left to look after.
        if (badge == 0 && (ok || !FileSystem::pathExists(path)))
            cleared.append(path);
        // A file that could not be reached is not tried again until its
        // record changes: a store full of vanished paths must not cost a
        // failed write each time the store changes.
        if (badge > 0)
            m_shown.insert(path, badge);
        else
            m_shown.remove(path);
    };

    for (auto it = records.cbegin(); it != records.cend(); ++it) {
        const int badge = BadgeBook::badgeNumber(it.value());
        if (m_shown.value(it.key(), 0) != badge)
            show(it.key(), badge);
    }
    QStringList withoutRecord;
    for (auto it = m_shown.cbegin(); it != m_shown.cend(); ++it) {
        if (!records.contains(it.key()))
            withoutRecord.append(it.key());
    }
    for (const QString &path : withoutRecord)
        show(path, 0);

    m_ledger.note(noted, cleared);
    return report;
}
