#include "platform/File.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <tuple>
#include <vector>

#include "platform/FileFixture.h"
#include "platform/NamedMutex.h"
#include "platform/Path.h"
#include "platform/Win32Error.h"

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
    CFindFile find;  // (whether the host's file names ignore case or not)
    CFindData listed;
    ASSERT_EQ(find.FindFirst("C:\\b.txt", listed), 0);
    EXPECT_EQ(listed.m_strName, "B.txt");
    EXPECT_EQ(Get("B.txt"), "A");
    EXPECT_EQ(MoveFileReplace("C:\\B.txt", "C:\\WINDOWS"), ERROR_ACCESS_DENIED);
}

TEST_F(FileTest, ReadOnlyAndPermissionsAreRealForAnUnprivilegedUser) {
    if (!test::CanDropPrivileges()) {
        GTEST_SKIP() << "needs root to run the denied side as an unprivileged user";
    }
    test::MakeLinuxDir(C("open"));
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
    test::MakeLinuxDir(C("dir"));
    test::MakeLinuxDir(C("dir/Sub"));
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
    // As listed: the same entries in the file system's order, the left-out name told at the end.
    for (EFindOrder order : {EFindOrder::kByName, EFindOrder::kAsListed}) {
        for (auto [pattern, lError, expected] : cases) {
            V names;
            int32_t err = find.FindFirst(pattern, data, order);
            for (; err == 0; err = find.FindNext(data)) {
                names.push_back(data.m_strName);
            }
            if (order == EFindOrder::kAsListed) {
                std::sort(names.begin(), names.end());
                std::sort(expected.begin(), expected.end());
            }
            EXPECT_EQ(names, expected) << pattern;
            EXPECT_EQ(err, lError == 0 ? ERROR_NO_MORE_FILES : lError) << pattern;
            if (lError == 0 && (pattern.ends_with("\\*") || pattern.ends_with("\\*.*") ||
                                pattern.ends_with("\\*.txt"))) {
                EXPECT_EQ(find.GetUntranslatableNames(), V{"\xF0\x9F\x98\x80.txt"}) << pattern;
            }
        }
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

// args: ready file, name. Creates the mutex owned, then the ready file, and holds it until killed.
TQ_CHILD_MAIN(mutex_hold) {
    CNamedMutex mutex;
    CFile ready;
    if (mutex.Create(args[1], true) != 0 || !mutex.IsOwner() ||
        ready.Open(args[0], GENERIC_WRITE, 0, CREATE_NEW) != 0) {
        return 1;
    }
    ready.Close();
    test::HoldUntilKilled();
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
    EXPECT_EQ(third.Open(kName), ERROR_FILE_NOT_FOUND);  // it vanished with its last handle
    EXPECT_EQ(third.Create(kName, false), 0);
    EXPECT_FALSE(third.IsOwner());
    third.Close();
    EXPECT_EQ(third.Create(kName, true), 0);
    EXPECT_TRUE(third.IsOwner());
    // Names are case-sensitive; an empty or too long one is refused.
    CNamedMutex lower, bad;
    EXPECT_EQ(lower.Create("trellisquestcustomize.mutex", true), 0);
    EXPECT_EQ(bad.Create("", true), ERROR_INVALID_NAME);
    EXPECT_EQ(bad.Open(std::string(300, 'x')), ERROR_FILENAME_EXCED_RANGE);
}

TEST_F(NamedMutexTest, SecondProcessFindsTheMutexUntilItsHolderIsKilled) {
    const pid_t holder = test::StartChild("mutex_hold", {"C:\\held", kName});
    EXPECT_TRUE(test::WaitForFile(C("held")));
    EXPECT_EQ(test::RunChild("mutex_try", {"open", kName}), 0);
    EXPECT_EQ(test::KillChild(holder), test::kKilledStatus);
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

}  // namespace
}  // namespace tq
