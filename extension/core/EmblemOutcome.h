#pragma once

#include "BoundedCalls.h"

#include <optional>

// What one emblem write came to, and what the ledger is told of it: the one
// reading of a write's result, for the keeper's syncs and the badge command
// alike. The ledger lists more than the files show, never less, since an
// emblem it does not know could never be taken off again.
struct EmblemOutcome {
    enum class Kind {
        Set,      // the badge's emblem is on
        Cleared,  // the emblem is off
        Waiting,  // to come off, but no file is at the path: gvfs keeps it there until one is
        Failed,   // the file system refused (no metadata store, file gone)
        NoAnswer, // the file system did not answer in time: tried again later
        Skipped,  // not tried: the work was asked to stop
    };
    Kind kind = Kind::NoAnswer;
    bool noteSet = false;  // the ledger lists the path with its badge
    bool noteGone = false; // the ledger forgets the path

    // `written` is the write of `badge` (0: none) to one path.
    static EmblemOutcome of(int badge, const std::optional<BoundedCalls::PathOutcome> &written);
};
