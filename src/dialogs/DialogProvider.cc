#include "dialogs/DialogProvider.h"

#include <QApplication>
#include <QPointer>
#include <QWidget>
#include <cstdio>
#include <functional>
#include <utility>

#include "dialogs/AddAppWizard.h"
#include "dialogs/DialogApplication.h"
#include "dialogs/DialogUnits.h"
#include "dialogs/EditAppDlg.h"
#include "dialogs/toolkit/QtMessageBox.h"
#include "resources/ErrorCodes.h"

namespace tq {

namespace {

int32_t AnswerCancelled(const char* pszDialog, const char* pszWhy) {
    std::fprintf(stderr, "tqcstm: the %s was not shown (%s); answered as cancelled\n", pszDialog,
                 pszWhy);
    return TQE_CANCELLED;
}

QPointer<QWidget> g_pParent;
std::vector<std::string> g_initialTargets;

// The named parent, else the host's active window.
QWidget* DialogParent() {
    return g_pParent != nullptr ? g_pParent.data() : QApplication::activeWindow();
}

// The desktop's dialogs, one at a time: a call made while one is open (from a host's timer or
// an event the dialog's loop delivered) is answered as cancelled, since the model is in the
// open dialog's hands.
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
        if (!EnsureDialogApplication()) {
            return AnswerCancelled(pszDialog, "no display");
        }
        CQtMessageBoxScope messageBoxes(GetDialogFont());
        m_bOpen = true;
        int32_t lResult = run();
        m_bOpen = false;
        return lResult;
    }

    bool m_bOpen = false;
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

void SetDialogParent(QWidget* pParent) {
    g_pParent = pParent;
}

void SetInitialAddTargets(std::vector<std::string> paths) {
    g_initialTargets = std::move(paths);
}

CDialogProvider* SetDialogProvider(CDialogProvider* pProvider) {
    CDialogProvider* pPrevious = g_pProvider;
    g_pProvider = pProvider;
    return pPrevious;
}

}  // namespace tq
