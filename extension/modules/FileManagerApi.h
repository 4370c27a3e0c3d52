/* The extension interfaces of Caja, Nemo and Nautilus differ in their
 * prefix, in two type names and in whether a menu is given its window; the
 * module is written once against the names below. */
#pragma once

#if defined(EMBLIX_FOR_CAJA)
#include <libcaja-extension/caja-extension-types.h>
#include <libcaja-extension/caja-file-info.h>
#include <libcaja-extension/caja-info-provider.h>
#include <libcaja-extension/caja-menu-provider.h>
#define FM_API(name) caja_##name
#define FM_TYPE(name) Caja##name
#define FM_IFACE(name) Caja##name##Iface
#define FM_MENU_PROVIDER_TYPE CAJA_TYPE_MENU_PROVIDER
#define FM_INFO_PROVIDER_TYPE CAJA_TYPE_INFO_PROVIDER
#define FM_OPERATION_COMPLETE CAJA_OPERATION_COMPLETE
#define FM_MENU_HAS_WINDOW 1
#define FM_GTK 3
#elif defined(EMBLIX_FOR_NEMO)
#include <libnemo-extension/nemo-extension-types.h>
#include <libnemo-extension/nemo-file-info.h>
#include <libnemo-extension/nemo-info-provider.h>
#include <libnemo-extension/nemo-menu-provider.h>
#define FM_API(name) nemo_##name
#define FM_TYPE(name) Nemo##name
#define FM_IFACE(name) Nemo##name##Interface
#define FM_MENU_PROVIDER_TYPE NEMO_TYPE_MENU_PROVIDER
#define FM_INFO_PROVIDER_TYPE NEMO_TYPE_INFO_PROVIDER
#define FM_OPERATION_COMPLETE NEMO_OPERATION_COMPLETE
#define FM_MENU_HAS_WINDOW 1
#define FM_GTK 3
#elif defined(EMBLIX_FOR_NAUTILUS)
#include <nautilus-extension.h>
#define FM_API(name) nautilus_##name
#define FM_TYPE(name) Nautilus##name
#define FM_IFACE(name) Nautilus##name##Interface
#define FM_MENU_PROVIDER_TYPE NAUTILUS_TYPE_MENU_PROVIDER
#define FM_INFO_PROVIDER_TYPE NAUTILUS_TYPE_INFO_PROVIDER
#define FM_OPERATION_COMPLETE NAUTILUS_OPERATION_COMPLETE
#define FM_MENU_HAS_WINDOW 0
#define FM_GTK 0 /* Nautilus 43 modules see no GTK */
#else
#error "Build the module for one file manager: EMBLIX_FOR_CAJA, EMBLIX_FOR_NEMO or EMBLIX_FOR_NAUTILUS"
#endif
