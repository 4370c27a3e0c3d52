#pragma once

#include <QList>
#include <QObject>
#include <QSocketNotifier>
#include <QString>
#include <QStringList>
#include <QTimer>

#include "PathPool.h"
#include "RecordTable.h"

#include <map>
#include <memory>
#include <utility>
#include <vector>

// Learns where a marked file or folder went when it, or a folder above it,
// is renamed or moved on its file system, whoever moved it (a file manager
// through GIO, a terminal through rename(2)):
//
// - inotify on the folder of every marked path and on every folder above
//   it: a rename between two watched folders is a pair of events that names
//   both ends, however deep the moved folder;
// - an anchor per marked path (an O_PATH descriptor, which follows its file
//   wherever it is renamed): a move into a folder nobody watches names only
//   its source, and the anchor tells where the file is now.
//
// Anchors keep a descriptor open, so they are taken only on the file systems
// of "/" and of the home folder (one on a stick would keep it from being
// unmounted) and only as far as the process may open descriptors.
class MoveWatch final : public QObject
{
    Q_OBJECT
public:
    using Moves = QList<std::pair<QString, QString>>; // (from, to), in the order made

    struct Identity {
        quint64 device = 0;
        quint64 inode = 0;
        bool folder = false;
        bool operator==(const Identity &) const = default;
    };

    // The followed paths are kept in pool.
    explicit MoveWatch(PathPool &pool, QObject *parent = nullptr);
    ~MoveWatch() override;
    MoveWatch(const MoveWatch &) = delete;
    MoveWatch &operator=(const MoveWatch &) = delete;

    // The marked paths to follow from now on, and those no longer marked.
    void add(const QStringList &paths);
    void remove(const QStringList &paths);
    // Follows exactly the paths of these records.
    void followOnly(const RecordTable &records);

    // The identity of every followed path that was there when last looked
    // at, to find its moves at the next start when nothing watched.
    template <typename Visit>
    void forEachIdentity(const Visit &visit) const
    {
        for (PathPool::Id id = 0; id < PathPool::Id(m_byId.size()); ++id) {
            const Anchor &entry = m_byId[id];
            if (entry.followed && entry.device > 0)
                visit(m_pool.path(id), Identity{m_devices[entry.device - 1], entry.inode, entry.folder});
        }
    }

    qsizetype followed() const { return m_followed; }
    qsizetype watches() const { return m_watches; }
    qsizetype anchors() const { return m_anchors; }

    // Whether a path lies in a trash folder: a move there is no move of the
    // mark, which waits at the old path for the file to be restored.
    static bool isInTrash(const QString &path);

signals:
    // moves: what was renamed (a folder above marked paths, or a marked
    // path); marked: each marked path that went along (old, new).
    void moved(const MoveWatch::Moves &moves, const MoveWatch::Moves &marked);

private:
    // 16 bytes a followed path: a million of them fit in 16 MB.
    struct Anchor {
        quint64 inode = 0;
        qint32 fd = -1;
        quint16 device = 0; // 1 + index in m_devices; 0: no identity
        bool folder = false;
        bool followed = false;
    };
    struct Folder {
        int watch = -1;
        int uses = 0; // marked paths right inside and folders below that are watched
    };
    struct Event {
        int watch;
        quint32 mask;
        quint32 cookie;
        QString name;
    };

    void readEvents();
    void handleEvents();
    // A rename both ends of which were seen; false when it is not followed.
    bool follow(const QString &from, const QString &to, Moves &moves);
    // A move whose end lies outside the watched folders.
    void followUnpaired(const QString &from, Moves &moves);
    void arrived(const QString &path);
    void gone(const QString &path);
    // Every anchor asked where its file is (events were lost).
    void checkAllAnchors(Moves &moves);

    bool isFollowed(const QString &path) const;
    Anchor &anchorOf(PathPool::Id id) { return m_byId[id]; }
    // The followed paths at or below path, a folder before what it holds.
    QList<PathPool::Id> followedAtOrBelow(const QString &path) const;
    void unfollow(PathPool::Id id);
    void use(const QString &folder);
    void unuse(const QString &folder);
    void watch(const QString &folder, Folder &entry);
    void anchor(const QString &path, Anchor &entry);
    void release(Anchor &entry);
    // Renames every path at or below from in the tables.
    void rename(const QString &from, const QString &to);
    QString folderOfWatch(int watch) const;

    int m_inotify = -1;
    std::unique_ptr<QSocketNotifier> m_notifier;
    QList<Event> m_pending;
    Moves m_marked;  // the marked paths renamed while events are handled
    QTimer m_settle; // a rename's two events, and an editor's save, come together
    PathPool &m_pool;
    std::vector<Anchor> m_byId;
    qsizetype m_followed = 0;
    QList<quint64> m_devices;
    std::map<QString, Folder> m_folders;
    std::map<int, QString> m_folderOfWatch;
    qsizetype m_watches = 0;
    qsizetype m_anchors = 0;
    qsizetype m_mostAnchors = 0;
    QList<quint64> m_anchoredDevices;
};
