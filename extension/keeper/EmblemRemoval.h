#pragma once

#include <atomic>

// What unregistering leaves to the background: every emblem the ledger knows
// comes off, then the ledger, the noted identities and the keeper's lock file go, so nothing of the
// extension is left in the user's folders. Runs in the keeper's process
// under the keeper's lock, so it never races a keeper.
namespace EmblemRemoval {

enum class Ending {
    Done,            // every emblem that could come off came off
    RegisteredAgain, // the menu library was registered again meanwhile: keep the badges
    Stopped,         // asked to stop (logging out)
};

// stop ends the work between two files.
Ending takeOffAll(std::atomic_bool &stop);

// Whether the menu library is registered (its keeper's autostart entry is
// there): a take-off that ended just as it was registered again must leave
// a keeper behind.
bool registered();

} // namespace EmblemRemoval
