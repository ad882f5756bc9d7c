#include "platform/ShareLock.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <thread>
#include <vector>

#include "platform/File.h"
#include "platform/Win32Error.h"
#include "support/TestSupport.h"

namespace tq {
namespace {

constexpr uint32_t R = GENERIC_READ, W = GENERIC_WRITE;
constexpr uint32_t SR = FILE_SHARE_READ;

// The gate and the six access and deny bytes as another program following the protocol sees
// them through descriptor fd: '1' where a descriptor other than fd holds a lock.
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

class ShareLockTest : public ::testing::Test {
protected:
    void SetUp() override { test::WriteLinuxFile(m_strLinux, "contents"); }
    int RawOpen() const { return open(m_strLinux.c_str(), O_RDONLY | O_CLOEXEC); }

    test::CTempPrefix m_prefix;
    const std::string m_strLinux = m_prefix.Path("drives/c/file.dat");
    const std::string m_strWin = "C:\\file.dat";
};

TEST_F(ShareLockTest, AHandleHoldsTheDocumentedBytes) {
    CFile file;
    ASSERT_EQ(file.Open(m_strWin, R, SR, OPEN_EXISTING), 0);
    int probe = RawOpen();
    ASSERT_GE(probe, 0);
    // Reads, shares reading, denies writing and deletion; the gate is held only while testing.
    EXPECT_EQ(HeldBytes(probe), "0100011");
    // Opened again, as a retrying caller does, the object first lets go of what it held: its own
    // denial of writing does not refuse it.
    EXPECT_EQ(file.Open(m_strWin, W, SR | FILE_SHARE_WRITE, OPEN_EXISTING), 0);
    file.Close();
    EXPECT_EQ(HeldBytes(probe), "0000000");
    close(probe);
    EXPECT_EQ(test::ReadLinuxFile(m_strLinux), "contents");  // the locks change no data
}

// Exclusive opens racing from many threads (each open is its own open file description, as in
// separate processes): never two at once. Half the threads open read-only, so the ungated path
// races with the gated one.
TEST_F(ShareLockTest, ConflictingOpensNeverSucceedTogether) {
    std::atomic<int> inside{0}, overlaps{0}, successes{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 6; ++t) {
        threads.emplace_back([&, access = t % 2 == 0 ? R : R | W] {
            for (int i = 0; i < 150; ++i) {
                CFile file;
                if (file.Open(m_strWin, access, 0, OPEN_EXISTING) != 0) {
                    continue;
                }
                overlaps += inside.fetch_add(1) != 0 ? 1 : 0;
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
