#include "platform/NamedMutex.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>

#include "platform/Prefix.h"
#include "platform/Win32Error.h"
#include "support/TestSupport.h"

namespace tq {
namespace {

const std::string kName = "TrellisquestCustomize.Mutex";

// args: socket, name. Creates the mutex with initial ownership, reports 'y' on the socket and
// holds the mutex until the parent's end closes (at the latest when the parent dies).
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

class NamedMutexTest : public ::testing::Test {
protected:
    test::CTempPrefix m_prefix;
};

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
    // A name nobody has used is the unprivileged user's own to create.
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
