#include "dialogs/win32/DialogApi.h"
// The system first (DialogApi.h), then the project.

#include "dialogs/win32/AppDialogs.h"

#include "applications/AppNameRules.h"
#include "applications/AppliCommit.h"
#include "applications/AppliOperations.h"
#include "browse/BrowseSettings.h"
#include "dialogs/ShowDialogMessage.h"
#include "dialogs/win32/WinText.h"
#include "manager/CtrlFile.h"
#include "resources/DialogIds.h"
#include "resources/ErrorCodes.h"
#include "resources/StringTable.h"

namespace tq {

namespace {

constexpr UINT kAddInitial = WM_APP + 20;  // the handed files, once the page is on screen
constexpr INT_PTR kNoWindow = -1;

CHelpFileCheck MakeCheck(const CDialogContext& context) {
    return {context.m_pCtrlFile, context.m_pTopicFilter};
}

}  // namespace

CAddAppFileDlg::CAddAppFileDlg(const CDialogContext& context, CAddAppFiles& files,
                               std::vector<std::string> initialTargets)
    : m_context(context),
      m_files(files),
      m_initialTargets(std::move(initialTargets)),
      m_pane(*this, MakeCheck(context), context.m_strProductName) {}

BOOL CAddAppFileDlg::OnInitDialog() {
    m_pane.Open(GetCurrentFolder(m_context.m_strSettingsKey), m_files.m_nView,
                GetFileFilter(m_context.m_strSettingsKey), true, m_files.m_targets);
    ::SetFocus(m_pane.GetFileList().GetHwnd());
    if (!m_initialTargets.empty()) {
        // Once the page is up: the check's wait dialog and report stand above it.
        ::PostMessageW(GetHwnd(), kAddInitial, 0, 0);
    }
    return FALSE;  // the focus is set
}

void CAddAppFileDlg::OnCommand(int32_t nId, int32_t nCode, HWND) {
    if (m_pane.OnCommand(nId, nCode)) {
        return;
    }
    if (nId == IDC_OK) {
        if (m_pane.GetTargetList().IsEmpty()) {
            ::SetFocus(m_pane.GetFileList().GetHwnd());
            ShowDialogMessage(IDS_SPECIFY_TARGETS, m_context.m_strProductName);
            return;
        }
        m_files.m_targets = m_pane.GetTargetList().GetEntries();
        End(IDC_OK);
    } else if (nId == IDC_CANCEL) {
        End(IDC_CANCEL);
    }
}

bool CAddAppFileDlg::OnMessage(UINT nMsg, WPARAM wParam, LPARAM lParam, INT_PTR& result) {
    if (nMsg == kAddInitial) {
        const std::vector<std::string> paths = std::exchange(m_initialTargets, {});
        m_pane.AddPaths(paths, paths.size());
        return true;
    }
    return m_pane.OnMessage(nMsg, wParam, lParam, result);
}

void CAddAppFileDlg::OnDestroy() {
    // Every close: the next showing, and the next wizard, start where the user was.
    SetCurrentFolder(m_context.m_strSettingsKey, m_pane.GetShownFolder());
    m_files.m_nView = m_pane.GetView();
}

BOOL CAddAppNameDlg::OnInitDialog() {
    m_name.Attach(Item(IDC_APP_NAME));
    m_name.SetNameText(m_strName);
    m_name.Focus();
    return FALSE;
}

void CAddAppNameDlg::Refuse(uint32_t id) {
    m_name.Focus();
    ShowDialogMessage(id, m_context.m_strProductName);
}

void CAddAppNameDlg::Finish() {
    std::string strText;
    if (!m_name.GetNameText(strText)) {
        // A character the control files cannot hold: refused, never written as "?".
        Refuse(IDS_APP_NAME_UNUSABLE);
        return;
    }
    const CNameFinish finish = FinishAddAppName(*m_context.m_pCtrlFile, strText);
    if (finish.m_nCaret != std::string_view::npos) {
        m_name.SetCaretAtByte(strText, finish.m_nCaret);
    }
    if (finish.m_bPutBack) {
        m_name.SetNameText(finish.m_strName);
    }
    if (finish.m_id != 0) {
        Refuse(finish.m_id);
        return;
    }
    m_position = finish.m_position;
    m_strName = finish.m_strName;
    End(IDC_OK);
}

void CAddAppNameDlg::OnCommand(int32_t nId, int32_t nCode, HWND) {
    switch (nId) {
        case IDC_APP_NAME:
            m_name.OnNotification(nCode);
            break;
        case IDC_BACK:
            // Kept as typed, neither checked nor trimmed: Next brings it back unchanged.
            if (!m_name.GetNameText(m_strName)) {
                m_strName = Cp932FromWideLossy(GetWindowTextWide(m_name.GetHwnd()));
            }
            End(kBack);
            break;
        case IDC_OK:
            Finish();
            break;
        case IDC_CANCEL:
            End(IDC_CANCEL);
            break;
        default:
            break;
    }
}

CEditAppDlg::CEditAppDlg(const CDialogContext& context, int32_t lIndex)
    : m_context(context),
      m_lIndex(lIndex),
      m_strName(context.m_pCtrlFile->GetPublicName(lIndex)),
      m_pane(*this, MakeCheck(context), context.m_strProductName) {
    m_pane.m_onTargetAdded = [this](const std::string& strPath) { m_sets.NoteAdded(strPath); };
    m_pane.m_onTargetRemoved = [this](const std::string& strPath) { m_sets.NoteRemoved(strPath); };
}

BOOL CEditAppDlg::OnInitDialog() {
    m_name.Attach(Item(IDC_APP_NAME));
    m_name.SetNameText(m_strName);
    const std::vector<std::string> docs =
        CAppliOperations(*m_context.m_pCtrlFile).GetDocDisplayPaths(m_lIndex);
    m_pane.Open(GetEditStartFolder(m_context.m_strSettingsKey, docs), kViewList,
                GetFileFilter(m_context.m_strSettingsKey), false, docs);
    return TRUE;  // the first tab stop: the name field
}

void CEditAppDlg::Confirm() {
    std::string strText;
    uint32_t id = IDS_APP_NAME_UNUSABLE;
    std::string strNewName;
    if (m_name.GetNameText(strText)) {
        id = ApplyEditAppName(*m_context.m_pCtrlFile, m_lIndex, m_strName, strText,
                              m_pane.GetTargetList().IsEmpty(), strNewName);
    }
    if (id == 0) {
        m_strName = strNewName;
        End(IDC_OK);
        return;
    }
    if (id == IDS_SPECIFY_TARGETS) {
        ::SetFocus(m_pane.GetFileList().GetHwnd());
    } else {
        m_name.Focus();
        if (id == IDS_APP_NAME_CONTROL) {
            m_name.SetCaretAtByte(strText, FindNameControlChar(strText));
        }
    }
    ShowDialogMessage(id, m_context.m_strProductName);
}

void CEditAppDlg::OnCommand(int32_t nId, int32_t nCode, HWND) {
    if (m_pane.OnCommand(nId, nCode)) {
        return;
    }
    if (nId == IDC_APP_NAME) {
        m_name.OnNotification(nCode);
    } else if (nId == IDC_OK) {
        Confirm();
    } else if (nId == IDC_CANCEL) {
        End(IDC_CANCEL);
    }
}

bool CEditAppDlg::OnMessage(UINT nMsg, WPARAM wParam, LPARAM lParam, INT_PTR& result) {
    return m_pane.OnMessage(nMsg, wParam, lParam, result);
}

void CEditAppDlg::OnDestroy() {
    SetCurrentFolder(m_context.m_strSettingsKey, m_pane.GetShownFolder());
}

int32_t RunAddAppWizard(const CDialogContext& context, HWND hParent,
                        const std::vector<std::string>& initialTargets) {
    CAddAppFiles files;
    std::string strName;
    std::vector<std::string> initial = initialTargets;
    for (;;) {
        CAddAppFileDlg filePage(context, files, std::exchange(initial, {}));
        const INT_PTR nFiles = filePage.Run(hParent, IDD_ADD_FILES);
        if (nFiles != IDC_OK) {
            return nFiles == kNoWindow ? -1 : TQE_CANCELLED;
        }
        CAddAppNameDlg namePage(context, strName);
        const INT_PTR nResult = namePage.Run(hParent, IDD_ADD_NAME);
        if (nResult == IDC_OK) {
            return CommitNewAppli(*context.m_pCtrlFile, namePage.GetNewPosition(), strName,
                                  files.m_targets);
        }
        if (nResult != CAddAppNameDlg::kBack) {
            return TQE_CANCELLED;
        }
    }
}

int32_t RunEditAppDialog(const CDialogContext& context, int32_t lIndex, HWND hParent) {
    CCtrlFile& file = *context.m_pCtrlFile;
    const std::string strOldName = file.GetPublicName(lIndex);
    CEditAppDlg dialog(context, lIndex);
    const INT_PTR nResult = dialog.Run(hParent, IDD_EDIT_APP);
    if (nResult != IDC_OK) {
        return nResult == kNoWindow ? -1 : TQE_CANCELLED;
    }
    return ApplyEditedFiles(file, lIndex, dialog.GetName() != strOldName, dialog.GetFileSets());
}

}  // namespace tq
