#include "EmblemKeeper.h"

#include "BadgePath.h"
#include "BoundedCalls.h"
#include "Emblems.h"
#include "ExtensionFacts.h"
#include "KeeperLog.h"
#include "MovedWhileAway.h"
#include "UserFiles.h"
#include "UserFolders.h"
#include "platform/AppError.h"

#include <QFileInfo>

#include <malloc.h>
#include <memory>

namespace {

// The writers replace base.ini in one rename: a short wait only gathers a
// burst of changes into one sync.
constexpr int kSettleMs = 20;
constexpr int kPollMs = 1000;
constexpr int kRetryMs = 30000;
// inotify watches are a per-user resource the file managers need too.
constexpr int kMostWaitingFolders = 256;
// Until the emblem images are written whole.
constexpr int kImagesSettleMs = EMBLIX_IMAGES_SETTLE_MS;
// A file manager that drew from the old images while they were replaced
// caches them a few seconds more: it is asked once again.
constexpr int kRedrawAgainMs = 6000;
constexpr int kTouchAnswerMs = 2000;
// Once a sync is over and nothing follows, the memory its reading took goes
// back to the system: the keeper runs for the whole session.
constexpr int kGiveBackMs = 2000;
// The identities are written once the records rest a while.
constexpr int kSaveIdentitiesMs = 2000;
constexpr int kMetadataAnswerMs = 10000;
// A move whose records could not be written (another writer held base.ini
// past the bounded wait) is written again after this.
constexpr int kMoveRetryMs = 200;
// The badge command gives up on an emblem write after 10 s, which may still
// land: files another process noted are looked at once more after that.
constexpr int kLateLookMs = 11000;
// A file manager reads a renamed file at once, before the keeper moved its
// emblem, and may fold an attribute change that comes while it reads into
// that read: the moved files are asked to be read again after this.
constexpr int kMovedRedrawMs = 1000;
// The badged files asked to be drawn again at once.
constexpr qsizetype kRedrawPiece = 10000;

// Asks gvfs something of each path off the event loop's thread, bounded: a
// mount that does not answer holds up no one.
void touchEach(const QStringList &paths, void (*touch)(const QString &), int answerMs = kTouchAnswerMs)
{
    BoundedCalls::forEach(
        paths,
        [touch](const QString &path) {
            touch(path);
            return BoundedCalls::PathOutcome{};
        },
        answerMs);
}

// What was sent to gvfs before is written before files are read again.
void waitForSentWrites()
{
    touchEach(
        {QString()}, [](const QString &) { Emblems::waitForSentWrites(); }, kMetadataAnswerMs);
}

} // namespace

EmblemKeeper::EmblemKeeper(const ProgramFolder &folder, const std::atomic_bool *stop, QObject *parent)
    : QObject(parent), m_book(folder), m_records(m_pool), m_sync(m_ledger, m_pool), m_moves(m_pool)
{
    m_sync.setStopFlag(stop);
    m_settle.setSingleShot(true);
    m_settle.setInterval(kSettleMs);
    connect(&m_settle, &QTimer::timeout, this, &EmblemKeeper::syncIfChanged);
    m_retry.setSingleShot(true);
    m_retry.setInterval(kRetryMs);
    connect(&m_retry, &QTimer::timeout, this, &EmblemKeeper::syncNow);
    m_poll.setInterval(kPollMs);
    connect(&m_poll, &QTimer::timeout, this, &EmblemKeeper::syncIfChanged);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, &EmblemKeeper::changeSeen);
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, &EmblemKeeper::changeSeen);
    m_waitingSettle.setSingleShot(true);
    m_waitingSettle.setInterval(kSettleMs);
    connect(&m_waitingFolders, &QFileSystemWatcher::directoryChanged, &m_waitingSettle, qOverload<>(&QTimer::start));
    connect(&m_waitingSettle, &QTimer::timeout, this, &EmblemKeeper::syncNow);
    m_imagesSettle.setSingleShot(true);
    m_imagesSettle.setInterval(kImagesSettleMs);
    connect(&m_emblemImages, &QFileSystemWatcher::directoryChanged, this, [this] {
        m_imagesSettle.start();
        m_redrawAgain.start();
    });
    connect(&m_imagesSettle, &QTimer::timeout, this, &EmblemKeeper::askForRedraw);
    m_redrawAgain.setSingleShot(true);
    m_redrawAgain.setInterval(kRedrawAgainMs);
    connect(&m_redrawAgain, &QTimer::timeout, this, &EmblemKeeper::askForRedraw);
    m_giveBack.setSingleShot(true);
    m_giveBack.setInterval(kGiveBackMs);
    connect(&m_giveBack, &QTimer::timeout, this, [] { ::malloc_trim(0); });
    connect(&m_moves, &MoveWatch::moved, this, &EmblemKeeper::followMoves);
    m_ledgerSettle.setSingleShot(true);
    m_ledgerSettle.setInterval(kSettleMs);
    connect(&m_ledgerWatch, &QFileSystemWatcher::fileChanged, &m_ledgerSettle, qOverload<>(&QTimer::start));
    connect(&m_ledgerWatch, &QFileSystemWatcher::directoryChanged, &m_ledgerSettle, qOverload<>(&QTimer::start));
    connect(&m_ledgerSettle, &QTimer::timeout, this, &EmblemKeeper::ledgerChanged);
    m_movedRedraw.setSingleShot(true);
    m_movedRedraw.setInterval(kMovedRedrawMs);
    connect(&m_movedRedraw, &QTimer::timeout, this,
            [this] { touchEach(std::exchange(m_redrawMoved, {}), &Emblems::announce); });
    m_lateLook.setSingleShot(true);
    m_lateLook.setInterval(kLateLookMs);
    connect(&m_lateLook, &QTimer::timeout, this, [this] {
        const QStringList paths(m_notedByOthers.cbegin(), m_notedByOthers.cend());
        m_notedByOthers.clear();
        if (std::exchange(m_lookAtAllLater, false))
            lookAtAll();
        lookAgain(paths);
    });
    m_moveRetry.setSingleShot(true);
    m_moveRetry.setInterval(kMoveRetryMs);
    connect(&m_moveRetry, &QTimer::timeout, this, &EmblemKeeper::writeMoves);
    m_saveIdentities.setSingleShot(true);
    m_saveIdentities.setInterval(kSaveIdentitiesMs);
    connect(&m_saveIdentities, &QTimer::timeout, this, [this] {
        try {
            MovedWhileAway::save(m_moves);
        } catch (const AppError &error) {
            KeeperLog::problem(error.fullText());
        }
    });
}

void EmblemKeeper::start()
{
    m_watcher.addPath(m_book.folder().root());
    m_stamp = FileStamp::of(m_book.fileName());
    if (m_stamp.isFile)
        m_watcher.addPath(m_book.fileName());
    const QString images = UserFolders::emblemFolder(48);
    if (QFileInfo(images).isDir())
        m_emblemImages.addPath(images);
    followMovesWhileAway();
    // From here on, what other processes note is looked at again.
    UserFiles::makeFolder(UserFolders::stateFolder());
    m_ledgerWatch.addPath(UserFolders::stateFolder());
    ledgerChanged();
    syncNow();
    m_poll.start();
}

void EmblemKeeper::changeSeen()
{
    m_settle.start();
}

void EmblemKeeper::syncIfChanged()
{
    const FileStamp now = FileStamp::of(m_book.fileName());
    if (now == m_stamp)
        return;
    m_stamp = now;
    // A replaced file is a new one to watch.
    m_watcher.removePath(m_book.fileName());
    if (now.isFile)
        m_watcher.addPath(m_book.fileName());
    sync(true);
}

void EmblemKeeper::sync(bool onlyChanges)
{
    // A store that cannot be read (a pipe, a folder or a huge file in its
    // place) is not an empty one: the emblems stay until it can be read.
    const RecordTable::Reading reading = m_records.read(m_book.fileName());
    if (!reading.readable) {
        KeeperLog::problem(m_book.fileName() + QStringLiteral(" cannot be read; the emblems stay as they are"));
        m_compareAll = true;
        // Read again at the next poll: a writer holding the file under its
        // lease refuses the open for a moment, and nothing changes the file
        // once it lets go.
        m_stamp = FileStamp();
        return;
    }
    try {
        const std::optional<QStringList> &changed = reading.changed;
        const bool all = !onlyChanges || !changed || m_compareAll;
        m_compareAll = true; // until this sync is through
        const EmblemSync::Report report = all ? m_sync.follow(m_records) : m_sync.follow(m_records, *changed);
        m_compareAll = false;
        followRecords(all ? std::nullopt : changed);
        watchWaiting(report.waiting);
        if (report.setAside > 0 || report.waiting.size() > 0)
            m_retry.start();
        m_giveBack.start();
        emit synced(report);
    } catch (const AppError &error) {
        // The ledger could not be written, so no emblem was set; the next
        // change compares every record again.
        KeeperLog::problem(error.fullText());
    }
}

void EmblemKeeper::watchWaiting(const QStringList &paths)
{
    QStringList folders;
    for (const QString &path : paths) {
        const QString folder = QFileInfo(path).path();
        if (!folders.contains(folder) && folders.size() < kMostWaitingFolders)
            folders.append(folder);
    }
    const QStringList watched = m_waitingFolders.directories();
    for (const QString &folder : watched) {
        if (!folders.contains(folder))
            m_waitingFolders.removePath(folder);
    }
    for (const QString &folder : folders) {
        // A folder that went too is caught by the retry timer.
        if (!watched.contains(folder) && QFileInfo(folder).isDir())
            m_waitingFolders.addPath(folder);
    }
}

void EmblemKeeper::askForRedraw()
{
    // A piece at a time, so a million badged files are never all copied out
    // at once.
    QStringList badged;
    const auto ask = [&] { touchEach(std::exchange(badged, {}), &Emblems::askForRedraw); };
    m_sync.forEachShown([&](PathPool::Id id, int badge) {
        if (badge > 0)
            badged.append(m_pool.path(id));
        if (badged.size() >= kRedrawPiece)
            ask();
    });
    ask();
}

void EmblemKeeper::followRecords(const std::optional<QStringList> &changed)
{
    if (!changed) {
        m_moves.followOnly(m_records);
    } else {
        QStringList added;
        QStringList removed;
        for (const QString &key : *changed)
            (m_records.badgeOf(key) >= 0 ? added : removed).append(key);
        m_moves.remove(removed);
        m_moves.add(added);
    }
    m_saveIdentities.start();
}

void EmblemKeeper::followMoves(const MoveWatch::Moves &moves, const MoveWatch::Moves &marked)
{
    // A file manager's rename took the gvfs metadata along; a terminal's
    // left it at the old path, where the next file made there would wear
    // it. Which one it was shows on the new path: the emblem is there or not.
    // Asked off the event loop's thread: gvfs may not answer.
    QStringList checks; // from, to, a marked path's new place and its badge, a line each
    auto badged = std::make_shared<QHash<QString, QStringList>>(); // from -> the badged files' new paths
    // The marked paths come in the order of the moves that took them along.
    qsizetype next = 0;
    for (const auto &[from, to] : moves) {
        for (; next < marked.size(); ++next) {
            const auto &[oldPath, newPath] = marked[next];
            if (!(oldPath == from || oldPath.startsWith(from + u'/')))
                break;
            const int badge = m_sync.shownBadge(oldPath);
            if (badge <= 0)
                continue;
            if ((*badged)[from].isEmpty())
                checks.append(QStringList{from, to, newPath, QString::number(badge)}.join(u'\n'));
            (*badged)[from].append(newPath);
        }
    }
    BoundedCalls::forEach(
        checks,
        [badged](const QString &check) {
            const QStringList parts = check.split(u'\n');
            const QString &from = parts[0];
            if (Emblems::badgeOf(parts[2]) == parts[3].toInt())
                return BoundedCalls::PathOutcome{};
            Emblems::moveMetadata(from, parts[1]);
            // Where gvfs keeps the two ends apart (another of its stores),
            // the old path's metadata at least goes.
            if (Emblems::badgeOf(parts[2]) != parts[3].toInt() && !QFileInfo::exists(from)
                && !QFileInfo(from).isSymLink())
                Emblems::dropMetadata(from);
            // The file managers read the moved files before their emblems
            // came: they are asked to read them again.
            for (const QString &path : badged->value(from))
                Emblems::announce(path);
            return BoundedCalls::PathOutcome{};
        },
        kMetadataAnswerMs, Emblems::kWritesAtOnce);
    for (auto it = badged->cbegin(); it != badged->cend(); ++it)
        m_redrawMoved += it.value();
    m_movedRedraw.start();
    try {
        m_sync.moved(marked);
    } catch (const AppError &error) {
        // The ledger lists more than is shown, never less: the next sync
        // finds the new paths' emblems by their records.
        KeeperLog::problem(error.fullText());
    }
    m_unwrittenMoves += moves;
    writeMoves();
    m_saveIdentities.start();
}

void EmblemKeeper::writeMoves()
{
    try {
        m_book.moveRecords(m_unwrittenMoves);
        m_unwrittenMoves.clear();
    } catch (const AppError &error) {
        // Until written, the records stay at the old paths and the syncs
        // keep the emblems equal to them: no badge without a record.
        KeeperLog::problem(error.fullText());
        m_moveRetry.start();
    }
    changeSeen();
}

void EmblemKeeper::followMovesWhileAway()
{
    if (!m_records.read(m_book.fileName()).readable)
        return;
    // Only the identities of records whose file is gone are kept.
    const MovedWhileAway::Identities missing = MovedWhileAway::load([&](const QString &path) {
        return m_records.badgeOf(path) >= 0 && !QFileInfo::exists(path) && !QFileInfo(path).isSymLink();
    });
    if (missing.isEmpty())
        return;
    MoveWatch::Moves moves;
    for (const auto &[from, to] : MovedWhileAway::find(missing)) {
        // A path already marked keeps its own record.
        if (m_records.badgeOf(to) < 0 && !MoveWatch::isInTrash(to) && BadgePath::namesAFile(to)
            && BadgePath::problemWith(to).isEmpty())
            moves.append({from, to});
    }
    if (!moves.isEmpty())
        followMoves(moves, moves);
}

void EmblemKeeper::ledgerChanged()
{
    // The journal comes and goes with the folds: watched while it is there.
    if (QFileInfo::exists(m_ledger.journalName()) && !m_ledgerWatch.files().contains(m_ledger.journalName()))
        m_ledgerWatch.addPath(m_ledger.journalName());
    // The badge command writes a record, then its emblems, then notes them:
    // two of them marking the same files may leave the emblem of the one
    // and the record of the other, and the keeper's own view is then wrong.
    // Each note comes after its emblem, so a file looked at again after the
    // last note shows its record. After a fold, every file the ledger names
    // is looked at (rare: once the journal is half the ledger's size).
    const std::optional<QSet<QString>> noted = m_ledger.notedByOthers();
    if (!noted) {
        m_lookAtAllLater = true;
        m_lateLook.start();
        lookAtAll();
        return;
    }
    QStringList doubted;
    for (const QString &path : *noted) {
        if (BadgePath::namesAFile(path))
            doubted.append(path);
    }
    if (doubted.isEmpty())
        return;
    m_notedByOthers.unite(QSet<QString>(doubted.cbegin(), doubted.cend()));
    m_lateLook.start();
    lookAgain(doubted);
}

void EmblemKeeper::lookAgain(const QStringList &paths)
{
    if (paths.isEmpty())
        return;
    waitForSentWrites();
    m_sync.doubt(paths);
    try {
        const EmblemSync::Report report = m_sync.follow(m_records, paths);
        if (report.setAside > 0 || !report.waiting.isEmpty())
            m_retry.start();
        emit synced(report);
    } catch (const AppError &error) {
        KeeperLog::problem(error.fullText());
    }
}

void EmblemKeeper::lookAtAll()
{
    waitForSentWrites();
    m_sync.doubtAll();
    try {
        const EmblemSync::Report report = m_sync.follow(m_records);
        if (report.setAside > 0 || !report.waiting.isEmpty())
            m_retry.start();
        emit synced(report);
    } catch (const AppError &error) {
        KeeperLog::problem(error.fullText());
    }
}
