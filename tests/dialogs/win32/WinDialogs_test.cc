// The native dialogs driven through their real controls with messages, each in the modal loop
// the host would run it in: the file pane's keys, buttons and lists, the name page's Finish and
// the wait dialog's closing rule. They need a display (scripts/windows.sh gives Wine one).
#include "dialogs/win32/DialogApi.h"
// The system first (DialogApi.h), then the project.

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <functional>
#include <map>
#include <thread>

#include "applications/TopicLibrary.h"
#include "applications/WatchedTargetList.h"
#include "browse/BrowseSettings.h"
#include "browse/FileListColumns.h"
#include "dialogs/win32/AppDialogs.h"
#include "dialogs/win32/WaitDlg.h"
#include "dialogs/win32/WinText.h"
#include "manager/CtrlFile.h"
#include "manager/ProductFixture.h"
#include "platform/Environment.h"
#include "platform/MessageBox.h"
#include "resources/DialogIds.h"
#include "resources/StringTable.h"

namespace tq {
namespace {

// What to do with each template once it is the innermost dialog of the thread: run from that
// dialog's own loop (a thread timer), once per showing.
std::map<int32_t, std::function<void(CWinDialog&)>> g_steps;
CWinDialog* g_pDone = nullptr;
void CALLBACK OnStepTimer(HWND, UINT, UINT_PTR, DWORD) {
    CWinDialog* pTop = CWinDialog::GetTop();
    if (pTop == nullptr || pTop == g_pDone || pTop->GetHwnd() == nullptr) {
        return;
    }
    auto it = g_steps.find(pTop->GetTemplate());
    if (it != g_steps.end()) {
        g_pDone = pTop;
        it->second(*pTop);
        if (testing::Test::HasFatalFailure()) {
            pTop->End(IDC_CANCEL);  // the test goes on, failed, rather than wait for a user
        }
    }
}

INT_PTR RunWithSteps(const std::function<INT_PTR()>& run) {
    g_pDone = nullptr;
    const UINT_PTR nTimer = ::SetTimer(nullptr, 0, 30, OnStepTimer);
    const INT_PTR nResult = run();
    ::KillTimer(nullptr, nTimer);
    g_steps.clear();
    return nResult;
}

void PressKey(CWinDialog& dialog, HWND hTarget, WPARAM nKey, bool bCtrl = false) {
    BYTE keys[256];
    ::GetKeyboardState(keys);
    keys[VK_CONTROL] = bCtrl ? 0x80 : 0;
    ::SetKeyboardState(keys);
    MSG msg{hTarget, WM_KEYDOWN, nKey, 0, 0, {}};
    if (!dialog.PreTranslate(msg)) {
        ::SendMessageW(hTarget, WM_KEYDOWN, nKey, 0);
    }
}

class WinDialogsTest : public testing::Test, public test::CProductFixture {
protected:
    void SetUp() override {
        const INITCOMMONCONTROLSEX controls{sizeof controls,
                                            ICC_LISTVIEW_CLASSES | ICC_USEREX_CLASSES};
        ::InitCommonControlsEx(&controls);
        ASSERT_EQ(m_file.OpenProductKey(test::kProductPath), 0);
        ASSERT_EQ(m_file.Load(), 0);
        for (const char* name : {"Pane/a.chm", "Pane/b.txt", "Pane/Sub/"}) {
            const std::string path = C(name);
            path.back() == '/' ? test::MakeLinuxDir(path) : test::WriteLinuxFile(path, "x");
        }
        m_context.m_strSettingsKey = MakeSettingsKeyPath(test::kProductPath);
        SetCurrentFolder(m_context.m_strSettingsKey, "C:\\Pane\\");
    }
    std::string Text(HWND hWnd) { return Cp932FromWideLossy(GetWindowTextWide(hWnd)); }
    // The names the refusal report shows, once it has shown; OK ends it.
    const std::string& CatchReport() {
        g_steps[IDD_NOT_ADDED] = [this](CWinDialog& report) {
            m_strReport = Text(report.Item(IDC_NOT_ADDED_NAMES));
            report.End(IDC_OK);
        };
        return m_strReport;
    }
    // The texts of the messages shown, by their string ids' texts.
    bool Shown(uint32_t id) {
        for (const auto& shown : m_box.GetShown()) {
            if (shown.m_strText == LoadString(id)) {
                return true;
            }
        }
        return false;
    }

    CCtrlFile m_file;
    test::CAnswerFilter m_filter{[](const std::string& p) { return p.ends_with(".txt") ? 0 : 1; }};
    CDialogContext m_context{&m_file, "", "Demo", &m_filter};
    CScriptedMessageBox m_box;
    std::string m_strReport;
    CMessageBoxScope m_scope{m_box};
};

TEST_F(WinDialogsTest, FilesPageKeysButtonsAndLists) {
    CAddAppFiles files;
    CAddAppFileDlg page(m_context, files);
    const std::string& strReport = CatchReport();
    g_steps[IDD_ADD_FILES] = [&](CWinDialog& dialog) {
        CFilePane& pane = page.GetPane();
        const HWND hList = pane.GetFileList().GetHwnd();
        ASSERT_EQ(pane.GetFileList().GetModel().GetRowCount(), 3u);  // Sub, a.chm, b.txt
        PressKey(dialog, hList, 'D', true);
        EXPECT_EQ(::GetWindowLongW(hList, GWL_STYLE) & LVS_TYPEMASK, LVS_REPORT);
        EXPECT_EQ(pane.GetViewButton(kViewDetails).GetState(), CImageButton::kDown);
        PressKey(dialog, hList, 'L');  // without Ctrl: the list's own
        EXPECT_EQ(pane.GetView(), kViewDetails);
        // Both files chosen, b.txt refused: the report lists it; a.chm goes to the targets.
        ListView_SetItemState(hList, -1, LVIS_SELECTED, LVIS_SELECTED);
        EXPECT_TRUE(::IsWindowEnabled(dialog.Item(IDC_ADD)));
        ::SendMessageW(dialog.GetHwnd(), WM_COMMAND, IDC_ADD, 0);
        EXPECT_EQ(strReport, "b.txt");
        EXPECT_EQ(pane.GetTargetList().GetEntries(), std::vector<std::string>{"C:\\pane\\a.chm"});
        // One refused file alone is told by the message.
        ListView_SetItemState(hList, -1, 0, LVIS_SELECTED);
        ListView_SetItemState(hList, 2, LVIS_SELECTED, LVIS_SELECTED);
        ::SendMessageW(dialog.GetHwnd(), WM_COMMAND, IDC_ADD, 0);
        EXPECT_TRUE(Shown(IDS_FILE_NO_TOPICS));
        // Delete in the target list takes the selected entry out; Next then refuses.
        const HWND hTargets = pane.GetTargetList().GetHwnd();
        ::SendMessageW(hTargets, LB_SETSEL, TRUE, 0);
        ::SendMessageW(hTargets, WM_KEYDOWN, VK_DELETE, 0);
        EXPECT_TRUE(pane.GetTargetList().IsEmpty());
        EXPECT_FALSE(::IsWindowEnabled(dialog.Item(IDC_REMOVE)));
        ::SendMessageW(dialog.GetHwnd(), WM_COMMAND, IDC_OK, 0);
        EXPECT_TRUE(Shown(IDS_SPECIFY_TARGETS));
        EXPECT_EQ(CWinDialog::GetTop(), &dialog);
        // Backspace in the list goes up; a letter in the location box is swallowed.
        PressKey(dialog, hList, VK_BACK);
        EXPECT_EQ(pane.GetShownFolder(), "C:\\");
        EXPECT_FALSE(::IsWindowEnabled(dialog.Item(IDC_UP)));
        MSG letter{pane.GetLocation().GetCombo(), WM_KEYDOWN, 'P', 0, 0, {}};
        EXPECT_TRUE(dialog.PreTranslate(letter));
        dialog.End(IDC_CANCEL);
    };
    EXPECT_EQ(RunWithSteps([&] { return page.Run(nullptr, IDD_ADD_FILES); }), IDC_CANCEL);
    // The folder and the view outlive the page.
    EXPECT_EQ(GetCurrentFolder(m_context.m_strSettingsKey), "C:\\");
    EXPECT_EQ(files.m_nView, kViewDetails);
}

// Bad input in the files page: no topic-filter library (every file refused), a name without a
// code page 932 form (left out), a 10 GiB sparse file, the shown folder gone (F5 shows it
// empty, Add then finds nothing, Backspace still goes up).
TEST_F(WinDialogsTest, FilesPageMeetsBadInput) {
    test::MakeLinuxDir(C("NoLibrary"));
    ASSERT_EQ(SetEnvironmentVariable(kTopicLibraryDirVariable, "C:\\NoLibrary"), 0);
    m_context.m_pTopicFilter = nullptr;  // the process's library, which is not there
    test::WriteLinuxFile(C("Pane/\xF0\x9F\x98\x80.chm"), "x");
    const HANDLE hBig = ::CreateFileW(L"C:\\Pane\\big.pdf", GENERIC_WRITE, 0, nullptr,
                                      CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    const LARGE_INTEGER cbBig{.QuadPart = 10LL << 30};  // its end set, nothing written
    EXPECT_TRUE(::SetFilePointerEx(hBig, cbBig, nullptr, FILE_BEGIN) && ::SetEndOfFile(hBig));
    ::CloseHandle(hBig);
    CAddAppFiles files;
    CAddAppFileDlg page(m_context, files);
    const std::string& strReport = CatchReport();
    g_steps[IDD_ADD_FILES] = [&](CWinDialog& dialog) {
        CFileListCtrl& list = page.GetPane().GetFileList();
        const HWND hList = list.GetHwnd();
        PressKey(dialog, hList, 'D', true);
        ASSERT_EQ(list.GetModel().GetRowCount(), 4u);  // Sub, a.chm, b.txt, big.pdf
        EXPECT_EQ(list.GetModel().GetCellText(3, kColumnSize), "10,485,761KB");
        // Read in pieces on the list's timer, under the busy cursor, the first row selected at
        // the end.
        list.SetFillPiece(1, {});
        PressKey(dialog, hList, VK_F5);
        ASSERT_TRUE(list.IsFilling());
        const auto cursorOverList = [hList] {
            ::SendMessageW(hList, WM_SETCURSOR, reinterpret_cast<WPARAM>(hList),
                           MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
            return ::GetCursor();
        };
        const HCURSOR hBusy = LoadBusyCursor();
        EXPECT_EQ(cursorOverList(), hBusy);
        for (MSG msg; list.IsFilling() && ::GetMessageW(&msg, nullptr, 0, 0) > 0;) {
            ::DispatchMessageW(&msg);
        }
        EXPECT_EQ(ListView_GetItemCount(hList), 4);
        EXPECT_EQ(ListView_GetNextItem(hList, -1, LVNI_SELECTED), 0);
        EXPECT_NE(cursorOverList(), hBusy);
        ListView_SetItemState(hList, -1, LVIS_SELECTED, LVIS_SELECTED);
        ::SendMessageW(dialog.GetHwnd(), WM_COMMAND, IDC_ADD, 0);
        EXPECT_EQ(strReport, "a.chm\r\nb.txt\r\nbig.pdf");
        EXPECT_TRUE(page.GetPane().GetTargetList().IsEmpty());
        std::filesystem::remove_all(L"C:\\Pane");
        PressKey(dialog, hList, VK_F5);
        EXPECT_EQ(ListView_GetItemCount(hList), 0);
        ::SendMessageW(dialog.GetHwnd(), WM_COMMAND, IDC_ADD, 0);
        EXPECT_TRUE(m_box.GetShown().empty());
        PressKey(dialog, hList, VK_BACK);
        EXPECT_EQ(page.GetPane().GetShownFolder(), "C:\\");
        dialog.End(IDC_CANCEL);
    };
    EXPECT_EQ(RunWithSteps([&] { return page.Run(nullptr, IDD_ADD_FILES); }), IDC_CANCEL);
}

TEST_F(WinDialogsTest, NamePageFinishChecksBeforeItAdds) {
    std::string strName = "a\tb";
    CAddAppNameDlg page(m_context, strName);
    g_steps[IDD_ADD_NAME] = [&](CWinDialog& dialog) {
        const HWND hName = dialog.Item(IDC_APP_NAME);
        ::SendMessageW(dialog.GetHwnd(), WM_COMMAND, IDC_OK, 0);
        EXPECT_TRUE(Shown(IDS_APP_NAME_CONTROL));
        DWORD nStart = 0;
        ::SendMessageW(hName, EM_GETSEL, reinterpret_cast<WPARAM>(&nStart), 0);
        EXPECT_EQ(nStart, 1u);
        ::SetWindowTextW(hName, L"\u3000 New App ");
        ::SendMessageW(dialog.GetHwnd(), WM_COMMAND, IDC_OK, 0);
    };
    EXPECT_EQ(RunWithSteps([&] { return page.Run(nullptr, IDD_ADD_NAME); }), IDC_OK);
    EXPECT_EQ(strName, "New App");
    EXPECT_EQ(page.GetNewPosition(), 1);  // after MyApp
}

TEST_F(WinDialogsTest, WaitDialogClosesOnlyOnceTheJobIsDone) {
    std::atomic<bool> bHeld{true};
    test::CAnswerFilter held([&](const std::string&) {
        while (bHeld) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return 1;
    });
    test::CWatchedList targets;
    CWaitDlg wait;
    CCheckJob job({{"C:\\Pane\\a.chm", "a.chm"}}, held.Check(), targets, wait, nullptr);
    std::string strTick;
    g_steps[IDD_WAIT] = [&](CWinDialog& dialog) {
        ::SendMessageW(dialog.GetHwnd(), WM_COMMAND, IDC_CANCEL, 0);  // Esc while it runs
        ::SendMessageW(dialog.GetHwnd(), WM_TIMER, 1, 0);
        strTick = Text(dialog.Item(IDC_WAIT_TEXT));
        EXPECT_TRUE(::IsWindow(dialog.GetHwnd()));
        EXPECT_FALSE(wait.IsDone());
        bHeld = false;  // the job ends and closes it
    };
    RunWithSteps([&] {
        wait.RunJob(job, nullptr);
        return 0;
    });
    EXPECT_TRUE(wait.IsDone());
    EXPECT_EQ(strTick, MakeWaitText(1));
    EXPECT_EQ(targets.m_list.GetEntries(), std::vector<std::string>{"C:\\Pane\\a.chm"});
}

}  // namespace
}  // namespace tq
