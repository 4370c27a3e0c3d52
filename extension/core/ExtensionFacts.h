/* Facts every part of the extension relies on, spelled once for its three
 * toolchains: the file managers' C modules, the Dolphin plugins (Qt 5) and
 * the programs and libraries (Qt 6) include this header. Plain C. */
#pragma once

/* The extension's folder below each base folder ($XDG_CONFIG_HOME, ...). */
#define EMBLIX_FOLDER_NAME "emblix-manager"
/* The per-user menu files the registration writes and the modules read:
 * <config>/EMBLIX_FOLDER_NAME/EMBLIX_MENU_FOLDER_NAME/<owner>.ini */
#define EMBLIX_MENU_FOLDER_NAME "file-manager-menus"
#define EMBLIX_BADGE_MENU_OWNER "emblix-badge-menu"
#define EMBLIX_SHEET_MENU_OWNER "emblix-badge-sheet"

/* Badge n's emblem (and icon) name: EMBLIX_EMBLEM_PREFIX followed by n. */
#define EMBLIX_EMBLEM_PREFIX "emblix-badge-"
#define EMBLIX_FIRST_BADGE 1
#define EMBLIX_LAST_BADGE 10

/* The badge an emblem name stands for: n for EMBLIX_EMBLEM_PREFIX followed
 * by the digits of n alone, n from 1 to 10; 0 for any other name. Every
 * reader of emblems takes the first of a file's emblems that stands for a
 * badge. */
static inline int emblix_badge_of_emblem(const char *name)
{
    const char *prefix = EMBLIX_EMBLEM_PREFIX;
    while (*prefix && *name == *prefix) {
        ++prefix;
        ++name;
    }
    if (*prefix || *name < '1' || *name > '9')
        return 0;
    int badge = 0;
    for (; *name >= '0' && *name <= '9' && badge <= EMBLIX_LAST_BADGE; ++name)
        badge = badge * 10 + (*name - '0');
    return !*name && badge >= EMBLIX_FIRST_BADGE && badge <= EMBLIX_LAST_BADGE ? badge : 0;
}

/* The sizes icoswap.exe draws the emblem images at, smallest first, each in
 * <data>/icons/hicolor/<s>x<s>/emblems. */
#define EMBLIX_EMBLEM_SIZES                                                                                            \
    {                                                                                                                  \
        16, 22, 24, 32, 48, 64                                                                                         \
    }
#define EMBLIX_EMBLEM_SIZE_COUNT 6
/* The images Dolphin's plugins draw, below <data>. */
#define EMBLIX_DOLPHIN_EMBLEM_FOLDER "icons/hicolor/48x48/emblems"

/* icoswap.exe writes the images one after another: a change is acted on
 * this long after the last of them. */
#define EMBLIX_IMAGES_SETTLE_MS 60
