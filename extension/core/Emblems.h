#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

#include <optional>

// The badge emblem of a file as file managers read it: the GIO attribute
// metadata::emblems, a list of icon names kept per user by gvfs. Only the
// extension's own names (emblix-badge-<n>) are touched; the file's other
// emblems stay as they are.
namespace Emblems {

// How many emblem writes run at once (BoundedCalls workers). The gvfs
// metadata daemon answers one request at a time; keeping it busy while each
// caller waits for its round trips is what gains: 8 writers took 7.8 s for
// 10 000 files, 64 writers 5.9 s (bench_badges); more gain nothing.
inline constexpr int kWritesAtOnce = 64;

// The badge whose emblem path carries, or 0.
int badgeOf(const QString &path);

// Gives path the emblem of badge (1 to 10), or none (0). Returns an empty
// text on success, else why it failed (no such file, no metadata store).
// A file that already shows it is not written to.
QString setBadge(const QString &path, int badge);
// The same, with the file's emblems as read a moment before (emblemsIn).
QString setBadge(const QString &path, int badge, const QStringList &before);

// The emblems of the files in folder that have any, by file name as the
// file system spells it, read in one listing: far cheaper than asking file
// by file once many files of the folder are to be written. nullopt when the
// folder cannot be listed.
std::optional<QHash<QByteArray, QStringList>> emblemsIn(const QString &folder);

// What GIO tells gvfs after a rename or a removal it made itself, for one a
// terminal made: the metadata of from (and of everything below it) moves to
// `to`, emblems included; or a path's metadata goes, so no file later made
// there wears it. gvfs moves a GIO rename's metadata already, and a move
// from a path with none would wipe the destination's: the caller moves only
// what was left behind. Nothing happens without the gvfs metadata daemon.
void moveMetadata(const QString &from, const QString &to);
void dropMetadata(const QString &path);

// Returns once the gvfs metadata daemon has handled every write sent to it
// before (it handles them one at a time, in the order they came): a write
// another process gave up waiting for may still land, and a read before it
// would not see it.
void waitForSentWrites();

// Has the file managers that show path read it again, emblem included, by
// setting its times to the values they have.
void announce(const QString &path);

// Has the file managers that watch path's folder read the file again, as
// `touch -r path path` does, without changing its modification time: they
// then look its emblem's image up anew.
void askForRedraw(const QString &path);

} // namespace Emblems
