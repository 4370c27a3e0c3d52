#include "ThemeWatch.h"

#include "ExtensionFacts.h"

#include <gio/gio.h>

/* The sizes icoswap.exe draws, smallest first. */
static const int kSizes[] = EMBLIX_EMBLEM_SIZES;
/* icoswap.exe writes sixty images one after the other: one refresh, a short
 * while after the last of them, and one more a little later for a file
 * manager that was still reading the old ones (or had not yet shown the
 * module a file) when the first came. */
static const guint kSettleMs = EMBLIX_IMAGES_SETTLE_MS;
static const guint kAgainMs = 700;

static EmblixThemeChanged on_changed;
static GFileMonitor *monitors[G_N_ELEMENTS(kSizes)];
static guint settle_source;
static guint again_source;

static char *emblem_folder(int size)
{
    char *name = g_strdup_printf("%dx%d", size, size);
    char *folder = g_build_filename(g_get_user_data_dir(), "icons", "hicolor", name, "emblems", NULL);
    g_free(name);
    return folder;
}

static gboolean refresh(gpointer data);

/* (Re)starts one of the two timers. */
static void restart(guint *source, guint ms)
{
    if (*source)
        g_source_remove(*source);
    *source = g_timeout_add(ms, refresh, source);
}

/* Either timer: the files are drawn again, and once more a little later
 * after the settle one. */
static gboolean refresh(gpointer data)
{
    guint *source = data;
    *source = 0;
    if (on_changed)
        on_changed();
    if (source == &settle_source)
        restart(&again_source, kAgainMs);
    return G_SOURCE_REMOVE;
}

static void folder_changed(GFileMonitor *monitor, GFile *file, GFile *other, GFileMonitorEvent event, gpointer data)
{
    (void)monitor, (void)file, (void)other, (void)data;
    if (event == G_FILE_MONITOR_EVENT_CHANGES_DONE_HINT)
        return;
    restart(&settle_source, kSettleMs);
}

void emblix_theme_watch_start(EmblixThemeChanged changed)
{
    on_changed = changed;
    for (gsize i = 0; i < G_N_ELEMENTS(kSizes); ++i) {
        if (monitors[i])
            continue;
        char *folder = emblem_folder(kSizes[i]);
        GFile *file = g_file_new_for_path(folder);
        /* A folder that is not there yet is watched for its coming. */
        monitors[i] = g_file_monitor_directory(file, G_FILE_MONITOR_WATCH_MOVES, NULL, NULL);
        if (monitors[i]) {
            g_file_monitor_set_rate_limit(monitors[i], 0);
            g_signal_connect(monitors[i], "changed", G_CALLBACK(folder_changed), NULL);
        }
        g_object_unref(file);
        g_free(folder);
    }
}
