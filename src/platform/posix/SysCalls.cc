#include "platform/posix/SysCalls.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/Win32Error.h"

namespace tq {
namespace {

int RealOpen(const char* path, int flags, mode_t mode) {
    int fd;
    do {
        fd = ::open(path, flags, mode);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

int RealClose(int fd) {
    return ::close(fd);
}

ssize_t RealRead(int fd, void* buf, size_t count) {
    return ::read(fd, buf, count);
}

ssize_t RealWrite(int fd, const void* buf, size_t count) {
    return ::write(fd, buf, count);
}

off_t RealLseek(int fd, off_t offset, int whence) {
    return ::lseek(fd, offset, whence);
}

int RealFtruncate(int fd, off_t length) {
    return ::ftruncate(fd, length);
}

int RealFsync(int fd) {
    return ::fsync(fd);
}

int RealFdatasync(int fd) {
    return ::fdatasync(fd);
}

int RealFstat(int fd, struct stat* st) {
    return ::fstat(fd, st);
}

int RealStat(const char* path, struct stat* st) {
    return ::stat(path, st);
}

int RealLstat(const char* path, struct stat* st) {
    return ::lstat(path, st);
}

int RealAccess(const char* path, int mode) {
    return ::access(path, mode);
}

int RealChmod(const char* path, mode_t mode) {
    return ::chmod(path, mode);
}

int RealUnlink(const char* path) {
    return ::unlink(path);
}

int RealRename(const char* from, const char* to) {
    return ::rename(from, to);
}

int RealRenameNoReplace(const char* from, const char* to) {
    return ::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE);
}

int RealMkdir(const char* path, mode_t mode) {
    return ::mkdir(path, mode);
}

int RealRmdir(const char* path) {
    return ::rmdir(path);
}

int RealFcntlLock(int fd, int cmd, struct flock* lock) {
    int rc;
    do {
        rc = ::fcntl(fd, cmd, lock);
    } while (rc < 0 && errno == EINTR);
    return rc;
}

DIR* RealOpendir(const char* path) {
    return ::opendir(path);
}

int RealFstatat(int dirFd, const char* name, struct stat* st, int flags) {
    return ::fstatat(dirFd, name, st, flags);
}

int RealFaccessat(int dirFd, const char* name, int mode) {
    return ::faccessat(dirFd, name, mode, 0);
}

constexpr CSysCalls kDefault{
    RealOpen,    RealClose,     RealRead,      RealWrite,
    RealLseek,   RealFtruncate, RealFsync,     RealFdatasync,
    RealFstat,   RealStat,      RealLstat,     RealAccess,
    RealChmod,   RealUnlink,    RealRename,    RealRenameNoReplace,
    RealMkdir,   RealRmdir,     RealFcntlLock, RealOpendir,
    RealFstatat, RealFaccessat,
};

}  // namespace

CSysCalls& Sys() {
    static CSysCalls s_table = kDefault;
    return s_table;
}

const CSysCalls& DefaultSysCalls() {
    return kDefault;
}

int LockByte(int fd, int cmd, short type, off_t offset) {
    struct flock fl {};
    fl.l_type = type;
    fl.l_whence = SEEK_SET;
    fl.l_start = offset;
    fl.l_len = 1;
    return Sys().m_pfnFcntlLock(fd, cmd, &fl);
}

int32_t IsByteHeldByOther(int fd, off_t offset, bool& bHeld) {
    struct flock probe {};
    probe.l_type = F_WRLCK;
    probe.l_whence = SEEK_SET;
    probe.l_start = offset;
    probe.l_len = 1;
    if (Sys().m_pfnFcntlLock(fd, F_OFD_GETLK, &probe) != 0) {
        return Win32FromErrno(errno);
    }
    bHeld = probe.l_type != F_UNLCK;
    return ERROR_SUCCESS;
}

}  // namespace tq
