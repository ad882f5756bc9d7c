#include "hostclient/AutomationClient.h"

#include <cstdio>

#include "platform/Bstr.h"
#include "platform/ComHost.h"
#include "platform/Cp932.h"

namespace tq::host {

namespace {

// The decorated names of the plain exports: int32_t (const char*), int32_t (const char*),
// uint32_t (int32_t, char*, uint32_t) and void (const char*). A module exports each under the
// name its platform's C++ compilers give it: the Itanium name on Linux, on Windows the name of
// Windows' compilers, whose pointers carry the "E" of their width on the 64-bit target.
struct CExportName {
    const char* m_pszItanium;
    const char* m_pszWindows;  // with %s for the pointer
};
constexpr CExportName kExportBaseInfoToControl = {"_Z24VXCSTM_BaseInfoToControlPKc",
                                                  "?VXCSTM_BaseInfoToControl@@YAH%sBD@Z"};
constexpr CExportName kExportGetStatus = {"_Z16VXCSTM_GetStatusPKc",
                                          "?VXCSTM_GetStatus@@YAH%sBD@Z"};
constexpr CExportName kExportGetErrorString = {"_Z21VXCSTM_GetErrorStringiPcj",
                                               "?VXCSTM_GetErrorString@@YAIH%sADI@Z"};
constexpr CExportName kExportSetAddTargets = {"_Z20VXCSTM_SetAddTargetsPKc",
                                              "?VXCSTM_SetAddTargets@@YAX%sBD@Z"};

// The export by either name (the Itanium one first, and its failure reported).
HRESULT GetExport(const CExportName& name, void** ppfn, std::string* pstrDetail) {
    HRESULT hr = GetClassModuleExport(kCtrlFileMgrProgID, name.m_pszItanium, ppfn, pstrDetail);
    if (hr != HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND)) {
        return hr;
    }
    char szWindows[64];
    std::snprintf(szWindows, sizeof szWindows, name.m_pszWindows, sizeof(void*) == 8 ? "PE" : "P");
    std::string strIgnored;
    return SUCCEEDED(GetClassModuleExport(kCtrlFileMgrProgID, szWindows, ppfn, &strIgnored)) ? S_OK
                                                                                             : hr;
}

}  // namespace

HRESULT CAutomationClient::Create(std::string* pstrDetail) {
    return CreateObject(kCtrlFileMgrProgID, m_pDispatch.Receive(), pstrDetail);
}

CCallResult CAutomationClient::Call(const std::string& strMember, const std::vector<VARIANT>& args,
                                    uint16_t wFlags) {
    CCallResult result;
    std::u16string strWide;
    if (Cp932ToUtf16(strMember, strWide) != 0) {
        result.m_hr = DISP_E_UNKNOWNNAME;
        return result;
    }
    OleString strName(strWide.begin(), strWide.end());  // the system's characters on Windows
    OLECHAR* rgszNames[] = {strName.data()};
    DISPID dispid = DISPID_UNKNOWN;
    result.m_hr = m_pDispatch->GetIDsOfNames(IID_NULL, rgszNames, 1, LOCALE_USER_DEFAULT, &dispid);
    if (FAILED(result.m_hr)) {
        return result;
    }
    // COM passes the arguments last first.
    std::vector<VARIANT> reversed(args.rbegin(), args.rend());
    DISPID dispidPut = DISPID_PROPERTYPUT;
    DISPPARAMS params{reversed.data(), nullptr, static_cast<uint32_t>(reversed.size()), 0};
    if ((wFlags & DISPATCH_PROPERTYPUT) != 0) {
        params.rgdispidNamedArgs = &dispidPut;
        params.cNamedArgs = 1;
    }
    EXCEPINFO excep{};
    result.m_hr = m_pDispatch->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, wFlags, &params,
                                      &result.m_varResult, &excep, &result.m_uArgErr);
    if (result.m_hr == DISP_E_EXCEPTION) {
        result.m_wExceptionCode = excep.wCode;
        result.m_scode = excep.scode;
        BstrToCp932(excep.bstrDescription, result.m_strDescription);
        SysFreeString(excep.bstrSource);
        SysFreeString(excep.bstrDescription);
        SysFreeString(excep.bstrHelpFile);
    }
    return result;
}

std::string CCallResult::GetString() const {
    std::string str;
    if (SUCCEEDED(m_hr) && m_varResult.vt == VT_BSTR) {
        BstrToCp932(m_varResult.bstrVal, str);
    }
    return str;
}

int32_t CAutomationClient::GetErrorCode() {
    CCallResult result = Call("ErrorCode", {}, DISPATCH_PROPERTYGET);
    return SUCCEEDED(result.m_hr) ? result.GetLong() : 0;
}

std::string CAutomationClient::GetErrorString() {
    return Call("ErrorString", {}, DISPATCH_PROPERTYGET).GetString();
}

HRESULT CModuleExports::Load(std::string* pstrDetail) {
    const std::pair<const CExportName&, void**> exports[] = {
        {kExportBaseInfoToControl, reinterpret_cast<void**>(&m_pfnBaseInfoToControl)},
        {kExportGetStatus, reinterpret_cast<void**>(&m_pfnGetStatus)},
        {kExportGetErrorString, reinterpret_cast<void**>(&m_pfnGetErrorString)},
    };
    for (const auto& [name, ppfn] : exports) {
        HRESULT hr = GetExport(name, ppfn, pstrDetail);
        if (FAILED(hr)) {
            return hr;
        }
    }
    // A module without it still serves every other call.
    std::string strIgnored;
    GetExport(kExportSetAddTargets, reinterpret_cast<void**>(&m_pfnSetAddTargets), &strIgnored);
    return S_OK;
}

std::string CModuleExports::GetErrorString(int32_t lCode) const {
    uint32_t cbNeed = m_pfnGetErrorString(lCode, nullptr, 0);
    if (cbNeed == 0) {
        return {};
    }
    std::string buffer(cbNeed, '\0');
    if (m_pfnGetErrorString(lCode, buffer.data(), cbNeed) != cbNeed) {
        return {};
    }
    buffer.resize(buffer.find('\0'));
    return buffer;
}

CVariant MakeBstrVariant(const std::string& strCp932) {
    CVariant var;
    BSTR bstr = nullptr;
    if (BstrFromCp932(strCp932, &bstr) == 0) {
        var.AttachBstr(bstr);
    }
    return var;
}

}  // namespace tq::host
