#pragma once

#include "MenuItems.h"

// Nemo's actions: one file per entry in $XDG_DATA_HOME/nemo/actions, named
// after the owner. Nemo has no submenus for actions, so the entries stand in
// the menu itself.
namespace NemoActions {

void install(const MenuSet &set);
// The owner's entries installed from programFolder (every folder's when
// it is empty).
// False when one of them is still there.
bool remove(const QString &owner, const QString &programFolder);

} // namespace NemoActions
