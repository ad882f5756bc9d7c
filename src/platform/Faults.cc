#include "platform/Faults.h"

#include <atomic>
#include <mutex>

#include "platform/Win32Error.h"

namespace tq {

namespace {

std::mutex g_hookMutex;
FaultHook g_hook;
// Every registry write asks: without a hook, no lock is taken.
std::atomic<bool> g_bHookSet{false};

}  // namespace

bool IsFaultHookSet() {
    return g_bHookSet.load(std::memory_order_acquire);
}

int32_t RunFaultHook(const char* op, const std::string& path) {
    if (!IsFaultHookSet()) {
        return ERROR_SUCCESS;
    }
    FaultHook hook;
    {
        std::lock_guard<std::mutex> lock(g_hookMutex);
        hook = g_hook;
    }
    return hook ? hook(op, path) : ERROR_SUCCESS;
}

void SetFaultHook(FaultHook hook) {
    std::lock_guard<std::mutex> lock(g_hookMutex);
    g_hook = std::move(hook);
    g_bHookSet.store(static_cast<bool>(g_hook), std::memory_order_release);
}

}  // namespace tq
