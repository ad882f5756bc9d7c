#include "frame/AppDialogEntry.h"

#include "applications/EditSession.h"
#include "browse/BrowseSettings.h"
#include "dialogs/DialogProvider.h"

namespace tq {

namespace {

CDialogContext MakeDialogContext(CEditSession& session, const std::string& strCaption) {
    CDialogContext context;
    context.m_pCtrlFile = &session.GetCtrlFile();
    context.m_strSettingsKey = MakeSettingsKeyPath(session.GetCtrlFile().GetProductKeyPath());
    context.m_strProductName = strCaption;
    return context;
}

}  // namespace

int32_t GetIndexOfNumber(const CCtrlModel& model, int32_t lType, int32_t lNumber) {
    return model.GetDBIndex(lType, static_cast<int32_t>(static_cast<uint32_t>(lNumber) - 1u));
}

int32_t OpenAddAppDialog(CEditSession& session, const std::string& strCaption) {
    return GetDialogProvider().RunAddAppDialog(MakeDialogContext(session, strCaption));
}

int32_t OpenEditAppDialog(CEditSession& session, const std::string& strCaption, int32_t lType,
                          int32_t lNumber) {
    const int32_t lIndex = GetIndexOfNumber(session.GetCtrlFile(), lType, lNumber);
    if (lIndex < 0) {
        return lIndex;
    }
    if (const int32_t err = session.GetAppli().CheckFreeType(lIndex); err != 0) {
        return err;
    }
    return GetDialogProvider().RunEditAppDialog(MakeDialogContext(session, strCaption), lIndex);
}

}  // namespace tq
