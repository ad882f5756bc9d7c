// The desktop's dialog provider on Windows: the native add wizard and edit dialog, modal on the
// calling thread over the host's active window; a call without a display gets -1 from them.
#include "dialogs/win32/DialogApi.h"
// The system first (DialogApi.h), then the project.

#include "dialogs/DesktopDialogProvider.h"
#include "dialogs/win32/AppDialogs.h"

namespace tq {

namespace {

// The host's window on the calling thread that is active, if any.
HWND DialogParent() {
    return ::GetActiveWindow();
}

// The native dialogs, on the common controls they use.
class CWinDialogProvider : public CDesktopDialogProvider {
protected:
    int32_t ShowAddWizard(const CDialogContext& context,
                          const std::vector<std::string>& initialTargets) override {
        InitControls();
        return RunAddAppWizard(context, DialogParent(), initialTargets);
    }
    int32_t ShowEditDialog(const CDialogContext& context, int32_t lIndex) override {
        InitControls();
        return tq::RunEditAppDialog(context, lIndex, DialogParent());
    }

private:
    // The list view, the extended combo box, the progress bar and the tooltips.
    static void InitControls() {
        const INITCOMMONCONTROLSEX controls{
            sizeof(INITCOMMONCONTROLSEX),
            ICC_LISTVIEW_CLASSES | ICC_USEREX_CLASSES | ICC_PROGRESS_CLASS | ICC_BAR_CLASSES};
        ::InitCommonControlsEx(&controls);
    }
};

}  // namespace

CDialogProvider& GetDesktopDialogProvider() {
    static CWinDialogProvider s_desktop;
    return s_desktop;
}

void SetDialogParent(QWidget*) {}

}  // namespace tq
