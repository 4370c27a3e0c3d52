#pragma once

#include "platform/ProgramFolder.h"

// What each extension library installs when registered and removes when
// unregistered. Every step is safe to repeat: registering twice changes
// nothing more, unregistering what is not there is no error.
namespace Registration {

// emblixmenu.dll: the badge menus, the two context-menu handler keys, the
// emblem images of the active icons, the keeper (now and at login).
void registerMenu(const ProgramFolder &folder);
// Also takes off every emblem the extension set and stops the keeper.
void unregisterMenu(const ProgramFolder &folder);

// SheetExt.dll: "Badge properties..." on files and its handler key.
void registerSheet(const ProgramFolder &folder);
void unregisterSheet(const ProgramFolder &folder);

// The program folder of the library this code is linked into.
ProgramFolder libraryFolder();

// Runs one of the above, reporting any failure on standard error; returns
// the status an entry point returns (negative on failure).
int asEntryPoint(void (*step)(const ProgramFolder &));

} // namespace Registration
