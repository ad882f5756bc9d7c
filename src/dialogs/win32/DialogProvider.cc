// The desktop's dialog provider on Windows until the native dialogs are built: it answers every
// dialog as one the user cancelled, as a host without a display gets it, and says so on standard
// error. The files handed for the next add wizard are kept and taken by it, as on Linux.
#include "dialogs/DialogProvider.h"

#include <cstdio>
#include <utility>

#include "resources/ErrorCodes.h"

namespace tq {

namespace {

int32_t AnswerCancelled(const char* pszDialog) {
    std::fprintf(stderr, "tqcstm: the %s was not shown (no display); answered as cancelled\n",
                 pszDialog);
    return TQE_CANCELLED;
}

std::vector<std::string> g_initialTargets;

class CNoDisplayDialogProvider : public CDialogProvider {
public:
    int32_t RunAddAppDialog(const CDialogContext&) override {
        g_initialTargets.clear();
        return AnswerCancelled("add-application wizard");
    }
    int32_t RunEditAppDialog(const CDialogContext&, int32_t) override {
        return AnswerCancelled("edit-application dialog");
    }
};

CDialogProvider* g_pProvider = nullptr;

}  // namespace

CDialogProvider& GetDialogProvider() {
    static CNoDisplayDialogProvider s_desktop;
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
