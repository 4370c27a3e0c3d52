#include "EmblemOutcome.h"

EmblemOutcome EmblemOutcome::of(int badge, const std::optional<BoundedCalls::PathOutcome> &written)
{
    if (!written)
        return {Kind::NoAnswer};
    if (written->skipped)
        return {Kind::Skipped};
    const bool ok = written->problem.isEmpty();
    // An emblem whose file went (removed outside GIO) stays in gvfs under
    // its path, for a file that comes there again: kept in the ledger.
    if (badge == 0 && !written->exists)
        return {Kind::Waiting};
    if (!ok) {
        // Nothing shows where the file went; one still there keeps what
        // the ledger says of it.
        return {Kind::Failed, false, !written->exists};
    }
    // A file that went right after its emblem came keeps the ledger's note:
    // the emblem waits at the path as a taken-off one does.
    if (badge > 0)
        return {Kind::Set, true, false};
    return {Kind::Cleared, false, true};
}
