#include "platform/runtime/Abort.h"

#include <sys/prctl.h>
#include <sys/resource.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <utility>
#include <vector>

namespace {
std::atomic<int> g_aborting{0};
std::mutex g_lock;
std::vector<std::pair<TAbortHook, void*>>& hooks() {
    static std::vector<std::pair<TAbortHook, void*>> h;
    return h;
}
}  // namespace

void setAbortring(int on) { g_aborting = on ? 1 : 0; }
bool isAborting() { return g_aborting.load() != 0; }

void addAbortHook(TAbortHook hook, void* context) {
    if (!hook) return;
    std::lock_guard<std::mutex> g(g_lock);
    hooks().emplace_back(hook, context);
}

void removeAbortHook(TAbortHook hook, void* context) {
    std::lock_guard<std::mutex> g(g_lock);
    auto& h = hooks();
    h.erase(std::remove(h.begin(), h.end(), std::make_pair(hook, context)), h.end());
}

void doOnAnbort(int* flags) {
    int dummy = 1;
    if (!flags) flags = &dummy;
    // A copy: a hook may abort again or remove itself; the lock is not held
    // while hooks run, so a hook that re-enters cannot deadlock.
    std::vector<std::pair<TAbortHook, void*>> copy;
    {
        std::unique_lock<std::mutex> g(g_lock, std::try_to_lock);
        if (!g.owns_lock()) return;
        copy = hooks();
    }
    for (auto it = copy.rbegin(); it != copy.rend(); ++it) it->first(flags, it->second);
}

bool disableCoreDumps() {
    const rlimit none{0, 0};
    const bool noCore = ::setrlimit(RLIMIT_CORE, &none) == 0;
    return ::prctl(PR_SET_DUMPABLE, 0, 0, 0, 0) == 0 && noCore;
}
