/* Tells when icoswap.exe has drawn new badge emblems (a theme was applied in
 * the manager), so the file manager can draw them at once instead of when
 * it happens to look its icons up again. */
#pragma once

#include <glib.h>

G_BEGIN_DECLS

typedef void (*EmblixThemeChanged)(void);

/* Starts watching the user's emblem folders; changed runs once the images
 * have settled. Safe to call again: it watches once. */
void emblix_theme_watch_start(EmblixThemeChanged changed);

G_END_DECLS
