// What the files and mutexes of the Linux emulation add to the system's: the share locks other
// programs follow, the races between a share test and the call it guards, the system calls that
// fail part way, and the mutexes' lock files.
#include <errno.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <utility>

#include "platform/File.h"
#include "platform/FileFixture.h"
#include "platform/NamedMutex.h"
#include "platform/Path.h"
#include "platform/Win32Error.h"
#include "platform/posix/Prefix.h"
#include "platform/posix/ShareLock.h"
#include "platform/posix/SysCalls.h"

namespace tq {
namespace {

constexpr uint32_t R = GENERIC_READ, W = GENERIC_WRITE;
constexpr uint32_t SR = FILE_SHARE_READ, SW = FILE_SHARE_WRITE;

// The gate, access and deny bytes as another program sees them: '1' where another holds a lock.
std::string HeldBytes(int fd) {
    std::string held;
    for (off_t offset = kShareGateByte; offset < kShareDenyBytes + 3; ++offset) {
        struct flock fl = {
            .l_type = F_WRLCK, .l_whence = SEEK_SET, .l_start = offset, .l_len = 1, .l_pid = 0};
        EXPECT_EQ(fcntl(fd, F_OFD_GETLK, &fl), 0);
        held += fl.l_type != F_UNLCK ? '1' : '0';
    }
    return held;
}

TEST_F(FileTest, AHandleHoldsTheDocumentedShareLockBytes) {
    Put("file.dat", "contents");
    CFile file;
    ASSERT_EQ(file.Open("C:\\file.dat", R, SR, OPEN_EXISTING), 0);
    int probe = open(C("file.dat").c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(probe, 0);
    // Reads, shares reading, denies writing and deletion; the gate is held only while testing.
    EXPECT_EQ(HeldBytes(probe), "0100011");
    // Opened again (a retrying caller), it lets go first: its own denial does not refuse it.
    EXPECT_EQ(file.Open("C:\\file.dat", W, SR | SW, OPEN_EXISTING), 0);
    file.Close();
    EXPECT_EQ(HeldBytes(probe), "0000000");
    close(probe);
}

// Another process's delete between an open(2) and its share locks (from the fstat between).
std::string g_strDeleteDuringOpen;
int FstatAfterADelete(int fd, struct stat* st) {
    if (!g_strDeleteDuringOpen.empty()) {
        EXPECT_EQ(DeleteFile(std::exchange(g_strDeleteDuringOpen, {})), 0);
    }
    return DefaultSysCalls().m_pfnFstat(fd, st);
}

// The open is made again, so a handle never holds a file nobody sees (a vanished lock file).
TEST_F(FileTest, AnOpenThatLosesItsNameToADeleteOpensAgain) {
    const std::pair<uint32_t, int32_t> cases[] = {
        {OPEN_ALWAYS, 0}, {CREATE_ALWAYS, 0}, {OPEN_EXISTING, ERROR_FILE_NOT_FOUND}};
    for (const auto& [disposition, lError] : cases) {
        SCOPED_TRACE(disposition);
        Put("held.lock", "old");
        CFile file;
        {
            CSysCallOverride sys;
            sys->m_pfnFstat = FstatAfterADelete;
            g_strDeleteDuringOpen = "C:\\held.lock";
            EXPECT_EQ(file.Open("C:\\held.lock", R | W, 0, disposition), lError);
        }
        EXPECT_TRUE(g_strDeleteDuringOpen.empty());
        EXPECT_EQ(Exists("held.lock"), lError == 0);
        if (lError == 0) {
            EXPECT_EQ(DeleteFile("C:\\held.lock"), ERROR_SHARING_VIOLATION);
        }
    }
}

// Another delete and a new open of the name, between a delete's test and its unlink (from fstat).
CFile* g_pReplacement = nullptr;
std::string g_strReplaceDuringDelete;
int FstatAfterAReplacement(int fd, struct stat* st) {
    if (!g_strReplaceDuringDelete.empty()) {
        const std::string strPath = std::exchange(g_strReplaceDuringDelete, {});
        std::string linuxPath;
        EXPECT_EQ(ResolvePath(strPath, linuxPath), 0);
        EXPECT_EQ(DefaultSysCalls().m_pfnUnlink(linuxPath.c_str()), 0);
        EXPECT_EQ(g_pReplacement->Open(strPath, R | W, 0, CREATE_NEW), 0);
    }
    return DefaultSysCalls().m_pfnFstat(fd, st);
}

// The name now leads to a new file held without delete sharing: the delete must leave it.
TEST_F(FileTest, ADeleteLeavesANewFileThatTookTheNameOfTheTestedOne) {
    Put("held.lock", "stale");
    CFile replacement;
    g_pReplacement = &replacement;
    {
        CSysCallOverride sys;
        sys->m_pfnFstat = FstatAfterAReplacement;
        g_strReplaceDuringDelete = "C:\\held.lock";
        EXPECT_EQ(DeleteFile("C:\\held.lock"), ERROR_SHARING_VIOLATION);
    }
    EXPECT_TRUE(g_strReplaceDuringDelete.empty());
    EXPECT_TRUE(replacement.IsOpen());
    EXPECT_TRUE(Exists("held.lock"));
    replacement.Close();
    EXPECT_EQ(DeleteFile("C:\\held.lock"), 0);
    EXPECT_FALSE(Exists("held.lock"));
}

TEST_F(FileTest, AWriteThatFailsPartWayLeavesNoPartialTail) {
    CFile file;
    ASSERT_EQ(file.Open("C:\\out.txt", W, 0, CREATE_NEW), 0);
    ASSERT_EQ(file.Write("head", 4), 0);
    {
        CSysCallOverride sys;
        sys->m_pfnWrite = [](int fd, const void* buf, size_t count) -> ssize_t {
            return count > 3 ? DefaultSysCalls().m_pfnWrite(fd, buf, 3) : (errno = ENOSPC, -1);
        };
        EXPECT_EQ(file.Write("0123456789", 10), ERROR_DISK_FULL);
        sys->m_pfnFdatasync = [](int) -> int { return errno = EIO, -1; };
        EXPECT_EQ(file.Flush(), ERROR_WRITE_FAULT);
    }
    ASSERT_EQ(file.Write("-tail", 5), 0);
    file.Close();
    EXPECT_EQ(Get("out.txt"), "head-tail");
}

TEST_F(FileTest, MutexesAreLockFilesThatStayAndNeverEscapeTheLocksFolder) {
    const std::string locks = CPrefix::Current().GetLocksDir();
    CNamedMutex mutex, path;
    ASSERT_EQ(mutex.Create("TrellisquestCustomize.Mutex", true), 0);
    mutex.Close();
    EXPECT_TRUE(test::LinuxFileExists(locks + "/TrellisquestCustomize.Mutex"));
    EXPECT_EQ(path.Create("../../escaped", true), 0);
    const std::string escaped = locks + "/../../escaped";
    EXPECT_FALSE(test::LinuxFileExists(escaped));
    std::remove(escaped.c_str());  // outside the test's prefix: left, it would fail later runs
}

}  // namespace
}  // namespace tq
