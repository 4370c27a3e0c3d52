#pragma once

#include "MenuItems.h"

// Nemo's actions: one file per entry in $XDG_DATA_HOME/nemo/actions, named
// after the owner. Nemo has no submenus for actions, so the entries stand in
// the menu itself.
namespace NemoActions {

QString folder();
void install(const MenuSet &set);
void remove(const QString &owner);

} // namespace NemoActions
