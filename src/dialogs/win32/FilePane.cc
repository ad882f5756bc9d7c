#include "dialogs/win32/DialogApi.h"
// The system first (DialogApi.h), then the project.

#include <initializer_list>

#include "browse/FolderPath.h"
#include "browse/LocationGeometry.h"
#include "browse/LocationKeys.h"
#include "browse/PaneRules.h"
#include "dialogs/win32/FilePane.h"
#include "dialogs/win32/NotAddedDlg.h"
#include "dialogs/win32/WaitDlg.h"
#include "dialogs/win32/WinText.h"
#include "resources/DialogIds.h"
#include "resources/StringTable.h"

namespace tq {

namespace {

constexpr UINT kCloseUp = WM_APP + 10;       // after the drop-down closed, its choice made
constexpr UINT kFilesDropped = WM_APP + 11;  // wParam: the drop's handle

// Files dropped on the target list are the dialog's to check, once the drop has ended.
LRESULT CALLBACK DropProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    if (nMsg == WM_DROPFILES) {
        ::PostMessageW(::GetParent(hWnd), kFilesDropped, wParam, 0);
        return 0;
    }
    return ::DefSubclassProc(hWnd, nMsg, wParam, lParam);
}

EPaneKey ClassifyPaneKey(WPARAM nKey) {
    switch (nKey) {
        case VK_BACK:
            return EPaneKey::kBackspace;
        case 'D':
            return EPaneKey::kD;
        case 'L':
            return EPaneKey::kL;
        case VK_F4:
            return EPaneKey::kF4;
        case VK_F5:
            return EPaneKey::kF5;
        default:
            return EPaneKey::kOther;
    }
}

ELocationKey ClassifyLocationKey(WPARAM nKey) {
    switch (nKey) {
        case VK_PRIOR:
            return ELocationKey::kPageUp;
        case VK_NEXT:
            return ELocationKey::kPageDown;
        case VK_END:
            return ELocationKey::kEnd;
        case VK_HOME:
            return ELocationKey::kHome;
        case VK_LEFT:
            return ELocationKey::kLeft;
        case VK_UP:
            return ELocationKey::kUp;
        case VK_RIGHT:
            return ELocationKey::kRight;
        case VK_DOWN:
            return ELocationKey::kDown;
        default:
            break;
    }
    if (nKey >= 'A' && nKey <= 'Z') {
        return ELocationKey::kLetter;
    }
    return nKey >= '0' && nKey <= '9' ? ELocationKey::kDigit : ELocationKey::kOther;
}

bool IsCtrlDown() {
    return ::GetKeyState(VK_CONTROL) < 0;
}

bool IsPushButton(HWND hWnd) {
    return (::SendMessageW(hWnd, WM_GETDLGCODE, 0, 0) &
            (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)) != 0;
}

}  // namespace

CFilePane::CFilePane(CWinDialog& dialog, CHelpFileCheck check, std::string strProductName)
    : CFilePaneCore(check, std::move(strProductName)), m_dialog(dialog) {}

CFilePane::~CFilePane() {
    if (m_targets.GetHwnd() != nullptr) {
        ::RemoveWindowSubclass(m_targets.GetHwnd(), DropProc, 0);
    }
}

void CFilePane::Open(const std::string& strFolder, int32_t nView, const std::string& strFilter,
                     bool bForceFill, const std::vector<std::string>& targets) {
    m_location.Initialize(m_dialog.Item(IDC_LOCATION), kLocationItemHeightUnits);
    m_location.SetFolder(CFolderPath(strFolder).DeepestExisting());
    m_up.Attach(m_dialog.Item(IDC_UP), IDI_UP, IDI_UP_DISABLED);
    m_list.Attach(m_dialog.Item(IDC_LIST_VIEW), IDI_LIST_VIEW, IDI_LIST_VIEW);
    m_details.Attach(m_dialog.Item(IDC_DETAILS_VIEW), IDI_DETAILS_VIEW, IDI_DETAILS_VIEW);
    m_list.SetKind(CImageButton::kLatched);
    m_details.SetKind(CImageButton::kLatched);
    m_files.Initialize(m_dialog.Item(IDC_FILES));
    m_files.m_onPieceShown = [this] { UpdateAddButton(); };
    SetViewMode(nView);
    m_files.SetFilter(strFilter);
    m_files.ShowFolder(m_location.GetFolder(), bForceFill);
    UpdateAddButton();
    UpdateUpButton();
    m_targets.Attach(m_dialog.Item(IDC_TARGETS));
    for (const std::string& strPath : targets) {
        m_targets.AddString(strPath);
    }
    UpdateRemoveButton();
    ::DragAcceptFiles(m_targets.GetHwnd(), TRUE);
    ::SetWindowSubclass(m_targets.GetHwnd(), DropProc, 0, 0);
    m_hTooltip = ::CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, 0, 0, 0,
                                   0, Dialog(), nullptr, GetDialogModule(), nullptr);
    const std::pair<CImageButton*, const wchar_t*> tips[] = {{&m_up, L"１つ上のフォルダへ (BS)"},
                                                             {&m_list, L"一覧 (Ctrl+L)"},
                                                             {&m_details, L"詳細一覧 (Ctrl+D)"}};
    for (const auto& [pButton, pszTip] : tips) {
        std::wstring strTip = pszTip;
        TTTOOLINFOW tool{};
        tool.cbSize = sizeof tool;
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = Dialog();
        tool.uId = reinterpret_cast<UINT_PTR>(pButton->GetHwnd());
        tool.lpszText = strTip.data();
        ::SendMessageW(m_hTooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
    ::SendMessageW(m_hTooltip, TTM_ACTIVATE, TRUE, 0);
}

void CFilePane::SetRedraw(bool bOn) {
    for (HWND hControl : {m_files.GetHwnd(), m_location.GetHwnd(), m_targets.GetHwnd()}) {
        ::SendMessageW(hControl, WM_SETREDRAW, bOn ? TRUE : FALSE, 0);
        if (bOn) {
            ::InvalidateRect(hControl, nullptr, TRUE);
        }
    }
}

void CFilePane::OpenFolder(const std::string& strFolder) {
    SetRedraw(false);
    m_files.ShowFolder(strFolder, false);
    m_location.SetFolder(m_files.GetFolder());
    SetRedraw(true);
    UpdateUpButton();
    UpdateAddButton();
}

void CFilePane::GoUp() {
    const std::string strParent = CFolderPath(m_location.GetFolder()).Parent();
    if (!strParent.empty()) {
        OpenFolder(strParent);
    }
}

void CFilePane::Refresh() {
    SetRedraw(false);
    m_files.Refresh();
    SetRedraw(true);
}

void CFilePane::SetViewMode(int32_t nView) {
    m_list.SetState(nView == kViewList ? CImageButton::kDown : CImageButton::kUp);
    m_details.SetState(nView == kViewList ? CImageButton::kUp : CImageButton::kDown);
    m_files.SetView(nView);
}

void CFilePane::UpdateAddButton() {
    ::EnableWindow(m_dialog.Item(IDC_ADD), m_files.HasSelectedFile() ? TRUE : FALSE);
}

void CFilePane::UpdateUpButton() {
    ::EnableWindow(m_up.GetHwnd(),
                   CFolderPath(m_location.GetFolder()).Parent().empty() ? FALSE : TRUE);
}

void CFilePane::UpdateRemoveButton() {
    ::EnableWindow(m_dialog.Item(IDC_REMOVE), m_targets.HasSelection() ? TRUE : FALSE);
}

void CFilePane::OnAddClicked() {
    if (AddSelectedFiles(m_files.GetModel())) {
        ::SetFocus(m_files.GetHwnd());
    }
}

void CFilePane::OnRowActivated(int nRow) {
    ActivateRow(m_files.GetModel(), nRow);
}

void CFilePane::OnEnterPressed() {
    std::string strFolder;
    const bool bAdd = ::IsWindowEnabled(m_dialog.Item(IDC_ADD)) != FALSE;
    switch (DecideListEnter(m_files.GetModel(), bAdd, strFolder)) {
        case EListEnter::kOpenFolder:
            OpenFolder(strFolder);
            break;
        case EListEnter::kAdd:
            OnAddClicked();
            break;
        case EListEnter::kClearSelection:
            m_files.ClearSelection();
            UpdateAddButton();
            break;
    }
}

std::unique_ptr<IJobWait> CFilePane::MakeWait() {
    return std::make_unique<CWaitDlg>(Dialog());
}

void CFilePane::OnTargetAccepted(const std::string& strPath) {
    if (m_onTargetAdded) {
        m_onTargetAdded(strPath);
    }
}

void CFilePane::ShowNotAdded(const std::string& strRefusedNames) {
    CNotAddedDlg dialog(GetProductName());
    dialog.SetText(strRefusedNames);
    dialog.Run(Dialog(), IDD_NOT_ADDED);
}

void CFilePane::OnFilesDropped(HDROP hDrop) {
    std::vector<std::string> paths;
    std::vector<CLeftOutFile> leftOut;
    const UINT nFiles = ::DragQueryFileW(hDrop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < nFiles; ++i) {
        std::wstring strWide(::DragQueryFileW(hDrop, i, nullptr, 0) + 1, L'\0');
        strWide.resize(
            ::DragQueryFileW(hDrop, i, strWide.data(), static_cast<UINT>(strWide.size())));
        std::string strPath;
        if (Cp932FromWide(strWide, strPath)) {
            paths.push_back(std::move(strPath));
        } else {
            const size_t nSlash = strWide.find_last_of(L'\\');
            leftOut.push_back(
                {Cp932FromWideLossy(strWide.substr(nSlash + 1)), IDS_LEFT_OUT_NO_CP932});
        }
    }
    ::DragFinish(hDrop);
    AddPaths(paths, nFiles, std::move(leftOut));
}

void CFilePane::RemoveTargets() {
    for (const std::string& strPath : m_targets.RemoveSelected()) {
        if (m_onTargetRemoved) {
            m_onTargetRemoved(strPath);
        }
    }
    UpdateRemoveButton();
}

bool CFilePane::OnCommand(int32_t nId, int32_t nCode) {
    switch (nId) {
        case IDC_UP:
            GoUp();
            m_up.GiveFocusBack();
            return true;
        case IDC_LIST_VIEW:
        case IDC_DETAILS_VIEW:
            SetViewMode(nId == IDC_LIST_VIEW ? kViewList : kViewDetails);
            GetViewButton(GetView()).GiveFocusBack();
            return true;
        case IDC_ADD:
            OnAddClicked();
            return true;
        case IDC_REMOVE:
            RemoveTargets();
            return true;
        case IDC_LOCATION:
            if (nCode == CBN_CLOSEUP) {
                ::PostMessageW(Dialog(), kCloseUp, 0, 0);
            } else if (nCode == CBN_SETFOCUS) {
                SetInputMethodOpen(m_location.GetCombo(), false);
            }
            return true;
        case IDC_TARGETS:
            if (nCode == LBN_SELCHANGE) {
                UpdateRemoveButton();
            } else if (nCode == LBN_SETFOCUS) {
                SetInputMethodOpen(m_targets.GetHwnd(), false);
            }
            return true;
        default:
            return false;
    }
}

bool CFilePane::OnNotify(const NMHDR& header) {
    bool bSelection = false;
    if (m_files.OnNotify(header, bSelection)) {
        if (bSelection) {
            UpdateAddButton();
        }
        return true;
    }
    if (header.hwndFrom != m_files.GetHwnd()) {
        return false;
    }
    switch (header.code) {
        case NM_DBLCLK:
            if (const int nRow = reinterpret_cast<const NMITEMACTIVATE&>(header).iItem; nRow >= 0) {
                OnRowActivated(nRow);
            }
            return true;
        case NM_SETFOCUS:
            // Enter in the file list adds the chosen files.
            SetInputMethodOpen(m_files.GetHwnd(), false);
            ::SendMessageW(Dialog(), DM_SETDEFID, IDC_ADD, 0);
            return true;
        case NM_KILLFOCUS:
            if (DecideDefaultButton(IsPushButton(::GetFocus()), false) == EDefaultButton::kDialog) {
                ::SendMessageW(Dialog(), DM_SETDEFID, IDC_OK, 0);
            }
            return true;
        default:
            return false;
    }
}

bool CFilePane::OnMessage(UINT nMsg, WPARAM wParam, LPARAM lParam, INT_PTR& result) {
    switch (nMsg) {
        case WM_NOTIFY:
            return OnNotify(*reinterpret_cast<const NMHDR*>(lParam));
        case WM_DRAWITEM: {
            const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
            for (const CImageButton* pButton : {&m_up, &m_list, &m_details}) {
                if (item.hwndItem == pButton->GetHwnd()) {
                    pButton->Draw(item);
                    result = TRUE;
                    return true;
                }
            }
            return false;
        }
        case WM_VKEYTOITEM:
            if (reinterpret_cast<HWND>(lParam) != m_targets.GetHwnd()) {
                return false;
            }
            if (LOWORD(wParam) == VK_DELETE) {
                RemoveTargets();
            }
            result = -1;  // and the list's own handling of the key
            return true;
        case kCloseUp:
            if (const std::string strFolder = m_location.GetSelectedFolder(); !strFolder.empty()) {
                OpenFolder(strFolder);
            }
            return true;
        case kFilesDropped:
            OnFilesDropped(reinterpret_cast<HDROP>(wParam));
            return true;
        default:
            return false;
    }
}

bool CFilePane::HandlePaneKey(const MSG& msg) {
    const bool bLocation =
        msg.hwnd == m_location.GetCombo() || ::IsChild(m_location.GetHwnd(), msg.hwnd);
    const EPaneControl control = msg.hwnd == m_files.GetHwnd() ? EPaneControl::kFiles
                                 : bLocation                   ? EPaneControl::kLocation
                                                               : EPaneControl::kOther;
    return DoPaneAction(DecidePaneKey(ClassifyPaneKey(msg.wParam), control, IsCtrlDown(),
                                      m_location.IsDroppedDown()));
}

bool CFilePane::HandleLocationKey(const MSG& msg) {
    if (msg.hwnd != m_location.GetCombo() && !::IsChild(m_location.GetHwnd(), msg.hwnd)) {
        return false;
    }
    const auto nKey = static_cast<char>(msg.wParam);
    switch (DecideLocationKey(ClassifyLocationKey(msg.wParam), nKey, IsCtrlDown(),
                              m_location.IsDroppedDown())) {
        case ELocationKeyAction::kSwallow:
            return true;
        case ELocationKeyAction::kOpenDropDown:
            m_location.DropDown();
            return true;
        default:
            return false;
    }
}

bool CFilePane::PreTranslate(const MSG& msg) {
    if (msg.message != WM_KEYDOWN || msg.wParam < VK_BACK || msg.wParam > VK_F5) {
        return false;
    }
    if (HandlePaneKey(msg)) {
        return true;
    }
    // Enter in the file list with no file chosen is the list's own: it opens the one chosen
    // folder or clears the selection, and the default button is not pressed.
    if (msg.wParam == VK_RETURN && msg.hwnd == m_files.GetHwnd() &&
        m_files.GetModel().IsEnterForList()) {
        OnEnterPressed();
        return true;
    }
    // The default button by the pane's rule for the control Enter is pressed in: also after the
    // focus left the file list for a push button, which kept Add, and went on.
    if (msg.wParam == VK_RETURN &&
        DecideDefaultButton(IsPushButton(msg.hwnd), msg.hwnd == m_files.GetHwnd()) ==
            EDefaultButton::kDialog) {
        ::SendMessageW(Dialog(), DM_SETDEFID, IDC_OK, 0);
    }
    return HandleLocationKey(msg);
}

}  // namespace tq
