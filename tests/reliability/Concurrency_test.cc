// Editors, conversions and status probes on one product at once, as separate tqctl processes,
// while a stand-in for the index builder takes the lock file and reads the control file now and
// then. At every moment at most one editor may hold the editing mutex and the base control file;
// no run may hang or crash; every refusal must be a busy code; the files must load throughout;
// and at the end the builder's control file and its requests must follow the base control file.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "Campaign.h"
#include "controlfile/CtrlCompare.h"
#include "controlfile/CtrlReader.h"
#include "manager/ProductRegKey.h"
#include "platform/Cp932.h"
#include "platform/File.h"
#include "platform/Path.h"
#include "platform/RegFile.h"
#include "platform/Registry.h"
#include "platform/ShareLock.h"
#include "platform/Win32Error.h"
#include "resources/ErrorCodes.h"
#include "support/TestSupport.h"

extern char** environ;

namespace tq {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr int kEditors = 4;
constexpr auto kHangBound = std::chrono::seconds(60);
const std::string kProductKey = std::string(kProductKeyBase) + "Demo";
const std::string kControlFolder = "C:\\Program Files\\Trellisquest\\Control\\";
const std::string kBasePath = kControlFolder + "BaseControl.ini";
const std::string kControlPath = kControlFolder + "Control.ini";

int RandomIn(std::mt19937& random, int lo, int hi) {
    return std::uniform_int_distribution<int>(lo, hi)(random);
}

// The index builder as the editors meet it: now and then it takes the lock file beside the base
// control file (no sharing) and, holding it, reads the control file with other writers denied,
// for a short while; then it lets both go and deletes the lock file. An editor holding the lock
// file makes it wait for the next round.
// args: milliseconds to run, random seed, a Linux file for the counts.
TQ_CHILD_MAIN(IndexBuilder) {
    const auto end = Clock::now() + milliseconds(std::stoi(args[0]));
    std::mt19937 random(static_cast<uint32_t>(std::stoul(args[1])));
    const std::string strLockPath = kBasePath + ".lock";
    int nHolds = 0, nLockBusy = 0, nControlBusy = 0;
    while (Clock::now() < end) {
        std::this_thread::sleep_for(milliseconds(RandomIn(random, 5, 120)));
        CFile lock;
        if (lock.Open(strLockPath, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_NONE, OPEN_ALWAYS) !=
            0) {
            ++nLockBusy;
            continue;
        }
        CFile control;
        if (control.Open(kControlPath, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING) == 0) {
            char buffer[4096];
            uint32_t cbRead = 0;
            while (control.Read(buffer, sizeof(buffer), cbRead) == 0 && cbRead > 0) {
            }
        } else {
            ++nControlBusy;
        }
        std::this_thread::sleep_for(milliseconds(RandomIn(random, 2, 60)));
        control.Close();
        lock.Close();
        DeleteFile(strLockPath);
        ++nHolds;
    }
    test::WriteLinuxFile(args[2], std::to_string(nHolds) + " " + std::to_string(nLockBusy) + " " +
                                      std::to_string(nControlBusy));
    return 0;
}

// The tqctl processes running at the moment, for the observer.
class CLiveProcesses {
public:
    void Add(pid_t pid) {
        std::lock_guard<std::mutex> guard(m_mutex);
        m_pids.insert(pid);
    }
    void Remove(pid_t pid) {
        std::lock_guard<std::mutex> guard(m_mutex);
        m_pids.erase(pid);
    }
    std::set<pid_t> Snapshot() {
        std::lock_guard<std::mutex> guard(m_mutex);
        return m_pids;
    }

private:
    std::mutex m_mutex;
    std::set<pid_t> m_pids;
};

struct CRunResult {
    bool m_bHung = false;
    int m_nStatus = -1;  // exit status, or 128 + signal
    std::string m_strOut;
    std::string m_strErr;
};

// Runs tqctl with stdin from /dev/null and its output in files named by strOutBase; a run that
// outlives kHangBound is killed and counts as hung.
CRunResult RunTqctl(const std::vector<std::string>& args, const std::string& strOutBase,
                    CLiveProcesses& live) {
    const std::string strTool = test::ToolPath("tqctl");
    const std::string strOut = strOutBase + ".out";
    const std::string strErr = strOutBase + ".err";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, strOut.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_addopen(&actions, 2, strErr.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    // The test's own threads read the product's files meanwhile; a descriptor inherited from
    // them would make a starting run look like an editor holding the base control file.
    posix_spawn_file_actions_addclosefrom_np(&actions, 3);
    std::vector<std::string> argv = {strTool};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> cargv;
    for (std::string& a : argv) {
        cargv.push_back(a.data());
    }
    cargv.push_back(nullptr);
    CRunResult result;
    pid_t pid = -1;
    const int err = posix_spawn(&pid, strTool.c_str(), &actions, nullptr, cargv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (err != 0) {
        result.m_strErr = "cannot start tqctl: " + std::to_string(err);
        return result;
    }
    live.Add(pid);
    const auto deadline = Clock::now() + kHangBound;
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (Clock::now() > deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            result.m_bHung = true;
            break;
        }
        std::this_thread::sleep_for(milliseconds(2));
    }
    live.Remove(pid);
    result.m_nStatus = WIFSIGNALED(status) ? 128 + WTERMSIG(status) : WEXITSTATUS(status);
    result.m_strOut = test::ReadLinuxFile(strOut);
    result.m_strErr = test::ReadLinuxFile(strErr);
    return result;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

// The code at the start of a "CODE<TAB>..." line; false when the line has none.
bool LeadingCode(const std::string& line, int32_t& lCode) {
    size_t tab = line.find('\t');
    if (tab == std::string::npos || tab == 0) {
        return false;
    }
    try {
        size_t used = 0;
        lCode = std::stoi(line.substr(0, tab), &used);
        return used == tab;
    } catch (const std::exception&) {
        return false;
    }
}

// What one run may legitimately answer when others hold the product: another editor holds the
// editing mutex (a status probe's brief handle counts, as on Windows), or a reader without
// delete sharing (the builder) holds a file that the save replaces.
bool IsBusyCode(int32_t lCode) {
    return lCode == TQE_EDITING || lCode == TQE_BASE_UPDATE;
}

enum EWork { kSelect, kDeselect, kSave, kRename, kScript, kConvert, kStatus, kList, kWorkKinds };
const char* const kWorkNames[kWorkKinds] = {"select", "deselect", "save",   "rename",
                                            "script", "convert",  "status", "list"};
// How often each kind is picked: the editing kinds most.
const int kWorkWeights[kWorkKinds] = {3, 3, 1, 2, 2, 2, 2, 1};

// The outcome of one run: success, a busy code, or a fault (with what the run printed).
struct COutcome {
    bool m_bOk = false;
    int32_t m_lBusy = 0;
    std::string m_strFault;
};

COutcome Fault(const std::string& strWhy, const CRunResult& run) {
    return {false, 0, strWhy + " | out: " + run.m_strOut + " | err: " + run.m_strErr};
}

// A failure line must carry a busy code.
COutcome BusyOrFault(const std::string& line, const CRunResult& run) {
    int32_t lCode = 0;
    if (LeadingCode(line, lCode) && IsBusyCode(lCode)) {
        return {false, lCode, {}};
    }
    return Fault("undocumented failure", run);
}

// A script run: SetProductKey, Load, DBSetSelected, Save, each printing RESULT<TAB>ERRORCODE.
COutcome ClassifyScript(const CRunResult& run) {
    const std::vector<std::string> lines = Lines(run.m_strOut);
    if (run.m_nStatus != 0 || lines.size() != 4 || lines[0] != "TRUE\t0") {
        return Fault("script", run);
    }
    if (lines[1] != "0\t0") {
        return BusyOrFault(lines[1], run);
    }
    if (lines[2] != "0\t0") {
        return Fault("selection refused", run);
    }
    return lines[3] == "0\t0" ? COutcome{true, 0, {}} : BusyOrFault(lines[3], run);
}

COutcome Classify(EWork kind, const CRunResult& run) {
    if (run.m_bHung) {
        return Fault("hung", run);
    }
    if (run.m_nStatus > 128) {
        return Fault("killed by signal " + std::to_string(run.m_nStatus - 128), run);
    }
    if (kind == kScript) {
        return ClassifyScript(run);
    }
    if (kind == kStatus) {
        // Free, being edited, or the builder holds the lock file; never "unknown".
        const bool bKnown = run.m_strOut == "0\n" || run.m_strOut == "1\n" || run.m_strOut == "2\n";
        return run.m_nStatus == 0 && bKnown ? COutcome{true, 0, {}} : Fault("status", run);
    }
    const std::vector<std::string> lines = Lines(run.m_strOut);
    if (run.m_nStatus == 0) {
        return {true, 0, {}};
    }
    if (run.m_nStatus != 1 || lines.empty()) {
        return Fault("exit status " + std::to_string(run.m_nStatus), run);
    }
    return BusyOrFault(lines.back(), run);
}

struct CKindCounts {
    int m_nRuns = 0;
    int m_nOk = 0;
    std::map<int32_t, int> m_busy;
};

class CCampaignCounts {
public:
    void Note(EWork kind, const COutcome& outcome, bool bHung) {
        std::lock_guard<std::mutex> guard(m_mutex);
        CKindCounts& counts = m_kinds[kind];
        ++counts.m_nRuns;
        counts.m_nOk += outcome.m_bOk ? 1 : 0;
        if (outcome.m_lBusy != 0) {
            ++counts.m_busy[outcome.m_lBusy];
        }
        m_nHangs += bHung ? 1 : 0;
        if (!outcome.m_strFault.empty()) {
            m_faults.push_back(std::string(kWorkNames[kind]) + ": " + outcome.m_strFault);
        }
    }
    const CKindCounts& Kind(int kind) const { return m_kinds[kind]; }
    int GetHangs() const { return m_nHangs; }
    const std::vector<std::string>& GetFaults() const { return m_faults; }

private:
    std::mutex m_mutex;
    CKindCounts m_kinds[kWorkKinds];
    int m_nHangs = 0;
    std::vector<std::string> m_faults;
};

// Watches from outside, taking no lock itself. An editor is a tqctl process that has the base
// control file open (from its load to its end); the editing mutex is owned while some handle
// holds the owner byte (byte 2) of the mutex's lock file, which a lock probe (F_OFD_GETLK) sees.
// Process tables are not read in one instant, so a sighting counts only when a second look
// confirms it: a process seen holding the file before and after another holder was seen, or
// before and after the mutex was seen free, held it all along (it reopens the file only while
// it saves, that is while it owns the mutex).
class CEditorObserver {
public:
    CEditorObserver(const std::string& strMutexFile, const std::string& strBaseFile,
                    CLiveProcesses& live)
        : m_strBaseFile(strBaseFile), m_live(live) {
        m_fdMutex = open(strMutexFile.c_str(), O_RDWR | O_CLOEXEC);
    }
    ~CEditorObserver() {
        if (m_fdMutex >= 0) {
            close(m_fdMutex);
        }
    }
    bool Knows() const { return m_fdMutex >= 0; }
    void Start() {
        m_thread = std::thread([this] {
            while (!m_bStop) {
                Sample();
                std::this_thread::sleep_for(std::chrono::microseconds(500));
            }
        });
    }
    void Stop() {
        m_bStop = true;
        m_thread.join();
    }
    int GetSamples() const { return m_nSamples; }
    int GetOwnedSamples() const { return m_nOwnedSamples; }
    int GetMaxEditors() const { return m_nMaxEditors; }
    int GetEditorsOutsideMutex() const { return m_nOutside; }
    size_t GetLostLockFiles() {
        std::lock_guard<std::mutex> guard(m_mutex);
        return m_lostLocks.size();
    }

private:
    bool IsMutexOwned() const {
        struct flock probe {};
        probe.l_type = F_WRLCK;
        probe.l_whence = SEEK_SET;
        probe.l_start = 2;
        probe.l_len = 1;
        return fcntl(m_fdMutex, F_OFD_GETLK, &probe) == 0 && probe.l_type != F_UNLCK;
    }
    // Whether a process has the base control file open; notes a process whose handle denies
    // deletion of a lock file that is no longer on disk (it was deleted between the holder's
    // open and its share locks, so the builder no longer sees the editor). A delete's own
    // handle, which shows the file deleted until it closes, denies nothing and does not count.
    bool HoldsBaseFile(pid_t pid) {
        const std::string strLockFile = m_strBaseFile + ".lock (deleted)";
        const std::string strProc = "/proc/" + std::to_string(pid);
        bool bHolds = false;
        std::error_code ec;
        for (const auto& fd : fs::directory_iterator(strProc + "/fd", ec)) {
            std::error_code ecLink;
            const std::string target = fs::read_symlink(fd.path(), ecLink).string();
            if (ecLink) {
                continue;
            }
            bHolds = bHolds || target == m_strBaseFile || target == m_strBaseFile + " (deleted)";
            if (target == strLockFile &&
                DeniesDeletion(strProc + "/fdinfo/" + fd.path().filename().string())) {
                std::lock_guard<std::mutex> guard(m_mutex);
                m_lostLocks.insert(pid);
            }
        }
        return bHolds;
    }
    // Whether the descriptor holds the share lock that denies deletion (its "lock:" lines).
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
        std::vector<pid_t> holders;
        for (pid_t pid : m_live.Snapshot()) {
            if (HoldsBaseFile(pid)) {
                holders.push_back(pid);
            }
        }
        const bool bOwned = IsMutexOwned();
        ++m_nSamples;
        m_nOwnedSamples += bOwned ? 1 : 0;
        if (holders.empty()) {
            return;
        }
        const bool bFirstStill = HoldsBaseFile(holders.front());
        int nEditors = bFirstStill ? static_cast<int>(holders.size()) : 1;
        m_nMaxEditors = std::max(m_nMaxEditors.load(), nEditors);
        if (!bOwned && bFirstStill) {
            ++m_nOutside;
        }
        if (nEditors > 1 || (!bOwned && bFirstStill)) {
            NoteViolation(holders, bOwned);
        }
    }
    // Says at once which runs broke the rule (the first few times), with their command lines.
    void NoteViolation(const std::vector<pid_t>& holders, bool bOwned) {
        if (++m_nViolationsShown > 5) {
            return;
        }
        std::string strWhat = bOwned ? "editors at once:" : "editor outside the mutex:";
        for (pid_t pid : holders) {
            std::string cmdline = test::ReadLinuxFile("/proc/" + std::to_string(pid) + "/cmdline");
            std::replace(cmdline.begin(), cmdline.end(), '\0', ' ');
            strWhat += " [" + std::to_string(pid) + " " + cmdline + "; open:";
            std::error_code ec;
            const std::string strFds = "/proc/" + std::to_string(pid) + "/fd";
            for (const auto& fd : fs::directory_iterator(strFds, ec)) {
                std::error_code ecLink;
                strWhat += ' ' + fs::read_symlink(fd.path(), ecLink).filename().string();
            }
            strWhat += "]";
        }
        std::fprintf(stderr, "%s\n", strWhat.c_str());
    }

    int m_fdMutex = -1;
    std::string m_strBaseFile;
    CLiveProcesses& m_live;
    std::thread m_thread;
    std::atomic<bool> m_bStop{false};
    std::atomic<int> m_nSamples{0};
    std::atomic<int> m_nOwnedSamples{0};
    std::atomic<int> m_nMaxEditors{0};
    std::atomic<int> m_nOutside{0};
    int m_nViolationsShown = 0;
    std::mutex m_mutex;
    std::set<pid_t> m_lostLocks;
};

// Both files parse as they lie on disk at this moment, and the builder's requests can be read.
std::string CheckSnapshot(const std::string& strBaseFile, const std::string& strControlFile) {
    for (const std::string& strFile : {strBaseFile, strControlFile}) {
        CCtrlModel model;
        const std::string text = test::ReadLinuxFile(strFile);
        if (text.empty()) {
            return strFile + " is missing or empty";
        }
        if (int32_t err = CCtrlReader(model, nullptr).Parse(text); err != 0) {
            return strFile + " does not load: " + std::to_string(err);
        }
    }
    CRegKey requests;
    if (int32_t err =
            requests.Open(HKEY_LOCAL_MACHINE, kProductKey + "\\Builder\\Request", KEY_READ);
        err != 0) {
        return "Builder\\Request cannot be opened: " + std::to_string(err);
    }
    std::string strName, data;
    uint32_t type = 0;
    int32_t err = 0;
    for (uint32_t i = 0; (err = requests.EnumValue(i, strName, type, data)) == 0; ++i) {
    }
    return err == ERROR_NO_MORE_ITEMS ? std::string()
                                      : "Builder\\Request cannot be read: " + std::to_string(err);
}

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

std::set<std::string> RequestNames() {
    std::set<std::string> names;
    CRegKey requests;
    if (requests.Open(HKEY_LOCAL_MACHINE, kProductKey + "\\Builder\\Request", KEY_READ) == 0) {
        std::string strName, data;
        uint32_t type = 0;
        for (uint32_t i = 0; requests.EnumValue(i, strName, type, data) == 0; ++i) {
            names.insert(strName);
        }
    }
    return names;
}

class ConcurrencyTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (access(test::ToolPath("tqctl").c_str(), X_OK) != 0) {
            FAIL() << "tqctl is not built at " << test::ToolPath("tqctl");
        }
        ASSERT_EQ(test::InstallDemoProduct(m_prefix), 0);
        m_strControlDir = m_prefix.Path("drives/c/Program Files/Trellisquest/Control");
        for (const char* pszFirst : {"register", "convert"}) {
            CRunResult run = Tqctl({pszFirst}, "setup");
            ASSERT_EQ(run.m_nStatus, 0) << pszFirst << ": " << run.m_strOut << run.m_strErr;
        }
    }
    void TearDown() override { SetCurrentDirectory(m_strSavedDirectory); }

    CRunResult Tqctl(std::vector<std::string> args, const std::string& strName) {
        args.insert(args.begin(), {"--prefix", m_prefix.GetDir(), "--product", "Demo"});
        return RunTqctl(args, m_prefix.Path(strName), m_live);
    }

    // One editor's loop: random work until the end of the campaign.
    void EditorLoop(int nEditor, Clock::time_point end) {
        std::mt19937 random(20261206u + static_cast<uint32_t>(nEditor));
        std::discrete_distribution<int> pick(std::begin(kWorkWeights), std::end(kWorkWeights));
        const std::string strName = "editor" + std::to_string(nEditor);
        const std::string strScript = m_prefix.Path(strName + ".script");
        int nRenames = 0;
        while (Clock::now() < end) {
            const EWork kind = static_cast<EWork>(pick(random));
            const std::string strNumber = std::to_string(RandomIn(random, 1, 3));
            std::vector<std::string> args;
            switch (kind) {
                case kSelect:
                case kDeselect:
                    args = {"--yes", kWorkNames[kind], "2", strNumber};
                    break;
                case kSave:
                    args = {"--yes", "save"};
                    break;
                case kRename:
                    // A new name every time: an edit that changes nothing is answered as cancelled.
                    args = {"--yes",
                            "edit-app",
                            "3",
                            "1",
                            "--name",
                            "Notes " + std::to_string(nEditor) + "." + std::to_string(++nRenames)};
                    break;
                case kScript:
                    test::WriteLinuxFile(
                        strScript, "SetProductKey \"Demo\"\nLoad\nDBSetSelected 2 " + strNumber +
                                       (RandomIn(random, 0, 1) ? " TRUE" : " FALSE") +
                                       "\nSave 1\n");
                    args = {"--yes", "script", strScript};
                    break;
                default:
                    args = {kWorkNames[kind]};
                    break;
            }
            const CRunResult run = Tqctl(args, strName);
            m_counts.Note(kind, Classify(kind, run), run.m_bHung);
        }
    }

    // Samples the files and the registry about every 200 ms until stopped.
    void SampleLoop(const std::atomic<bool>& bStop) {
        const std::string strBase = m_strControlDir + "/BaseControl.ini";
        const std::string strControl = m_strControlDir + "/Control.ini";
        while (!bStop) {
            const std::string strProblem = CheckSnapshot(strBase, strControl);
            std::lock_guard<std::mutex> guard(m_sampleMutex);
            ++m_nSnapshots;
            if (!strProblem.empty()) {
                m_snapshotProblems.push_back(strProblem);
            }
            std::this_thread::sleep_for(milliseconds(200));
        }
    }

    test::CTempPrefix m_prefix;
    std::string m_strSavedDirectory = GetCurrentDirectory();
    std::string m_strControlDir;
    CLiveProcesses m_live;
    CCampaignCounts m_counts;
    std::mutex m_sampleMutex;
    int m_nSnapshots = 0;
    std::vector<std::string> m_snapshotProblems;
};

TEST_F(ConcurrencyTest, EditorsConversionsAndTheBuilderShareOneProduct) {
    const int nSeconds = test::CampaignCount(15, 600);
    CCtrlModel initial;
    ASSERT_EQ(LoadModel(kControlPath, initial), 0);
    const std::set<std::string> initialNames = DatabaseNames(initial);

    CEditorObserver observer(m_prefix.Path("locks/TrellisquestCustomize.Mutex"),
                             fs::canonical(m_strControlDir).string() + "/BaseControl.ini", m_live);
    ASSERT_TRUE(observer.Knows()) << "the editing mutex has no lock file after the first convert";
    const std::string strBuilderCounts = m_prefix.Path("builder.counts");
    const pid_t builder =
        test::StartChild("IndexBuilder", {std::to_string(nSeconds * 1000), "8", strBuilderCounts});
    observer.Start();
    std::atomic<bool> bStopSampling{false};
    std::thread sampler([&] { SampleLoop(bStopSampling); });
    const auto end = Clock::now() + std::chrono::seconds(nSeconds);
    std::vector<std::thread> editors;
    for (int i = 0; i < kEditors; ++i) {
        editors.emplace_back([this, i, end] { EditorLoop(i, end); });
    }
    for (std::thread& t : editors) {
        t.join();
    }
    EXPECT_EQ(test::WaitChild(builder), 0);
    bStopSampling = true;
    sampler.join();
    observer.Stop();

    // The counts, whatever the verdict.
    std::ostringstream summary;
    summary << "processes " << kEditors << " editors + 1 builder, " << nSeconds << " s;";
    int nEditSuccesses = 0;
    for (int k = 0; k < kWorkKinds; ++k) {
        const CKindCounts& counts = m_counts.Kind(k);
        summary << " " << kWorkNames[k] << " " << counts.m_nOk << "/" << counts.m_nRuns;
        for (const auto& [lCode, n] : counts.m_busy) {
            summary << " [" << lCode << " x" << n << "]";
        }
        summary << ";";
        nEditSuccesses += k != kStatus && k != kList ? counts.m_nOk : 0;
    }
    const std::vector<std::string> builderCounts =
        Lines(test::ReadLinuxFile(strBuilderCounts) + "\n");
    summary << " builder holds/lock busy/control busy "
            << (builderCounts.empty() ? "?" : builderCounts[0]) << ";"
            << " observer samples " << observer.GetSamples() << " (mutex owned in "
            << observer.GetOwnedSamples() << "), max concurrent editors "
            << observer.GetMaxEditors() << ", editors outside the mutex "
            << observer.GetEditorsOutsideMutex() << ", editors holding a deleted lock file "
            << observer.GetLostLockFiles() << ";"
            << " snapshots " << m_nSnapshots << " (bad " << m_snapshotProblems.size() << ");"
            << " hangs " << m_counts.GetHangs() << "; faults " << m_counts.GetFaults().size();
    test::PrintCampaignSummary("concurrency", summary.str());

    EXPECT_EQ(m_counts.GetHangs(), 0);
    for (size_t i = 0; i < m_counts.GetFaults().size() && i < 10; ++i) {
        ADD_FAILURE() << m_counts.GetFaults()[i];
    }
    EXPECT_LE(observer.GetMaxEditors(), 1);
    EXPECT_EQ(observer.GetEditorsOutsideMutex(), 0);
    EXPECT_EQ(observer.GetLostLockFiles(), 0u);
    EXPECT_GT(observer.GetOwnedSamples(), 0) << "the observer never saw an editor";
    EXPECT_GT(nEditSuccesses, 0) << "no editing run got through";
    for (size_t i = 0; i < m_snapshotProblems.size() && i < 10; ++i) {
        ADD_FAILURE() << m_snapshotProblems[i];
    }

    // Afterwards: both files load fully, one more conversion brings the builder's file in line
    // with the base control file, and the product is free again.
    CCtrlModel base, control;
    EXPECT_EQ(LoadModel(kBasePath, base), 0);
    EXPECT_EQ(LoadModel(kControlPath, control), 0);
    CRunResult convert = Tqctl({"convert"}, "final");
    EXPECT_EQ(convert.m_strOut, "0\t\n") << convert.m_strErr;
    ASSERT_EQ(LoadModel(kBasePath, base), 0);
    ASSERT_EQ(LoadModel(kControlPath, control), 0);
    EXPECT_TRUE(CtrlModelsEqual(base, control));
    EXPECT_EQ(Tqctl({"status"}, "final").m_strOut, "0\n");
    EXPECT_FALSE(test::LinuxFileExists(m_strControlDir + "/BaseControl.ini.lock"));
    EXPECT_FALSE(test::LinuxFileExists(m_strControlDir + "/BaseControl.ini.NEW"));
    EXPECT_FALSE(test::LinuxFileExists(m_strControlDir + "/Control.ini.NEW"));

    // Nothing consumes the requests here, so every database that the builder's file holds now
    // and did not hold at the start must have been asked for.
    const std::set<std::string> requests = RequestNames();
    for (const std::string& strName : DatabaseNames(control)) {
        if (!initialNames.contains(strName)) {
            EXPECT_TRUE(requests.contains(strName))
                << "no rebuild request for " << Cp932ToUtf8Lossy(strName);
        }
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
