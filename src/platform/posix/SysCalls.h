// The system calls the Linux emulation of files and mutexes makes, gathered in one table. Every
// file operation of the emulation calls through Sys(); only the emulation's own tests replace
// entries, for what happens between the calls of one operation (another process's delete between
// an open and its share locks, a write that stops part way), and the power-loss campaign records
// through it what reaches the disk. A test that makes an operation fail for its caller uses the
// fault hook (platform/Faults.h) instead, which both systems have.
#pragma once

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>

#include <cstdint>

namespace tq {

struct CSysCalls {
    int (*m_pfnOpen)(const char* path, int flags, mode_t mode);
    int (*m_pfnClose)(int fd);
    ssize_t (*m_pfnRead)(int fd, void* buf, size_t count);
    ssize_t (*m_pfnWrite)(int fd, const void* buf, size_t count);
    off_t (*m_pfnLseek)(int fd, off_t offset, int whence);
    int (*m_pfnFtruncate)(int fd, off_t length);
    int (*m_pfnFsync)(int fd);
    int (*m_pfnFdatasync)(int fd);
    int (*m_pfnFstat)(int fd, struct stat* st);
    int (*m_pfnStat)(const char* path, struct stat* st);
    int (*m_pfnLstat)(const char* path, struct stat* st);
    int (*m_pfnAccess)(const char* path, int mode);
    int (*m_pfnChmod)(const char* path, mode_t mode);
    int (*m_pfnUnlink)(const char* path);
    int (*m_pfnRename)(const char* from, const char* to);
    // rename(2) that fails with EEXIST instead of replacing (renameat2 RENAME_NOREPLACE).
    int (*m_pfnRenameNoReplace)(const char* from, const char* to);
    int (*m_pfnMkdir)(const char* path, mode_t mode);
    int (*m_pfnRmdir)(const char* path);
    // fcntl with a struct flock argument: F_OFD_SETLK, F_OFD_SETLKW, F_OFD_GETLK.
    int (*m_pfnFcntlLock)(int fd, int cmd, struct flock* lock);
    DIR* (*m_pfnOpendir)(const char* path);
    // Relative to an open folder: a directory search looks up each name once, not the whole
    // path again for every entry.
    int (*m_pfnFstatat)(int dirFd, const char* name, struct stat* st, int flags);
    int (*m_pfnFaccessat)(int dirFd, const char* name, int mode);
};

// The table in use. Tests change entries through CSysCallOverride.
CSysCalls& Sys();
// The table of the real calls.
const CSysCalls& DefaultSysCalls();

// Places (cmd F_OFD_SETLK, or F_OFD_SETLKW to wait) or removes (type F_UNLCK) a lock of the
// open file description on the byte at offset, through the table. 0, or -1 with errno set.
int LockByte(int fd, int cmd, short type, off_t offset);

// Whether another open file description holds any lock on the byte at offset (F_OFD_GETLK
// answers F_UNLCK only when an exclusive lock could be placed). 0 or the Win32 error.
int32_t IsByteHeldByOther(int fd, off_t offset, bool& bHeld);

// Replaces the table for the lifetime of the object and restores the previous one afterwards:
//   CSysCallOverride o; o->m_pfnWrite = FullDiskWrite;
class CSysCallOverride {
public:
    CSysCallOverride() : m_saved(Sys()) {}
    ~CSysCallOverride() { Sys() = m_saved; }
    CSysCallOverride(const CSysCallOverride&) = delete;
    CSysCallOverride& operator=(const CSysCallOverride&) = delete;
    CSysCalls* operator->() { return &Sys(); }

private:
    CSysCalls m_saved;
};

}  // namespace tq
