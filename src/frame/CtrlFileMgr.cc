#include "frame/CtrlFileMgr.h"

#include <new>

#include "frame/AppDialogEntry.h"
#include "frame/ClassFactory.h"
#include "frame/EditStatus.h"
#include "frame/ErrorTable.h"
#include "manager/PathRules.h"
#include "manager/ProductRegKey.h"
#include "platform/Win32Error.h"
#include "resources/ErrorCodes.h"
#include "resources/StringTable.h"

namespace tq {

namespace {

constexpr const char* kDefaultProductName = "Trellisquest";

}  // namespace

CCtrlFileMgr::CCtrlFileMgr()
    : CDispatchTable(Members(), IID_ICtrlFileMgr, &GetModuleCount()),
      m_strProductName(kDefaultProductName) {}

CCtrlFileMgr::~CCtrlFileMgr() = default;

HRESULT CCtrlFileMgr::Create(REFIID riid, void** ppv) {
    if (ppv == nullptr) {
        return E_POINTER;
    }
    *ppv = nullptr;
    CCtrlFileMgr* pObject = new (std::nothrow) CCtrlFileMgr();
    if (pObject == nullptr) {
        return E_OUTOFMEMORY;
    }
    HRESULT hr = pObject->QueryInterface(riid, ppv);
    pObject->Release();
    return hr;
}

std::span<const CDispMember> CCtrlFileMgr::Members() {
    static const CDispMember members[] = {
        DispProperty(DISPID_ENABLECUSTOMIZE, "EnableCustomize", &CCtrlFileMgr::GetEnableCustomize),
        DispProperty(DISPID_STATUS, "Status", &CCtrlFileMgr::GetStatus),
        DispProperty(DISPID_ERRORCODE, "ErrorCode", &CCtrlFileMgr::GetErrorCode),
        DispProperty(DISPID_ERRORSTRING, "ErrorString", &CCtrlFileMgr::GetErrorString),
        DispMethod(DISPID_DBGETPUBLICNAME, "DBGetPublicName", &CCtrlFileMgr::DBGetPublicName),
        DispMethod(DISPID_DBISSELECTED, "DBIsSelected", &CCtrlFileMgr::DBIsSelected),
        DispMethod(DISPID_DBSETSELECTED, "DBSetSelected", &CCtrlFileMgr::DBSetSelected),
        DispMethod(DISPID_OPENADDAPPDIALOG, "OpenAddAppDialog", &CCtrlFileMgr::OpenAddAppDialog),
        DispMethod(DISPID_OPENEDITAPPDIALOG, "OpenEditAppDialog", &CCtrlFileMgr::OpenEditAppDialog),
        DispMethod(DISPID_SAVE, "Save", &CCtrlFileMgr::Save),
        DispMethod(DISPID_SETPRODUCTKEY, "SetProductKey", &CCtrlFileMgr::SetProductKey),
        DispMethod(DISPID_GETDBCOUNT, "GetDBCount", &CCtrlFileMgr::GetDBCount),
        DispMethod(DISPID_LOAD, "Load", &CCtrlFileMgr::Load),
        DispMethod(DISPID_DBISINSTALLEDAPPLI, "DBIsInstalledAppli",
                   &CCtrlFileMgr::DBIsInstalledAppli),
        DispMethod(DISPID_REMOVEDB, "RemoveDB", &CCtrlFileMgr::RemoveDB),
    };
    return members;
}

void CCtrlFileMgr::OnPutReadOnly(const CDispMember&) {
    const char* pszText = LoadString(IDS_READONLY_PROPERTY);
    RaiseException(kReadOnlyPropertyCode, 0, pszText != nullptr ? pszText : "");
}

int32_t CCtrlFileMgr::SetErrorCode(int32_t lCode) {
    if (m_lErrorCode == 0) {
        m_lErrorCode = lCode;
    }
    return m_lErrorCode;
}

int32_t CCtrlFileMgr::CheckReady() {
    return m_bReady ? 0 : SetErrorCode(TQE_REG_READ);
}

// The index of an addressed database on a ready object, or the stored error code.
int32_t CCtrlFileMgr::ReadyIndex(int32_t lType, int32_t lNumber) {
    int32_t err = CheckReady();
    return err != 0 ? err : ResolveIndex(lType, lNumber);
}

int32_t CCtrlFileMgr::ResolveIndex(int32_t lType, int32_t lNumber) {
    // Numbers are 1-based at the interface; 0 and below wrap to out of range in the
    // unsigned comparison of GetDBIndex.
    int32_t lIndex = GetIndexOfNumber(GetCtrlFile(), lType, lNumber);
    return lIndex < 0 ? SetErrorCode(lIndex) : lIndex;
}

bool CCtrlFileMgr::GetEnableCustomize() {
    return m_bReady && m_EditSession.IsCustomizeEnabled();
}

int32_t CCtrlFileMgr::GetStatus() {
    m_lErrorCode = 0;
    if (int32_t err = CheckReady(); err != 0) {
        return err;
    }
    if (m_EditSession.HoldsMutex()) {
        return EDITSTATUS_EDITING;
    }
    return ProbeEditStatus(GetCtrlFile());
}

int32_t CCtrlFileMgr::GetErrorCode() {
    return m_lErrorCode;
}

std::string CCtrlFileMgr::GetErrorString() {
    std::string strMessage;
    GetErrorMessage(m_lErrorCode, strMessage);
    return strMessage;
}

std::string CCtrlFileMgr::DBGetPublicName(int32_t lType, int32_t lNumber) {
    m_lErrorCode = 0;
    int32_t lIndex = ReadyIndex(lType, lNumber);
    return lIndex < 0 ? std::string() : GetCtrlFile().GetPublicName(lIndex);
}

int32_t CCtrlFileMgr::DBIsSelected(int32_t lType, int32_t lNumber) {
    m_lErrorCode = 0;
    int32_t lIndex = ReadyIndex(lType, lNumber);
    if (lIndex < 0) {
        return lIndex;
    }
    return GetCtrlFile().GetDatabase(static_cast<size_t>(lIndex))->IsDeselected() ? 0 : 1;
}

int32_t CCtrlFileMgr::DBSetSelected(int32_t lType, int32_t lNumber, bool bSelect) {
    m_lErrorCode = 0;
    int32_t lIndex = ReadyIndex(lType, lNumber);
    if (lIndex < 0) {
        return lIndex;
    }
    return SetErrorCode(m_EditSession.GetAppli().SetDBSelected(lIndex, bSelect ? 1 : 0));
}

int32_t CCtrlFileMgr::CheckDialogGuards() {
    if (int32_t err = CheckReady(); err != 0) {
        return err;
    }
    if (int32_t err = m_EditSession.CheckCustomize(); err != 0) {
        return SetErrorCode(err);
    }
    return GetCtrlFile().IsLoaded() ? 0 : SetErrorCode(TQE_NOT_LOADED);
}

int32_t CCtrlFileMgr::OpenAddAppDialog() {
    m_lErrorCode = 0;
    if (int32_t err = CheckDialogGuards(); err != 0) {
        return err;
    }
    int32_t lResult = tq::OpenAddAppDialog(m_EditSession, m_strProductName);
    return lResult < 0 ? SetErrorCode(lResult) : lResult;
}

int32_t CCtrlFileMgr::OpenEditAppDialog(int32_t lType, int32_t lNumber) {
    m_lErrorCode = 0;
    if (int32_t err = CheckDialogGuards(); err != 0) {
        return err;
    }
    // The product's own databases cannot be renamed: every OK of their dialog could only fail,
    // so the dialog is not shown for them.
    int32_t lResult = tq::OpenEditAppDialog(m_EditSession, m_strProductName, lType, lNumber);
    return lResult < 0 ? SetErrorCode(lResult) : lResult;
}

int32_t CCtrlFileMgr::SaveModeFromVariant(const VARIANT& varMode) {
    switch (varMode.vt) {
        case VT_I2:
            return varMode.iVal;
        case VT_I4:
            return varMode.lVal;
        case VT_BSTR:
            break;
        default:
            return 0;
    }
    // The text is read the way the C library reads a decimal number: digits are the same in
    // every code page, so the UTF-16 text can be read as it is. Values beyond 32 bits stop
    // growing instead of overflowing.
    std::u16string_view text(varMode.bstrVal != nullptr ? varMode.bstrVal : u"",
                             SysStringLen(varMode.bstrVal));
    size_t i = 0;
    while (i < text.size() && (text[i] == u' ' || (text[i] >= u'\t' && text[i] <= u'\r'))) {
        ++i;
    }
    bool bNegative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        bNegative = text[i] == u'-';
        ++i;
    }
    int64_t value = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
        if (value <= INT32_MAX) {
            value = value * 10 + (text[i] - u'0');
        }
    }
    value = bNegative ? -value : value;
    return static_cast<int32_t>(value > INT32_MAX   ? INT32_MAX
                                : value < INT32_MIN ? INT32_MIN
                                                    : value);
}

int32_t CCtrlFileMgr::Save(const VARIANT& varMode) {
    m_lErrorCode = 0;
    if (int32_t err = CheckReady(); err != 0) {
        return err;
    }
    return SetErrorCode(m_EditSession.Save(SaveModeFromVariant(varMode)));
}

bool CCtrlFileMgr::SetProductKey(const std::string& strKey) {
    m_lErrorCode = 0;
    const std::string strPath = std::string(kProductKeyBase) + strKey;
    CProductRegKey productKey;
    std::string strName;
    if (productKey.Open(strPath) == ERROR_SUCCESS && productKey.GetProductName(strName)) {
        m_strProductName = strName;
        if (m_EditSession.OpenProductKey(strPath) == 0) {
            m_bReady = 1;
            return true;
        }
    }
    m_bReady = 0;
    SetErrorCode(TQE_REG_READ);
    return false;
}

int32_t CCtrlFileMgr::GetDBCount(int32_t lType) {
    int32_t lCount = GetCtrlFile().CountDBs(lType);
    if (lCount < 0) {
        SetErrorCode(lCount);
        return 0;
    }
    return lCount;
}

int32_t CCtrlFileMgr::Load() {
    m_lErrorCode = 0;
    if (int32_t err = CheckReady(); err != 0) {
        return err;
    }
    return SetErrorCode(m_EditSession.Load());
}

int32_t CCtrlFileMgr::DBIsInstalledAppli(int32_t lType, int32_t lNumber) {
    m_lErrorCode = 0;
    int32_t lIndex = ReadyIndex(lType, lNumber);
    if (lIndex < 0) {
        return lIndex;
    }
    return IsInstalledAppli(*GetCtrlFile().GetDatabase(static_cast<size_t>(lIndex)));
}

int32_t CCtrlFileMgr::RemoveDB(int32_t lType, int32_t lNumber) {
    m_lErrorCode = 0;
    if (int32_t err = CheckReady(); err != 0) {
        return err;
    }
    if (int32_t err = m_EditSession.CheckCustomize(); err != 0) {
        return SetErrorCode(err);
    }
    int32_t lIndex = ResolveIndex(lType, lNumber);
    if (lIndex < 0) {
        return lIndex;
    }
    return SetErrorCode(m_EditSession.RemoveAppli(lIndex));
}

}  // namespace tq
