// The rows of bench/run on Windows (run under Wine by scripts/windows.sh --bench): load +
// validate, full-form write, a whole save after one change, the registry calls and the check job
// of an add action in the wait dialog, each next to the baseline of its Linux program measured in
// the same run on this side: read+split of the same file, fwrite of the same bytes plus the same
// flushes, read+split of the saved base control file, the system's own registry call that the
// key's method makes, open+read of the chosen files, the job without a dialog and the longest
// pause of an idle message loop.
//
// Google Benchmark is not built for Windows here, so a small loop of its own times them: every
// operation once untimed, then repetitions interleaved (figure, baseline, figure...), each
// repeating the operation for at least 0.3 s. The results are Google Benchmark's JSON under the
// names the Linux programs use, so that bench/report.py reads both alike.
//
//   windows_bench controlfile|manager|registry|checkjob > RESULTS.json
//   windows_bench filelist FOLDER > RESULTS.json   (FOLDER holds files1000, files10000, ...)
#include "dialogs/win32/DialogApi.h"
// The system first (DialogApi.h), then the project.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "BenchCommon.h"
#include "applications/AppliOperations.h"
#include "applications/JobWaitLoop.h"
#include "applications/TargetList.h"
#include "controlfile/CtrlModel.h"
#include "controlfile/CtrlReader.h"
#include "controlfile/CtrlWriter.h"
#include "dialogs/win32/FileListCtrl.h"
#include "dialogs/win32/WaitDlg.h"
#include "manager/CtrlFile.h"

namespace tq::bench {
namespace {

// One benchmark: its Google Benchmark name, the operation (false: it failed), what one run
// handles (bytes, or 0 for a call), an untimed step before each run, the items one run handles
// (0: not counted), and for a run on the user's thread the longest pause of its message loop
// since the last call, in ms (the counter ui_pause_ms of each repetition).
struct CCase {
    std::string m_strName;
    std::function<bool()> m_operation;
    double m_cbAmount = 0;
    std::function<bool()> m_prepare = [] { return true; };
    double m_nItems = 0;
    std::function<double()> m_takePause = nullptr;
};

// Seconds per run of one repetition: runs until 0.3 s have passed; negative when it failed.
double TimeRepetition(const CCase& c) {
    using Clock = std::chrono::steady_clock;
    double total = 0;
    long runs = 0;
    while (total < 0.3) {
        if (!c.m_prepare()) {
            return -1;
        }
        const auto t0 = Clock::now();
        const bool bOk = c.m_operation();
        total += std::chrono::duration<double>(Clock::now() - t0).count();
        ++runs;
        if (!bOk) {
            return -1;
        }
    }
    return total / static_cast<double>(runs);
}

void PrintRun(const CCase& c, double seconds, double pauseMs, int repetitions, bool& bFirst) {
    std::printf(
        "%s\n    {\"name\": \"%s\", \"run_name\": \"%s\", \"run_type\": \"iteration\", "
        "\"repetitions\": %d, ",
        bFirst ? "" : ",", c.m_strName.c_str(), c.m_strName.c_str(), repetitions);
    bFirst = false;
    if (seconds < 0) {
        std::printf("\"error_occurred\": true, \"error_message\": \"failed\"}");
        return;
    }
    std::printf("\"real_time\": %.3f, \"time_unit\": \"ns\"", seconds * 1e9);
    if (c.m_cbAmount > 0) {
        std::printf(", \"bytes_per_second\": %.1f", c.m_cbAmount / seconds);
    }
    if (c.m_nItems > 0) {
        std::printf(", \"items_per_second\": %.1f", c.m_nItems / seconds);
    }
    if (c.m_takePause) {
        std::printf(", \"ui_pause_ms\": %.3f", pauseMs);
    }
    std::printf("}");
}

// Runs the cases, repetitions interleaved, and prints each run as an entry of the document.
void RunCases(const std::vector<CCase>& cases, int repetitions, bool& bFirst) {
    std::vector<bool> failed(cases.size());
    // The pause of a first run, which also pays for the process's first window, is not counted.
    const auto takePause = [](const CCase& c) { return c.m_takePause ? c.m_takePause() : 0.0; };
    for (size_t i = 0; i < cases.size(); ++i) {
        failed[i] = !cases[i].m_prepare() || !cases[i].m_operation();
        takePause(cases[i]);
    }
    for (int r = 0; r < repetitions; ++r) {
        for (size_t i = 0; i < cases.size(); ++i) {
            const double seconds = failed[i] ? -1 : TimeRepetition(cases[i]);
            failed[i] = seconds < 0;
            PrintRun(cases[i], seconds, takePause(cases[i]), repetitions, bFirst);
        }
    }
}

// A folder of the run in the system's temporary folder, removed at exit.
class CBenchFolder {
public:
    CBenchFolder()
        : m_dir(std::filesystem::temp_directory_path() /
                ("tq-bench." + std::to_string(::GetCurrentProcessId()))) {
        std::filesystem::create_directories(m_dir);
    }
    ~CBenchFolder() {
        std::error_code ec;
        std::filesystem::remove_all(m_dir, ec);
    }
    CBenchFolder(const CBenchFolder&) = delete;
    CBenchFolder& operator=(const CBenchFolder&) = delete;

    // The path of a file in it, with "/" as a folder ends.
    std::string Path(const std::string& strName) const { return (m_dir / strName).string(); }

private:
    std::filesystem::path m_dir;
};

// HKEY_LOCAL_MACHINE as the system names it (the project's name is its own constant).
::HKEY SystemHklm() {
    return reinterpret_cast<::HKEY>(
        static_cast<intptr_t>(static_cast<int32_t>(static_cast<uint32_t>(HKEY_LOCAL_MACHINE))));
}

// The key of the registry's rows.
constexpr const char* kRegistryKey = "SOFTWARE\\Orbanworks\\Bench";

// Removes the keys a run made (the product's and the registry rows').
void DeleteKeys() {
    ::RegDeleteTreeA(SystemHklm(), CBenchProduct::KeyPath().c_str());
    ::RegDeleteTreeA(SystemHklm(), kRegistryKey);
}

double SizeOf(const std::string& strPath) {
    return static_cast<double>(std::filesystem::file_size(strPath));
}

// Load + validate against read+split, full-form write against fwrite+flushes: 1,000, 10,000 and
// 100,000 databases (three repetitions of the largest).
void ControlFileCases(const CBenchFolder& folder, bool& bFirst) {
    std::string buffer;
    for (int n : {1000, 10000, 100000}) {
        const std::string strSource = folder.Path("source" + std::to_string(n) + ".ctl");
        WriteHostFile(strSource, GenerateCtrlText(n));
        CCtrlModel model;
        CFile file;
        CCtrlReader(model, nullptr).Load(file, WinPath(strSource));
        file.Close();
        const std::string text = CCtrlWriter(model).Render(true);
        const std::string strOut = folder.Path("written.ctl");
        const std::string strSize = std::string("/").append(std::to_string(n));
        const std::vector<CCase> cases = {
            {"BM_LoadValidate" + strSize,
             [&] {
                 CCtrlModel loaded;
                 CFile source;
                 return CCtrlReader(loaded, nullptr).Load(source, WinPath(strSource)) == 0;
             },
             SizeOf(strSource)},
            {"BM_Baseline_ReadSplit" + strSize, [&] { return ReadAndSplit(strSource, buffer) > 0; },
             SizeOf(strSource)},
            {"BM_Write" + strSize + "/1",
             [&] { return CCtrlWriter(model).Write(WinPath(strOut), true) == 0; },
             static_cast<double>(text.size())},
            {"BM_Baseline_Fwrite" + strSize + "/1", [&] { return WriteAndFlush(strOut, text); },
             static_cast<double>(text.size())}};
        RunCases(cases, n == 100000 ? 3 : 5, bFirst);
    }
}

// A whole save of 10,000 databases after one selection changed (the change not timed) against
// read+split of the base control file.
void ManagerCases(const CBenchFolder& folder, bool& bFirst) {
    const CBenchProduct product(folder.Path("c") + "/");
    product.WriteBase(GenerateNestedCtrlText(10000));
    CCtrlFile file;
    file.OpenProductKey(CBenchProduct::KeyPath());
    const bool bReady = file.Load() == 0 && file.Save() == 0;
    int32_t toggle = 0;
    std::string buffer;
    const double cb = SizeOf(product.BasePath());
    const std::vector<CCase> cases = {
        {"BM_SaveAfterOneChange/10000", [&] { return bReady && file.Save() == 0; }, cb,
         [&] {
             toggle ^= 1;
             return CAppliOperations(file).SetDBSelected(
                        static_cast<int32_t>(file.GetDBCount()) - 1, toggle) == 0;
         }},
        {"BM_Baseline_ReadSplit/10000",
         [&] { return ReadAndSplit(product.BasePath(), buffer) > 0; }, cb}};
    RunCases(cases, 5, bFirst);
}

// The key's methods against the system's calls they make, on the same key, the same 100 names
// and the same data: SetValue against RegSetValueExA, QueryValue against RegQueryValueExA.
void RegistryCases(bool& bFirst) {
    static const std::string s_data = "C:\\Program Files\\Orbanworks\\Trellisquest\\Data";
    const auto cbData = static_cast<uint32_t>(s_data.size() + 1);
    const auto* pData = reinterpret_cast<const BYTE*>(s_data.c_str());
    std::vector<std::string> names;
    for (int i = 0; i < 100; ++i) {
        names.push_back("VALUE" + std::to_string(i));
    }
    CRegKey key;
    ::HKEY hKey = nullptr;
    key.Create(HKEY_LOCAL_MACHINE, kRegistryKey, KEY_ALL_ACCESS);
    ::RegCreateKeyExA(SystemHklm(), kRegistryKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &hKey,
                      nullptr);
    for (const std::string& strName : names) {
        key.SetValue(strName, REG_SZ, pData, cbData);
    }
    size_t i = 0;
    BYTE buf[256];
    const auto next = [&] { return names[i++ % names.size()].c_str(); };
    const std::vector<CCase> cases = {
        {"BM_RegSetValue", [&] { return key.SetValue(next(), REG_SZ, pData, cbData) == 0; }},
        {"BM_Baseline_RegSetValueExA",
         [&] { return ::RegSetValueExA(hKey, next(), 0, REG_SZ, pData, cbData) == 0; }},
        {"BM_RegQueryValue",
         [&] {
             uint32_t type = 0, cb = sizeof buf;
             return key.QueryValue(next(), &type, buf, &cb) == 0;
         }},
        {"BM_Baseline_RegQueryValueExA", [&] {
             DWORD type = 0, cb = sizeof buf;
             return ::RegQueryValueExA(hKey, next(), nullptr, &type, buf, &cb) == 0;
         }}};
    RunCases(cases, 5, bFirst);
    ::RegCloseKey(hKey);
}

// The longest time between two turns of this thread's message loop while it is watched: a thread
// timer at the system's shortest period (10 ms) is dispatched by whichever loop the thread runs,
// the wait dialog's own included, and stamps the time at each firing.
class CLoopWatch {
public:
    void Start() {
        s_pWatch = this;
        m_last = Clock::now();
        m_nTimer = ::SetTimer(nullptr, 0, USER_TIMER_MINIMUM, OnTimer);
    }
    // The time since the last turn counts too: the loop may have been stuck at its end.
    void Stop() {
        Stamp();
        ::KillTimer(nullptr, m_nTimer);
        s_pWatch = nullptr;
    }
    double TakeLongestMs() {
        const double ms = std::chrono::duration<double, std::milli>(m_longest).count();
        m_longest = {};
        return ms;
    }

private:
    using Clock = std::chrono::steady_clock;
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD) {
        if (s_pWatch != nullptr) {
            s_pWatch->Stamp();
        }
    }
    void Stamp() {
        const Clock::time_point now = Clock::now();
        m_longest = std::max(m_longest, now - m_last);
        m_last = now;
    }

    static inline CLoopWatch* s_pWatch = nullptr;
    UINT_PTR m_nTimer = 0;
    Clock::time_point m_last;
    Clock::duration m_longest{};
};

// Stands in for the topic-filter library when this process has none: reads the file whole and
// finds a topic in any file that is not empty (the library reads at least that much).
class CReadingFilter : public ITopicFilter {
public:
    int32_t HlpHaveTopic(const std::string& strPath) const override { return Read(strPath); }
    int32_t ChmHaveTopic(const std::string& strPath) const override { return Read(strPath); }
    int32_t PdfHaveTopic(const std::string& strPath, int32_t) const override {
        return Read(strPath);
    }
    int32_t TxtHaveTopic(const std::string& strPath) const override { return Read(strPath); }
    int32_t HtmlHaveTopic(const std::string& strPath) const override { return Read(strPath); }

private:
    static int32_t Read(const std::string& strPath) {
        return ReadHostFile(strPath).empty() ? 0 : 1;
    }
};

// Whether this process can show a window (a display under Wine).
bool CanShowWindows() {
    HWND hWnd = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                  nullptr, nullptr);
    if (hWnd != nullptr) {
        ::DestroyWindow(hWnd);
    }
    return hWnd != nullptr;
}

// A plain message loop with nothing to do for 150 ms, about as long as the job takes.
bool RunIdleLoop(CLoopWatch& watch) {
    const UINT_PTR nEnd = ::SetTimer(nullptr, 0, 150, nullptr);
    watch.Start();
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0 &&
           !(msg.message == WM_TIMER && msg.wParam == nEnd)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    watch.Stop();
    ::KillTimer(nullptr, nEnd);
    return true;
}

// The check job of an add action over kCheckFiles small help files, as checkjob_bench has it on
// Linux: the job with this thread serving the target list against open+read of the same files;
// the job in the wait dialog against the job alone; the longest pause of the wait dialog's loop
// against that of an idle loop with the same timer.
void CheckJobCases(const CBenchFolder& folder, bool& bFirst) {
    const INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS};
    ::InitCommonControlsEx(&controls);
    std::vector<CCheckItem> items;
    for (int i = 0; i < kCheckFiles; ++i) {
        items.push_back({folder.Path(CheckFileName(i)), CheckFileName(i)});
        WriteHostFile(items.back().m_strPath, CheckFileText(i));
    }
    static const CReadingFilter s_reading;
    const bool bLibrary = CTopicLibrary::Get().IsLoaded();
    std::fprintf(stderr, "windows_bench checkjob: the topic filter is %s\n",
                 bLibrary ? "the library" : "a stand-in that reads each file (no library)");
    CCtrlModel model;
    const CHelpFileCheck check{&model, bLibrary ? nullptr : &s_reading};
    const bool bWindows = CanShowWindows();
    CLoopWatch dialogWatch, idleWatch;
    const auto runJob = [&](bool bDialog) {
        CSortedTargetList targets;
        std::vector<std::string> accepted;
        CJobWaitLoop loop;
        CWaitDlg dialog;
        CCheckJob job(items, check, targets, bDialog ? static_cast<IJobOwner&>(dialog) : loop,
                      &accepted);
        if (bDialog) {
            dialogWatch.Start();
            dialog.RunJob(job, nullptr);
            dialogWatch.Stop();
        } else {
            job.Start();
            loop.Wait();
            job.Join();
        }
        return accepted.size() == items.size();
    };
    const double nItems = kCheckFiles;
    const std::vector<CCase> cases = {
        {"BM_Baseline_OpenRead/1000",
         [&] {
             size_t cb = 0;
             for (const CCheckItem& item : items) {
                 cb += ReadHostFile(item.m_strPath).size();
             }
             return cb > 0;
         },
         0, [] { return true; }, nItems},
        {"BM_CheckJob/1000", [&] { return runJob(false); }, 0, [] { return true; }, nItems},
        {"BM_CheckJobInWaitDialog/1000", [&] { return bWindows && runJob(true); }, 0,
         [] { return true; }, nItems, [&] { return dialogWatch.TakeLongestMs(); }},
        {"BM_Baseline_IdleLoop", [&] { return RunIdleLoop(idleWatch); }, 0, [] { return true; }, 0,
         [&] { return idleWatch.TakeLongestMs(); }}};
    RunCases(cases, 5, bFirst);
}

// The entries of a folder as the system's search gives them (FindFirstFileW, FindNextFileW);
// with bFirstOnly, only the first.
bool ListFolder(const std::string& strFolder, size_t nAtLeast, bool bFirstOnly = false) {
    WIN32_FIND_DATAW found;
    const std::wstring strPattern =
        std::filesystem::path(strFolder + "*").wstring();  // the folder's names are ASCII
    HANDLE h = ::FindFirstFileW(strPattern.c_str(), &found);
    size_t n = 0;
    for (bool bMore = h != INVALID_HANDLE_VALUE; bMore; bMore = ::FindNextFileW(h, &found)) {
        ++n;
        if (bFirstOnly) {
            break;
        }
    }
    if (h != INVALID_HANDLE_VALUE) {
        ::FindClose(h);
    }
    return n >= nAtLeast;
}

// The file list (the dialogs' list view over its model) filled from a folder of 1,000, 10,000
// and 100,000 files in the compact and in the details view, against the system's search of the
// same folder; the list reads a folder in pieces on its timer, this thread's loop turning between
// them, and the longest wait of the loop for a piece (100,000 files, compact view) is set against
// the rows made in one go, as the list was filled before. The folders are strRoot's files<n>,
// made as filelist_bench makes its folders on Linux (scripts/windows.sh makes them: Wine makes a
// file in time that grows with the folder).
void FileListCases(const std::string& strRoot, bool& bFirst) {
    const INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&controls);
    const HWND hList = ::CreateWindowExW(0, WC_LISTVIEWW, L"", WS_POPUP | LVS_LIST | LVS_OWNERDATA,
                                         0, 0, 400, 300, nullptr, nullptr, nullptr, nullptr);
    CFileListCtrl list;
    list.Initialize(hList);
    CShellFileInfoProvider provider;
    CWinListLocale locale;
    CFileListModel oneGo(provider, locale);
    CLoopWatch fillWatch, oneGoWatch;
    for (int n : {1000, 10000, 100000}) {
        const std::string strFolder = strRoot + "\\files" + std::to_string(n) + "\\";
        // Appended, not "/" + to_string(n): GCC 12 at -O3 warns of an overlap there (-Wrestrict).
        const std::string strSize = std::string("/").append(std::to_string(n));
        // The view is switched before the timed fill (which then makes the rows' details or not).
        const auto fill = [&list, &fillWatch, &strFolder, n] {
            fillWatch.Start();
            list.ShowFolder(strFolder, true);
            MSG msg;
            while (list.IsFilling() && ::GetMessageW(&msg, nullptr, 0, 0) > 0) {
                ::TranslateMessage(&msg);
                ::DispatchMessageW(&msg);
            }
            fillWatch.Stop();
            return list.GetModel().GetRowCount() >= static_cast<size_t>(n);
        };
        const auto view = [&list](int32_t nView) {
            return [&list, nView] {
                list.SetView(nView);
                return true;
            };
        };
        const auto takeFillPause = [&fillWatch] { return fillWatch.TakeLongestMs(); };
        const double nItems = n;
        std::vector<CCase> cases = {
            {"BM_Baseline_FindFiles" + strSize, [&] { return ListFolder(strFolder, n); }, 0,
             [] { return true; }, nItems},
            {"BM_FillList" + strSize, fill, 0, view(kViewList), nItems, takeFillPause},
            {"BM_FillDetails" + strSize, fill, 0, view(kViewDetails), nItems, takeFillPause}};
        if (n == 100000) {
            // The system's first call of a search alone: under Wine it reads the whole folder.
            cases.push_back({"BM_Baseline_FirstFind" + strSize,
                             [&] {
                                 oneGoWatch.Start();
                                 const bool bFound = ListFolder(strFolder, 0, true);
                                 oneGoWatch.Stop();
                                 return bFound;
                             },
                             0, [] { return true; }, 0,
                             [&oneGoWatch] { return oneGoWatch.TakeLongestMs(); }});
            cases.push_back({"BM_Baseline_FillInOneGo" + strSize,
                             [&] {
                                 oneGoWatch.Start();
                                 oneGo.ShowFolder(strFolder, true);
                                 oneGoWatch.Stop();
                                 return oneGo.GetRowCount() >= static_cast<size_t>(n);
                             },
                             0, [] { return true; }, nItems,
                             [&oneGoWatch] { return oneGoWatch.TakeLongestMs(); }});
        }
        RunCases(cases, n == 100000 ? 3 : 5, bFirst);
    }
    ::DestroyWindow(hList);
}

}  // namespace
}  // namespace tq::bench

int main(int argc, char** argv) {
    const std::string strGroup = argc >= 2 ? argv[1] : "";
    const std::string strFolders = argc == 3 ? argv[2] : "";
    if (strGroup != "controlfile" && strGroup != "manager" && strGroup != "registry" &&
        strGroup != "checkjob" && (strGroup != "filelist" || strFolders.empty())) {
        std::fprintf(
            stderr, "usage: windows_bench controlfile|manager|registry|checkjob|filelist FOLDER\n");
        return 2;
    }
    std::printf("{\"context\": {\"library_build_type\": \"windows_bench\"}, \"benchmarks\": [");
    bool bFirst = true;
    {
        const tq::bench::CBenchFolder folder;
        if (strGroup == "controlfile") {
            tq::bench::ControlFileCases(folder, bFirst);
        } else if (strGroup == "manager") {
            tq::bench::ManagerCases(folder, bFirst);
        } else if (strGroup == "checkjob") {
            tq::bench::CheckJobCases(folder, bFirst);
        } else if (strGroup == "filelist") {
            tq::bench::FileListCases(strFolders, bFirst);
        } else {
            tq::bench::RegistryCases(bFirst);
        }
    }
    tq::bench::DeleteKeys();
    std::printf("\n]}\n");
    return 0;
}
