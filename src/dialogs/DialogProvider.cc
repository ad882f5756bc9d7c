#include "dialogs/DialogProvider.h"

#include <cstdio>

#include "dialogs/DialogApplication.h"
#include "dialogs/QtMessageBox.h"
#include "resources/ErrorCodes.h"

namespace tq {

namespace {

int32_t AnswerCancelled(const char* pszDialog, const char* pszWhy) {
    std::fprintf(stderr, "tqcstm: the %s was not shown (%s); answered as cancelled\n", pszDialog,
                 pszWhy);
    return TQE_CANCELLED;
}

// The desktop's dialogs. The wizard and the edit dialog are built from the file list, the
// location box and the wait and report dialogs; until they are part of the build, a host with
// a display gets the same answer as one without.
class CDesktopDialogProvider : public CDialogProvider {
public:
    int32_t RunAddAppDialog(const CDialogContext&) override {
        return Run("add-application wizard");
    }
    int32_t RunEditAppDialog(const CDialogContext&, int32_t) override {
        return Run("edit-application dialog");
    }

private:
    static int32_t Run(const char* pszDialog) {
        if (!EnsureDialogApplication()) {
            return AnswerCancelled(pszDialog, "no display");
        }
        CQtMessageBoxScope messageBoxes;
        return AnswerCancelled(pszDialog, "not part of this build");
    }
};

CDesktopDialogProvider& DesktopProvider() {
    static CDesktopDialogProvider s_provider;
    return s_provider;
}

CDialogProvider* g_pProvider = nullptr;

}  // namespace

CDialogProvider& GetDialogProvider() {
    return g_pProvider != nullptr ? *g_pProvider : DesktopProvider();
}

CDialogProvider* SetDialogProvider(CDialogProvider* pProvider) {
    CDialogProvider* pPrevious = g_pProvider;
    g_pProvider = pProvider;
    return pPrevious;
}

}  // namespace tq
