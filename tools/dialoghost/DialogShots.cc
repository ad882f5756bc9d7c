#include "dialogs/win32/DialogApi.h"
// The system first (DialogApi.h), then the project.

#include "DialogShots.h"

#include <cstdio>
#include <functional>
#include <thread>
#include <vector>

#include "applications/EditSession.h"
#include "browse/BrowseSettings.h"
#include "browse/FileListModel.h"
#include "dialogs/win32/AppDialogs.h"
#include "dialogs/win32/NotAddedDlg.h"
#include "dialogs/win32/WaitDlg.h"
#include "resources/DialogIds.h"

namespace tq {

namespace {

RECT WindowRect(HWND hWnd) {
    RECT rc{};
    ::GetWindowRect(hWnd, &rc);
    return rc;
}

// Lets the dialogs of this thread paint for a while.
void Pump(DWORD nMs) {
    const DWORD nEnd = ::GetTickCount() + nMs;
    MSG msg;
    while (::GetTickCount() < nEnd) {
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (CWinDialog* pTop = CWinDialog::GetTop();
                pTop == nullptr || !::IsDialogMessageW(pTop->GetHwnd(), &msg)) {
                ::TranslateMessage(&msg);
                ::DispatchMessageW(&msg);
            }
        }
        ::Sleep(10);
    }
}

// Tells where the windows are on the screen ("shot X Y WIDTH HEIGHT" on standard output, the
// rectangle that holds them all), for whoever takes the picture from the display, and keeps
// them there until the picture exists (15 s at most).
bool AwaitCapture(const std::vector<HWND>& windows, const std::string& strOut,
                  DWORD nSettleMs = 500) {
    RECT rc{};
    for (HWND hWnd : windows) {
        const RECT rcWindow = WindowRect(hWnd);
        ::UnionRect(&rc, &rc, &rcWindow);
    }
    Pump(nSettleMs);
    std::printf("shot %ld %ld %ld %ld\n", rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top);
    std::fflush(stdout);
    for (int i = 0; i < 150; ++i) {
        if (::GetFileAttributesA(strOut.c_str()) != 0xFFFFFFFF) {
            return true;
        }
        Pump(100);
    }
    return false;
}

// Runs step on the first dialog of the template that comes up on this thread, from the dialog's
// own loop (a thread timer).
std::function<void(CWinDialog&)> g_step;
int32_t g_nTemplate = 0;
void CALLBACK OnTimer(HWND, UINT, UINT_PTR nTimer, DWORD) {
    CWinDialog* pTop = CWinDialog::GetTop();
    if (pTop != nullptr && pTop->GetTemplate() == g_nTemplate && g_step) {
        ::KillTimer(nullptr, nTimer);
        auto step = std::exchange(g_step, nullptr);
        // The dialog's loop shows its window once it finds nothing to do, which a step that
        // runs from the loop would keep it from: shown here.
        ::ShowWindow(pTop->GetHwnd(), SW_SHOWNORMAL);
        step(*pTop);
    }
}
void WhenShown(int32_t nTemplate, std::function<void(CWinDialog&)> step) {
    g_nTemplate = nTemplate;
    g_step = std::move(step);
    ::SetTimer(nullptr, 0, 100, OnTimer);
}

// The rows of the folder whose names end so, chosen in the file list.
void Choose(CFilePane& pane, const std::vector<std::string>& endings) {
    HWND hList = pane.GetFileList().GetHwnd();
    const CFileListModel& model = pane.GetFileList().GetModel();
    ListView_SetItemState(hList, -1, 0, LVIS_SELECTED);
    for (size_t nRow = 0; nRow < model.GetRowCount(); ++nRow) {
        for (const std::string& strEnd : endings) {
            if (model.GetItem(nRow)->m_strPath.ends_with(strEnd)) {
                ListView_SetItemState(hList, static_cast<int>(nRow), LVIS_SELECTED, LVIS_SELECTED);
            }
        }
    }
}

}  // namespace

namespace {

// A topic filter that answers only once the picture is taken: the wait dialog stays up.
class CHeldFilter : public ITopicFilter {
public:
    std::atomic<bool> m_bHeld{true};
    int32_t Wait() const {
        while (m_bHeld) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return 1;
    }
    int32_t HlpHaveTopic(const std::string&) const override { return Wait(); }
    int32_t ChmHaveTopic(const std::string&) const override { return Wait(); }
    int32_t PdfHaveTopic(const std::string&, int32_t) const override { return Wait(); }
    int32_t TxtHaveTopic(const std::string&) const override { return Wait(); }
    int32_t HtmlHaveTopic(const std::string&) const override { return Wait(); }
};

// What each picture shows of the files page, once it is up over the folder.
bool ShootFilesPage(CWinDialog& page, CFilePane& pane, const std::string& strName,
                    const std::string& strOut) {
    Choose(pane, {".chm"});
    if (strName == "details") {
        pane.SetViewMode(kViewDetails);
    }
    if (strName == "add-files") {
        Choose(pane, {".chm", ".pdf", ".txt", ".htm"});
        ::SendMessageW(page.GetHwnd(), WM_COMMAND, IDC_ADD, 0);
        ::SetFocus(pane.GetFileList().GetHwnd());
    }
    std::vector<HWND> windows{page.GetHwnd()};
    if (strName == "filelist" || strName == "details") {
        windows = {pane.GetFileList().GetHwnd()};
    } else if (strName == "location") {
        windows = {pane.GetLocation().GetHwnd()};
    } else if (strName == "location-open") {
        pane.GetLocation().DropDown();
        Pump(400);
        COMBOBOXINFO info{};
        info.cbSize = sizeof info;
        ::GetComboBoxInfo(pane.GetLocation().GetCombo(), &info);
        windows = {pane.GetLocation().GetHwnd(), info.hwndList};
    }
    return AwaitCapture(windows, strOut);
}

// The display names of a folder's rows, one a line, as the report lists refused files.
std::string FolderNames(const std::string& strFolder) {
    CFileListModel list;
    list.ShowFolder(strFolder, true);
    std::string strNames;
    for (size_t nRow = 0; nRow < list.GetRowCount(); ++nRow) {
        strNames += (nRow > 0 ? "\r\n" : "") + list.GetItem(nRow)->m_strDisplayName;
    }
    return strNames;
}

// The wait dialog before its first tick, its job's check held until the picture is taken.
bool ShootWait(const CCtrlFile& file, const std::string& strFolder, const std::string& strOut) {
    CHeldFilter held;
    CSortedTargetList targets;
    CWaitDlg wait;
    CCheckJob job({{strFolder + "a.txt", "a.txt"}}, {&file, &held}, targets, wait, nullptr);
    bool bWritten = false;
    WhenShown(IDD_WAIT, [&](CWinDialog& dialog) {
        bWritten = AwaitCapture({dialog.GetHwnd()}, strOut, 100);
        held.m_bHeld = false;
    });
    wait.RunJob(job, nullptr);
    return bWritten;
}

}  // namespace

int TakeDialogShot(const std::string& strProductPath, const std::string& strName,
                   const std::string& strFolder, const std::string& strOut) {
    const INITCOMMONCONTROLSEX controls{
        sizeof(INITCOMMONCONTROLSEX),
        ICC_LISTVIEW_CLASSES | ICC_USEREX_CLASSES | ICC_PROGRESS_CLASS | ICC_BAR_CLASSES};
    ::InitCommonControlsEx(&controls);
    CEditSession session;
    if (session.Open(strProductPath) != 0) {
        std::fprintf(stderr, "tqdialoghost: the product %s could not be opened\n",
                     strProductPath.c_str());
        return 1;
    }
    CDialogContext context{&session.GetCtrlFile(), MakeSettingsKeyPath(strProductPath),
                           session.GetCtrlFile().GetProductKeyPath(), nullptr};
    context.m_strProductName = "Trellisquest \x83\x66\x83\x82";  // "デモ"
    // The pictures show files taken: every file passes (the wait's picture holds its check).
    CHeldFilter passAll;
    passAll.m_bHeld = false;
    context.m_pTopicFilter = &passAll;
    bool bWritten = false;
    auto shootWhole = [&](CWinDialog& dialog) {
        bWritten = AwaitCapture({dialog.GetHwnd()}, strOut);
        dialog.End(IDC_CANCEL);
    };
    if (strName == "add-name") {
        std::string strTyped =
            "\x91\x80\x8d\xec\x83\x7d\x83\x6a\x83\x85\x83\x41\x83\x8b";  // 操作マニュアル
        CAddAppNameDlg page(context, strTyped);
        WhenShown(IDD_ADD_NAME, shootWhole);
        page.Run(nullptr, IDD_ADD_NAME);
    } else if (strName == "edit") {
        CEditAppDlg dialog(context, session.GetCtrlFile().GetDBIndex(DBTYPE_FREE, 0));
        WhenShown(IDD_EDIT_APP, shootWhole);
        dialog.Run(nullptr, IDD_EDIT_APP);
    } else if (strName == "report") {
        CNotAddedDlg report(context.m_strProductName);
        report.SetText(FolderNames(strFolder));
        WhenShown(IDD_NOT_ADDED, shootWhole);
        report.Run(nullptr, IDD_NOT_ADDED);
    } else if (strName == "wait") {
        bWritten = ShootWait(session.GetCtrlFile(), strFolder, strOut);
    } else {
        SetCurrentFolder(context.m_strSettingsKey, strFolder);
        CAddAppFiles files;
        CAddAppFileDlg page(context, files);
        WhenShown(IDD_ADD_FILES, [&](CWinDialog& dialog) {
            bWritten = ShootFilesPage(dialog, page.GetPane(), strName, strOut);
            dialog.End(IDC_CANCEL);
        });
        page.Run(nullptr, IDD_ADD_FILES);
    }
    return bWritten ? 0 : 1;
}

}  // namespace tq
