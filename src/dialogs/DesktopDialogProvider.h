// The desktop's dialog provider, whatever toolkit draws the dialogs: the files a host named for
// the next add wizard go to it, and one dialog is open at a time. A call made while one is open
// (from a host's timer or an event the dialog's loop delivered) is answered as cancelled, since
// the model is in the open dialog's hands; so is a call in a host without a display (a service,
// a script on a terminal), with a line on standard error that says why.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "dialogs/DialogProvider.h"

namespace tq {

class CDesktopDialogProvider : public CDialogProvider {
public:
    int32_t RunAddAppDialog(const CDialogContext& context) final;
    int32_t RunEditAppDialog(const CDialogContext& context, int32_t lIndex) final;

protected:
    // What the toolkit's dialog answers when it cannot be shown.
    static constexpr int32_t kNoDisplay = -1;
    // The toolkit's dialogs, over the window the host named (else its active window).
    virtual int32_t ShowAddWizard(const CDialogContext& context,
                                  const std::vector<std::string>& initialTargets) = 0;
    virtual int32_t ShowEditDialog(const CDialogContext& context, int32_t lIndex) = 0;

private:
    int32_t Run(const char* pszDialog, const std::function<int32_t()>& show);

    bool m_bOpen = false;
};

// The toolkit's desktop provider, the current one while no host or test has set another.
CDialogProvider& GetDesktopDialogProvider();

}  // namespace tq
