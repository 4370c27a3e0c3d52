/* Thunar draws the files' gvfs emblems by itself but keeps the icons it
 * looked up; thunarx offers no emblem interface. The module only has GTK
 * read the user's icon theme again when a theme was applied in the
 * manager, so the new badges show at once. The menus stay Thunar's own
 * custom actions. */
#include "Gtk3IconTheme.h"
#include "ThemeWatch.h"

#include <thunarx/thunarx.h>

static GType no_types[1];

static void theme_changed(void)
{
    emblix_reload_icon_theme();
}

G_MODULE_EXPORT void thunar_extension_initialize(ThunarxProviderPlugin *plugin)
{
    /* The folder monitor calls into this code for Thunar's whole life. */
    thunarx_provider_plugin_set_resident(plugin, TRUE);
    emblix_theme_watch_start(theme_changed);
}

G_MODULE_EXPORT void thunar_extension_shutdown(void)
{
}

G_MODULE_EXPORT void thunar_extension_list_types(const GType **types, gint *count)
{
    *types = no_types;
    *count = 0;
}
