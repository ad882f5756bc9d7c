#include "ProductSession.h"

#include <algorithm>
#include <fstream>
#include <iterator>

#include "platform/ComHost.h"
#include "platform/Path.h"
#include "platform/Registry.h"
#include "resources/ErrorCodes.h"

namespace tq::customize {

namespace {

// How often the reading of a long list reports its progress.
constexpr int32_t kProgressStep = 500;

std::vector<VARIANT> At(int32_t lType, int32_t lNumber) {
    return {CVariant(lType), CVariant(lNumber)};
}

}  // namespace

std::string GetProductKeyPath(const std::string& strProduct) {
    return kProductKeyBase + strProduct;
}

std::vector<std::string> ListProducts() {
    CRegKey key;
    std::vector<std::string> products;
    std::string strBase = kProductKeyBase;
    strBase.pop_back();
    std::string strName;
    if (key.Open(HKEY_LOCAL_MACHINE, strBase, KEY_READ) == 0) {
        for (uint32_t i = 0; key.EnumKey(i, strName) == 0; ++i) {
            products.push_back(strName);
        }
    }
    return products;
}

int32_t CProductSession::Fail(HRESULT hr, const std::string& strDetail) {
    m_strFailure = DescribeHResult(hr) + (strDetail.empty() ? "" : ": " + strDetail);
    return kHostFailure;
}

int32_t CProductSession::Open(const std::string& strProduct) {
    m_bReady = false;
    m_strKeyPath = GetProductKeyPath(strProduct);
    std::string strDetail;
    if (!m_client.IsCreated()) {
        if (HRESULT hr = m_client.Create(&strDetail); FAILED(hr)) {
            return Fail(hr, strDetail);
        }
    }
    if (!m_bExports) {
        if (HRESULT hr = m_exports.Load(&strDetail); FAILED(hr)) {
            return Fail(hr, strDetail);
        }
        m_bExports = true;
    }
    host::CCallResult result = m_client.Call("SetProductKey", {host::MakeBstrVariant(strProduct)});
    if (FAILED(result.m_hr)) {
        return Fail(result.m_hr, "SetProductKey");
    }
    if (!result.GetBool()) {
        return m_client.GetErrorCode();
    }
    m_strProductName = m_client.Call("ProductName", {}, DISPATCH_PROPERTYGET).GetString();
    m_bReady = true;
    return 0;
}

int32_t CProductSession::CallLong(const char* pszMember, const std::vector<VARIANT>& args) {
    host::CCallResult result = m_client.Call(pszMember, args);
    return FAILED(result.m_hr) ? Fail(result.m_hr, pszMember) : result.GetLong();
}

bool CProductSession::IsIndexPending(const CDatabaseRow& row) {
    return CallLong("DBIsIndexPending", At(row.m_lType, row.m_lNumber)) == 1;
}

std::string CProductSession::ReadIndexingLog() {
    const std::string strLog = m_client.Call("IndexingLog", {}, DISPATCH_PROPERTYGET).GetString();
    std::string strLinux;
    if (strLog.empty() || ResolvePath(strLog, strLinux) != 0) {
        return {};
    }
    std::ifstream in(strLinux, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

int32_t CProductSession::GetStatus() {
    return CallLong("Status", {});
}

int32_t CProductSession::ReadRow(int32_t lType, int32_t lNumber, CDatabaseRow& row) {
    host::CCallResult name = m_client.Call("DBGetPublicName", At(lType, lNumber));
    if (FAILED(name.m_hr)) {
        return Fail(name.m_hr, "DBGetPublicName");
    }
    if (int32_t lError = m_client.GetErrorCode(); lError != 0) {
        return lError;
    }
    const int32_t lSelected = CallLong("DBIsSelected", At(lType, lNumber));
    const int32_t lInstalled = CallLong("DBIsInstalledAppli", At(lType, lNumber));
    if (lSelected < 0 || lInstalled < 0) {
        return std::min(lSelected, lInstalled);
    }
    row.m_lType = lType;
    row.m_lNumber = lNumber;
    row.m_strPublicName = name.GetString();
    row.m_bSelected = lSelected == 1;
    row.m_bInstalled = lInstalled == 1;
    return 0;
}

int32_t CProductSession::Load(std::vector<CDatabaseRow>& rows, int32_t& lStatus,
                              const CProgress& progress) {
    rows.clear();
    lStatus = m_bEditor ? EDITSTATUS_EDITING : GetStatus();
    if (!m_bEditor && (lStatus == EDITSTATUS_EDITING || lStatus == EDITSTATUS_LOCKED)) {
        return TQE_EDITING;
    }
    const int32_t lLoad = CallLong("Load", {});
    m_bEditor = m_bEditor || (lLoad != TQE_EDITING && lLoad != kHostFailure);
    if (lLoad != 0) {
        lStatus = lLoad == TQE_EDITING ? GetStatus() : lStatus;
        return lLoad;
    }
    int32_t counts[3] = {};
    for (int32_t lType = DBTYPE_FIXED; lType <= DBTYPE_FREE; ++lType) {
        counts[lType - 1] = CallLong("GetDBCount", {CVariant(lType)});
        if (counts[lType - 1] < 0) {
            return counts[lType - 1];
        }
    }
    const int32_t lTotal = counts[0] + counts[1] + counts[2];
    rows.reserve(static_cast<size_t>(lTotal));
    for (int32_t lType = DBTYPE_FIXED; lType <= DBTYPE_FREE; ++lType) {
        for (int32_t lNumber = 1; lNumber <= counts[lType - 1]; ++lNumber) {
            CDatabaseRow& row = rows.emplace_back();
            if (int32_t lResult = ReadRow(lType, lNumber, row); lResult != 0) {
                rows.clear();
                return lResult;
            }
            row.m_bWasSelected = row.m_bSelected;
            row.m_bIndexPending = IsIndexPending(row);
            if (progress && rows.size() % kProgressStep == 0) {
                progress(static_cast<int32_t>(rows.size()), lTotal);
            }
        }
    }
    return 0;
}

int32_t CProductSession::SetSelected(const CDatabaseRow& row, bool bSelected) {
    return CallLong("DBSetSelected",
                    {CVariant(row.m_lType), CVariant(row.m_lNumber), CVariant(bSelected)});
}

int32_t CProductSession::Add(const std::vector<std::string>& targets) {
    if (!targets.empty() && m_exports.m_pfnSetAddTargets != nullptr) {
        std::string strList;
        for (const std::string& strPath : targets) {
            strList += strPath + '\0';
        }
        m_exports.m_pfnSetAddTargets(strList.c_str());
    }
    return CallLong("OpenAddAppDialog", {});
}

int32_t CProductSession::Edit(const CDatabaseRow& row) {
    return CallLong("OpenEditAppDialog", At(row.m_lType, row.m_lNumber));
}

int32_t CProductSession::Remove(const CDatabaseRow& row) {
    return CallLong("RemoveDB", At(row.m_lType, row.m_lNumber));
}

int32_t CProductSession::Save(int32_t lMode) {
    return CallLong("Save", {CVariant(lMode)});
}

std::string CProductSession::GetMessage(int32_t lCode) {
    if (lCode == kHostFailure) {
        return m_strFailure;
    }
    std::string strMessage = m_bExports ? m_exports.GetErrorString(lCode) : std::string();
    // A code outside the table: the object's own wording of it, when it is the object's.
    if (strMessage.empty() && m_client.IsCreated() && m_client.GetErrorCode() == lCode) {
        strMessage = m_client.GetErrorString();
    }
    return strMessage;
}

}  // namespace tq::customize
