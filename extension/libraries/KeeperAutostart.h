#pragma once

#include "platform/ProgramFolder.h"

#include <QString>

// The emblem keeper at login ($XDG_CONFIG_HOME/autostart) and now. One
// keeper serves the program folder that registered last; the entry names it.
namespace KeeperAutostart {

QString fileName();
// Writes the autostart entry and starts the program folder's keeper, after
// stopping a keeper of another program folder.
void install(const ProgramFolder &folder);
// Stops folder's keeper and removes its autostart entry; another folder's
// stay. False when the entry could not be removed.
bool remove(const ProgramFolder &folder);
// Starts folder's keeper to take every emblem off in the background and
// end; false when it cannot be started.
bool startTakingOff(const ProgramFolder &folder);
// Whether the badges of the files are folder's to look after: its entry is
// installed, or no other folder's entry or keeper is.
bool servesFolder(const ProgramFolder &folder);
// The program folder whose entry is installed now, or an empty text.
QString servedFolder();

} // namespace KeeperAutostart
