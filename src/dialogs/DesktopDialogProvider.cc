#include "dialogs/DesktopDialogProvider.h"

#include <cstdio>
#include <utility>

#include "resources/ErrorCodes.h"

namespace tq {

namespace {

std::vector<std::string> g_initialTargets;
CDialogProvider* g_pProvider = nullptr;

int32_t AnswerCancelled(const char* pszDialog, const char* pszWhy) {
    std::fprintf(stderr, "tqcstm: the %s was not shown (%s); answered as cancelled\n", pszDialog,
                 pszWhy);
    return TQE_CANCELLED;
}

}  // namespace

int32_t CDesktopDialogProvider::RunAddAppDialog(const CDialogContext& context) {
    std::vector<std::string> initial = std::exchange(g_initialTargets, {});
    return Run("add-application wizard",
               [this, &context, &initial] { return ShowAddWizard(context, initial); });
}

int32_t CDesktopDialogProvider::RunEditAppDialog(const CDialogContext& context, int32_t lIndex) {
    return Run("edit-application dialog",
               [this, &context, lIndex] { return ShowEditDialog(context, lIndex); });
}

int32_t CDesktopDialogProvider::Run(const char* pszDialog, const std::function<int32_t()>& show) {
    if (m_bOpen) {
        return AnswerCancelled(pszDialog, "another dialog of the component is open");
    }
    m_bOpen = true;
    const int32_t lResult = show();
    m_bOpen = false;
    return lResult == kNoDisplay ? AnswerCancelled(pszDialog, "no display") : lResult;
}

CDialogProvider& GetDialogProvider() {
    return g_pProvider != nullptr ? *g_pProvider : GetDesktopDialogProvider();
}

void SetInitialAddTargets(std::vector<std::string> paths) {
    g_initialTargets = std::move(paths);
}

CDialogProvider* SetDialogProvider(CDialogProvider* pProvider) {
    return std::exchange(g_pProvider, pProvider);
}

}  // namespace tq
