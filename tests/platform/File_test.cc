#include "platform/File.h"

#include <errno.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <tuple>
#include <vector>

#include "platform/NamedMutex.h"
#include "platform/Path.h"
#include "platform/Win32Error.h"
#include "platform/posix/Prefix.h"
#include "platform/posix/ShareLock.h"
#include "platform/posix/SysCalls.h"
#include "support/TestSupport.h"

namespace tq {
namespace {

constexpr uint32_t R = GENERIC_READ, W = GENERIC_WRITE, D = DELETE_ACCESS;
constexpr uint32_t SR = FILE_SHARE_READ, SW = FILE_SHARE_WRITE, SD = FILE_SHARE_DELETE;
constexpr uint32_t kShareAll = SR | SW | SD;

// args: "open" path access share, "attributes" path (1: read-only) or "delete" path.
TQ_CHILD_MAIN(file_op) {
    CFile file;
    uint32_t attributes = 0;
    if (args[0] == "open") {
        return file.Open(args[1], std::stoul(args[2]), std::stoul(args[3]), OPEN_EXISTING);
    }
    if (args[0] == "attributes") {
        int32_t err = GetFileAttributes(args[1], attributes);
        return err != 0 ? err : (attributes & FILE_ATTRIBUTE_READONLY) ? 1 : 0;
    }
    return DeleteFile(args[1]);
}

const auto RunOp = [](const std::vector<std::string>& args) {
    return test::RunChild("file_op", args, {true, ""});
};
int32_t TryOpen(const std::string& path, uint32_t access, uint32_t share,
                uint32_t disposition = OPEN_EXISTING) {
    CFile file;
    return file.Open(path, access, share, disposition);
}

class FileTest : public ::testing::Test {
protected:
    std::string C(const std::string& rel) const { return m_prefix.Path("drives/c/" + rel); }
    void Put(const std::string& rel, const std::string& s) { test::WriteLinuxFile(C(rel), s); }
    std::string Get(const std::string& rel) const { return test::ReadLinuxFile(C(rel)); }
    bool Exists(const std::string& rel) const { return test::LinuxFileExists(C(rel)); }

    test::CTempPrefix m_prefix;
};

TEST_F(FileTest, DispositionsCreateOpenAndTruncateAsCreateFileDoes) {
    // disposition, whether the file exists, error, content afterwards (nullptr: no file)
    const std::tuple<uint32_t, bool, int32_t, const char*> cases[] = {
        {CREATE_NEW, false, 0, ""},
        {CREATE_NEW, true, ERROR_FILE_EXISTS, "old"},
        {CREATE_ALWAYS, false, 0, ""},
        {CREATE_ALWAYS, true, 0, ""},
        {OPEN_EXISTING, false, ERROR_FILE_NOT_FOUND, nullptr},
        {OPEN_EXISTING, true, 0, "old"},
        {OPEN_ALWAYS, false, 0, ""},
        {OPEN_ALWAYS, true, 0, "old"},
        {TRUNCATE_EXISTING, false, ERROR_FILE_NOT_FOUND, nullptr},
        {TRUNCATE_EXISTING, true, 0, ""}};
    for (const auto& [disposition, bExists, lError, pszAfter] : cases) {
        SCOPED_TRACE(testing::Message() << "disposition " << disposition << " exists " << bExists);
        std::remove(C("f.txt").c_str());
        if (bExists) {
            Put("f.txt", "old");
        }
        CFile file;
        EXPECT_EQ(file.Open("C:\\f.txt", R | W, 0, disposition), lError);
        file.Close();
        EXPECT_EQ(Exists("f.txt") ? Get("f.txt") : "<none>", pszAfter ? pszAfter : "<none>");
    }
    EXPECT_EQ(TryOpen("C:\\no\\f.txt", W, 0, CREATE_ALWAYS), ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(TryOpen("C:\\f.txt", R, 0, TRUNCATE_EXISTING), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(TryOpen("C:\\WINDOWS", R, kShareAll), ERROR_ACCESS_DENIED);
    CFile scratch;
    ASSERT_EQ(scratch.Open("C:\\scratch.tmp", W, 0, CREATE_ALWAYS, FILE_FLAG_DELETE_ON_CLOSE), 0);
    EXPECT_TRUE(Exists("scratch.tmp"));
    scratch.Close();
    EXPECT_FALSE(Exists("scratch.tmp"));
}

// Two opens must share each other's access; a handle without data access takes no part.
TEST_F(FileTest, ShareModeTable) {
    const std::string kPath = "C:\\shared.txt";
    // access and share of the first handle, of the second, the second's error
    const std::tuple<uint32_t, uint32_t, uint32_t, uint32_t, int32_t> cases[] = {
        {R, SR, R, SR, 0},
        {R, SR, W, kShareAll, ERROR_SHARING_VIOLATION},
        {R, SR | SW, W, SR | SW, 0},
        {W, SR, R, SR, ERROR_SHARING_VIOLATION},
        {W, SR, R, SR | SW, 0},
        {0, 0, R | W, kShareAll, 0},
        {D, kShareAll, R, SR | SW, ERROR_SHARING_VIOLATION},
        {D, kShareAll, R, kShareAll, 0},
        {R, SR | SW, D, kShareAll, ERROR_SHARING_VIOLATION},
        {R, SR | SD, D, kShareAll, 0}};
    Put("shared.txt", "data");
    for (const auto& [access1, share1, access2, share2, lError] : cases) {
        SCOPED_TRACE(testing::Message()
                     << access1 << "/" << share1 << " then " << access2 << "/" << share2);
        CFile first;
        ASSERT_EQ(first.Open(kPath, access1, share1, OPEN_EXISTING), 0);
        EXPECT_EQ(TryOpen(kPath, access2, share2), lError);
        first.Close();
        EXPECT_EQ(TryOpen(kPath, access2, share2), 0);
    }
    // An open refused for sharing truncates nothing.
    CFile reader;
    ASSERT_EQ(reader.Open(kPath, R, SR, OPEN_EXISTING), 0);
    EXPECT_EQ(TryOpen(kPath, W, kShareAll, CREATE_ALWAYS), ERROR_SHARING_VIOLATION);
    EXPECT_EQ(TryOpen(kPath, W, kShareAll, TRUNCATE_EXISTING), ERROR_SHARING_VIOLATION);
    EXPECT_EQ(Get("shared.txt"), "data");
}

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

TEST_F(FileTest, MovesRefuseExistingTargetsUnlessReplacingAndChangeCase) {
    Put("a.txt", "A");
    Put("b.txt", "B");
    EXPECT_EQ(MoveFile("C:\\a.txt", "C:\\B.TXT"), ERROR_ALREADY_EXISTS);
    EXPECT_EQ(MoveFile("C:\\missing.txt", "C:\\c.txt"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(MoveFile("C:\\a.txt", "C:\\no\\c.txt"), ERROR_PATH_NOT_FOUND);
    ASSERT_EQ(MoveFileReplace("C:\\a.txt", "C:\\B.TXT"), 0);
    EXPECT_FALSE(Exists("a.txt"));
    EXPECT_EQ(Get("b.txt"), "A");
    ASSERT_EQ(MoveFile("C:\\b.txt", "C:\\B.txt"), 0);  // only the case changes
    EXPECT_EQ(Get("B.txt"), "A");
    EXPECT_FALSE(Exists("b.txt"));
    EXPECT_EQ(MoveFileReplace("C:\\B.txt", "C:\\WINDOWS"), ERROR_ACCESS_DENIED);
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

TEST_F(FileTest, ReadOnlyAndPermissionsAreRealForAnUnprivilegedUser) {
    if (!test::CanDropPrivileges()) {
        GTEST_SKIP() << "needs root to run the denied side as an unprivileged user";
    }
    mkdir(C("open").c_str(), 0777);
    chmod(C("open").c_str(), 0777);
    Put("open/ro.txt", "r");
    Put("open/secret.txt", "s");
    ASSERT_EQ(SetFileReadOnly("C:\\open\\ro.txt", true), 0);
    chmod(C("open/secret.txt").c_str(), 0600);
    EXPECT_EQ(RunOp({"attributes", "C:\\open\\ro.txt"}), 1);
    EXPECT_EQ(RunOp({"delete", "C:\\open\\ro.txt"}), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RunOp({"open", "C:\\open\\secret.txt", std::to_string(R), "0"}), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RunOp({"open", "C:\\open\\ro.txt", std::to_string(W), "0"}), ERROR_ACCESS_DENIED);
    EXPECT_TRUE(Exists("open/ro.txt"));
    ASSERT_EQ(SetFileReadOnly("C:\\open\\ro.txt", false), 0);
    chmod(C("open/ro.txt").c_str(), 0666);
    EXPECT_EQ(RunOp({"attributes", "C:\\open\\ro.txt"}), 0);
    EXPECT_EQ(RunOp({"delete", "C:\\open\\ro.txt"}), 0);
}

TEST_F(FileTest, FindMatchesWildcardsIgnoringCaseAndSkipsUntranslatableNames) {
    mkdir(C("dir").c_str(), 0755);
    mkdir(C("dir/Sub").c_str(), 0755);
    for (const char* name : {"a.txt", "B.TXT", "c.doc", ".hidden", "noext",
                             "\xE3\x82\xBD\xE3\x83\x95\xE3\x83\x88.txt", "\xF0\x9F\x98\x80.txt"}) {
        Put(std::string("dir/") + name, "12345");
    }
    using V = std::vector<std::string>;
    const std::string kSoft = "\x83\x5C\x83\x74\x83\x67.txt";
    const V all{".", "..", ".hidden", "a.txt", "B.TXT", "c.doc", "noext", "Sub", kSoft};
    const std::tuple<std::string, int32_t, V> cases[] = {
        {"C:\\dir\\*.txt", 0, V{"a.txt", "B.TXT", kSoft}},
        {"C:\\DIR\\*", 0, all},
        {"C:\\dir\\*.*", 0, all},
        {"C:\\dir\\?.doc", 0, V{"c.doc"}},
        {"C:\\dir\\\x83\x5C?\x83\x67.*", 0, V{kSoft}},
        {"C:\\dir\\sub", 0, V{"Sub"}},
        {"C:\\dir\\*.pdf", ERROR_FILE_NOT_FOUND, V{}},
        {"C:\\.*", ERROR_FILE_NOT_FOUND, V{}},  // no dots at a drive's root
        {"C:\\nowhere\\*", ERROR_PATH_NOT_FOUND, V{}}};
    CFindFile find;
    CFindData data;
    for (const auto& [pattern, lError, expected] : cases) {
        V names;
        int32_t err = find.FindFirst(pattern, data);
        for (; err == 0; err = find.FindNext(data)) {
            names.push_back(data.m_strName);
        }
        EXPECT_EQ(names, expected) << pattern;
        EXPECT_EQ(err, lError == 0 ? ERROR_NO_MORE_FILES : lError) << pattern;
    }
    ASSERT_EQ(find.FindFirst("C:\\dir\\b.txt", data), 0);
    EXPECT_EQ(data.m_nSize, 5u);
    EXPECT_EQ(data.m_nAttributes, FILE_ATTRIBUTE_ARCHIVE);
}

TEST_F(FileTest, DirectoriesAreCreatedRemovedAndFlushed) {
    EXPECT_EQ(CreateDirectory("C:\\new"), 0);
    EXPECT_EQ(CreateDirectory("C:\\NEW"), ERROR_ALREADY_EXISTS);
    EXPECT_EQ(CreateDirectory("C:\\no\\new"), ERROR_PATH_NOT_FOUND);
    Put("new/f.txt", "");
    EXPECT_EQ(RemoveDirectory("C:\\new"), ERROR_DIR_NOT_EMPTY);
    EXPECT_EQ(RemoveDirectory("C:\\new\\f.txt"), ERROR_DIRECTORY);
    EXPECT_EQ(DeleteFile("C:\\new"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(FlushDirectory("C:\\new"), 0);
    EXPECT_EQ(DeleteFile("C:\\new\\F.TXT"), 0);
    EXPECT_EQ(DeleteFile("C:\\new\\F.TXT"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RemoveDirectory("C:\\new"), 0);
    EXPECT_EQ(RemoveDirectory("C:\\new"), ERROR_FILE_NOT_FOUND);
}

const std::string kName = "TrellisquestCustomize.Mutex";

// args: socket, name. Creates the mutex owned, reports 'y' and holds it until the socket closes.
TQ_CHILD_MAIN(mutex_hold) {
    CNamedMutex mutex;
    const int fd = std::stoi(args[0]);
    char c = mutex.Create(args[1], true) == 0 && mutex.IsOwner() ? 'y' : 'n';
    if (write(fd, &c, 1) == 1) {
        [[maybe_unused]] ssize_t n = read(fd, &c, 1);
    }
    return 0;
}

// args: "create" or "open", name. Exits with the result (Create asks for ownership).
TQ_CHILD_MAIN(mutex_try) {
    CNamedMutex mutex;
    int32_t err = args[0] == "create" ? mutex.Create(args[1], true) : mutex.Open(args[1]);
    if (err == ERROR_ALREADY_EXISTS && (!mutex.IsOpen() || mutex.IsOwner())) {
        return 98;  // Windows hands out an open, unowned handle with 183
    }
    return err;
}

class NamedMutexTest : public FileTest {};

TEST_F(NamedMutexTest, HandlesInOneProcessShareTheMutexUntilTheLastIsClosed) {
    CNamedMutex first, second, third;
    ASSERT_EQ(first.Create(kName, true), 0);
    EXPECT_TRUE(first.IsOwner());
    EXPECT_EQ(second.Create(kName, true), ERROR_ALREADY_EXISTS);
    EXPECT_FALSE(second.IsOwner());
    EXPECT_EQ(second.Release(), ERROR_NOT_OWNER);
    EXPECT_EQ(third.Open(kName), 0);
    EXPECT_EQ(first.Release(), 0);
    first.Close();
    second.Close();
    EXPECT_EQ(first.Open(kName), 0);  // "third" still holds it
    first.Close();
    third.Close();
    // The mutex vanished with its last handle, though its lock file stays.
    EXPECT_TRUE(test::LinuxFileExists(CPrefix::Current().GetLocksDir() + "/" + kName));
    EXPECT_EQ(third.Open(kName), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(third.Create(kName, false), 0);
    EXPECT_FALSE(third.IsOwner());
    third.Close();
    EXPECT_EQ(third.Create(kName, true), 0);
    EXPECT_TRUE(third.IsOwner());
}

TEST_F(NamedMutexTest, SecondProcessFindsTheMutexUntilItsHolderIsKilled) {
    int fds[2];  // only the child's end is inherited
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds), 0);
    fcntl(fds[1], F_SETFD, 0);
    const pid_t holder = test::StartChild("mutex_hold", {std::to_string(fds[1]), kName});
    close(fds[1]);
    char c = 'n';
    EXPECT_EQ(read(fds[0], &c, 1), 1);
    EXPECT_EQ(c, 'y');
    EXPECT_EQ(test::RunChild("mutex_try", {"open", kName}), 0);
    kill(holder, SIGKILL);
    EXPECT_EQ(test::WaitChild(holder), 128 + SIGKILL);
    close(fds[0]);
    EXPECT_EQ(test::RunChild("mutex_try", {"open", kName}), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(test::RunChild("mutex_try", {"create", kName}), 0);
}

TEST_F(NamedMutexTest, AnotherUsersMutexIsDenied) {
    if (!test::CanDropPrivileges()) {
        GTEST_SKIP() << "needs root to run the denied side as an unprivileged user";
    }
    const test::CChildOptions nobody{true, ""};
    CNamedMutex mutex;  // (while it is held: the exports test's editor as another user)
    ASSERT_EQ(mutex.Create(kName, true), 0);
    mutex.Close();
    EXPECT_EQ(test::RunChild("mutex_try", {"open", kName}, nobody), ERROR_ACCESS_DENIED);
    EXPECT_EQ(test::RunChild("mutex_try", {"create", "Users.Own"}, nobody), 0);
}

TEST_F(NamedMutexTest, NamesAreCaseSensitiveAndBecomeSafeFileNames) {
    const std::string locks = CPrefix::Current().GetLocksDir();
    CNamedMutex upper, lower, path, bad;
    ASSERT_EQ(upper.Create("Name", true), 0);
    EXPECT_EQ(lower.Create("name", true), 0);
    EXPECT_EQ(path.Create("../../escaped", true), 0);
    const std::string escaped = locks + "/../../escaped";
    EXPECT_FALSE(test::LinuxFileExists(escaped));
    std::remove(escaped.c_str());  // outside the test's prefix: left, it would fail later runs
    EXPECT_EQ(bad.Create("", true), ERROR_INVALID_NAME);
    EXPECT_EQ(bad.Open(std::string(300, 'x')), ERROR_FILENAME_EXCED_RANGE);
}

}  // namespace
}  // namespace tq
