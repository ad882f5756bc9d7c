// The desktop's dialog provider on Windows: the native add wizard and edit dialog, modal on the
// calling thread over the window the host named (else its active window). A host without a
// display (a service, a script on a console with no desktop) gets the answer of a dialog the
// user cancelled, and a line on standard error that says why. One dialog at a time: a call made
// while one is open (from a host's timer or a message the dialog's loop delivered) is answered
// as cancelled, since the model is in the open dialog's hands.
#include "dialogs/win32/DialogApi.h"
// The system first (DialogApi.h), then the project.

#include <cstdio>
#include <functional>
#include <utility>

#include "dialogs/DialogProvider.h"
#include "dialogs/win32/AppDialogs.h"
#include "resources/ErrorCodes.h"

namespace tq {

namespace {

int32_t AnswerCancelled(const char* pszDialog, const char* pszWhy) {
    std::fprintf(stderr, "tqcstm: the %s was not shown (%s); answered as cancelled\n", pszDialog,
                 pszWhy);
    return TQE_CANCELLED;
}

std::vector<std::string> g_initialTargets;

// The host's window on the calling thread that is active, if any.
HWND DialogParent() {
    return ::GetActiveWindow();
}

class CDesktopDialogProvider : public CDialogProvider {
public:
    int32_t RunAddAppDialog(const CDialogContext& context) override {
        std::vector<std::string> initial = std::exchange(g_initialTargets, {});
        return Run("add-application wizard", [&context, &initial] {
            return RunAddAppWizard(context, DialogParent(), initial);
        });
    }
    int32_t RunEditAppDialog(const CDialogContext& context, int32_t lIndex) override {
        return Run("edit-application dialog", [&context, lIndex] {
            return tq::RunEditAppDialog(context, lIndex, DialogParent());
        });
    }

private:
    int32_t Run(const char* pszDialog, const std::function<int32_t()>& run) {
        if (m_bOpen) {
            return AnswerCancelled(pszDialog, "another dialog of the component is open");
        }
        // The list view, the extended combo box, the progress bar and the tooltips.
        const INITCOMMONCONTROLSEX controls{
            sizeof(INITCOMMONCONTROLSEX),
            ICC_LISTVIEW_CLASSES | ICC_USEREX_CLASSES | ICC_PROGRESS_CLASS | ICC_BAR_CLASSES};
        ::InitCommonControlsEx(&controls);
        m_bOpen = true;
        const int32_t lResult = run();
        m_bOpen = false;
        return lResult == -1 ? AnswerCancelled(pszDialog, "no display") : lResult;
    }

    bool m_bOpen = false;
};

CDialogProvider* g_pProvider = nullptr;

}  // namespace

CDialogProvider& GetDialogProvider() {
    static CDesktopDialogProvider s_desktop;
    return g_pProvider != nullptr ? *g_pProvider : s_desktop;
}

void SetDialogParent(QWidget*) {}

void SetInitialAddTargets(std::vector<std::string> paths) {
    g_initialTargets = std::move(paths);
}

CDialogProvider* SetDialogProvider(CDialogProvider* pProvider) {
    return std::exchange(g_pProvider, pProvider);
}

}  // namespace tq
