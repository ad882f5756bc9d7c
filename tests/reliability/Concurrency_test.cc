// tqctl editors, conversions and probes on one product beside a builder: one editor at a time,
// no hang or crash, refusals are busy codes, files load throughout, the builder's file follows.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <optional>
#include <random>
#include <sstream>
#include <thread>

#include "ReliabilityFixture.h"
#include "controlfile/CtrlCompare.h"
#include "platform/Win32Error.h"
#include "platform/posix/ShareLock.h"
#include "resources/ErrorCodes.h"

extern char** environ;

namespace tq {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr int kEditors = 4;
const std::string kControlFolder = "C:\\Program Files\\Trellisquest\\Control\\";
const std::string kBasePath = kControlFolder + "BaseControl.ini";
const std::string kControlPath = kControlFolder + "Control.ini";

int RandomIn(std::mt19937& random, int lo, int hi) {
    return std::uniform_int_distribution<int>(lo, hi)(random);
}

// The builder: now and then reads the control file holding the lock file. args: ms, seed, counts.
TQ_CHILD_MAIN(IndexBuilder) {
    const auto end = Clock::now() + milliseconds(std::stoi(args[0]));
    std::mt19937 random(static_cast<uint32_t>(std::stoul(args[1])));
    int nHolds = 0, nLockBusy = 0, nControlBusy = 0;
    while (Clock::now() < end) {
        std::this_thread::sleep_for(milliseconds(RandomIn(random, 5, 120)));
        CFile lock, control;
        if (lock.Open(kBasePath + ".lock", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_NONE,
                      OPEN_ALWAYS) != 0) {
            ++nLockBusy;
            continue;
        }
        char buffer[4096];
        uint32_t cbRead = 0;
        nControlBusy +=
            control.Open(kControlPath, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING) != 0;
        while (control.IsOpen() && control.Read(buffer, sizeof(buffer), cbRead) == 0 &&
               cbRead > 0) {
        }
        std::this_thread::sleep_for(milliseconds(RandomIn(random, 2, 60)));
        control.Close();
        lock.Close();
        DeleteFile(kBasePath + ".lock");
        ++nHolds;
    }
    test::WriteLinuxFile(args[2], std::to_string(nHolds) + " " + std::to_string(nLockBusy) + " " +
                                      std::to_string(nControlBusy));
    return 0;
}

struct CRunResult {
    bool m_bHung = false;
    int m_nStatus = -1;  // exit status, or 128 + signal
    std::string m_strOut, m_strErr;
};

enum EWork { kSelect, kDeselect, kSave, kRename, kScript, kConvert, kStatus, kList, kWorkKinds };
const char* const kWorkNames[kWorkKinds] = {"select", "deselect", "save",   "rename",
                                            "script", "convert",  "status", "list"};
const int kWorkWeights[kWorkKinds] = {3, 3, 1, 2, 2, 2, 2, 1};  // how often each is picked

// What was wrong with a run; "" when it succeeded or was refused with a busy code (to lBusy).
std::string Classify(EWork kind, const CRunResult& run, int32_t& lBusy) {
    std::vector<std::string> lines(1);  // the lines of the output, an empty one left at its end
    for (std::istringstream in(run.m_strOut); std::getline(in, lines.back());) {
        lines.emplace_back();
    }
    lines.pop_back();
    std::optional<std::string> failure;  // a "CODE<TAB>..." line that must carry a busy code
    std::string strWhy;
    if (run.m_bHung || run.m_nStatus > 128) {
        strWhy = run.m_bHung ? "hung" : "killed by signal " + std::to_string(run.m_nStatus - 128);
    } else if (kind == kScript) {  // SetProductKey, Load, DBSetSelected, Save: RESULT<TAB>ERRORCODE
        if (run.m_nStatus != 0 || lines.size() != 4 || lines[0] != "TRUE\t0") {
            strWhy = "script";
        } else if (lines[1] != "0\t0") {
            failure = lines[1];
        } else if (lines[2] != "0\t0") {
            strWhy = "selection refused";
        } else if (lines[3] != "0\t0") {
            failure = lines[3];
        }
    } else if (kind == kStatus) {  // free, being edited, or the builder's; never "unknown"
        const bool bKnown = run.m_strOut == "0\n" || run.m_strOut == "1\n" || run.m_strOut == "2\n";
        strWhy = run.m_nStatus == 0 && bKnown ? "" : "status";
    } else if (run.m_nStatus != 0) {
        if (run.m_nStatus != 1 || lines.empty()) {
            strWhy = "exit status " + std::to_string(run.m_nStatus);
        } else {
            failure = lines.back();
        }
    }
    for (int32_t lCode : {TQE_EDITING, TQE_BASE_UPDATE}) {
        lBusy = failure && failure->starts_with(std::to_string(lCode) + "\t") ? lCode : lBusy;
    }
    if (failure && lBusy == 0) {
        strWhy = "undocumented failure";
    }
    return strWhy.empty() ? strWhy : strWhy + " | out: " + run.m_strOut + " | err: " + run.m_strErr;
}

// Editors (tqctl with the base control file open) and the mutex (byte 2 locked), seen lockless.
class CEditorObserver {
public:
    ~CEditorObserver() { close(m_fdMutex); }  // none when it is -1
    void SetLive(pid_t pid, bool bLive) {
        std::lock_guard<std::mutex> guard(m_mutex);
        bLive ? (void)m_live.insert(pid) : (void)m_live.erase(pid);
    }
    int m_fdMutex = -1;  // the editing mutex's lock file
    std::string m_strBaseFile;
    std::mutex m_mutex;
    std::set<pid_t> m_live;
    std::atomic<int> m_nSamples{0}, m_nOwnedSamples{0}, m_nMaxEditors{0}, m_nOutside{0};
    std::set<pid_t> m_lostLocks;  // read once the sampling has stopped

    // Whether pid has the base control file open; notes it if it holds a deleted lock file.
    bool HoldsBaseFile(pid_t pid) {
        const std::string strProc = "/proc/" + std::to_string(pid);
        bool bHolds = false;
        std::error_code ec;
        for (const auto& fd : fs::directory_iterator(strProc + "/fd", ec)) {
            const std::string target = fs::read_symlink(fd.path(), ec).string();  // "" on error
            bHolds = bHolds || target == m_strBaseFile || target == m_strBaseFile + " (deleted)";
            // Read again after its locks: a descriptor reused in between lends another's lock.
            if (target == m_strBaseFile + ".lock (deleted)" &&
                DeniesDeletion(strProc + "/fdinfo/" + fd.path().filename().string()) &&
                fs::read_symlink(fd.path(), ec).string() == target) {
                m_lostLocks.insert(pid);
            }
        }
        return bHolds;
    }
    // Whether the descriptor's "lock:" lines hold the share lock that denies deletion.
    static bool DeniesDeletion(const std::string& strFdInfo) {
        constexpr long long kDeniesDelete = kShareDenyBytes + 2;
        std::ifstream in(strFdInfo);
        for (std::string line; std::getline(in, line);) {
            std::istringstream fields(line);
            std::string tag, number, kind, advisory, mode, pid, id, start, end;
            fields >> tag >> number >> kind >> advisory >> mode >> pid >> id >> start >> end;
            if (tag == "lock:" && mode == "READ" && std::stoll(start) <= kDeniesDelete &&
                (end == "EOF" || kDeniesDelete <= std::stoll(end))) {
                return true;
            }
        }
        return false;
    }
    void Sample() {
        std::unique_lock<std::mutex> lock(m_mutex);
        std::vector<pid_t> holders(m_live.begin(), m_live.end());
        lock.unlock();
        std::erase_if(holders, [this](pid_t pid) { return !HoldsBaseFile(pid); });
        struct flock probe = {
            .l_type = F_WRLCK, .l_whence = SEEK_SET, .l_start = 2, .l_len = 1, .l_pid = 0};
        const bool bOwned = fcntl(m_fdMutex, F_OFD_GETLK, &probe) == 0 && probe.l_type != F_UNLCK;
        ++m_nSamples;
        m_nOwnedSamples += bOwned ? 1 : 0;
        const bool bFirstStill = !holders.empty() && HoldsBaseFile(holders.front());
        const int nEditors = static_cast<int>(bFirstStill ? holders.size() : holders.size() > 0);
        m_nMaxEditors = std::max(m_nMaxEditors.load(), nEditors);
        m_nOutside += !bOwned && bFirstStill ? 1 : 0;
    }
};

// A model loaded the way the component loads it (the file's checks included).
int32_t LoadModel(const std::string& strPath, CCtrlModel& model) {
    CFile file;
    return CCtrlReader(model, nullptr).Load(file, strPath);
}

std::set<std::string> DatabaseNames(const CCtrlModel& model) {
    std::set<std::string> names;
    for (size_t i = 0; i < model.GetDBCount(); ++i) {
        names.emplace(model.GetDatabase(i)->m_strName);
    }
    return names;
}

class ConcurrencyTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(access(test::ToolPath("tqctl").c_str(), X_OK), 0)
            << "tqctl is not built at " << test::ToolPath("tqctl");
        ASSERT_EQ(test::InstallDemoProduct(m_prefix), 0);
        for (const char* pszFirst : {"register", "convert"}) {
            CRunResult run = Tqctl({pszFirst}, "setup");
            ASSERT_EQ(run.m_nStatus, 0) << pszFirst << ": " << run.m_strOut << run.m_strErr;
        }
    }
    void TearDown() override { SetCurrentDirectory(m_strSavedDirectory); }

    // Runs tqctl on the product, its output in files named by strName; hung after a minute.
    CRunResult Tqctl(std::vector<std::string> args, const std::string& strName) {
        args.insert(args.begin(),
                    {test::ToolPath("tqctl"), "--prefix", m_prefix.GetDir(), "--product", "Demo"});
        const std::string strOutBase = m_prefix.Path(strName);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        for (const auto& [fd, ext] : {std::pair(1, ".out"), std::pair(2, ".err")}) {
            posix_spawn_file_actions_addopen(&actions, fd, (strOutBase + ext).c_str(),
                                             O_WRONLY | O_CREAT | O_TRUNC, 0644);
        }
        // A descriptor inherited from the test's readers would look like an editor's.
        posix_spawn_file_actions_addclosefrom_np(&actions, 3);
        std::vector<char*> cargv(args.size() + 1, nullptr);
        std::transform(args.begin(), args.end(), cargv.begin(),
                       [](std::string& a) { return a.data(); });
        CRunResult result;
        pid_t pid = -1;
        const int err = posix_spawn(&pid, cargv[0], &actions, nullptr, cargv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        if (err != 0) {
            return {false, -1, "", "cannot start tqctl: " + std::to_string(err)};
        }
        m_observer.SetLive(pid, true);
        const auto deadline = Clock::now() + std::chrono::seconds(60);
        int status = 0;
        while (!(result.m_bHung = Clock::now() > deadline) && waitpid(pid, &status, WNOHANG) == 0) {
            std::this_thread::sleep_for(milliseconds(2));
        }
        if (result.m_bHung) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
        }
        m_observer.SetLive(pid, false);
        result.m_nStatus = WIFSIGNALED(status) ? 128 + WTERMSIG(status) : WEXITSTATUS(status);
        result.m_strOut = test::ReadLinuxFile(strOutBase + ".out");
        result.m_strErr = test::ReadLinuxFile(strOutBase + ".err");
        return result;
    }

    void EditorLoop(int nEditor, Clock::time_point end) {
        std::mt19937 random(20261206u + static_cast<uint32_t>(nEditor));
        std::discrete_distribution<int> pick(std::begin(kWorkWeights), std::end(kWorkWeights));
        const std::string strName = "editor" + std::to_string(nEditor);
        const std::string strScript = m_prefix.Path(strName + ".script");
        int nRenames = 0;
        while (Clock::now() < end) {
            const EWork kind = static_cast<EWork>(pick(random));
            const std::string strNumber = std::to_string(RandomIn(random, 1, 3));
            std::vector<std::string> args = {kWorkNames[kind]};
            if (kind == kSelect || kind == kDeselect) {
                args = {"--yes", kWorkNames[kind], "2", strNumber};
            } else if (kind == kSave) {
                args = {"--yes", "save"};
            } else if (kind == kRename) {
                // A new name every time: an edit that changes nothing is answered as cancelled.
                const std::string name = std::to_string(nEditor) + "." + std::to_string(++nRenames);
                args = {"--yes", "edit-app", "3", "1", "--name", "Notes " + name};
            } else if (kind == kScript) {
                test::WriteLinuxFile(
                    strScript, "SetProductKey \"Demo\"\nLoad\nDBSetSelected 2 " + strNumber +
                                   (RandomIn(random, 0, 1) ? " TRUE" : " FALSE") + "\nSave 1\n");
                args = {"--yes", "script", strScript};
            }
            const CRunResult run = Tqctl(args, strName);
            int32_t lBusy = 0;
            const std::string strFault = Classify(kind, run, lBusy);
            std::lock_guard<std::mutex> guard(m_mutex);
            ++m_nRuns[kind];
            m_nOk[kind] += strFault.empty() && lBusy == 0 ? 1 : 0;
            if (lBusy != 0) {
                ++m_busy[kind][lBusy];
            }
            m_nHangs += run.m_bHung ? 1 : 0;
            if (!strFault.empty()) {
                m_faults.push_back(std::string(kWorkNames[kind]) + ": " + strFault);
            }
        }
    }

    test::CTempPrefix m_prefix;
    std::string m_strSavedDirectory = GetCurrentDirectory();
    const std::string m_strControlDir =
        m_prefix.Path("drives/c/Program Files/Trellisquest/Control");
    CEditorObserver m_observer;
    std::mutex m_mutex;
    int m_nRuns[kWorkKinds] = {}, m_nOk[kWorkKinds] = {}, m_nHangs = 0;
    std::map<int32_t, int> m_busy[kWorkKinds];
    std::vector<std::string> m_faults;
};

TEST_F(ConcurrencyTest, EditorsConversionsAndTheBuilderShareOneProduct) {
    const int nSeconds = test::CampaignCount(15, 600);
    CCtrlModel initial;
    ASSERT_EQ(LoadModel(kControlPath, initial), 0);
    const std::set<std::string> initialNames = DatabaseNames(initial);

    m_observer.m_strBaseFile = fs::canonical(m_strControlDir).string() + "/BaseControl.ini";
    m_observer.m_fdMutex =
        open(m_prefix.Path("locks/TrellisquestCustomize.Mutex").c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(m_observer.m_fdMutex, 0)
        << "the editing mutex has no lock file after the first convert";
    const std::string strBuilderCounts = m_prefix.Path("builder.counts");
    const pid_t builder =
        test::StartChild("IndexBuilder", {std::to_string(nSeconds * 1000), "8", strBuilderCounts});
    std::atomic<bool> bStop{false};
    std::thread watcher([&] {
        for (; !bStop; std::this_thread::sleep_for(std::chrono::microseconds(500))) {
            m_observer.Sample();
        }
    });
    // Every 200 ms both files must parse as they lie on disk and the requests must be readable.
    int nSnapshots = 0;
    std::vector<std::string> snapshotProblems;
    std::thread sampler([&] {
        for (; !bStop; ++nSnapshots, std::this_thread::sleep_for(milliseconds(200))) {
            for (const char* pszFile : {"/BaseControl.ini", "/Control.ini"}) {
                CCtrlModel model;
                const std::string text = test::ReadLinuxFile(m_strControlDir + pszFile);
                if (const int32_t err = CCtrlReader(model, nullptr).Parse(text);
                    text.empty() || err != 0) {
                    snapshotProblems.push_back(
                        pszFile + (" is empty or does not load: " + std::to_string(err)));
                }
            }
            std::set<std::string> names;
            if (const int32_t err = test::ReadRequests(names); err != ERROR_NO_MORE_ITEMS) {
                snapshotProblems.push_back("requests cannot be read: " + std::to_string(err));
            }
        }
    });
    const auto end = Clock::now() + std::chrono::seconds(nSeconds);
    std::vector<std::thread> editors;
    for (int i = 0; i < kEditors; ++i) {
        editors.emplace_back([this, i, end] { EditorLoop(i, end); });
    }
    std::for_each(editors.begin(), editors.end(), [](std::thread& t) { t.join(); });
    EXPECT_EQ(test::WaitChild(builder), 0);
    bStop = true;
    sampler.join();
    watcher.join();

    std::ostringstream summary;
    summary << "processes " << kEditors << " editors + 1 builder, " << nSeconds << " s;";
    int nEditSuccesses = 0;
    for (int k = 0; k < kWorkKinds; ++k) {
        summary << " " << kWorkNames[k] << " " << m_nOk[k] << "/" << m_nRuns[k];
        for (const auto& [lCode, n] : m_busy[k]) {
            summary << " [" << lCode << " x" << n << "]";
        }
        summary << ";";
        nEditSuccesses += k != kStatus && k != kList ? m_nOk[k] : 0;
    }
    summary << " builder holds/lock busy/control busy " << test::ReadLinuxFile(strBuilderCounts)
            << "; observer samples " << m_observer.m_nSamples << " (mutex owned in "
            << m_observer.m_nOwnedSamples << "), max concurrent editors "
            << m_observer.m_nMaxEditors << ", editors outside the mutex " << m_observer.m_nOutside
            << ", editors holding a deleted lock file " << m_observer.m_lostLocks.size()
            << "; snapshots " << nSnapshots << " (bad " << snapshotProblems.size() << "); hangs "
            << m_nHangs << "; faults " << m_faults.size();
    test::PrintCampaignSummary("concurrency", summary.str());

    EXPECT_EQ(m_nHangs, 0);
    EXPECT_TRUE(m_faults.empty()) << m_faults.size() << " faults, first " << m_faults.front();
    EXPECT_TRUE(snapshotProblems.empty()) << "first bad snapshot " << snapshotProblems.front();
    EXPECT_LE(m_observer.m_nMaxEditors, 1);
    EXPECT_EQ(m_observer.m_nOutside, 0);
    EXPECT_EQ(m_observer.m_lostLocks.size(), 0u);
    EXPECT_GT(m_observer.m_nOwnedSamples, 0) << "the observer never saw an editor";
    EXPECT_GT(nEditSuccesses, 0) << "no editing run got through";

    // Afterwards both files load, a conversion levels the builder's file, the product is free.
    CCtrlModel base, control;
    EXPECT_EQ(LoadModel(kBasePath, base), 0);
    EXPECT_EQ(LoadModel(kControlPath, control), 0);
    CRunResult convert = Tqctl({"convert"}, "final");
    EXPECT_EQ(convert.m_strOut, "0\t\n") << convert.m_strErr;
    ASSERT_EQ(LoadModel(kBasePath, base), 0);
    ASSERT_EQ(LoadModel(kControlPath, control), 0);
    EXPECT_TRUE(CtrlModelsEqual(base, control));
    EXPECT_EQ(Tqctl({"status"}, "final").m_strOut, "0\n");
    for (const char* pszLeft : {"BaseControl.ini.lock", "BaseControl.ini.NEW", "Control.ini.NEW"}) {
        EXPECT_FALSE(test::LinuxFileExists(m_strControlDir + "/" + pszLeft)) << pszLeft;
    }
    // Nothing takes the requests here: each database new to the builder's file must be requested.
    std::set<std::string> requests;
    test::ReadRequests(requests);
    for (const std::string& strName : DatabaseNames(control)) {
        EXPECT_TRUE(initialNames.contains(strName) || requests.contains(strName))
            << "no rebuild request for " << Cp932ToUtf8Lossy(strName);
    }
    // The sample query file names the user application by its name of now.
    const std::string strAppName(base.GetDatabase(base.GetDBCount() - 1)->m_strName);
    const std::string sample =
        test::ReadLinuxFile(m_prefix.Path("drives/c/Program Files/Trellisquest/Query/sample.qry"));
    EXPECT_NE(sample.find("%%%" + strAppName + "%%%"), std::string::npos)
        << Cp932ToUtf8Lossy(sample);
}

}  // namespace
}  // namespace tq
