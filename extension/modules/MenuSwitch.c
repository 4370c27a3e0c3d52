#include "MenuSwitch.h"

#include "ExtensionFacts.h"

#include <errno.h>
#include <fcntl.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

/* What the registration writes is a few kilobytes, a dozen entries and a
 * set or two: anything far beyond comes from elsewhere and must not cost
 * the file manager time or memory on every right-click. */
enum { kMostFileBytes = 64 * 1024, kMostEntries = 64, kMostSets = 16 };

static void entry_free(gpointer data)
{
    EmblixMenuEntry *entry = data;
    g_strfreev(entry->arguments);
    g_free(entry);
}

/* The set's texts live in its chunk and go with it. */
static void set_free(gpointer data)
{
    EmblixMenuSet *set = data;
    g_ptr_array_unref(set->entries);
    g_string_chunk_free(set->strings);
    g_free(set);
}

/* A text read for the set, moved into its chunk; an empty or missing one is
 * NULL. */
static char *keep(EmblixMenuSet *set, char *text)
{
    char *kept = text && *text ? g_string_chunk_insert(set->strings, text) : NULL;
    g_free(text);
    return kept;
}

char *emblix_menu_switch_folder(void)
{
    return g_build_filename(g_get_user_config_dir(), EMBLIX_FOLDER_NAME, EMBLIX_MENU_FOLDER_NAME, NULL);
}

/* The text of a regular file of at most kMostFileBytes, or NULL. Opened
 * without blocking: a FIFO or a device put in the folder would otherwise
 * hold the file manager's window on the open or the read forever. */
static char *read_small_file(const char *path, gsize *length)
{
    int fd = open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return NULL;
    struct stat status;
    char *text = NULL;
    if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode) || status.st_size > kMostFileBytes)
        goto done;
    text = g_malloc(kMostFileBytes + 1);
    gsize got = 0;
    for (;;) {
        ssize_t n = read(fd, text + got, kMostFileBytes + 1 - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 || (n > 0 && got + (gsize)n > kMostFileBytes)) {
            g_clear_pointer(&text, g_free); /* grew past the cap meanwhile */
            goto done;
        }
        if (n == 0)
            break;
        got += (gsize)n;
    }
    text[got] = '\0';
    *length = got;
done:
    close(fd);
    return text;
}

static EmblixMenuSet *read_set(const char *path, const char *owner)
{
    GKeyFile *file = g_key_file_new();
    EmblixMenuSet *set = NULL;
    gsize length = 0;
    char *text = read_small_file(path, &length);
    gboolean loaded = text && g_key_file_load_from_data(file, text, length, G_KEY_FILE_NONE, NULL);
    g_free(text);
    if (!loaded)
        goto done;
    char *command = g_key_file_get_string(file, "Menu", "Command", NULL);
    /* A program folder moved or deleted since it registered offers nothing. */
    if (!command || !g_path_is_absolute(command) || !g_file_test(command, G_FILE_TEST_IS_EXECUTABLE)
        || g_file_test(command, G_FILE_TEST_IS_DIR)) {
        g_free(command);
        goto done;
    }
    set = g_new0(EmblixMenuSet, 1);
    set->strings = g_string_chunk_new(1024);
    set->owner = g_string_chunk_insert(set->strings, owner);
    set->command = keep(set, command);
    set->submenu = keep(set, g_key_file_get_string(file, "Menu", "Submenu", NULL));
    GError *error = NULL;
    set->for_folders = g_key_file_get_boolean(file, "Menu", "ForFolders", &error);
    if (error) {
        set->for_folders = TRUE;
        g_clear_error(&error);
    }
    set->entries = g_ptr_array_new_with_free_func(entry_free);
    char **ids = g_key_file_get_string_list(file, "Menu", "Entries", NULL, NULL);
    for (char **id = ids; id && *id && set->entries->len < kMostEntries; ++id) {
        char *group = g_strconcat("Entry ", *id, NULL);
        char *label = g_key_file_get_string(file, group, "Label", NULL);
        char **arguments = g_key_file_get_string_list(file, group, "Arguments", NULL, NULL);
        if (label && *label && arguments) {
            EmblixMenuEntry *entry = g_new0(EmblixMenuEntry, 1);
            entry->id = g_string_chunk_insert(set->strings, *id);
            entry->label = keep(set, label);
            entry->icon = keep(set, g_key_file_get_string(file, group, "Icon", NULL));
            entry->arguments = arguments;
            g_ptr_array_add(set->entries, entry);
        } else {
            g_free(label);
            g_strfreev(arguments);
        }
        g_free(group);
    }
    g_strfreev(ids);
done:
    g_key_file_free(file);
    return set;
}

static gint by_owner(gconstpointer a, gconstpointer b)
{
    const EmblixMenuSet *first = *(EmblixMenuSet *const *)a;
    const EmblixMenuSet *second = *(EmblixMenuSet *const *)b;
    return strcmp(first->owner, second->owner);
}

GPtrArray *emblix_menu_switch_read(void)
{
    GPtrArray *sets = g_ptr_array_new_with_free_func(set_free);
    char *folder = emblix_menu_switch_folder();
    GDir *dir = g_dir_open(folder, 0, NULL);
    const char *name;
    while (dir && sets->len < kMostSets && (name = g_dir_read_name(dir))) {
        if (!g_str_has_suffix(name, ".ini") || !g_str_has_prefix(name, "emblix-"))
            continue;
        char *path = g_build_filename(folder, name, NULL);
        char *owner = g_strndup(name, strlen(name) - strlen(".ini"));
        EmblixMenuSet *set = read_set(path, owner);
        if (set && set->entries->len > 0)
            g_ptr_array_add(sets, set);
        else if (set)
            set_free(set);
        g_free(owner);
        g_free(path);
    }
    if (dir)
        g_dir_close(dir);
    g_free(folder);
    g_ptr_array_sort(sets, by_owner);
    return sets;
}

gboolean emblix_menu_switch_offers(const EmblixMenuSet *set, gboolean any_folder)
{
    return set->for_folders || !any_folder;
}

char **emblix_menu_switch_argv(const EmblixMenuSet *set, const EmblixMenuEntry *entry)
{
    GPtrArray *argv = g_ptr_array_new();
    g_ptr_array_add(argv, g_strdup(set->command));
    g_ptr_array_add(argv, g_strdup("--files0-from"));
    g_ptr_array_add(argv, g_strdup("-"));
    for (char **argument = entry->arguments; *argument; ++argument)
        g_ptr_array_add(argv, g_strdup(*argument));
    g_ptr_array_add(argv, NULL);
    return (char **)g_ptr_array_free(argv, FALSE);
}

GBytes *emblix_menu_switch_selection(const GPtrArray *paths)
{
    GByteArray *bytes = g_byte_array_new();
    for (guint i = 0; i < paths->len; ++i) {
        const char *path = g_ptr_array_index(paths, i);
        /* The terminating NUL too: it ends each name. */
        g_byte_array_append(bytes, (const guint8 *)path, (guint)strlen(path) + 1);
    }
    return g_byte_array_free_to_bytes(bytes);
}
