/* Has GTK 3 read the user's icon theme again now. rescan_if_needed()
 * compares the folders' modification times in whole seconds, so images
 * rewritten in the second the theme was last read look unchanged; giving
 * the default theme its own search path again makes it drop what it keeps
 * whatever the times say. */
#pragma once

#include <gtk/gtk.h>

static inline void emblix_reload_icon_theme(void)
{
    GtkIconTheme *theme = gtk_icon_theme_get_default();
    gchar **path = NULL;
    gint count = 0;
    gtk_icon_theme_get_search_path(theme, &path, &count);
    if (path)
        gtk_icon_theme_set_search_path(theme, (const gchar **)path, count);
    g_strfreev(path);
}
