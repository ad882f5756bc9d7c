#include "platform/NamedMutex.h"

#include <fcntl.h>

#include <cerrno>

#include "platform/Win32Error.h"
#include "platform/posix/Prefix.h"
#include "platform/posix/SysCalls.h"

namespace tq {
namespace {

// Bytes of a mutex's lock file (the file itself stays empty and is never deleted: deleting it
// could let a later Create make a second file under the same name while the first is held).
//   0 gate    exclusive, held only while a handle checks for others and joins;
//   1 exists  shared, held by every open handle: the mutex exists while anyone holds it;
//   2 owner   exclusive, held by the owning handle.
constexpr off_t kGateByte = 0;
constexpr off_t kExistsByte = 1;
constexpr off_t kOwnerByte = 2;
constexpr size_t kMaxFileName = 255;

// Kernel object names may hold any character; the file name keeps letters, digits, '.', '-'
// and '_' (not a leading '.') and writes every other byte as "%XX". Names differing in case
// stay different mutexes, as on Windows.
bool LockFileName(const std::string& strName, std::string& fileName) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (size_t i = 0; i < strName.size(); ++i) {
        unsigned char b = static_cast<unsigned char>(strName[i]);
        bool bPlain = (b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z') || (b >= '0' && b <= '9') ||
                      b == '-' || b == '_' || (b == '.' && i > 0);
        if (bPlain) {
            out += static_cast<char>(b);
        } else {
            out += '%';
            out += kHex[b >> 4];
            out += kHex[b & 15];
        }
    }
    if (out.empty() || out.size() > kMaxFileName) {
        return false;
    }
    fileName = out;
    return true;
}

// Whether another handle holds the exists byte (a shared lock by some other descriptor).
int32_t ProbeExists(int fd, bool& bExists) {
    return IsByteHeldByOther(fd, kExistsByte, bExists);
}

// The lock file of a mutex name, in the prefix's locks folder.
int32_t LockFilePath(const std::string& strName, std::string& path) {
    std::string fileName;
    if (!LockFileName(strName, fileName)) {
        return strName.empty() ? ERROR_INVALID_NAME : ERROR_FILENAME_EXCED_RANGE;
    }
    path = CPrefix::Current().GetLocksDir() + "/" + fileName;
    return ERROR_SUCCESS;
}

// Joins the mutex of an open lock file as one more handle. Under the gate, "is anyone there?"
// and "I am here" are one step: two Creates cannot both find the mutex missing, and an Open
// cannot join a mutex whose last handle is closing. A lock file left behind by holders that
// have all gone is not a mutex: nobody holds its exists byte, and bMustExist refuses it.
// Closes fd on failure.
int32_t JoinMutex(int fd, bool bMustExist, bool& bExists) {
    if (LockByte(fd, F_OFD_SETLKW, F_WRLCK, kGateByte) != 0) {
        int32_t err = Win32FromErrno(errno);
        Sys().m_pfnClose(fd);
        return err;
    }
    int32_t err = ProbeExists(fd, bExists);
    if (err == ERROR_SUCCESS && bMustExist && !bExists) {
        err = ERROR_FILE_NOT_FOUND;
    } else if (err == ERROR_SUCCESS && LockByte(fd, F_OFD_SETLK, F_RDLCK, kExistsByte) != 0) {
        err = Win32FromErrno(errno);
    }
    LockByte(fd, F_OFD_SETLK, F_UNLCK, kGateByte);
    if (err != ERROR_SUCCESS) {
        Sys().m_pfnClose(fd);
    }
    return err;
}

}  // namespace

CNamedMutex::~CNamedMutex() {
    Close();
}

int32_t CNamedMutex::Create(const std::string& strName, bool bInitialOwner) {
    Close();
    std::string path;
    if (int32_t err = LockFilePath(strName, path); err != ERROR_SUCCESS) {
        return err;
    }
    // Owner-only, like the default security of a kernel object: another user's Create or Open
    // of this name answers ERROR_ACCESS_DENIED.
    int fd = Sys().m_pfnOpen(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        return Win32FromErrno(errno);
    }
    bool bExists = false;
    if (int32_t err = JoinMutex(fd, false, bExists); err != ERROR_SUCCESS) {
        return err;
    }
    m_handle = fd;
    if (bExists) {
        return ERROR_ALREADY_EXISTS;  // the handle is open but not owned, as on Windows
    }
    // Nobody else held the mutex when this handle joined, and a later Create finds this handle
    // and does not own, so the owner byte is free.
    m_bOwner = bInitialOwner && LockByte(fd, F_OFD_SETLK, F_WRLCK, kOwnerByte) == 0;
    return ERROR_SUCCESS;
}

int32_t CNamedMutex::Open(const std::string& strName) {
    Close();
    std::string path;
    if (int32_t err = LockFilePath(strName, path); err != ERROR_SUCCESS) {
        return err;
    }
    int fd = Sys().m_pfnOpen(path.c_str(), O_RDWR | O_CLOEXEC, 0);
    if (fd < 0) {
        return errno == ENOENT ? ERROR_FILE_NOT_FOUND : Win32FromErrno(errno);
    }
    bool bExists = false;
    if (int32_t err = JoinMutex(fd, true, bExists); err != ERROR_SUCCESS) {
        return err;
    }
    m_handle = fd;
    return ERROR_SUCCESS;
}

int32_t CNamedMutex::Release() {
    if (!IsOpen()) {
        return ERROR_INVALID_HANDLE;
    }
    if (!m_bOwner) {
        return ERROR_NOT_OWNER;
    }
    if (LockByte(static_cast<int>(m_handle), F_OFD_SETLK, F_UNLCK, kOwnerByte) != 0) {
        return Win32FromErrno(errno);
    }
    m_bOwner = false;
    return ERROR_SUCCESS;
}

void CNamedMutex::Close() {
    if (IsOpen()) {
        Sys().m_pfnClose(static_cast<int>(m_handle));  // drops the exists and owner locks
    }
    m_handle = kNoHandle;
    m_bOwner = false;
}

}  // namespace tq
