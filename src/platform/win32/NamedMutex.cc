// Named mutexes of NamedMutex.h on the system's mutex objects. The system gives ownership to a
// thread; the interface gives it to the handle that took it, so a second handle of the owning
// thread does not own, as on Linux.
#include "platform/win32/SystemApi.h"

#include "platform/NamedMutex.h"
#include "platform/Path.h"
#include "platform/Win32Error.h"

namespace tq {

namespace {

int32_t CheckName(const std::string& strName) {
    if (strName.empty()) {
        return ERROR_INVALID_NAME;  // the system would make an unnamed mutex
    }
    return strName.size() > MAX_PATH ? ERROR_FILENAME_EXCED_RANGE : ERROR_SUCCESS;
}

}  // namespace

CNamedMutex::~CNamedMutex() {
    Close();
}

int32_t CNamedMutex::Create(const std::string& strName, bool bInitialOwner) {
    Close();
    if (int32_t err = CheckName(strName); err != ERROR_SUCCESS) {
        return err;
    }
    HANDLE h = ::CreateMutexA(nullptr, bInitialOwner, strName.c_str());
    const int32_t err = static_cast<int32_t>(::GetLastError());
    if (h == nullptr) {
        return err;
    }
    m_handle = reinterpret_cast<intptr_t>(h);
    if (err == ERROR_ALREADY_EXISTS) {
        return ERROR_ALREADY_EXISTS;  // open but not owned: the system ignored the ownership
    }
    m_bOwner = bInitialOwner;
    return ERROR_SUCCESS;
}

int32_t CNamedMutex::Open(const std::string& strName) {
    Close();
    if (int32_t err = CheckName(strName); err != ERROR_SUCCESS) {
        return err;
    }
    HANDLE h = ::OpenMutexA(MUTEX_ALL_ACCESS, FALSE, strName.c_str());
    if (h == nullptr) {
        return static_cast<int32_t>(::GetLastError());
    }
    m_handle = reinterpret_cast<intptr_t>(h);
    return ERROR_SUCCESS;
}

int32_t CNamedMutex::Release() {
    if (!IsOpen()) {
        return ERROR_INVALID_HANDLE;
    }
    if (!m_bOwner) {
        return ERROR_NOT_OWNER;
    }
    if (!::ReleaseMutex(reinterpret_cast<HANDLE>(m_handle))) {
        return static_cast<int32_t>(::GetLastError());
    }
    m_bOwner = false;
    return ERROR_SUCCESS;
}

void CNamedMutex::Close() {
    if (IsOpen()) {
        if (m_bOwner) {
            ::ReleaseMutex(reinterpret_cast<HANDLE>(m_handle));
        }
        ::CloseHandle(reinterpret_cast<HANDLE>(m_handle));
    }
    m_handle = kNoHandle;
    m_bOwner = false;
}

}  // namespace tq
