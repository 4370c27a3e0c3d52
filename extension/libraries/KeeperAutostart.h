#pragma once

#include "platform/ProgramFolder.h"

// The emblem keeper at login ($XDG_CONFIG_HOME/autostart) and now.
namespace KeeperAutostart {

QString fileName();
// Writes the autostart entry and starts the program folder's keeper, after
// stopping a keeper of another program folder.
void install(const ProgramFolder &folder);
// Stops the keeper and removes the autostart entry.
void remove();

} // namespace KeeperAutostart
