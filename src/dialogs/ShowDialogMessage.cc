#include "dialogs/ShowDialogMessage.h"

#include "platform/MessageBox.h"
#include "resources/StringTable.h"

namespace tq {

void ShowDialogMessage(uint32_t id, const std::string& strProductName) {
    const char* pszText = LoadString(id);
    GetMessageBox().ShowWarning(pszText != nullptr ? pszText : "", strProductName);
}

}  // namespace tq
