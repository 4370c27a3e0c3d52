#pragma once

#include "MoveWatch.h"

#include <QHash>
#include <QString>

#include <functional>

// Finds the marked files that moved while no keeper ran (logged out, keeper
// stopped). The keeper notes the identity (device, inode, kind) of every
// path it follows; at its next start a record whose path is gone is looked
// for by that identity below the nearest folder above it that is still
// there, so a rename in place, a folder above renamed, or a move into a
// folder beside is found. A move farther away, to another file system, or
// of a file that lost its inode (copied, then deleted) is not: the record
// stays at the old path, flagged invalid in the manager.
namespace MovedWhileAway {

using Identities = QHash<QString, MoveWatch::Identity>;

// The file the identities are kept in: the user's alone.
QString fileName();
// Written a line at a time, never the whole text in memory.
void save(const MoveWatch &watch);
// The identities of the paths wanted() accepts: those whose file is gone.
Identities load(const std::function<bool(const QString &path)> &wanted);

// Where each of the missing paths is now, as far as found within
// mostEntries folder entries read in all.
MoveWatch::Moves find(const Identities &missing, qsizetype mostEntries = 500000);

} // namespace MovedWhileAway
