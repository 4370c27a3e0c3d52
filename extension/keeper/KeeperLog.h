#pragma once

#include <QString>

// What went wrong in the keeper, where its user can read it: a keeper runs
// with no terminal, its standard error pointed at /dev/null. Each problem
// goes to the desktop's log (syslog, which the journal keeps: journalctl
// -t emblix-keeper) and to a small file of the user's own,
// $XDG_STATE_HOME/emblix-manager/keeper.log (~/.local/state when unset),
// which is moved to keeper.log.1 once it passes 64 KiB: at most 128 KiB are
// ever kept, however long a fault lasts.
namespace KeeperLog {

void problem(const QString &text);

// The file the problems go to.
QString fileName();

} // namespace KeeperLog
