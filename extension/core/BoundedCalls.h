#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <optional>
#include <vector>

// File system calls that may never answer: a path on a network mount that
// hangs holds its caller until the mount answers, minutes later. Each path's
// call runs on one of a few worker threads; a call that takes longer than
// the timeout is set aside (no result), its thread left to end whenever the
// file system answers, and the other paths go on. A path whose earlier call
// has not come back yet is set aside at once: a mount that stays hung costs
// one thread per path, however often it is tried again.
namespace BoundedCalls {

struct PathOutcome {
    QString problem; // empty: done
    bool exists = true;
    bool skipped = false; // not tried: the work was asked to stop
};

// call(path) for every path, at most `workers` at a time; nullopt for a
// path whose call was set aside. call must own what it uses: a call set
// aside may run after this returns. Once *stop is set, the paths not yet
// started are skipped.
std::vector<std::optional<PathOutcome>> forEach(const QStringList &paths,
                                                std::function<PathOutcome(const QString &)> call, int timeoutMs,
                                                int workers = 8, const std::atomic_bool *stop = nullptr);

} // namespace BoundedCalls
