#pragma once

#include "MenuItems.h"

// Thunar's custom actions, $XDG_CONFIG_HOME/Thunar/uca.xml. The user's own
// actions stay byte for byte: only the actions whose unique-id begins with
// the owner's name are replaced or removed.
namespace ThunarActions {

QString fileName();
// Throws AppError when uca.xml is there but is no action file Thunar could
// read; it is then left as it is.
void install(const MenuSet &set);
void remove(const QString &owner);

} // namespace ThunarActions
