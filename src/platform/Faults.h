// The one way a test makes the platform layer fail: a hook called before each operation that
// changes a file or the registry, on both systems. Use it for every fault a caller of the
// platform must survive (a full disk, a refused open or rename, a registry write denied), and to
// watch the order of those operations; tests then run unchanged on Linux and on Windows.
//
// Operations and their path:
//   files     "open", "write", "flush", "close", "delete", "rename": the Windows path (for a
//             rename the source; for FlushDirectory the folder)
//   registry  "reg-set", "reg-delete-value", "reg-create" (only of a key that does not exist),
//             "reg-delete-key" (also RegDeleteTree), "reg-flush": an empty path
// A non-zero result becomes that call's error and the operation is not carried out (a refused
// close leaves the handle open; the destructor still closes it). The hook runs on the thread of
// the call, without any lock of the layer held, so it may itself call the layer.
//
// Below this seam, the Linux emulation's own tests replace its system calls
// (platform/posix/SysCalls.h): for what happens between the calls of one operation (a race with
// another process, a write that stops part way) and for the power-loss campaign's record of
// what reaches the disk. That table is not for faults that a caller should see.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace tq {

using FaultHook = std::function<int32_t(const char* op, const std::string& path)>;
// Replaces the hook (nullptr: none, the default).
void SetFaultHook(FaultHook hook);

// The layer's own: the error the hook gives the operation op on path, or 0 without a hook;
// whether a hook is set (for a test the operation needs only when one is).
int32_t RunFaultHook(const char* op, const std::string& path);
bool IsFaultHookSet();

}  // namespace tq
