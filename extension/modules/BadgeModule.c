/* The badge menus and the theme refresh inside Caja, Nemo and Nautilus.
 * The emblems themselves stay in the files' gvfs metadata, which these file
 * managers draw by themselves and which the keeper writes; the module adds
 * what only code inside the file manager can do: a real "Badge" submenu in
 * badge order, and drawing a newly applied theme at once. */
#include "FileManagerApi.h"
#include "MenuSwitch.h"
#include "ThemeWatch.h"

#include <gio/gio.h>
#if FM_GTK == 3
#include "Gtk3IconTheme.h"
#else
#include <dlfcn.h>
#endif

typedef struct {
    GObject parent;
} EmblixProvider;

typedef struct {
    GObjectClass parent;
} EmblixProviderClass;

static GType provider_type;

/* The file infos the file manager has shown, so a new theme can have each
 * of them drawn again. Held weakly: the file manager owns them. */
static GHashTable *shown_files;

static void file_finalized(gpointer data, GObject *gone)
{
    (void)data;
    g_hash_table_remove(shown_files, gone);
}

#if FM_GTK == 0
/* GTK 4 looks at a theme's folders again at most every five seconds and has
 * no call to make it look now; giving the default theme its own search path
 * again makes it drop what it keeps at once. The module is not linked to the
 * GTK of the file manager, so the calls are looked up in the process. */
static void reload_gtk4_icon_theme(void)
{
    void *(*display_default)(void) = NULL;
    void *(*theme_for)(void *) = NULL;
    char **(*search_path)(void *) = NULL;
    void (*set_search_path)(void *, const char *const *) = NULL;
    /* The way POSIX gives a function pointer from dlsym. */
    *(void **)&display_default = dlsym(RTLD_DEFAULT, "gdk_display_get_default");
    *(void **)&theme_for = dlsym(RTLD_DEFAULT, "gtk_icon_theme_get_for_display");
    *(void **)&search_path = dlsym(RTLD_DEFAULT, "gtk_icon_theme_get_search_path");
    *(void **)&set_search_path = dlsym(RTLD_DEFAULT, "gtk_icon_theme_set_search_path");
    if (!display_default || !theme_for || !search_path || !set_search_path)
        return;
    void *display = display_default();
    void *theme = display ? theme_for(display) : NULL;
    if (!theme)
        return;
    char **path = search_path(theme);
    if (path)
        set_search_path(theme, (const char *const *)path);
    g_strfreev(path);
}
#endif

static void theme_changed(void)
{
#if FM_GTK == 3
    emblix_reload_icon_theme();
#else
    reload_gtk4_icon_theme();
#endif
    /* The file manager asks the module about each file again from inside
     * the call, which adds to the table: walk a copy. */
    GList *files = g_hash_table_get_keys(shown_files);
    for (GList *item = files; item; item = item->next)
        g_object_ref(item->data);
    for (GList *item = files; item; item = item->next)
        FM_API(file_info_invalidate_extension_info)(item->data);
    g_list_free_full(files, g_object_unref);
}

static FM_TYPE(OperationResult) update_file_info(FM_TYPE(InfoProvider) *provider, FM_TYPE(FileInfo) *file,
                                                 GClosure *update_complete, FM_TYPE(OperationHandle) **handle)
{
    (void)provider, (void)update_complete, (void)handle;
    if (!g_hash_table_contains(shown_files, file)) {
        g_hash_table_add(shown_files, file);
        g_object_weak_ref(G_OBJECT(file), file_finalized, NULL);
    }
    return FM_OPERATION_COMPLETE;
}

static void info_provider_init(FM_IFACE(InfoProvider) *iface)
{
    iface->update_file_info = update_file_info;
}

/* What one menu entry runs: the badge command, fed the selection. */
typedef struct {
    char **argv;
    GBytes *selection;
} Launch;

static void launch_free(gpointer data, GClosure *closure)
{
    (void)closure;
    Launch *launch = data;
    g_strfreev(launch->argv);
    g_bytes_unref(launch->selection);
    g_free(launch);
}

static void command_finished(GObject *source, GAsyncResult *result, gpointer data)
{
    (void)data;
    GError *error = NULL;
    if (!g_subprocess_communicate_finish(G_SUBPROCESS(source), result, NULL, NULL, &error)) {
        g_warning("Emblix: %s", error->message);
        g_error_free(error);
    }
    g_object_unref(source);
}

static void entry_activated(FM_TYPE(MenuItem) *item, gpointer data)
{
    (void)item;
    Launch *launch = data;
    GError *error = NULL;
    /* No shell, and the names on a pipe the main loop fills as the command
     * reads: any number of them, exactly as they are, and the window never
     * waits on the command. */
    GSubprocess *command =
        g_subprocess_newv((const char *const *)launch->argv, G_SUBPROCESS_FLAGS_STDIN_PIPE, &error);
    if (!command) {
        g_warning("Emblix: %s", error->message);
        g_error_free(error);
        return;
    }
    g_subprocess_communicate_async(command, launch->selection, NULL, command_finished, NULL);
}

/* The local paths of the selection, or NULL when one file has none (a
 * remote location, the trash): its badge could not be recorded. */
static GPtrArray *selected_paths(GList *files, gboolean *has_folder)
{
    GPtrArray *paths = g_ptr_array_new_with_free_func(g_free);
    *has_folder = FALSE;
    for (GList *item = files; item; item = item->next) {
        GFile *location = FM_API(file_info_get_location)(item->data);
        char *path = location ? g_file_get_path(location) : NULL;
        if (location)
            g_object_unref(location);
        if (!path) {
            g_ptr_array_unref(paths);
            return NULL;
        }
        if (FM_API(file_info_is_directory)(item->data))
            *has_folder = TRUE;
        g_ptr_array_add(paths, path);
    }
    return paths;
}

static FM_TYPE(MenuItem) *new_item(const EmblixMenuSet *set, const EmblixMenuEntry *entry, GBytes *selection)
{
    char *name = g_strconcat("Emblix::", set->owner, "::", entry->id, NULL);
    /* A NULL tip makes Caja and Nemo drop the whole menu. */
    FM_TYPE(MenuItem) *item = FM_API(menu_item_new)(name, entry->label, entry->label, entry->icon);
    g_free(name);
    Launch *launch = g_new0(Launch, 1);
    launch->argv = emblix_menu_switch_argv(set, entry);
    launch->selection = g_bytes_ref(selection);
    g_signal_connect_data(item, "activate", G_CALLBACK(entry_activated), launch, launch_free, 0);
    return item;
}

static GList *file_items(GList *files)
{
    emblix_theme_watch_start(theme_changed);
    if (!files)
        return NULL;
    gboolean has_folder = FALSE;
    GPtrArray *paths = selected_paths(files, &has_folder);
    if (!paths)
        return NULL;
    GBytes *selection = emblix_menu_switch_selection(paths);
    g_ptr_array_unref(paths);
    GList *items = NULL;
    GPtrArray *sets = emblix_menu_switch_read();
    for (guint s = 0; s < sets->len; ++s) {
        const EmblixMenuSet *set = g_ptr_array_index(sets, s);
        if (!emblix_menu_switch_offers(set, has_folder))
            continue;
        if (set->submenu) {
            char *name = g_strconcat("Emblix::", set->owner, NULL);
            FM_TYPE(MenuItem) *top = FM_API(menu_item_new)(name, set->submenu, set->submenu, NULL);
            g_free(name);
            FM_TYPE(Menu) *submenu = FM_API(menu_new)();
            for (guint e = 0; e < set->entries->len; ++e) {
                FM_TYPE(MenuItem) *item = new_item(set, g_ptr_array_index(set->entries, e), selection);
                FM_API(menu_append_item)(submenu, item);
                g_object_unref(item);
            }
            FM_API(menu_item_set_submenu)(top, submenu);
            g_object_unref(submenu);
            items = g_list_append(items, top);
        } else {
            for (guint e = 0; e < set->entries->len; ++e)
                items = g_list_append(items, new_item(set, g_ptr_array_index(set->entries, e), selection));
        }
    }
    g_ptr_array_unref(sets);
    g_bytes_unref(selection);
    return items;
}

#if FM_MENU_HAS_WINDOW
static GList *get_file_items(FM_TYPE(MenuProvider) *provider, GtkWidget *window, GList *files)
{
    (void)provider, (void)window;
    return file_items(files);
}
#else
static GList *get_file_items(FM_TYPE(MenuProvider) *provider, GList *files)
{
    (void)provider;
    return file_items(files);
}
#endif

static void menu_provider_init(FM_IFACE(MenuProvider) *iface)
{
    iface->get_file_items = get_file_items;
}

static void provider_class_init(gpointer klass, gpointer data)
{
    (void)klass, (void)data;
}

static void provider_init(GTypeInstance *instance, gpointer klass)
{
    (void)instance, (void)klass;
}

G_MODULE_EXPORT void FM_API(module_initialize)(GTypeModule *module)
{
    static const GTypeInfo info = {
        sizeof(EmblixProviderClass), NULL, NULL, provider_class_init, NULL, NULL,
        sizeof(EmblixProvider),      0,    provider_init,             NULL,
    };
    /* A second copy (the system folder's and one a variable names) stays
     * idle: the first one gives the menus. */
    if (g_type_from_name("EmblixBadgeProvider"))
        return;
    provider_type = g_type_module_register_type(module, G_TYPE_OBJECT, "EmblixBadgeProvider", &info, 0);
    const GInterfaceInfo menu = {(GInterfaceInitFunc)(void (*)(void))menu_provider_init, NULL, NULL};
    g_type_module_add_interface(module, provider_type, FM_MENU_PROVIDER_TYPE, &menu);
    const GInterfaceInfo infos = {(GInterfaceInitFunc)(void (*)(void))info_provider_init, NULL, NULL};
    g_type_module_add_interface(module, provider_type, FM_INFO_PROVIDER_TYPE, &infos);
    shown_files = g_hash_table_new(g_direct_hash, g_direct_equal);
    emblix_theme_watch_start(theme_changed);
}

G_MODULE_EXPORT void FM_API(module_shutdown)(void)
{
}

G_MODULE_EXPORT void FM_API(module_list_types)(const GType **types, int *count)
{
    *types = &provider_type;
    *count = provider_type ? 1 : 0;
}
