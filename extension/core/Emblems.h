#pragma once

#include <QString>

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

// Has the file managers that watch path's folder read the file again, as
// `touch -r path path` does, without changing its modification time: they
// then look its emblem's image up anew.
void askForRedraw(const QString &path);

} // namespace Emblems
