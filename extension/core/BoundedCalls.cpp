#include "BoundedCalls.h"

#include <QSet>

#include <chrono>
#include <condition_variable>
#include <dlfcn.h>
#include <memory>
#include <mutex>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

// What the workers and the caller share; a worker stuck in a call keeps it
// alive after the caller has gone.
struct State {
    QStringList paths;
    std::function<BoundedCalls::PathOutcome(const QString &)> call;
    const std::atomic_bool *stop = nullptr; // read under the mutex only: it may not outlive forEach
    std::mutex mutex;
    std::condition_variable changed;
    qsizetype next = 0;
    std::vector<std::optional<BoundedCalls::PathOutcome>> results;
    std::vector<std::optional<Clock::time_point>> started;
    std::vector<bool> settled; // done, or set aside
    qsizetype settledCount = 0;
    bool over = false;
};

// Paths whose call has not come back yet, in any run: a path still stuck
// from an earlier run is set aside at once rather than cost another thread.
std::mutex stuckMutex;
QSet<QString> &pathsInCall()
{
    static QSet<QString> paths;
    return paths;
}

bool enterCall(const QString &path)
{
    const std::lock_guard guard(stuckMutex);
    if (pathsInCall().contains(path))
        return false;
    pathsInCall().insert(path);
    return true;
}

void leaveCall(const QString &path)
{
    const std::lock_guard guard(stuckMutex);
    pathsInCall().remove(path);
}

void work(const std::shared_ptr<State> &state)
{
    std::unique_lock lock(state->mutex);
    while (!state->over && state->next < state->paths.size()) {
        const qsizetype index = state->next++;
        if (state->stop && state->stop->load()) {
            state->results[size_t(index)] = BoundedCalls::PathOutcome{QString(), true, true};
            state->settled[size_t(index)] = true;
            ++state->settledCount;
            state->changed.notify_all();
            continue;
        }
        state->started[size_t(index)] = Clock::now();
        const QString path = state->paths[index];
        lock.unlock();
        if (!enterCall(path)) {
            lock.lock();
            if (!state->settled[size_t(index)]) {
                state->settled[size_t(index)] = true; // set aside: no result
                ++state->settledCount;
                state->changed.notify_all();
            }
            continue;
        }
        BoundedCalls::PathOutcome outcome = state->call(path);
        leaveCall(path);
        lock.lock();
        if (!state->settled[size_t(index)]) {
            state->results[size_t(index)] = std::move(outcome);
            state->settled[size_t(index)] = true;
            ++state->settledCount;
            state->changed.notify_all();
        }
    }
}

// A thread left in a call runs this library's code: the library must stay
// loaded even when its caller unloads it.
void keepLibraryLoaded()
{
    Dl_info info{};
    if (::dladdr(reinterpret_cast<void *>(&keepLibraryLoaded), &info) && info.dli_fname)
        ::dlopen(info.dli_fname, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
}

} // namespace

namespace BoundedCalls {

std::vector<std::optional<PathOutcome>> forEach(const QStringList &paths,
                                                std::function<PathOutcome(const QString &)> call, int timeoutMs,
                                                int workers, const std::atomic_bool *stop)
{
    if (paths.isEmpty())
        return {};
    auto state = std::make_shared<State>();
    state->paths = paths;
    state->call = std::move(call);
    state->stop = stop;
    state->results.resize(size_t(paths.size()));
    state->started.resize(size_t(paths.size()));
    state->settled.resize(size_t(paths.size()), false);
    int alive = int(std::min<qsizetype>(workers, paths.size()));
    for (int i = 0; i < alive; ++i)
        std::thread(work, state).detach();

    // A worker lost to a call set aside is replaced, up to a bound: a whole
    // mount that hangs must not cost a thread per file.
    int replacements = 32;
    bool setAside = false;
    const auto timeout = std::chrono::milliseconds(timeoutMs);
    std::unique_lock lock(state->mutex);
    while (state->settledCount < paths.size()) {
        state->changed.wait_for(lock, std::chrono::milliseconds(50));
        const Clock::time_point now = Clock::now();
        for (size_t i = 0; i < state->settled.size(); ++i) {
            if (state->settled[i] || !state->started[i] || now - *state->started[i] < timeout)
                continue;
            state->settled[i] = true;
            ++state->settledCount;
            setAside = true;
            --alive;
            if (replacements > 0) {
                --replacements;
                ++alive;
                std::thread(work, state).detach();
            }
        }
        // Every worker hangs: the paths nobody took are set aside as well.
        if (alive == 0) {
            for (qsizetype i = state->next; i < paths.size(); ++i) {
                state->settled[size_t(i)] = true;
                ++state->settledCount;
            }
            state->next = paths.size();
        }
    }
    state->over = true;
    if (setAside)
        keepLibraryLoaded();
    return state->results;
}

} // namespace BoundedCalls
