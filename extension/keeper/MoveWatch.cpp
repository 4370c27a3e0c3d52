#include "MoveWatch.h"

#include "BadgePath.h"
#include "UserFolders.h"

#include <QDir>
#include <QFile>
#include <QSet>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// inotify watches are a per-user resource the file managers and desktop
// need too (fs.inotify.max_user_watches); past this many, a folder is left
// unwatched and its moves are found through the anchors alone.
constexpr qsizetype kMostWatches = 16384;
// Descriptors left for everything else the keeper opens (GIO, D-Bus, the
// worker threads' files).
constexpr rlim_t kDescriptorsKept = 2048;
// The two events of a rename, and the new file of an editor that saves by
// renaming the old one aside, come within this wait.
constexpr int kSettleMs = 20;
constexpr quint32 kFolderEvents =
    IN_MOVED_FROM | IN_MOVED_TO | IN_CREATE | IN_DELETE | IN_ONLYDIR | IN_DONT_FOLLOW | IN_EXCL_UNLINK;

QString parentOf(const QString &path)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    return slash <= 0 ? QStringLiteral("/") : path.first(slash);
}

QString childOf(const QString &folder, const QString &name)
{
    return folder == u"/" ? u'/' + name : folder + u'/' + name;
}

bool exists(const QString &path)
{
    struct stat status {};
    return ::lstat(QFile::encodeName(path).constData(), &status) == 0;
}

// The keys at or below path, in order (a folder before what it holds). What
// lies below starts at "path/": "path.txt" and "path 2" sort between.
template <typename Map>
QStringList keysAtOrBelow(const Map &map, const QString &path)
{
    QStringList keys;
    if (map.count(path))
        keys.append(path);
    const QString below = path == u"/" ? path : path + u'/';
    for (auto it = map.lower_bound(below); it != map.end() && it->first.startsWith(below); ++it) {
        if (it->first != path)
            keys.append(it->first);
    }
    return keys;
}

// Where the file an O_PATH descriptor holds is now; empty when it was
// removed.
QString whereNow(int fd)
{
    char buffer[PATH_MAX + 1];
    const QByteArray link = "/proc/self/fd/" + QByteArray::number(fd);
    const ssize_t length = ::readlink(link.constData(), buffer, sizeof buffer - 1);
    if (length <= 0)
        return {};
    QString path = QFile::decodeName(QByteArray(buffer, length));
    struct stat status {};
    if (::fstat(fd, &status) != 0 || status.st_nlink == 0 || path.endsWith(QStringLiteral(" (deleted)")))
        return {};
    return path;
}

// Whether the mark of a path may follow it to `to`: a trash folder is no
// new place (the mark waits for the restore), and a name base.ini cannot
// hold as a key stays a record of the old path.
bool canFollowTo(const QString &to)
{
    return !MoveWatch::isInTrash(to) && BadgePath::namesAFile(to) && BadgePath::problemWith(to).isEmpty();
}

} // namespace

MoveWatch::MoveWatch(PathPool &pool, QObject *parent) : QObject(parent), m_pool(pool)
{
    m_inotify = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (m_inotify >= 0) {
        m_notifier = std::make_unique<QSocketNotifier>(m_inotify, QSocketNotifier::Read);
        connect(m_notifier.get(), &QSocketNotifier::activated, this, &MoveWatch::readEvents);
    }
    m_settle.setSingleShot(true);
    m_settle.setInterval(kSettleMs);
    connect(&m_settle, &QTimer::timeout, this, &MoveWatch::handleEvents);

    // Anchors are descriptors: as many as the hard limit allows, less what
    // the rest of the keeper needs.
    struct rlimit limit {};
    if (::getrlimit(RLIMIT_NOFILE, &limit) == 0) {
        limit.rlim_cur = limit.rlim_max;
        ::setrlimit(RLIMIT_NOFILE, &limit);
        ::getrlimit(RLIMIT_NOFILE, &limit);
        const rlim_t usable = limit.rlim_cur > kDescriptorsKept ? limit.rlim_cur - kDescriptorsKept : 0;
        m_mostAnchors = qsizetype(std::min<rlim_t>(usable, rlim_t(1) << 24));
    }
    for (const QString &root : {QStringLiteral("/"), QDir::homePath()}) {
        struct stat status {};
        if (::stat(QFile::encodeName(root).constData(), &status) == 0 && !m_anchoredDevices.contains(status.st_dev))
            m_anchoredDevices.append(status.st_dev);
    }
}

MoveWatch::~MoveWatch()
{
    for (PathPool::Id id = 0; id < PathPool::Id(m_byId.size()); ++id) {
        if (m_byId[id].followed)
            unfollow(id);
    }
    m_notifier.reset();
    if (m_inotify >= 0)
        ::close(m_inotify);
}

bool MoveWatch::isInTrash(const QString &path)
{
    const QString home = UserFolders::dataHome() + QStringLiteral("/Trash/");
    return path.startsWith(home) || path.contains(QStringLiteral("/.Trash-"))
           || path.contains(QStringLiteral("/.Trash/"));
}

bool MoveWatch::isFollowed(const QString &path) const
{
    const PathPool::Id id = m_pool.find(path);
    return id != PathPool::kNoId && id < m_byId.size() && m_byId[id].followed;
}

QList<PathPool::Id> MoveWatch::followedAtOrBelow(const QString &path) const
{
    QList<PathPool::Id> ids;
    const PathPool::Id self = m_pool.find(path);
    if (self != PathPool::kNoId && self < m_byId.size() && m_byId[self].followed)
        ids.append(self);
    // Only a folder above followed paths holds any: it is in m_folders.
    if (!m_folders.count(path))
        return ids;
    const QByteArray below = PathPool::encoded(path == u"/" ? path : path + u'/');
    const qsizetype first = ids.size();
    for (PathPool::Id id = 0; id < PathPool::Id(m_byId.size()); ++id) {
        if (m_byId[id].followed && m_pool.bytes(id).startsWith(below))
            ids.append(id);
    }
    std::sort(ids.begin() + first, ids.end(),
              [&](PathPool::Id a, PathPool::Id b) { return m_pool.bytes(a) < m_pool.bytes(b); });
    return ids;
}

void MoveWatch::add(const QStringList &paths)
{
    for (const QString &path : paths) {
        if (isFollowed(path))
            continue;
        const PathPool::Id id = m_pool.hold(path);
        if (id >= m_byId.size())
            m_byId.resize(id + 1);
        m_byId[id].followed = true;
        ++m_followed;
        anchor(path, m_byId[id]);
        use(parentOf(path));
    }
}

void MoveWatch::unfollow(PathPool::Id id)
{
    release(m_byId[id]);
    m_byId[id] = Anchor{};
    --m_followed;
    m_pool.release(id);
}

void MoveWatch::remove(const QStringList &paths)
{
    for (const QString &path : paths) {
        if (!isFollowed(path))
            continue;
        unfollow(m_pool.find(path));
        unuse(parentOf(path));
    }
}

void MoveWatch::followOnly(const RecordTable &records)
{
    QStringList unwanted;
    for (PathPool::Id id = 0; id < PathPool::Id(m_byId.size()); ++id) {
        if (m_byId[id].followed && records.badgeOf(id) < 0)
            unwanted.append(m_pool.path(id));
    }
    remove(unwanted);
    // Added in pieces: a million paths are never all copied out at once.
    QStringList wanted;
    records.forEach([&](PathPool::Id id, int) {
        if (id >= m_byId.size() || !m_byId[id].followed)
            wanted.append(m_pool.path(id));
        if (wanted.size() >= 4096)
            add(std::exchange(wanted, {}));
    });
    add(wanted);
}

void MoveWatch::readEvents()
{
    alignas(struct inotify_event) char buffer[65536];
    for (;;) {
        const ssize_t length = ::read(m_inotify, buffer, sizeof buffer);
        if (length < 0 && errno == EINTR)
            continue;
        if (length <= 0)
            break;
        for (ssize_t at = 0; at < length;) {
            const auto *event = reinterpret_cast<const struct inotify_event *>(buffer + at);
            const QByteArray name = event->len > 0 ? QByteArray(event->name) : QByteArray();
            m_pending.append({event->wd, event->mask, event->cookie, QFile::decodeName(name)});
            at += ssize_t(sizeof(struct inotify_event) + event->len);
        }
    }
    m_settle.start();
}

void MoveWatch::handleEvents()
{
    const QList<Event> events = std::exchange(m_pending, {});
    std::vector<bool> paired(size_t(events.size()), false);
    Moves moves;
    bool overflow = false;
    for (qsizetype i = 0; i < events.size(); ++i) {
        const Event &event = events[i];
        if (paired[size_t(i)])
            continue;
        if (event.mask & IN_Q_OVERFLOW) {
            overflow = true;
            continue;
        }
        if (event.mask & IN_IGNORED) {
            // The folder went (or its file system): its watch is gone.
            const auto it = m_folderOfWatch.find(event.watch);
            if (it != m_folderOfWatch.end()) {
                const auto folder = m_folders.find(it->second);
                if (folder != m_folders.end() && folder->second.watch == event.watch)
                    folder->second.watch = -1;
                m_folderOfWatch.erase(it);
                --m_watches;
            }
            continue;
        }
        const QString folder = folderOfWatch(event.watch);
        if (folder.isEmpty() || event.name.isEmpty())
            continue;
        const QString path = childOf(folder, event.name);
        if (event.mask & IN_MOVED_FROM) {
            qsizetype other = -1;
            for (qsizetype j = i + 1; j < events.size() && other < 0; ++j) {
                if ((events[j].mask & IN_MOVED_TO) && events[j].cookie == event.cookie)
                    other = j;
            }
            const QString toFolder = other >= 0 ? folderOfWatch(events[other].watch) : QString();
            if (other >= 0 && !toFolder.isEmpty()) {
                paired[size_t(other)] = true;
                const QString to = childOf(toFolder, events[other].name);
                if (!follow(path, to, moves))
                    arrived(to);
            } else {
                followUnpaired(path, moves);
            }
        } else if (event.mask & (IN_MOVED_TO | IN_CREATE)) {
            arrived(path);
        } else if (event.mask & IN_DELETE) {
            gone(path);
        }
    }
    if (overflow)
        checkAllAnchors(moves);
    if (!moves.isEmpty())
        emit moved(moves, std::exchange(m_marked, {}));
}

bool MoveWatch::follow(const QString &from, const QString &to, Moves &moves)
{
    if (!isFollowed(from) && !m_folders.count(from))
        return false;
    // A file at the old name again: an editor saved by renaming the old
    // file aside and writing a new one. The mark stays with the name.
    if (exists(from)) {
        arrived(from);
        return false;
    }
    if (!canFollowTo(to)) {
        for (const PathPool::Id id : followedAtOrBelow(from))
            release(anchorOf(id));
        return false;
    }
    rename(from, to);
    moves.append({from, to});
    return true;
}

void MoveWatch::followUnpaired(const QString &from, Moves &moves)
{
    if (!isFollowed(from) && !m_folders.count(from))
        return;
    if (exists(from)) {
        arrived(from);
        return;
    }
    // One anchor below tells where the whole moved tree is now.
    const QList<PathPool::Id> ids = followedAtOrBelow(from);
    for (const PathPool::Id id : ids) {
        const Anchor &entry = anchorOf(id);
        if (entry.fd < 0)
            continue;
        const QString path = m_pool.path(id);
        const QString where = whereNow(entry.fd);
        const QStringView rest = QStringView(path).sliced(from.size());
        if (where.isEmpty() || !where.endsWith(rest))
            continue; // removed, or moved on its own before: asked in turn
        const QString to = where.chopped(rest.size());
        if (!canFollowTo(to))
            break;
        rename(from, to);
        moves.append({from, to});
        return;
    }
    // Removed, taken to the trash, or no anchor: the marks wait here.
    for (const PathPool::Id id : ids)
        release(anchorOf(id));
}

void MoveWatch::checkAllAnchors(Moves &moves)
{
    QList<std::pair<QString, QString>> found;
    for (PathPool::Id id = 0; id < PathPool::Id(m_byId.size()); ++id) {
        const Anchor &entry = m_byId[id];
        if (!entry.followed || entry.fd < 0)
            continue;
        const QString path = m_pool.path(id);
        const QString where = whereNow(entry.fd);
        if (!where.isEmpty() && where != path && canFollowTo(where) && !exists(path))
            found.append({path, where});
    }
    for (const auto &[from, to] : found) {
        // A folder's move already took what lies below it along.
        if (!isFollowed(from))
            continue;
        rename(from, to);
        moves.append({from, to});
    }
}

void MoveWatch::arrived(const QString &path)
{
    if (!isFollowed(path) && !m_folders.count(path))
        return;
    for (const QString &folder : keysAtOrBelow(m_folders, path))
        watch(folder, m_folders[folder]);
    for (const PathPool::Id id : followedAtOrBelow(path)) {
        Anchor &entry = anchorOf(id);
        release(entry);
        anchor(m_pool.path(id), entry);
    }
}

void MoveWatch::gone(const QString &path)
{
    if (isFollowed(path))
        release(anchorOf(m_pool.find(path))); // a removed file's space is not kept
}

void MoveWatch::use(const QString &folder)
{
    const auto [it, inserted] = m_folders.try_emplace(folder);
    if (it->second.uses++ > 0)
        return;
    watch(folder, it->second);
    if (folder != u"/")
        use(parentOf(folder));
}

void MoveWatch::unuse(const QString &folder)
{
    const auto it = m_folders.find(folder);
    if (it == m_folders.end() || --it->second.uses > 0)
        return;
    if (it->second.watch >= 0) {
        ::inotify_rm_watch(m_inotify, it->second.watch);
        m_folderOfWatch.erase(it->second.watch);
        --m_watches;
    }
    m_folders.erase(it);
    if (folder != u"/")
        unuse(parentOf(folder));
}

void MoveWatch::watch(const QString &folder, Folder &entry)
{
    if (m_inotify < 0 || (entry.watch < 0 && m_watches >= kMostWatches))
        return;
    const int watch = ::inotify_add_watch(m_inotify, QFile::encodeName(folder).constData(), kFolderEvents);
    if (watch == entry.watch)
        return;
    if (entry.watch >= 0) {
        // Another folder is at this path now; the old one's watch goes.
        ::inotify_rm_watch(m_inotify, entry.watch);
        m_folderOfWatch.erase(entry.watch);
        --m_watches;
    }
    entry.watch = watch;
    if (watch < 0)
        return; // not there (yet), or no watches left: the anchors still tell
    // The same folder known under an older path is that path no more.
    const auto known = m_folderOfWatch.find(watch);
    if (known != m_folderOfWatch.end()) {
        const auto older = m_folders.find(known->second);
        if (older != m_folders.end())
            older->second.watch = -1;
        known->second = folder;
        return;
    }
    m_folderOfWatch.emplace(watch, folder);
    ++m_watches;
}

void MoveWatch::anchor(const QString &path, Anchor &entry)
{
    if (entry.fd >= 0)
        return;
    // Past the descriptors, the identity alone: enough to find a move made
    // while no keeper ran.
    struct stat status {};
    const QByteArray name = QFile::encodeName(path);
    const int fd = m_anchors < m_mostAnchors ? ::open(name.constData(), O_PATH | O_NOFOLLOW | O_CLOEXEC) : -1;
    if (fd >= 0 ? ::fstat(fd, &status) != 0 : ::lstat(name.constData(), &status) != 0) {
        if (fd >= 0)
            ::close(fd);
        entry.device = 0;
        return;
    }
    qsizetype device = m_devices.indexOf(quint64(status.st_dev));
    if (device < 0 && m_devices.size() < 0xfffe) {
        m_devices.append(quint64(status.st_dev));
        device = m_devices.size() - 1;
    }
    entry.device = quint16(device + 1);
    entry.inode = quint64(status.st_ino);
    entry.folder = S_ISDIR(status.st_mode);
    if (fd < 0)
        return;
    if (!m_anchoredDevices.contains(quint64(status.st_dev))) {
        ::close(fd);
        return;
    }
    entry.fd = fd;
    ++m_anchors;
}

void MoveWatch::release(Anchor &entry)
{
    if (entry.fd < 0)
        return;
    ::close(entry.fd);
    entry.fd = -1;
    --m_anchors;
}

void MoveWatch::rename(const QString &from, const QString &to)
{
    // A marked file the moved one replaced: its mark is gone with it.
    if (isFollowed(to))
        remove({to});
    const int uses = int(isFollowed(from) + m_folders.count(from));
    for (int i = 0; i < uses; ++i)
        use(parentOf(to));
    for (const PathPool::Id id : followedAtOrBelow(from)) {
        const QString key = m_pool.path(id);
        const QString moved = to + key.sliced(from.size());
        m_marked.append({key, moved});
        const Anchor entry = std::exchange(anchorOf(id), Anchor{});
        --m_followed;
        m_pool.release(id);
        if (isFollowed(moved)) {
            // A mark below the new place already: the moved one's goes.
            Anchor dropped = entry;
            release(dropped);
            unuse(parentOf(key));
            continue;
        }
        const PathPool::Id placed = m_pool.hold(moved);
        if (placed >= m_byId.size())
            m_byId.resize(placed + 1);
        m_byId[placed] = entry;
        ++m_followed;
    }
    for (const QString &key : keysAtOrBelow(m_folders, from)) {
        auto node = m_folders.extract(key);
        node.key() = to + key.sliced(from.size());
        if (node.mapped().watch >= 0)
            m_folderOfWatch[node.mapped().watch] = node.key();
        const auto placed = m_folders.insert(std::move(node));
        if (!placed.inserted) {
            // A folder known at the new place already: one entry for both.
            Folder &there = placed.position->second;
            const Folder &moved = placed.node.mapped();
            there.uses += moved.uses;
            if (there.watch < 0) {
                there.watch = moved.watch;
            } else if (moved.watch >= 0 && moved.watch != there.watch) {
                ::inotify_rm_watch(m_inotify, moved.watch);
                m_folderOfWatch.erase(moved.watch);
                --m_watches;
            }
            if (there.watch >= 0)
                m_folderOfWatch[there.watch] = placed.position->first;
        }
    }
    for (int i = 0; i < uses; ++i)
        unuse(parentOf(from));
}

QString MoveWatch::folderOfWatch(int watch) const
{
    const auto it = m_folderOfWatch.find(watch);
    return it == m_folderOfWatch.end() ? QString() : it->second;
}
