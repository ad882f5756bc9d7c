// Named mutexes shared by every process of the machine (CreateMutex / OpenMutex). On Windows they
// are the system's. On Linux each name is a lock file in the prefix's locks/ folder: every
// handle holds a shared lock on its "exists" byte and the owner holds an exclusive lock on its
// "owner" byte. The kernel drops the locks of a process that dies, so a mutex vanishes with its
// last holder. Names are case-sensitive, as on Windows; each becomes a safe file name (bytes
// other than letters, digits, '-', '_' and '.' are written as %XX). Lock files are created
// owner-only and never deleted. An empty name gives ERROR_INVALID_NAME, one too long for a file
// name (on Windows, longer than MAX_PATH) ERROR_FILENAME_EXCED_RANGE. Ownership belongs to the
// handle that took it, also on Windows, where the system gives it to the thread.
#pragma once

#include <cstdint>
#include <string>

namespace tq {

class CNamedMutex {
public:
    CNamedMutex() = default;
    ~CNamedMutex();
    CNamedMutex(const CNamedMutex&) = delete;
    CNamedMutex& operator=(const CNamedMutex&) = delete;

    // CreateMutex. Returns 0 with the handle open (and owned when bInitialOwner); or
    // ERROR_ALREADY_EXISTS with the handle open but not owned, as Windows does, when another
    // handle exists; or ERROR_ACCESS_DENIED (no handle) when the lock file cannot be opened.
    int32_t Create(const std::string& strName, bool bInitialOwner);
    // OpenMutex with full access: 0, ERROR_FILE_NOT_FOUND when no handle exists anywhere,
    // ERROR_ACCESS_DENIED when the lock file cannot be opened for lack of permission.
    int32_t Open(const std::string& strName);
    // ReleaseMutex: fails with ERROR_NOT_OWNER (288) when this handle does not own it.
    int32_t Release();
    void Close();
    bool IsOpen() const { return m_handle != kNoHandle; }
    bool IsOwner() const { return m_bOwner; }

private:
    static constexpr intptr_t kNoHandle = -1;
    intptr_t m_handle = kNoHandle;  // the lock file's descriptor; the mutex's handle on Windows
    bool m_bOwner = false;
};

constexpr int32_t ERROR_NOT_OWNER = 288;

}  // namespace tq
