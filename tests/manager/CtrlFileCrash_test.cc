// A process killed at any moment of a save leaves files that load and hold either the old or
// the new content, and nothing that stops the next save.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <random>

#include "ProductFixture.h"
#include "controlfile/CtrlReader.h"
#include "controlfile/CtrlWriter.h"
#include "manager/CtrlFile.h"
#include "platform/File.h"

namespace tq {
namespace {

using test::kProductPath;

constexpr int kKills = 200;

// Renames the application to "Run 1", "Run 2", ... (after the number it has) and saves each
// time, `args[0]` times or until killed.
TQ_CHILD_MAIN(SaveLoop) {
    CCtrlFile file;
    if (file.OpenProductKey(kProductPath) != 0 || file.Load() != 0) {
        return 1;
    }
    const std::string current(file.GetDatabase(2)->m_strPublicName);
    int n = current.starts_with("Run ") ? std::stoi(current.substr(4)) : 0;
    for (int i = 0; i < std::stoi(args[0]); ++i) {
        if (file.RenameAppli(2, "Run " + std::to_string(++n)) != 0 || file.Save() != 0) {
            return 2;
        }
    }
    return 0;
}

// The run number a file holds (-1 when it does not load or is not complete: a file as the
// writer writes it renders back to the very same bytes).
int RunNumberIn(const std::string& strPath, bool bFullForm, const std::string& bytes) {
    CCtrlModel model;
    CFile file;
    if (CCtrlReader(model, nullptr).Load(file, strPath) != 0 || model.GetDBCount() != 3 ||
        CCtrlWriter(model).Render(bFullForm) != bytes) {
        return -1;
    }
    const std::string name(model.GetDatabase(2)->m_strPublicName);
    return name == "MyApp" ? 0 : name.starts_with("Run ") ? std::stoi(name.substr(4)) : -1;
}

class CtrlFileCrashTest : public testing::Test, public test::CProductFixture {};

TEST_F(CtrlFileCrashTest, KilledSavesLeaveOldOrNewFilesAndNothingInTheWay) {
    test::WriteLinuxFile(C("Ctrl/sample.txt"), "%%%MyApp%%%\r\n");
    ASSERT_EQ(test::RunChild("SaveLoop", {"1"}), 0);  // a control file exists from here on
    // The kills fall from the end of the child's start to a few saves later, however fast
    // this build starts a process and saves.
    const auto t0 = std::chrono::steady_clock::now();
    ASSERT_EQ(test::RunChild("SaveLoop", {"1"}), 0);
    const auto t1 = std::chrono::steady_clock::now();
    ASSERT_EQ(test::RunChild("SaveLoop", {"5"}), 0);
    const auto t2 = std::chrono::steady_clock::now();
    using std::chrono::microseconds;
    const auto one = std::chrono::duration_cast<microseconds>(t1 - t0).count();
    const auto save = std::max<int64_t>(
        std::chrono::duration_cast<microseconds>(t2 - t1).count() / 4 - one / 4, 1000);
    const auto start = std::max<int64_t>(one - save, 0);
    std::mt19937 random(20261206);
    std::uniform_int_distribution<int64_t> delayUs(start * 3 / 4, start + 3 * save);
    int lastBase = 0;
    int lastControl = 0;
    int between = 0;
    int interrupted = 0;
    for (int i = 0; i < kKills; ++i) {
        const pid_t child = test::StartChild("SaveLoop", {"1000000"});
        usleep(static_cast<useconds_t>(delayUs(random)));
        kill(child, SIGKILL);
        interrupted += test::WaitChild(child) == 128 + SIGKILL ? 1 : 0;
        const int base = RunNumberIn("C:\\Ctrl\\base.ctl", true, Base());
        const int control = RunNumberIn("C:\\Ctrl\\ctrl.ctl", false, Control());
        // Each file holds a whole save, none goes back, and the control file never runs ahead
        // of the base control file, which a save writes first (a kill between the two leaves
        // the control file behind until a later save completes).
        ASSERT_GE(base, lastBase) << "kill " << i;
        ASSERT_GE(control, lastControl) << "kill " << i;
        ASSERT_LE(control, base) << "kill " << i;
        const std::string sample = test::ReadLinuxFile(C("Ctrl/sample.txt"));
        ASSERT_TRUE(sample.starts_with("%%%Run ") && sample.ends_with("%%%\r\n")) << sample;
        lastBase = base;
        lastControl = control;
        between += control < base ? 1 : 0;
    }
    EXPECT_GE(interrupted, kKills * 9 / 10);
    EXPECT_GT(lastBase, kKills / 4) << start << " " << save;  // saves went on from kill to kill
    EXPECT_GT(between, 0);            // and some kills fell between the two files
    ASSERT_EQ(test::RunChild("SaveLoop", {"2"}), 0);
    EXPECT_EQ(RunNumberIn("C:\\Ctrl\\base.ctl", true, Base()), lastBase + 2);
    EXPECT_EQ(RunNumberIn("C:\\Ctrl\\ctrl.ctl", false, Control()), lastBase + 2);
}

}  // namespace
}  // namespace tq
