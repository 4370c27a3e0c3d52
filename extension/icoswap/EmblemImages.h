#pragma once

#include "platform/ProgramFolder.h"

// The badge emblems file managers draw: the ten active icons of the program
// folder as PNG images emblix-badge-<n> in the user's hicolor icon theme, at
// every emblem size, each made from the icon's image nearest that size.
namespace EmblemImages {

// Writes the images of every badge; a badge without an active icon loses
// its image. Returns the number of images written.
int write(const ProgramFolder &folder);

// Tells the file managers that the icon theme changed: GTK rereads a theme
// folder whose time changed, and a cache of the user's theme is rebuilt so
// it does not hide the new images.
void announceChange();

} // namespace EmblemImages
