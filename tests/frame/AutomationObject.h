// A CCtrlFileMgr made by its factory and called through IDispatch by name, as a script host
// calls it. Shared by the tests of the automation object and of the module's exports.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "frame/CtrlFileMgr.h"
#include "platform/Bstr.h"
#include "platform/Cp932.h"

namespace tq::test {

// One call through IDispatch, by name, as a script host makes it.
struct CDispCall {
    HRESULT m_hr = S_OK;
    CVariant m_result;
    EXCEPINFO m_excep{};
    uint32_t m_uArgErr = 0xFFFFFFFFu;

    std::string Text() const {
        std::string s;
        return m_result.vt == VT_BSTR && BstrToCp932(m_result.bstrVal, s) == 0 ? s : "?";
    }
};

class CObject {
public:
    CObject() {
        EXPECT_EQ(CCtrlFileMgr::Create(IID_IDispatch, reinterpret_cast<void**>(m_p.Receive())),
                  S_OK);
    }
    IDispatch* Get() const { return m_p.Get(); }
    void Reset() { m_p.Reset(); }

    // args in declaration order.
    CDispCall Call(const char* pszName, std::vector<CVariant> args = {},
                   uint16_t wFlags = DISPATCH_METHOD | DISPATCH_PROPERTYGET) {
        CDispCall call;
        std::u16string name;
        Cp932ToUtf16(pszName, name);
        OLECHAR* names[] = {name.data()};
        DISPID dispid = DISPID_UNKNOWN;
        call.m_hr = m_p->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &dispid);
        if (FAILED(call.m_hr)) {
            return call;
        }
        std::vector<VARIANT> rev(args.rbegin(), args.rend());
        DISPID named = DISPID_PROPERTYPUT;
        DISPPARAMS params{rev.data(), nullptr, static_cast<uint32_t>(rev.size()), 0};
        if (wFlags == DISPATCH_PROPERTYPUT) {
            params.rgdispidNamedArgs = &named;
            params.cNamedArgs = 1;
        }
        call.m_hr = m_p->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, wFlags, &params,
                                &call.m_result, &call.m_excep, &call.m_uArgErr);
        return call;
    }
    int32_t Long(const char* pszName, std::vector<CVariant> args = {}) {
        CDispCall call = Call(pszName, std::move(args));
        EXPECT_EQ(call.m_hr, S_OK) << pszName;
        return call.m_result.vt == VT_I4 ? call.m_result.lVal : 0x7FFFFFFF;
    }
    bool Bool(const char* pszName, std::vector<CVariant> args = {}) {
        CDispCall call = Call(pszName, std::move(args));
        EXPECT_EQ(call.m_result.vt, VT_BOOL) << pszName;
        return call.m_result.boolVal != VARIANT_FALSE;
    }
    int32_t ErrorCode() { return Long("ErrorCode"); }
    bool Ready(const char* pszProduct = "Demo") { return Bool("SetProductKey", {Str(pszProduct)}); }

    static CVariant Str(const std::string& s) {
        CVariant v;
        BSTR b = nullptr;
        BstrFromCp932(s, &b);
        v.AttachBstr(b);
        return v;
    }

private:
    CComPtr<IDispatch> m_p;
};

inline CVariant L(int32_t l) {
    return CVariant(l);
}

}  // namespace tq::test
