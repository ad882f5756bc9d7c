#include "dialogs/DialogProvider.h"

#include <QApplication>
#include <QPointer>
#include <QWidget>
#include <functional>

#include "dialogs/AddAppWizard.h"
#include "dialogs/DesktopDialogProvider.h"
#include "dialogs/DialogApplication.h"
#include "dialogs/DialogUnits.h"
#include "dialogs/EditAppDlg.h"
#include "dialogs/toolkit/QtMessageBox.h"

namespace tq {

namespace {

QPointer<QWidget> g_pParent;

// The named parent, else the host's active window.
QWidget* DialogParent() {
    return g_pParent != nullptr ? g_pParent.data() : QApplication::activeWindow();
}

// The toolkit's dialogs, with the dialogs' font in every message box they show.
class CQtDialogProvider : public CDesktopDialogProvider {
protected:
    int32_t ShowAddWizard(const CDialogContext& context,
                          const std::vector<std::string>& initialTargets) override {
        return Show([&] { return RunAddAppWizard(context, DialogParent(), initialTargets); });
    }
    int32_t ShowEditDialog(const CDialogContext& context, int32_t lIndex) override {
        return Show([&] { return tq::RunEditAppDialog(context, lIndex, DialogParent()); });
    }

private:
    static int32_t Show(const std::function<int32_t()>& run) {
        if (!EnsureDialogApplication()) {
            return kNoDisplay;
        }
        CQtMessageBoxScope messageBoxes(GetDialogFont());
        return run();
    }
};

}  // namespace

CDialogProvider& GetDesktopDialogProvider() {
    static CQtDialogProvider s_provider;
    return s_provider;
}

void SetDialogParent(QWidget* pParent) {
    g_pParent = pParent;
}

}  // namespace tq
