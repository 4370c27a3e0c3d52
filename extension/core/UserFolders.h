#pragma once

#include "ExtensionFacts.h"

#include <QString>

#include <array>

// Where the extension keeps its per-user files: the freedesktop base
// folders, so a test (or a user) points them elsewhere with XDG_DATA_HOME
// and XDG_CONFIG_HOME.
namespace UserFolders {

// $XDG_DATA_HOME, or ~/.local/share when it is unset or not absolute.
QString dataHome();
// $XDG_CONFIG_HOME, or ~/.config likewise.
QString configHome();
// $XDG_STATE_HOME, or ~/.local/state likewise: what is worth keeping but
// no data of the user's, such as the keeper's log.
QString stateHome();

// The extension's own state: the emblem ledger and the keeper's lock.
QString stateFolder();
// The identities of the followed marks (MovedWhileAway), in the state folder.
QString markIdentities();

// The sizes a file manager asks emblems at, and where each size lies in the
// user's hicolor icon theme.
inline constexpr std::array<int, EMBLIX_EMBLEM_SIZE_COUNT> kEmblemSizes EMBLIX_EMBLEM_SIZES;
// The keeper's autostart entry: there while the menu library is registered.
QString keeperAutostartEntry();
QString iconTheme();
QString emblemFolder(int size);
// The icon name of badge n: emblix-badge-<n>.
QString emblemName(int badge);

} // namespace UserFolders
