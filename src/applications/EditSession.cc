#include "applications/EditSession.h"

#include "platform/MessageBox.h"
#include "platform/Win32Error.h"
#include "resources/ErrorCodes.h"
#include "resources/StringTable.h"

namespace tq {

CEditSession::~CEditSession() {
    m_CtrlFile.CloseFiles();
    if (m_hMutex.IsOpen()) {
        m_hMutex.Release();
        m_hMutex.Close();
    }
}

int32_t CEditSession::OpenProductKey(const std::string& strPath) {
    if (int32_t err = m_CtrlFile.OpenProductKey(strPath); err != 0) {
        return err;
    }
    m_bCustomize = m_CtrlFile.GetProductKey().IsCustomizeEnabled() ? 1 : 0;
    return 0;
}

int32_t CEditSession::TakeMutex() {
    if (m_bMutexCreated) {
        return 0;
    }
    const int32_t err = m_hMutex.Create(kEditMutexName, true);
    if (err != ERROR_SUCCESS || !m_hMutex.IsOpen()) {
        // An existing mutex still hands out a handle, which must not pass for ownership.
        m_hMutex.Close();
        return TQE_EDITING;
    }
    m_bMutexCreated = 1;
    return 0;
}

int32_t CEditSession::Load() {
    if (int32_t err = TakeMutex(); err != 0) {
        return err;
    }
    return m_CtrlFile.Load();
}

int32_t CEditSession::Open(const std::string& strPath) {
    int32_t err = TakeMutex();
    if (err == 0) {
        err = OpenProductKey(strPath);
    }
    if (err == 0) {
        err = CheckCustomize();
    }
    return err == 0 ? Load() : err;
}

int32_t CEditSession::WithConsent(uint32_t idQuestion,
                                  const std::function<int32_t(EConsent)>& change) {
    const int32_t lResult = change(EConsent::kPending);
    if (lResult != CONSENT_NEEDED) {
        return lResult;
    }
    const char* pszText = LoadString(idQuestion);
    std::string strCaption;
    m_CtrlFile.GetProductKey().GetProductName(strCaption);
    const bool bYes =
        GetMessageBox().AskYesNo(pszText != nullptr ? pszText : "", strCaption) == IDYES;
    return change(bYes ? EConsent::kGiven : EConsent::kRefused);
}

int32_t CEditSession::Save(int32_t lMode) {
    return WithConsent(lMode == SAVEMODE_SELECTED ? IDS_CONFIRM_SELECTED : IDS_CONFIRM_EDITED,
                       [this](EConsent consent) { return m_CtrlFile.Save(consent); });
}

int32_t CEditSession::RemoveAppli(int32_t index) {
    return WithConsent(IDS_CONFIRM_REMOVE_APP, [this, index](EConsent consent) {
        return m_appli.RemoveAppli(index, consent);
    });
}

}  // namespace tq
