#include "EmblemSync.h"

#include "BadgeBook.h"
#include "BadgePath.h"
#include "BoundedCalls.h"
#include "EmblemLedger.h"
#include "EmblemOutcome.h"
#include "Emblems.h"
#include "platform/FileSystem.h"

#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QScopeGuard>
#include <QSet>
#include <QStringList>

#include <algorithm>
#include <memory>
#include <mutex>

namespace {

// Files changed between two ledger notes, so a sync that is stopped or
// killed resumes from the last chunk rather than from the start.
constexpr qsizetype kSmallestChunk = 1000;
constexpr qsizetype kLargestChunk = 20000;
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

EmblemSync::EmblemSync(EmblemLedger &ledger, PathPool &pool) : m_ledger(ledger), m_pool(pool)
{
    // A key that names no file exactly stands for no emblem: acting on it
    // would reach another file. Later entries all come from records that
    // name a file.
    ledger.read([&](QStringView key, int badge, bool noted) {
        const QString path = key.toString();
        if (!BadgePath::namesAFile(path)) {
            if (!noted)
                m_unnameable.append(path);
            return;
        }
        if (noted || (badge != 0 && shownBadge(path) == 0))
            setShown(path, std::clamp(badge, int(EmblemLedger::kUnsure), 127));
    });
}

EmblemSync::~EmblemSync()
{
    forEachShown([&](PathPool::Id id, int) { m_pool.release(id); });
}

int EmblemSync::shownBadge(QStringView path) const
{
    const PathPool::Id id = m_pool.find(path);
    return id == PathPool::kNoId ? 0 : shownOf(id);
}

void EmblemSync::setShown(QStringView path, int badge)
{
    PathPool::Id id = m_pool.find(path);
    const int before = id == PathPool::kNoId ? 0 : shownOf(id);
    if (badge == before)
        return;
    if (badge == 0) {
        m_shown[id] = 0;
        m_pool.release(id);
        return;
    }
    if (before == 0) {
        id = id == PathPool::kNoId ? m_pool.hold(path) : (m_pool.hold(id), id);
        if (id >= m_shown.size())
            m_shown.resize(id + 1, 0);
    }
    m_shown[id] = qint8(badge);
}

EmblemSync::FolderEmblems EmblemSync::listFolders(const std::vector<Change> &changes) const
{
    QHash<QString, int> counts;
    for (const Change &change : changes)
        ++counts[folderOf(m_pool.path(change.first))];
    QStringList folders;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
        if (it.value() >= kFewestForListing)
            folders.append(it.key());
    }
    auto listings = std::make_shared<Listings>();
    const std::vector<std::optional<BoundedCalls::PathOutcome>> outcomes = BoundedCalls::forEach(
        folders,
        [listings, counts](const QString &folder) {
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
        kAnswerMs, Emblems::kWritesAtOnce, m_stop);
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
    PathPool pool;
    EmblemSync sync(ledger, pool);
    sync.setStopFlag(stop);
    const RecordTable none(pool);
    const Report done = sync.follow(none);
    ledger.note({}, done.waiting);
    if (report)
        *report = done;
    if (done.stopped)
        return false;
    const QSet<QString> waiting(done.waiting.cbegin(), done.waiting.cend());
    bool allWaiting = true;
    sync.forEachShown([&](PathPool::Id id, int) { allWaiting = allWaiting && waiting.contains(pool.path(id)); });
    if (!allWaiting)
        return false;
    ledger.forget();
    return true;
}

EmblemSync::Report EmblemSync::follow(const RecordTable &records)
{
    Q_ASSERT(&records.pool() == &m_pool);
    // One look a record; then the shown files without a record.
    std::vector<Change> changes;
    records.forEach([&](PathPool::Id id, int badge) {
        if (shownOf(id) != badge)
            changes.emplace_back(id, badge);
    });
    forEachShown([&](PathPool::Id id, int) {
        if (records.badgeOf(id) < 0)
            changes.emplace_back(id, 0);
    });
    return write(std::move(changes));
}

EmblemSync::Report EmblemSync::follow(const RecordTable &records, const QStringList &keys)
{
    std::vector<Change> changes;
    for (const QString &key : keys) {
        const int badge = std::max(records.badgeOf(key), 0);
        // A key with neither a record nor an emblem is in no table: it has
        // nothing to change.
        const PathPool::Id id = m_pool.find(key);
        if (id != PathPool::kNoId && shownOf(id) != badge && BadgePath::namesAFile(key))
            changes.emplace_back(id, badge);
    }
    return write(std::move(changes));
}

void EmblemSync::doubt(const QStringList &paths)
{
    for (const QString &path : paths)
        setShown(path, EmblemLedger::kUnsure);
}

void EmblemSync::doubtAll()
{
    m_ledger.read([&](QStringView key, int, bool) {
        const QString path = key.toString();
        if (BadgePath::namesAFile(path))
            setShown(path, EmblemLedger::kUnsure);
    });
    for (qint8 &shown : m_shown) {
        if (shown != 0)
            shown = qint8(EmblemLedger::kUnsure);
    }
}

void EmblemSync::moved(const QList<std::pair<QString, QString>> &paths)
{
    QList<std::pair<QString, QString>> shownMoves;
    for (const auto &[from, to] : paths) {
        if (shownBadge(from) == 0)
            continue;
        setShown(from, 0);
        setShown(to, EmblemLedger::kUnsure);
        shownMoves.append({from, to});
    }
    m_ledger.noteMoves(shownMoves);
}

EmblemSync::Report EmblemSync::write(std::vector<Change> changes)
{
    Report report;
    m_ledger.note({}, m_unnameable);
    m_unnameable.clear();
    if (changes.empty())
        return report;
    // Each change's path stays while the sync runs, whatever a table lets go.
    for (const Change &change : changes)
        m_pool.hold(change.first);
    const auto letGo = qScopeGuard([&] {
        for (const Change &change : changes)
            m_pool.release(change.first);
    });

    // Files of one folder one after the other, so a chunk's files mostly
    // share their folders. A listing is read once for the whole sync: a file
    // given another emblem by another program meanwhile loses it.
    std::sort(changes.begin(), changes.end(),
              [&](const Change &a, const Change &b) { return m_pool.bytes(a.first) < m_pool.bytes(b.first); });
    const auto listed = std::make_shared<const FolderEmblems>(listFolders(changes));

    // The paths are copied out a chunk at a time.
    const auto total = qsizetype(changes.size());
    const qsizetype chunkSize = std::clamp(total / kChunks + 1, kSmallestChunk, kLargestChunk);
    for (qsizetype start = 0; start < total && !report.stopped; start += chunkSize) {
        QList<std::pair<QString, int>> chunk;
        for (qsizetype i = start; i < std::min(total, start + chunkSize); ++i)
            chunk.append({m_pool.path(changes[size_t(i)].first), changes[size_t(i)].second});
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
        const std::vector<std::optional<BoundedCalls::PathOutcome>> written = BoundedCalls::forEach(
            paths,
            [badges, listed](const QString &path) {
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
            kAnswerMs, Emblems::kWritesAtOnce, m_stop);
        QList<std::pair<QString, int>> set;
        QStringList gone;
        for (qsizetype i = 0; i < chunk.size(); ++i) {
            const auto &[path, badge] = chunk[i];
            const EmblemOutcome outcome = EmblemOutcome::of(badge, written[size_t(i)]);
            switch (outcome.kind) {
            case EmblemOutcome::Kind::Skipped:
                report.stopped = true;
                continue;
            case EmblemOutcome::Kind::NoAnswer:
                // Keeps what it showed, so the next sync tries it again.
                ++report.setAside;
                continue;
            case EmblemOutcome::Kind::Waiting:
                report.waiting.append(path);
                continue;
            case EmblemOutcome::Kind::Failed:
                ++report.failed;
                break;
            case EmblemOutcome::Kind::Set:
                ++report.set;
                break;
            case EmblemOutcome::Kind::Cleared:
                ++report.cleared;
                break;
            }
            // A file that could not be reached is not tried again until its
            // record changes: a store full of vanished paths must not cost a
            // failed write each time the store changes.
            setShown(path, badge);
            if (outcome.noteSet)
                set.append({path, badge});
            if (outcome.noteGone)
                gone.append(path);
        }
        m_ledger.note(set, gone);
    }
    return report;
}
