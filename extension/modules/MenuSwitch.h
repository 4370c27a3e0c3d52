/* The badge menus a user registered on the manager's Integration page, as
 * the registration wrote them into the user's configuration. No file, no
 * menu: a module installed for every user is active only for those who
 * registered. */
#pragma once

#include <glib.h>

G_BEGIN_DECLS

typedef struct {
    char *id;         /* unique within its set: "1" ... "10", "none", "properties" */
    char *label;      /* in the user's language */
    char *icon;       /* icon name, or NULL */
    char **arguments; /* of the badge command, before "--" and the paths */
} EmblixMenuEntry;

typedef struct {
    char *owner;   /* the file's name without ".ini": "emblix-badge-menu" */
    char *submenu; /* label of the submenu, or NULL: entries stand alone */
    gboolean for_folders;
    char *command;         /* full path of the badge command */
    GPtrArray *entries;    /* of EmblixMenuEntry */
    GStringChunk *strings; /* holds every text of the set and its entries */
} EmblixMenuSet;

/* Where the registration writes the sets. */
char *emblix_menu_switch_folder(void);

/* Every set registered for this user, in a stable order; sets whose command
 * is not an executable file are left out, and so is any file that is not a
 * regular one of at most 64 KiB (read without blocking); at most 16 sets of
 * 64 entries each. Free with g_ptr_array_unref. */
GPtrArray *emblix_menu_switch_read(void);

/* Whether a set is offered on a selection: one not for folders (the badge
 * dialog) is left out as soon as any selected item is a folder, in every
 * file manager alike. */
gboolean emblix_menu_switch_offers(const EmblixMenuSet *set, gboolean any_folder);

/* The badge command's argument vector for one entry. The selected paths go
 * to the command's standard input instead (emblix_menu_switch_selection):
 * the kernel's limit on arguments would refuse a large selection, and no
 * name is ever read as an option there. */
char **emblix_menu_switch_argv(const EmblixMenuSet *set, const EmblixMenuEntry *entry);

/* The paths as the command reads them with "--files0-from -": each name
 * followed by a NUL, the one byte no path holds. */
GBytes *emblix_menu_switch_selection(const GPtrArray *paths);

G_END_DECLS
