// The add wizard's two pages and the edit dialog on Windows, on the component's templates, over
// the same rules as the toolkit's dialogs on Linux (applications/AppNameRules, AppliCommit,
// EditFileSets; browse/BrowseSettings). Each showing of a page is a new window; what outlives it
// (view, targets, the typed name) is the wizard's.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "applications/EditFileSets.h"
#include "dialogs/DialogContext.h"
#include "dialogs/win32/AppNameEdit.h"
#include "dialogs/win32/FilePane.h"
#include "dialogs/win32/WinDialog.h"

namespace tq {

// What the first page keeps for the whole wizard.
struct CAddAppFiles {
    int32_t m_nView = kViewList;
    std::vector<std::string> m_targets;
};

class CAddAppFileDlg : public CWinDialog {
public:
    // initialTargets (Windows paths) are checked in once the page is up.
    CAddAppFileDlg(const CDialogContext& context, CAddAppFiles& files,
                   std::vector<std::string> initialTargets = {});
    CFilePane& GetPane() { return m_pane; }
    bool PreTranslate(MSG& msg) override { return m_pane.PreTranslate(msg); }

protected:
    BOOL OnInitDialog() override;
    void OnCommand(int32_t nId, int32_t nCode, HWND hControl) override;
    bool OnMessage(UINT nMsg, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;
    void OnDestroy() override;

private:
    const CDialogContext& m_context;
    CAddAppFiles& m_files;
    std::vector<std::string> m_initialTargets;
    CFilePane m_pane;
};

class CAddAppNameDlg : public CWinDialog {
public:
    static constexpr INT_PTR kBack = 3;
    // strName: the text kept across Back (raw), and the checked name after Finish.
    CAddAppNameDlg(const CDialogContext& context, std::string& strName)
        : m_context(context), m_strName(strName) {}
    int32_t GetNewPosition() const { return m_position; }

protected:
    BOOL OnInitDialog() override;
    void OnCommand(int32_t nId, int32_t nCode, HWND hControl) override;

private:
    void Finish();
    void Refuse(uint32_t id);

    const CDialogContext& m_context;
    std::string& m_strName;
    CAppNameEdit m_name;
    int32_t m_position = -1;
};

class CEditAppDlg : public CWinDialog {
public:
    CEditAppDlg(const CDialogContext& context, int32_t lIndex);
    CFilePane& GetPane() { return m_pane; }
    const std::string& GetName() const { return m_strName; }
    const CEditFileSets& GetFileSets() const { return m_sets; }
    bool PreTranslate(MSG& msg) override { return m_pane.PreTranslate(msg); }

protected:
    BOOL OnInitDialog() override;
    void OnCommand(int32_t nId, int32_t nCode, HWND hControl) override;
    bool OnMessage(UINT nMsg, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;
    void OnDestroy() override;

private:
    void Confirm();

    const CDialogContext& m_context;
    int32_t m_lIndex;
    std::string m_strName;
    CEditFileSets m_sets;
    CAppNameEdit m_name;
    CFilePane m_pane;
};

// The wizard over hParent: the new application's 1-based number among the free-type
// databases, TQE_CANCELLED, or -1 when no window could be made.
int32_t RunAddAppWizard(const CDialogContext& context, HWND hParent,
                        const std::vector<std::string>& initialTargets = {});
// The edit dialog over hParent, its changes applied: 0 when something changed, TQE_CANCELLED,
// or -1 when no window could be made.
int32_t RunEditAppDialog(const CDialogContext& context, int32_t lIndex, HWND hParent);

}  // namespace tq
