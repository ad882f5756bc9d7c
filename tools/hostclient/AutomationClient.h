// How the hosts (tqctl, tqcustomize) reach the component: the automation object by its ProgID
// and the module's plain exports, nothing else. The module is found through the prefix's
// HKEY_CLASSES_ROOT exactly as any other host finds it.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "frame/CtrlFileMgrIds.h"
#include "platform/Dispatch.h"
#include "platform/Unknown.h"
#include "platform/Variant.h"

namespace tq::host {

// Registry path of a product below HKEY_LOCAL_MACHINE, followed by the product key.
constexpr const char* kProductKeyBase = "SOFTWARE\\Orbanworks\\Trellisquest\\";

// The outcome of one dispatch call.
struct CCallResult {
    HRESULT m_hr = S_OK;
    CVariant m_varResult;
    uint16_t m_wExceptionCode = 0;  // with DISP_E_EXCEPTION: the code the object raised
    SCODE m_scode = 0;
    std::string m_strDescription;  // of the exception, code page 932
    uint32_t m_uArgErr = 0;        // with DISP_E_TYPEMISMATCH and friends: the argument slot

    // The answer read as the members give it: a long (0 for any other type), a BOOL, a string
    // (code page 932; empty for any other type).
    int32_t GetLong() const { return m_varResult.vt == VT_I4 ? m_varResult.lVal : 0; }
    bool GetBool() const {
        return m_varResult.vt == VT_BOOL && m_varResult.boolVal != VARIANT_FALSE;
    }
    std::string GetString() const;
};

class CAutomationClient {
public:
    // Creates the object; pstrDetail receives the host helper's account of a failure.
    HRESULT Create(std::string* pstrDetail);
    // Uses an object the host made itself, from a component it links (tqctl's dialog commands).
    void Attach(CComPtr<IDispatch> pDispatch) { m_pDispatch = std::move(pDispatch); }
    bool IsCreated() const { return static_cast<bool>(m_pDispatch); }
    void Release() { m_pDispatch.Reset(); }

    // Calls a member by name (found without regard to case). args are in declaration order.
    // wFlags DISPATCH_METHOD | DISPATCH_PROPERTYGET for a call or a read, DISPATCH_PROPERTYPUT
    // for a write (one argument, the value).
    CCallResult Call(const std::string& strMember, const std::vector<VARIANT>& args,
                     uint16_t wFlags = DISPATCH_METHOD | DISPATCH_PROPERTYGET);

    // The object's ErrorCode and ErrorString (code page 932).
    int32_t GetErrorCode();
    std::string GetErrorString();

private:
    CComPtr<IDispatch> m_pDispatch;
};

// The plain exports of the module that serves the ProgID.
struct CModuleExports {
    int32_t (*m_pfnBaseInfoToControl)(const char*) = nullptr;
    int32_t (*m_pfnGetStatus)(const char*) = nullptr;
    uint32_t (*m_pfnGetErrorString)(int32_t, char*, uint32_t) = nullptr;
    // The export that hands the next add wizard its first files; null when the module has none.
    void (*m_pfnSetAddTargets)(const char*) = nullptr;

    HRESULT Load(std::string* pstrDetail);
    // The message of a code through the size query and a second call; empty when it has none.
    std::string GetErrorString(int32_t lCode) const;
};

// A VARIANT holding a string given in code page 932 (VT_BSTR; null when it cannot convert).
CVariant MakeBstrVariant(const std::string& strCp932);

}  // namespace tq::host
