#include "platform/File.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <functional>
#include <mutex>
#include <utility>
#include <vector>

#include "platform/Cp932.h"
#include "platform/FileShared.h"
#include "platform/Path.h"
#include "platform/Win32Error.h"
#include "platform/posix/ShareLock.h"
#include "platform/posix/SysCalls.h"

namespace tq {
namespace {

// A descriptor closed at the end of its scope; closing it drops its share locks.
class CFd {
public:
    CFd() = default;
    explicit CFd(int fd) : m_fd(fd) {}
    ~CFd() { Reset(); }
    CFd(const CFd&) = delete;
    CFd& operator=(const CFd&) = delete;
    int Get() const { return m_fd; }
    int Release() { return std::exchange(m_fd, -1); }
    void Reset(int fd = -1) {
        if (m_fd >= 0) {
            Sys().m_pfnClose(m_fd);
        }
        m_fd = fd;
    }

private:
    int m_fd = -1;
};

// rc is the result of a write-access test: a refusal, not a missing file, makes it read-only.
bool IsWriteRefused(int rc) {
    return rc != 0 && (errno == EACCES || errno == EROFS);
}

bool IsReadOnly(const std::string& strLinuxPath) {
    return IsWriteRefused(Sys().m_pfnAccess(strLinuxPath.c_str(), W_OK));
}

// Opens and deletes retry this often when a file's name changes hands between their test and
// their use.
constexpr int kMaxOpenTries = 8;

// The share test of a delete or rename: an open with delete access that shares everything,
// held in lock until the caller has unlinked or renamed. Anything but a regular file, and a
// file this process may not open, is let through untested (see ShareLock.h).
int32_t LockForDelete(const std::string& strLinuxPath, CFd& lock) {
    struct stat st;
    if (Sys().m_pfnStat(strLinuxPath.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
        return ERROR_SUCCESS;
    }
    lock.Reset(Sys().m_pfnOpen(strLinuxPath.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK, 0));
    if (lock.Get() < 0) {
        return ERROR_SUCCESS;
    }
    return TakeShareLocks(lock.Get(), DELETE_ACCESS,
                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
}

// The share test of a delete, which unlinks by name: the name must still lead to the file that
// was tested when the unlink comes. Between the test and the unlink another delete could remove
// the tested file and an open could create a new one under the same name (an editor's lock
// file), which this delete would then remove untested. So the file's gate is held from the
// check to the unlink (until lock is closed): deletes of one file take turns, and a name found
// leading elsewhere is tested again.
int32_t LockNameForDelete(const std::string& strLinuxPath, CFd& lock) {
    for (int nTry = 1;; ++nTry) {
        struct stat st;
        if (Sys().m_pfnStat(strLinuxPath.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
            return ERROR_SUCCESS;
        }
        // The gate needs a descriptor open for writing; a file that cannot be opened so is
        // tested as a plain delete would test it.
        lock.Reset(Sys().m_pfnOpen(strLinuxPath.c_str(), O_RDWR | O_CLOEXEC | O_NONBLOCK, 0));
        if (lock.Get() < 0) {
            return LockForDelete(strLinuxPath, lock);
        }
        if (int32_t err = TakeShareLocks(lock.Get(), DELETE_ACCESS,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
            err != ERROR_SUCCESS) {
            return err;
        }
        struct flock gate {};
        gate.l_type = F_WRLCK;
        gate.l_whence = SEEK_SET;
        gate.l_start = kShareGateByte;
        gate.l_len = 1;
        if (Sys().m_pfnFcntlLock(lock.Get(), F_OFD_SETLKW, &gate) != 0) {
            return Win32FromErrno(errno);
        }
        struct stat locked;
        struct stat named;
        if (Sys().m_pfnFstat(lock.Get(), &locked) != 0) {
            return Win32FromErrno(errno);
        }
        if (Sys().m_pfnStat(strLinuxPath.c_str(), &named) != 0 ||
            (named.st_dev == locked.st_dev && named.st_ino == locked.st_ino)) {
            return ERROR_SUCCESS;  // gone already (the unlink then says so), or the tested file
        }
        if (nTry == kMaxOpenTries) {
            return ERROR_SHARING_VIOLATION;  // the name keeps changing hands: busy
        }
    }
}

std::string BaseName(const std::string& strLinuxPath) {
    size_t slash = strLinuxPath.find_last_of('/');
    return slash == std::string::npos ? strLinuxPath : strLinuxPath.substr(slash + 1);
}

// bReadOnly is asked only for a file: a folder has no read-only attribute here.
uint32_t AttributesFrom(const std::string& strName, const struct stat& st,
                        const std::function<bool()>& bReadOnly) {
    uint32_t attributes = 0;
    if (S_ISDIR(st.st_mode)) {
        attributes |= FILE_ATTRIBUTE_DIRECTORY;
    } else {
        attributes |= FILE_ATTRIBUTE_ARCHIVE;
        if (bReadOnly()) {
            attributes |= FILE_ATTRIBUTE_READONLY;
        }
    }
    if (strName.size() > 1 && strName[0] == '.' && strName != "..") {
        attributes |= FILE_ATTRIBUTE_HIDDEN;
    }
    return attributes != 0 ? attributes : FILE_ATTRIBUTE_NORMAL;
}

uint32_t AttributesOf(const std::string& strLinuxPath, const std::string& strName,
                      const struct stat& st) {
    return AttributesFrom(strName, st, [&] { return IsReadOnly(strLinuxPath); });
}

// ERROR_ACCESS_DENIED when another handle with data access holds the file fd is open on.
int32_t RefuseIfInUse(int fd) {
    for (off_t i = 0; fd >= 0 && i < 3; ++i) {
        bool bHeld = false;
        if (int32_t err = IsByteHeldByOther(fd, kShareAccessBytes + i, bHeld);
            err != ERROR_SUCCESS || bHeld) {
            return bHeld ? ERROR_ACCESS_DENIED : err;
        }
    }
    return ERROR_SUCCESS;
}

int32_t RenameError(int err, const std::string& strLinuxTo) {
    return err == EXDEV ? ERROR_NOT_SAME_DEVICE : PathErrorFromErrno(err, strLinuxTo);
}

// The Linux path of a rename target spelled as the caller wrote its last component, for a
// rename that only changes the case of a name (the target then matches the source itself).
int32_t SpelledTarget(const std::string& strTo, std::string& strLinuxTo) {
    std::string full;
    if (int32_t err = GetFullPathName(strTo, full); err != ERROR_SUCCESS) {
        return err;
    }
    size_t slash = FindLastChar(full, '\\');
    std::string parent;
    std::string name;
    if (int32_t err = ResolvePath(full.substr(0, slash + 1), parent); err != ERROR_SUCCESS) {
        return err;
    }
    if (Cp932ToUtf8(full.substr(slash + 1), name) != ERROR_SUCCESS) {
        return ERROR_INVALID_NAME;
    }
    strLinuxTo = parent + "/" + name;
    return ERROR_SUCCESS;
}

int32_t MoveFileImpl(const std::string& strFrom, const std::string& strTo, bool bReplace) {
    if (int32_t err = RunFaultHook("rename", strFrom); err != ERROR_SUCCESS) {
        return err;
    }
    std::string from;
    std::string to;
    if (int32_t err = ResolvePath(strFrom, from); err != ERROR_SUCCESS) {
        return err;
    }
    if (int32_t err = ResolvePath(strTo, to); err != ERROR_SUCCESS) {
        return err;
    }
    struct stat stFrom;
    struct stat stTo;
    if (Sys().m_pfnLstat(from.c_str(), &stFrom) != 0) {
        return PathErrorFromErrno(errno, from);
    }
    CFd fromLock;
    if (int32_t err = LockForDelete(from, fromLock); err != ERROR_SUCCESS) {
        return err;
    }
    if (Sys().m_pfnLstat(to.c_str(), &stTo) == 0) {
        if (stTo.st_dev == stFrom.st_dev && stTo.st_ino == stFrom.st_ino) {
            // The target is the source under another case: give it the new spelling.
            if (int32_t err = SpelledTarget(strTo, to); err != ERROR_SUCCESS) {
                return err;
            }
            return Sys().m_pfnRename(from.c_str(), to.c_str()) == 0 ? ERROR_SUCCESS
                                                                    : RenameError(errno, to);
        }
        if (!bReplace) {
            return ERROR_ALREADY_EXISTS;
        }
        if (S_ISDIR(stTo.st_mode) || IsReadOnly(to)) {
            return ERROR_ACCESS_DENIED;
        }
        CFd toLock;
        if (int32_t err = LockForDelete(to, toLock); err != ERROR_SUCCESS) {
            return err;
        }
        // Windows replaces no file that is open, whatever it shares.
        if (int32_t err = RefuseIfInUse(toLock.Get()); err != ERROR_SUCCESS) {
            return err;
        }
        // One rename(2) replaces the target atomically: at every moment the target name holds
        // either the old file or the new one, never nothing.
        return Sys().m_pfnRename(from.c_str(), to.c_str()) == 0 ? ERROR_SUCCESS
                                                                : RenameError(errno, to);
    }
    if (Sys().m_pfnRenameNoReplace(from.c_str(), to.c_str()) == 0) {
        return ERROR_SUCCESS;
    }
    if (errno == EEXIST) {
        return ERROR_ALREADY_EXISTS;
    }
    return RenameError(errno, to);
}

// Windows wildcard match of one name: "*" any run of characters, "?" one character (a
// double-byte character counts as one), letters compared ignoring ASCII case, and a trailing
// ".*" that also matches a name without an extension ("*.*" matches every name).
bool MatchPattern(std::string_view pattern, std::string_view name) {
    if (pattern.empty()) {
        return name.empty();
    }
    if (pattern == ".*" && name.empty()) {
        return true;
    }
    if (pattern[0] == '*') {
        for (size_t i = 0;; i += CharLength(name, i)) {
            if (MatchPattern(pattern.substr(1), name.substr(i))) {
                return true;
            }
            if (i >= name.size()) {
                return false;
            }
        }
    }
    if (name.empty()) {
        return false;
    }
    size_t lp = CharLength(pattern, 0);
    size_t ln = CharLength(name, 0);
    bool bSame = (lp == 1 && pattern[0] == '?') ||
                 (lp == ln && EqualsNoCase(pattern.substr(0, lp), name.substr(0, ln)));
    return bSame && MatchPattern(pattern.substr(lp), name.substr(ln));
}

}  // namespace

class CFileImpl {
public:
    int m_fd = -1;
    uint32_t m_access = 0;
    bool m_bDeleteOnClose = false;
    std::string m_strPath;
    std::string m_strLinuxPath;

    ~CFileImpl() { CloseNow(); }

    int32_t CloseNow() {
        if (m_fd < 0) {
            return ERROR_INVALID_HANDLE;
        }
        if (m_bDeleteOnClose) {
            // Unlinked while this handle still holds its delete-access lock.
            Sys().m_pfnUnlink(m_strLinuxPath.c_str());
        }
        int rc = Sys().m_pfnClose(m_fd);
        int err = errno;
        m_fd = -1;
        return rc == 0 ? ERROR_SUCCESS : Win32FromErrno(err);
    }
};

CFile::CFile() = default;
CFile::~CFile() = default;
CFile::CFile(CFile&&) noexcept = default;
CFile& CFile::operator=(CFile&&) noexcept = default;

namespace {

// One try of an open: the descriptor, its status, and its share locks. A delete or rename that
// tested the file before these locks were taken may take the name away between the open(2) and
// the locks; the handle would then hold a file that later openers cannot see, so they could not
// be refused. bNamed tells whether the name still leads to the locked file; when it does not,
// the caller opens again, as if its open had come after the delete or rename.
int32_t OpenAndLock(const std::string& linuxPath, int oflags, uint32_t access, uint32_t share,
                    CFd& fd, struct stat& st, bool& bNamed) {
    bool bWritable = (oflags & O_ACCMODE) == O_RDWR;
    bool bLocks = true;
    fd.Reset(Sys().m_pfnOpen(linuxPath.c_str(), oflags, 0666));
    if (fd.Get() < 0 && errno == EACCES && !(access & GENERIC_READ)) {
        // A file the user may write but not read, or a handle without data access: it takes no
        // share locks, since a shared lock needs a descriptor open for reading.
        int fallback = bWritable ? O_WRONLY : O_PATH;
        fd.Reset(Sys().m_pfnOpen(linuxPath.c_str(), (oflags & ~O_ACCMODE) | fallback, 0666));
        bLocks = false;
    }
    if (fd.Get() < 0) {
        return errno == EEXIST ? ERROR_FILE_EXISTS : PathErrorFromErrno(errno, linuxPath);
    }
    if (Sys().m_pfnFstat(fd.Get(), &st) != 0) {
        return Win32FromErrno(errno);
    }
    if (S_ISDIR(st.st_mode)) {
        return ERROR_ACCESS_DENIED;
    }
    if (!bLocks) {
        return ERROR_SUCCESS;
    }
    if (int32_t err = TakeShareLocks(fd.Get(), access, share); err != ERROR_SUCCESS) {
        return err;
    }
    // Checked after the locks: a delete or rename that comes later sees them and is refused
    // where the sharing asks for it.
    struct stat named;
    bNamed = Sys().m_pfnStat(linuxPath.c_str(), &named) == 0 && named.st_dev == st.st_dev &&
             named.st_ino == st.st_ino;
    if (!bNamed) {
        fd.Reset();
    }
    return ERROR_SUCCESS;
}

}  // namespace

int32_t CFile::Open(const std::string& strPath, uint32_t access, uint32_t share,
                    uint32_t disposition, uint32_t flags) {
    m_pImpl.reset();
    if (int32_t err = RunFaultHook("open", strPath); err != ERROR_SUCCESS) {
        return err;
    }
    if (flags & FILE_FLAG_DELETE_ON_CLOSE) {
        access |= DELETE_ACCESS;  // as CreateFile adds it
    }
    if (disposition < CREATE_NEW || disposition > TRUNCATE_EXISTING ||
        (disposition == TRUNCATE_EXISTING && !(access & GENERIC_WRITE))) {
        return ERROR_INVALID_PARAMETER;
    }
    std::string linuxPath;
    if (int32_t err = ResolvePath(strPath, linuxPath); err != ERROR_SUCCESS) {
        return err;
    }
    bool bTruncate = disposition == CREATE_ALWAYS || disposition == TRUNCATE_EXISTING;
    bool bWritable = (access & GENERIC_WRITE) || bTruncate;
    int oflags = O_CLOEXEC | O_NONBLOCK | (bWritable ? O_RDWR : O_RDONLY);
    if (disposition == CREATE_NEW) {
        oflags |= O_CREAT | O_EXCL;
    } else if (disposition == CREATE_ALWAYS || disposition == OPEN_ALWAYS) {
        oflags |= O_CREAT;
    }
    CFd fd;
    struct stat st;
    for (int nTry = 1;; ++nTry) {
        bool bNamed = true;
        if (int32_t err = OpenAndLock(linuxPath, oflags, access, share, fd, st, bNamed);
            err != ERROR_SUCCESS) {
            return err;
        }
        if (bNamed) {
            break;
        }
        if (nTry == kMaxOpenTries) {
            return ERROR_SHARING_VIOLATION;  // the name keeps changing hands: busy
        }
    }
    // Truncation comes after the share test, so a refused open never harms another handle's
    // file.
    if (bTruncate && st.st_size != 0 && Sys().m_pfnFtruncate(fd.Get(), 0) != 0) {
        return Win32FromErrno(errno);
    }
    auto impl = std::make_unique<CFileImpl>();
    impl->m_fd = fd.Release();
    impl->m_access = access;
    impl->m_bDeleteOnClose = (flags & FILE_FLAG_DELETE_ON_CLOSE) != 0;
    impl->m_strPath = strPath;
    impl->m_strLinuxPath = linuxPath;
    m_pImpl = std::move(impl);
    return ERROR_SUCCESS;
}

int32_t CFile::Read(void* pBuffer, uint32_t cb, uint32_t& cbRead) {
    if (!IsOpen()) {
        return ERROR_INVALID_HANDLE;
    }
    if (!(m_pImpl->m_access & GENERIC_READ)) {
        return ERROR_ACCESS_DENIED;
    }
    uint32_t total = 0;
    while (total < cb) {
        ssize_t n = Sys().m_pfnRead(m_pImpl->m_fd, static_cast<char*>(pBuffer) + total, cb - total);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return errno == EIO ? ERROR_READ_FAULT : Win32FromErrno(errno);
        }
        if (n == 0) {
            break;
        }
        total += static_cast<uint32_t>(n);
    }
    cbRead = total;
    return ERROR_SUCCESS;
}

int32_t CFile::Write(const void* pData, uint32_t cb) {
    if (!IsOpen()) {
        return ERROR_INVALID_HANDLE;
    }
    if (!(m_pImpl->m_access & GENERIC_WRITE)) {
        return ERROR_ACCESS_DENIED;
    }
    if (int32_t err = RunFaultHook("write", m_pImpl->m_strPath); err != ERROR_SUCCESS) {
        return err;
    }
    int fd = m_pImpl->m_fd;
    struct stat st;
    off_t pos = Sys().m_pfnLseek(fd, 0, SEEK_CUR);
    if (pos < 0 || Sys().m_pfnFstat(fd, &st) != 0) {
        return Win32FromErrno(errno);
    }
    uint32_t done = 0;
    while (done < cb) {
        ssize_t n = Sys().m_pfnWrite(fd, static_cast<const char*>(pData) + done, cb - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            int32_t err = n == 0 ? ERROR_DISK_FULL : Win32FromErrno(errno);
            // A write that fails part way past the old end leaves no partial tail behind.
            if (pos >= st.st_size) {
                Sys().m_pfnFtruncate(fd, st.st_size);
            }
            Sys().m_pfnLseek(fd, pos, SEEK_SET);
            return err;
        }
        done += static_cast<uint32_t>(n);
    }
    return ERROR_SUCCESS;
}

int32_t CFile::Seek(int64_t offset, int origin, int64_t* pNewPos) {
    if (!IsOpen()) {
        return ERROR_INVALID_HANDLE;
    }
    int64_t base = 0;
    if (origin == FILE_CURRENT) {
        base = Sys().m_pfnLseek(m_pImpl->m_fd, 0, SEEK_CUR);
    } else if (origin == FILE_END) {
        uint64_t size = 0;
        if (int32_t err = GetSize(size); err != ERROR_SUCCESS) {
            return err;
        }
        base = static_cast<int64_t>(size);
    } else if (origin != FILE_BEGIN) {
        return ERROR_INVALID_PARAMETER;
    }
    if (base < 0) {
        return Win32FromErrno(errno);
    }
    if ((offset < 0 && base + offset < 0) || (offset > 0 && base > INT64_MAX - offset)) {
        return ERROR_NEGATIVE_SEEK;
    }
    off_t pos = Sys().m_pfnLseek(m_pImpl->m_fd, base + offset, SEEK_SET);
    if (pos < 0) {
        return Win32FromErrno(errno);
    }
    if (pNewPos != nullptr) {
        *pNewPos = pos;
    }
    return ERROR_SUCCESS;
}

int32_t CFile::GetSize(uint64_t& size) const {
    if (!IsOpen()) {
        return ERROR_INVALID_HANDLE;
    }
    struct stat st;
    if (Sys().m_pfnFstat(m_pImpl->m_fd, &st) != 0) {
        return Win32FromErrno(errno);
    }
    size = static_cast<uint64_t>(st.st_size);
    return ERROR_SUCCESS;
}

int32_t CFile::SetEndOfFile() {
    if (!IsOpen()) {
        return ERROR_INVALID_HANDLE;
    }
    if (!(m_pImpl->m_access & GENERIC_WRITE)) {
        return ERROR_ACCESS_DENIED;
    }
    off_t pos = Sys().m_pfnLseek(m_pImpl->m_fd, 0, SEEK_CUR);
    if (pos < 0 || Sys().m_pfnFtruncate(m_pImpl->m_fd, pos) != 0) {
        return Win32FromErrno(errno);
    }
    return ERROR_SUCCESS;
}

int32_t CFile::Flush() {
    if (!IsOpen()) {
        return ERROR_INVALID_HANDLE;
    }
    if (!(m_pImpl->m_access & GENERIC_WRITE)) {
        return ERROR_ACCESS_DENIED;
    }
    if (int32_t err = RunFaultHook("flush", m_pImpl->m_strPath); err != ERROR_SUCCESS) {
        return err;
    }
    // fdatasync writes the data and the size; the times are not needed to read the file back.
    if (Sys().m_pfnFdatasync(m_pImpl->m_fd) != 0) {
        return errno == EIO ? ERROR_WRITE_FAULT : Win32FromErrno(errno);
    }
    return ERROR_SUCCESS;
}

int32_t CFile::Close() {
    if (!IsOpen()) {
        return ERROR_INVALID_HANDLE;
    }
    // A refused close leaves the handle open; the destructor closes it in the end.
    if (int32_t err = RunFaultHook("close", m_pImpl->m_strPath); err != ERROR_SUCCESS) {
        return err;
    }
    int32_t err = m_pImpl->CloseNow();
    m_pImpl.reset();
    return err;
}

bool CFile::IsOpen() const {
    return m_pImpl && m_pImpl->m_fd >= 0;
}

const std::string& CFile::GetPath() const {
    static const std::string s_empty;
    return m_pImpl ? m_pImpl->m_strPath : s_empty;
}

int32_t GetFileAttributes(const std::string& strPath, uint32_t& attributes) {
    std::string linuxPath;
    if (int32_t err = ResolvePath(strPath, linuxPath); err != ERROR_SUCCESS) {
        return err;
    }
    struct stat st;
    if (Sys().m_pfnStat(linuxPath.c_str(), &st) != 0) {
        return PathErrorFromErrno(errno, linuxPath);
    }
    attributes = AttributesOf(linuxPath, BaseName(linuxPath), st);
    return ERROR_SUCCESS;
}

int32_t SetFileReadOnly(const std::string& strPath, bool bReadOnly) {
    std::string linuxPath;
    if (int32_t err = ResolvePath(strPath, linuxPath); err != ERROR_SUCCESS) {
        return err;
    }
    struct stat st;
    if (Sys().m_pfnStat(linuxPath.c_str(), &st) != 0) {
        return PathErrorFromErrno(errno, linuxPath);
    }
    mode_t mode = bReadOnly ? (st.st_mode & ~0222) : (st.st_mode | S_IWUSR);
    if (Sys().m_pfnChmod(linuxPath.c_str(), mode & 07777) != 0) {
        return Win32FromErrno(errno);
    }
    return ERROR_SUCCESS;
}

int32_t DeleteFile(const std::string& strPath) {
    if (int32_t err = RunFaultHook("delete", strPath); err != ERROR_SUCCESS) {
        return err;
    }
    std::string linuxPath;
    if (int32_t err = ResolvePath(strPath, linuxPath); err != ERROR_SUCCESS) {
        return err;
    }
    struct stat st;
    if (Sys().m_pfnLstat(linuxPath.c_str(), &st) != 0) {
        return PathErrorFromErrno(errno, linuxPath);
    }
    if (S_ISDIR(st.st_mode) || (S_ISREG(st.st_mode) && IsReadOnly(linuxPath))) {
        return ERROR_ACCESS_DENIED;
    }
    CFd lock;
    if (int32_t err = LockNameForDelete(linuxPath, lock); err != ERROR_SUCCESS) {
        return err;
    }
    if (Sys().m_pfnUnlink(linuxPath.c_str()) != 0) {
        return PathErrorFromErrno(errno, linuxPath);
    }
    return ERROR_SUCCESS;
}

int32_t MoveFile(const std::string& strFrom, const std::string& strTo) {
    return MoveFileImpl(strFrom, strTo, false);
}

int32_t MoveFileReplace(const std::string& strFrom, const std::string& strTo) {
    return MoveFileImpl(strFrom, strTo, true);
}

int32_t CreateDirectory(const std::string& strPath) {
    std::string linuxPath;
    if (int32_t err = ResolvePath(strPath, linuxPath); err != ERROR_SUCCESS) {
        return err;
    }
    if (Sys().m_pfnMkdir(linuxPath.c_str(), 0777) != 0) {
        return errno == EEXIST   ? ERROR_ALREADY_EXISTS
               : errno == ENOENT ? ERROR_PATH_NOT_FOUND
                                 : Win32FromErrno(errno);
    }
    return ERROR_SUCCESS;
}

int32_t RemoveDirectory(const std::string& strPath) {
    std::string linuxPath;
    if (int32_t err = ResolvePath(strPath, linuxPath); err != ERROR_SUCCESS) {
        return err;
    }
    if (Sys().m_pfnRmdir(linuxPath.c_str()) != 0) {
        return errno == ENOTDIR ? ERROR_DIRECTORY : PathErrorFromErrno(errno, linuxPath);
    }
    return ERROR_SUCCESS;
}

int32_t FlushDirectory(const std::string& strFolder) {
    if (int32_t err = RunFaultHook("flush", strFolder); err != ERROR_SUCCESS) {
        return err;
    }
    std::string linuxPath;
    if (int32_t err = ResolvePath(strFolder, linuxPath); err != ERROR_SUCCESS) {
        return err;
    }
    CFd fd(Sys().m_pfnOpen(linuxPath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0));
    if (fd.Get() < 0) {
        return errno == ENOTDIR ? ERROR_DIRECTORY : PathErrorFromErrno(errno, linuxPath);
    }
    if (Sys().m_pfnFsync(fd.Get()) != 0) {
        return errno == EIO ? ERROR_WRITE_FAULT : Win32FromErrno(errno);
    }
    return ERROR_SUCCESS;
}

int32_t GetTempFileName(const std::string& strFolder, const std::string& strPrefix,
                        std::string& strPath) {
    std::string folder;
    uint32_t attributes = 0;
    if (int32_t err = GetFullPathName(strFolder, folder); err != ERROR_SUCCESS) {
        return err;
    }
    if (GetFileAttributes(folder, attributes) != ERROR_SUCCESS ||
        !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return ERROR_DIRECTORY;
    }
    if (FindLastChar(folder, '\\') != folder.size() - 1) {
        folder += '\\';
    }
    std::string prefix;
    for (size_t i = 0, n = 0; i < strPrefix.size() && n < 3; ++n) {
        size_t len = CharLength(strPrefix, i);
        prefix += strPrefix.substr(i, len);
        i += len;
    }
    // Numbers 1..0xFFFF, starting at a point that differs between processes and calls, as
    // the system starts from its tick count; a taken name moves on to the next number.
    auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
    uint32_t start = static_cast<uint32_t>(ticks ^ (static_cast<int64_t>(getpid()) << 16));
    for (uint32_t i = 0; i < 0xFFFF; ++i) {
        uint32_t unique = (start + i) % 0xFFFF + 1;
        char hex[8];
        std::snprintf(hex, sizeof hex, "%x", unique);
        std::string candidate = folder + prefix + hex + ".tmp";
        CFile file;
        int32_t err = file.Open(candidate, GENERIC_WRITE, FILE_SHARE_NONE, CREATE_NEW);
        if (err == ERROR_SUCCESS) {
            file.Close();
            strPath = candidate;
            return ERROR_SUCCESS;
        }
        if (err != ERROR_FILE_EXISTS) {
            return err;
        }
    }
    return ERROR_FILE_EXISTS;
}

namespace {

// A folder read with readdir, an entry at a time; each entry's attributes from fstatat.
class CDirectorySearch : public CFindFileImpl {
public:
    CDirectorySearch(DIR* pDir, std::string strPattern, bool bAtRoot)
        : m_pDir(pDir, closedir), m_strPattern(std::move(strPattern)), m_bAtRoot(bAtRoot) {}

    void CloseSearch() override { m_pDir.reset(); }

    int32_t ReadEntry(CFindData& data, std::vector<std::string>& untranslatable) override {
        if (!m_pDir) {
            return ERROR_NO_MORE_FILES;
        }
        const int dirFd = dirfd(m_pDir.get());
        while (struct dirent* e = readdir(m_pDir.get())) {
            std::string onDisk = e->d_name;
            CFindData entry;
            // A drive's root lists no "." and "..", as on Windows.
            bool bDots = onDisk == "." || onDisk == "..";
            if (bDots && m_bAtRoot) {
                continue;
            }
            if (Utf8ToCp932(onDisk, entry.m_strName) != ERROR_SUCCESS) {
                untranslatable.push_back(onDisk);
                continue;
            }
            if (!MatchPattern(m_strPattern, entry.m_strName)) {
                continue;
            }
            struct stat st;
            const char* pszName = onDisk.c_str();
            if (Sys().m_pfnFstatat(dirFd, pszName, &st, 0) != 0 &&
                Sys().m_pfnFstatat(dirFd, pszName, &st, AT_SYMLINK_NOFOLLOW) != 0) {
                continue;  // removed while listing
            }
            entry.m_nAttributes = AttributesFrom(onDisk, st, [&] {
                return IsWriteRefused(Sys().m_pfnFaccessat(dirFd, pszName, W_OK));
            });
            entry.m_nSize = S_ISDIR(st.st_mode) ? 0 : static_cast<uint64_t>(st.st_size);
            entry.m_nWriteTime = st.st_mtime;
            data = std::move(entry);
            return ERROR_SUCCESS;
        }
        return ERROR_NO_MORE_FILES;
    }

private:
    std::unique_ptr<DIR, int (*)(DIR*)> m_pDir;
    std::string m_strPattern;
    bool m_bAtRoot;
};

}  // namespace

int32_t CFindFile::FindFirst(const std::string& strPattern, CFindData& data, EFindOrder order) {
    Close();
    std::string full;
    if (int32_t err = GetFullPathName(strPattern, full); err != ERROR_SUCCESS) {
        return err;
    }
    if (full.size() > MAX_PATH - 1) {
        return ERROR_FILENAME_EXCED_RANGE;
    }
    size_t slash = FindLastChar(full, '\\');
    std::string folder = full.substr(0, slash + 1);
    std::string dir;
    if (int32_t err = ResolvePath(folder, dir); err != ERROR_SUCCESS) {
        return err;
    }
    std::string root;
    bool bAtRoot = GetFullPathName(folder + "..", root) == ERROR_SUCCESS && root == folder;
    DIR* pDir = Sys().m_pfnOpendir(dir.c_str());
    if (pDir == nullptr) {
        return errno == ENOENT || errno == ENOTDIR ? ERROR_PATH_NOT_FOUND : Win32FromErrno(errno);
    }
    return TakeFirst(std::make_unique<CDirectorySearch>(pDir, full.substr(slash + 1), bAtRoot),
                     data, order);
}

}  // namespace tq
