#include "platform/ShareLock.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <thread>
#include <vector>

#include "ProcessSync.h"
#include "platform/File.h"
#include "platform/Win32Error.h"
#include "support/TestSupport.h"

namespace tq {
namespace {

constexpr uint32_t kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// args: report, release, path. Holds the file open sharing nothing.
TQ_CHILD_MAIN(share_hold_exclusive) {
    CFile file;
    return test::ReportAndHold(args,
                               file.Open(args[2], GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING));
}

// Whether any descriptor other than fd holds a lock on the byte, asked the way another program
// following the protocol asks.
bool Held(int fd, off_t offset) {
    struct flock fl {};
    fl.l_type = F_WRLCK;
    fl.l_whence = SEEK_SET;
    fl.l_start = offset;
    fl.l_len = 1;
    EXPECT_EQ(fcntl(fd, F_OFD_GETLK, &fl), 0);
    return fl.l_type != F_UNLCK;
}

class ShareLockTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_strLinux = m_prefix.Path("drives/c/file.dat");
        test::WriteLinuxFile(m_strLinux, "contents");
    }
    int RawOpen() const { return open(m_strLinux.c_str(), O_RDONLY | O_CLOEXEC); }

    test::CTempPrefix m_prefix;
    std::string m_strLinux;
    const std::string m_strWin = "C:\\file.dat";
};

TEST_F(ShareLockTest, AHandleHoldsTheDocumentedBytes) {
    CFile file;
    ASSERT_EQ(file.Open(m_strWin, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING), 0);
    int probe = RawOpen();
    ASSERT_GE(probe, 0);
    EXPECT_TRUE(Held(probe, kShareAccessBytes + 0));   // reads
    EXPECT_FALSE(Held(probe, kShareAccessBytes + 1));  // does not write
    EXPECT_FALSE(Held(probe, kShareAccessBytes + 2));  // does not delete
    EXPECT_FALSE(Held(probe, kShareDenyBytes + 0));    // shares reading
    EXPECT_TRUE(Held(probe, kShareDenyBytes + 1));     // denies writing
    EXPECT_TRUE(Held(probe, kShareDenyBytes + 2));     // denies deletion
    EXPECT_FALSE(Held(probe, kShareGateByte));         // the gate is only held while testing
    file.Close();
    EXPECT_FALSE(Held(probe, kShareAccessBytes + 0));
    EXPECT_FALSE(Held(probe, kShareDenyBytes + 1));
    close(probe);
    EXPECT_EQ(test::ReadLinuxFile(m_strLinux), "contents");  // the locks change no data
}

TEST_F(ShareLockTest, AnotherProgramFollowingTheProtocolIsRespected) {
    // The index builder reading the file while denying writers, by hand.
    int builder = RawOpen();
    ASSERT_GE(builder, 0);
    ASSERT_EQ(TakeShareLocks(builder, GENERIC_READ, FILE_SHARE_READ), 0);
    CFile file;
    EXPECT_EQ(file.Open(m_strWin, GENERIC_WRITE, kShareAll, OPEN_EXISTING),
              ERROR_SHARING_VIOLATION);
    EXPECT_EQ(DeleteFile(m_strWin), ERROR_SHARING_VIOLATION);
    EXPECT_EQ(file.Open(m_strWin, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING), 0);
    EXPECT_EQ(file.Open(m_strWin, GENERIC_READ, FILE_SHARE_WRITE, OPEN_EXISTING),
              ERROR_SHARING_VIOLATION);  // would deny the builder's reading
    close(builder);
    EXPECT_EQ(file.Open(m_strWin, GENERIC_WRITE, kShareAll, OPEN_EXISTING), 0);
}

TEST_F(ShareLockTest, ARefusedOpenLeavesNoLocksBehind) {
    CFile first;
    ASSERT_EQ(
        first.Open(m_strWin, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, OPEN_EXISTING), 0);
    CFile refused;
    EXPECT_EQ(refused.Open(m_strWin, GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING),
              ERROR_SHARING_VIOLATION);
    // Had the refused open kept its "denies read" byte, this reader would fail.
    CFile third;
    EXPECT_EQ(
        third.Open(m_strWin, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, OPEN_EXISTING), 0);
    EXPECT_EQ(DeleteFile(m_strWin), 0);
}

TEST_F(ShareLockTest, AKilledHolderReleasesTheFile) {
    test::CHeldChild holder("share_hold_exclusive", {m_strWin});
    ASSERT_EQ(holder.Result(), 0);
    CFile file;
    EXPECT_EQ(file.Open(m_strWin, GENERIC_READ, kShareAll, OPEN_EXISTING), ERROR_SHARING_VIOLATION);
    holder.Kill();
    EXPECT_EQ(file.Open(m_strWin, GENERIC_READ, kShareAll, OPEN_EXISTING), 0);
}

// Exclusive opens racing from many threads (each open is its own open file description, as in
// separate processes): never two at once. Half the threads open read-only, so the ungated path
// races with the gated one.
TEST_F(ShareLockTest, ConflictingOpensNeverSucceedTogether) {
    std::atomic<int> inside{0};
    std::atomic<int> overlaps{0};
    std::atomic<int> successes{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 6; ++t) {
        uint32_t access = t % 2 == 0 ? GENERIC_READ : GENERIC_READ | GENERIC_WRITE;
        threads.emplace_back([&, access] {
            for (int i = 0; i < 150; ++i) {
                CFile file;
                if (file.Open(m_strWin, access, 0, OPEN_EXISTING) != 0) {
                    continue;
                }
                if (inside.fetch_add(1) != 0) {
                    overlaps.fetch_add(1);
                }
                successes.fetch_add(1);
                std::this_thread::yield();
                inside.fetch_sub(1);
            }
        });
    }
    for (std::thread& t : threads) {
        t.join();
    }
    EXPECT_EQ(overlaps.load(), 0);
    EXPECT_GT(successes.load(), 0);
}

}  // namespace
}  // namespace tq
