#pragma once

#include "MenuItems.h"

// Thunar's custom actions, $XDG_CONFIG_HOME/Thunar/uca.xml. The user's own
// actions stay byte for byte: only the actions whose unique-id begins with
// the owner's name are replaced or removed.
namespace ThunarActions {

// Throws AppError when uca.xml is there but is no action file Thunar could
// read; it is then left as it is.
void install(const MenuSet &set);
// The owner's actions installed from programFolder (every folder's when it
// is empty).
// False when one of them is still there.
bool remove(const QString &owner, const QString &programFolder);

} // namespace ThunarActions
