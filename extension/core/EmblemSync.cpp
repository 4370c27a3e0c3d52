#include "EmblemSync.h"

#include "BadgeBook.h"
#include "BadgePath.h"
#include "BoundedCalls.h"
#include "EmblemLedger.h"
#include "Emblems.h"
#include "platform/FileSystem.h"

#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QSet>
#include <QStringList>

#include <algorithm>
#include <memory>
#include <mutex>

namespace {

// Files changed between two ledger notes, so a sync that is stopped or
// killed resumes from the last chunk rather than from the start.
constexpr qsizetype kSmallestChunk = 1000;
constexpr qsizetype kChunks = 10;

// How long one file's emblem, or one folder's listing, may take before it
// is set aside.
constexpr int kAnswerMs = 10000;

// A folder is listed once, rather than asked file by file, when enough of
// its entries are to be written: a listing costs some 20 us an entry, a
// file's own read about 1 ms (bench_badges). Its entries are estimated from
// its size, about 16 bytes an entry at least (ext4, tmpfs).
constexpr int kFewestForListing = 16;
constexpr qint64 kListingBytesPerChange = 16 * 50;

// What the folder listings found, shared with the listing calls: a call set
// aside may still end after the sync moved on.
struct Listings {
    std::mutex mutex;
    QHash<QString, QHash<QByteArray, QStringList>> byFolder;
};

// The folder and the name of an absolute path ("/" for a file in the root).
QString folderOf(const QString &path)
{
    return path.first(std::max<qsizetype>(1, path.lastIndexOf(u'/')));
}

QString nameOf(const QString &path)
{
    return path.sliced(path.lastIndexOf(u'/') + 1);
}

} // namespace

EmblemSync::EmblemSync(EmblemLedger &ledger, QHash<QString, int> shown) : m_ledger(ledger), m_shown(std::move(shown))
{
    // A key that names no file exactly stands for no emblem: acting on it
    // would reach another file. Later entries all come from records that
    // name a file.
    QStringList unnameable;
    for (auto it = m_shown.cbegin(); it != m_shown.cend(); ++it) {
        if (!BadgePath::namesAFile(it.key()))
            unnameable.append(it.key());
    }
    for (const QString &key : unnameable)
        m_shown.remove(key);
    m_unnameable = unnameable;
}

EmblemSync::FolderEmblems EmblemSync::listFolders(const QList<std::pair<QString, int>> &changes) const
{
    QHash<QString, int> counts;
    for (const auto &change : changes)
        ++counts[folderOf(change.first)];
    QStringList folders;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
        if (it.value() >= kFewestForListing)
            folders.append(it.key());
    }
    auto listings = std::make_shared<Listings>();
    const std::atomic_bool *stop = m_stop;
    const std::vector<std::optional<BoundedCalls::PathOutcome>> outcomes = BoundedCalls::forEach(
        folders,
        [listings, counts, stop](const QString &folder) {
            if (stop && stop->load())
                return BoundedCalls::PathOutcome{QString(), true, true};
            // A large folder with few of its files to write is cheaper asked
            // file by file.
            if (QFileInfo(folder).size() > counts.value(folder) * kListingBytesPerChange)
                return BoundedCalls::PathOutcome{QStringLiteral("not listed")};
            std::optional<QHash<QByteArray, QStringList>> emblems = Emblems::emblemsIn(folder);
            if (!emblems)
                return BoundedCalls::PathOutcome{QStringLiteral("cannot be listed")};
            const std::lock_guard guard(listings->mutex);
            listings->byFolder.insert(folder, *emblems);
            return BoundedCalls::PathOutcome{};
        },
        kAnswerMs, Emblems::kWritesAtOnce);
    // A folder whose listing was set aside (a mount that does not answer,
    // or a folder too large to list in time) is asked file by file.
    FolderEmblems listed;
    const std::lock_guard guard(listings->mutex);
    for (qsizetype i = 0; i < folders.size(); ++i) {
        const std::optional<BoundedCalls::PathOutcome> &outcome = outcomes[size_t(i)];
        if (outcome && outcome->problem.isEmpty() && !outcome->skipped)
            listed.insert(folders[i], listings->byFolder.value(folders[i]));
    }
    return listed;
}

bool EmblemSync::takeOffAll(EmblemLedger &ledger, const std::atomic_bool *stop, Report *report)
{
    EmblemSync sync(ledger, ledger.read());
    sync.setStopFlag(stop);
    const Report done = sync.follow({});
    ledger.note({}, done.waiting);
    if (report)
        *report = done;
    if (done.stopped)
        return false;
    const QSet<QString> waiting(done.waiting.cbegin(), done.waiting.cend());
    const QHash<QString, int> &left = sync.shown();
    if (!std::all_of(left.keyBegin(), left.keyEnd(), [&](const QString &path) { return waiting.contains(path); }))
        return false;
    ledger.forget();
    return true;
}

EmblemSync::Report EmblemSync::follow(const QHash<QString, QString> &records)
{
    // One lookup a record; the shown files are gone through again only when
    // some of them lost their record.
    QList<std::pair<QString, int>> changes;
    qsizetype stillRecorded = 0;
    for (auto it = records.cbegin(); it != records.cend(); ++it) {
        const auto shown = m_shown.constFind(it.key());
        if (shown != m_shown.cend())
            ++stillRecorded;
        const int badge = BadgeBook::badgeNumber(it.value());
        if ((shown == m_shown.cend() ? 0 : *shown) != badge && BadgePath::namesAFile(it.key()))
            changes.append({it.key(), badge});
    }
    if (stillRecorded < m_shown.size()) {
        for (auto it = m_shown.cbegin(); it != m_shown.cend(); ++it) {
            if (!records.contains(it.key()))
                changes.append({it.key(), 0});
        }
    }
    return write(std::move(changes));
}

EmblemSync::Report EmblemSync::follow(const QHash<QString, QString> &records, const QStringList &keys)
{
    QList<std::pair<QString, int>> changes;
    for (const QString &key : keys) {
        const auto record = records.constFind(key);
        const int badge = record == records.cend() ? 0 : BadgeBook::badgeNumber(*record);
        if (m_shown.value(key, 0) != badge && BadgePath::namesAFile(key))
            changes.append({key, badge});
    }
    return write(std::move(changes));
}

void EmblemSync::doubt(const QStringList &paths)
{
    for (const QString &path : paths)
        m_shown.insert(path, EmblemLedger::kUnsure);
}

void EmblemSync::moved(const QList<std::pair<QString, QString>> &paths)
{
    QList<std::pair<QString, QString>> shownMoves;
    for (const auto &[from, to] : paths) {
        const auto shown = m_shown.constFind(from);
        if (shown == m_shown.cend() || *shown == 0)
            continue;
        m_shown.erase(shown);
        m_shown.insert(to, EmblemLedger::kUnsure);
        shownMoves.append({from, to});
    }
    m_ledger.noteMoves(shownMoves);
}

EmblemSync::Report EmblemSync::write(QList<std::pair<QString, int>> changes)
{
    Report report;
    m_ledger.note({}, m_unnameable);
    m_unnameable.clear();
    if (changes.isEmpty())
        return report;

    // Files of one folder one after the other, so a chunk's files mostly
    // share their folders. A listing is read once for the whole sync: a file
    // given another emblem by another program meanwhile loses it.
    std::sort(changes.begin(), changes.end());
    const auto listed = std::make_shared<const FolderEmblems>(listFolders(changes));

    const qsizetype chunkSize = std::max(kSmallestChunk, changes.size() / kChunks + 1);
    for (qsizetype start = 0; start < changes.size() && !report.stopped; start += chunkSize) {
        const QList<std::pair<QString, int>> chunk = changes.mid(start, chunkSize);
        QList<std::pair<QString, int>> toSet;
        for (const auto &change : chunk) {
            if (change.second > 0)
                toSet.append(change);
        }
        m_ledger.plan(toSet);
        QStringList paths;
        QHash<QString, int> badges;
        for (const auto &[path, badge] : chunk) {
            paths.append(path);
            badges.insert(path, badge);
        }
        const std::atomic_bool *stop = m_stop;
        const std::vector<std::optional<BoundedCalls::PathOutcome>> written = BoundedCalls::forEach(
            paths,
            [badges, listed, stop](const QString &path) {
                if (stop && stop->load())
                    return BoundedCalls::PathOutcome{QString(), true, true};
                const int badge = badges.value(path);
                // gvfs refuses to touch a path with no file, yet keeps its
                // metadata for a file that comes there again.
                if (badge == 0 && !FileSystem::pathExists(path))
                    return BoundedCalls::PathOutcome{QStringLiteral("no such file"), false};
                const QString folder = folderOf(path);
                const auto listing = listed->constFind(folder);
                const QString problem =
                    listing == listed->cend()
                        ? Emblems::setBadge(path, badge)
                        : Emblems::setBadge(path, badge, listing->value(QFile::encodeName(nameOf(path))));
                return BoundedCalls::PathOutcome{problem, problem.isEmpty() || FileSystem::pathExists(path)};
            },
            kAnswerMs, Emblems::kWritesAtOnce);
        QList<std::pair<QString, int>> set;
        QStringList gone;
        for (qsizetype i = 0; i < chunk.size(); ++i) {
            const auto &[path, badge] = chunk[i];
            const std::optional<BoundedCalls::PathOutcome> &outcome = written[size_t(i)];
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
            if (badge > 0) {
                m_shown.insert(path, badge);
                if (ok)
                    set.append({path, badge});
            } else {
                m_shown.remove(path);
            }
        }
        m_ledger.note(set, gone);
    }
    return report;
}
