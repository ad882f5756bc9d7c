#include "platform/posix/ShareLock.h"

#include <fcntl.h>

#include <cerrno>
#include <chrono>
#include <thread>

#include "platform/File.h"
#include "platform/Win32Error.h"
#include "platform/posix/SysCalls.h"

namespace tq {
namespace {

constexpr int kAttempts = 3;
constexpr uint32_t kAccessBits[3] = {GENERIC_READ, GENERIC_WRITE, DELETE_ACCESS};
constexpr uint32_t kShareBits[3] = {FILE_SHARE_READ, FILE_SHARE_WRITE, FILE_SHARE_DELETE};

struct CShareWants {
    bool m_bAccess[3] = {};
    bool m_bDeny[3] = {};
    bool Any() const {
        for (int i = 0; i < 3; ++i) {
            if (m_bAccess[i]) {
                return true;
            }
        }
        return false;
    }
};

void UnlockWanted(int fd, const CShareWants& wants) {
    for (int i = 0; i < 3; ++i) {
        if (wants.m_bAccess[i]) {
            LockByte(fd, F_OFD_SETLK, F_UNLCK, kShareAccessBytes + i);
        }
        if (wants.m_bDeny[i]) {
            LockByte(fd, F_OFD_SETLK, F_UNLCK, kShareDenyBytes + i);
        }
    }
}

// Steps 3 and 4 of the protocol: take this handle's bytes, then look for a holder of an
// opposite byte. On a conflict or an error the bytes are given back.
int32_t TakeAndTest(int fd, const CShareWants& wants) {
    for (int i = 0; i < 3; ++i) {
        bool bFailed =
            (wants.m_bAccess[i] &&
             LockByte(fd, F_OFD_SETLK, F_RDLCK, kShareAccessBytes + i) != 0) ||
            (wants.m_bDeny[i] && LockByte(fd, F_OFD_SETLK, F_RDLCK, kShareDenyBytes + i) != 0);
        if (bFailed) {
            // A shared lock is refused only while someone holds the byte exclusively, which
            // this protocol never does; treat a foreign holder like a conflicting handle.
            int32_t err = (errno == EAGAIN || errno == EACCES) ? ERROR_SHARING_VIOLATION
                                                               : Win32FromErrno(errno);
            UnlockWanted(fd, wants);
            return err;
        }
    }
    for (int i = 0; i < 3; ++i) {
        bool bHeld = false;
        int32_t err = ERROR_SUCCESS;
        if (wants.m_bAccess[i]) {
            err = IsByteHeldByOther(fd, kShareDenyBytes + i, bHeld);
        }
        if (err == ERROR_SUCCESS && !bHeld && wants.m_bDeny[i]) {
            err = IsByteHeldByOther(fd, kShareAccessBytes + i, bHeld);
        }
        if (err != ERROR_SUCCESS || bHeld) {
            UnlockWanted(fd, wants);
            return err != ERROR_SUCCESS ? err : ERROR_SHARING_VIOLATION;
        }
    }
    return ERROR_SUCCESS;
}

}  // namespace

int32_t TakeShareLocks(int fd, uint32_t access, uint32_t share) {
    CShareWants wants;
    for (int i = 0; i < 3; ++i) {
        wants.m_bAccess[i] = (access & kAccessBits[i]) != 0;
        wants.m_bDeny[i] = (share & kShareBits[i]) == 0;
    }
    if (!wants.Any()) {
        return ERROR_SUCCESS;
    }
    int flags = ::fcntl(fd, F_GETFL);
    bool bGated = flags >= 0 && (flags & O_ACCMODE) != O_RDONLY;
    for (int attempt = 0;; ++attempt) {
        if (bGated && LockByte(fd, F_OFD_SETLKW, F_WRLCK, kShareGateByte) != 0) {
            return Win32FromErrno(errno);
        }
        int32_t err = TakeAndTest(fd, wants);
        if (bGated) {
            LockByte(fd, F_OFD_SETLK, F_UNLCK, kShareGateByte);
        }
        if (err != ERROR_SHARING_VIOLATION || bGated || attempt + 1 == kAttempts) {
            return err;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1 << attempt));
    }
}

}  // namespace tq
