#include "EmblemSync.h"

#include "BadgeBook.h"
#include "BadgePath.h"
#include "BoundedCalls.h"
#include "EmblemLedger.h"
#include "Emblems.h"
#include "platform/FileSystem.h"

#include <QList>
#include <QStringList>

#include <algorithm>

namespace {

// Files changed between two ledger rewrites: the ledger is rewritten whole,
// so a large sync writes it about twenty times, not once per file.
constexpr qsizetype kSmallestChunk = 1000;
constexpr qsizetype kChunks = 10;

// How long one file's emblem may take before its path is set aside.
constexpr int kAnswerMs = 10000;

} // namespace

EmblemSync::EmblemSync(EmblemLedger &ledger, QHash<QString, int> shown) : m_ledger(ledger), m_shown(std::move(shown)) {}

EmblemSync::Report EmblemSync::follow(const QHash<QString, QString> &records)
{
    Report report;
    // A key that names no file exactly is nobody's record, and a ledger
    // entry like it stands for no emblem: acting on either would reach
    // another file.
    QStringList unnameable;
    for (auto it = m_shown.cbegin(); it != m_shown.cend(); ++it) {
        if (!BadgePath::namesAFile(it.key()))
            unnameable.append(it.key());
    }
    for (const QString &key : unnameable)
        m_shown.remove(key);
    m_ledger.note({}, unnameable);

    QList<std::pair<QString, int>> changes;
    for (auto it = records.cbegin(); it != records.cend(); ++it) {
        const int badge = BadgeBook::badgeNumber(it.value());
        if (m_shown.value(it.key(), 0) != badge && BadgePath::namesAFile(it.key()))
            changes.append({it.key(), badge});
    }
    for (auto it = m_shown.cbegin(); it != m_shown.cend(); ++it) {
        if (!records.contains(it.key()))
            changes.append({it.key(), 0});
    }

    const qsizetype chunkSize = std::max(kSmallestChunk, changes.size() / kChunks + 1);
    for (qsizetype start = 0; start < changes.size() && !report.stopped; start += chunkSize) {
        const QList<std::pair<QString, int>> chunk = changes.mid(start, chunkSize);
        QList<std::pair<QString, int>> toSet;
        for (const auto &change : chunk) {
            if (change.second > 0)
                toSet.append(change);
        }
        m_ledger.note(toSet, {});
        QStringList paths;
        QHash<QString, int> badges;
        for (const auto &[path, badge] : chunk) {
            paths.append(path);
            badges.insert(path, badge);
        }
        const std::atomic_bool *stop = m_stop;
        const std::vector<std::optional<BoundedCalls::PathOutcome>> outcomes = BoundedCalls::forEach(
            paths,
            [badges, stop](const QString &path) {
                if (stop && stop->load())
                    return BoundedCalls::PathOutcome{QString(), true, true};
                const int badge = badges.value(path);
                // gvfs refuses to touch a path with no file, yet keeps its
                // metadata for a file that comes there again.
                if (badge == 0 && !FileSystem::pathExists(path))
                    return BoundedCalls::PathOutcome{QStringLiteral("no such file"), false};
                const QString problem = Emblems::setBadge(path, badge);
                return BoundedCalls::PathOutcome{problem, problem.isEmpty() || FileSystem::pathExists(path)};
            },
            kAnswerMs, Emblems::kWritesAtOnce);
        QStringList gone;
        for (qsizetype i = 0; i < chunk.size(); ++i) {
            const auto &[path, badge] = chunk[i];
            const std::optional<BoundedCalls::PathOutcome> &outcome = outcomes[size_t(i)];
            if (outcome && outcome->skipped) {
                report.stopped = true;
                continue;
            }
            // A path that does not answer is set aside: it keeps what it
            // showed, so the next sync tries it again.
            if (!outcome) {
                ++report.setAside;
                continue;
            }
            const bool ok = outcome->problem.isEmpty();
            // An emblem whose file went (removed outside GIO) stays in gvfs
            // under its path: the ledger keeps it until a file is there again
            // and the emblem can come off, or a new file would wear it.
            if (badge == 0 && !outcome->exists) {
                report.waiting.append(path);
                continue;
            }
            if (!ok)
                ++report.failed;
            else if (badge > 0)
                ++report.set;
            else
                ++report.cleared;
            if ((badge == 0 && ok) || !outcome->exists)
                gone.append(path);
            // A file that could not be reached is not tried again until its
            // record changes: a store full of vanished paths must not cost a
            // failed write each time the store changes.
            if (badge > 0)
                m_shown.insert(path, badge);
            else
                m_shown.remove(path);
        }
        m_ledger.note({}, gone);
    }
    return report;
}
