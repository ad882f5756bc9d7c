#include "frame/EditStatus.h"

#include "manager/CtrlFile.h"
#include "platform/NamedMutex.h"
#include "platform/Win32Error.h"

namespace tq {

int32_t ProbeEditStatus(CCtrlFile& ctrlFile) {
    {
        CNamedMutex mutex;
        int32_t err = mutex.Open(kEditMutexName);
        if (err == ERROR_SUCCESS) {
            return EDITSTATUS_EDITING;
        }
        // A mutex we may not open belongs to an editor of another user.
        if (err == ERROR_ACCESS_DENIED) {
            return EDITSTATUS_LOCKED;
        }
    }
    int32_t lock = ctrlFile.GetBuilderLock();
    if (lock == 0) {
        return EDITSTATUS_FREE;
    }
    return lock == 1 ? EDITSTATUS_LOCKED : EDITSTATUS_UNKNOWN;
}

}  // namespace tq
