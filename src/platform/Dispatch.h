// A table-driven IDispatch. An automation object derives from CDispatchTable and lists its
// members once, each with its dispatch id, its name and the member functions that carry it out;
// the parameter and result types follow from those functions' signatures:
//
//   int32_t       ↔ VT_I4          bool        ↔ VT_BOOL (VARIANT_TRUE = -1)
//   int16_t       ↔ VT_I2          std::string ↔ VT_BSTR (code page 932 on our side)
//   const VARIANT& ← the argument exactly as the caller passed it (no coercion)
//   void          → no result (VT_EMPTY)
//
// The base class does everything a caller of IDispatch relies on: names are found without
// regard to case; Invoke checks the flags against the member's kind, the argument count (no
// optional arguments, no named arguments except the value of a property put), and coerces each
// argument to its parameter type, dereferencing VT_BYREF, with the standard DISP_E_ codes and
// the index of the failing argument in *puArgErr. A member function may raise an automation
// exception with RaiseException; Invoke then answers DISP_E_EXCEPTION with the EXCEPINFO filled.
//
//   class CClock : public CDispatchTable {
//   public:
//       CClock() : CDispatchTable(Members()) {}
//       int32_t GetHour() { ... }
//       int32_t Advance(int32_t minutes, bool bWrap) { ... }
//       static std::span<const CDispMember> Members() {
//           static const CDispMember members[] = {
//               DispProperty(1, "Hour", &CClock::GetHour),
//               DispMethod(2, "Advance", &CClock::Advance),
//           };
//           return members;
//       }
//   };
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "platform/Bstr.h"
#include "platform/ComModule.h"
#include "platform/ComTypes.h"
#include "platform/Unknown.h"
#include "platform/Variant.h"

namespace tq {

class CDispatchTable;

// One argument after coercion: the value, and for string parameters its code page 932 text.
struct CDispArg {
    CVariant m_var;
    std::string m_str;
};

// How a C++ parameter or result type crosses the interface.
template <class T>
struct CDispType;

template <>
struct CDispType<int32_t> {
    static constexpr VARTYPE vt = VT_I4;
    static int32_t From(const CDispArg& arg) { return arg.m_var.lVal; }
    static HRESULT To(int32_t value, CVariant& out) {
        out = CVariant(value);
        return S_OK;
    }
};

template <>
struct CDispType<int16_t> {
    static constexpr VARTYPE vt = VT_I2;
    static int16_t From(const CDispArg& arg) { return arg.m_var.iVal; }
    static HRESULT To(int16_t value, CVariant& out) {
        out = CVariant(value);
        return S_OK;
    }
};

template <>
struct CDispType<bool> {
    static constexpr VARTYPE vt = VT_BOOL;
    static bool From(const CDispArg& arg) { return arg.m_var.boolVal != VARIANT_FALSE; }
    static HRESULT To(bool value, CVariant& out) {
        out = CVariant(value);
        return S_OK;
    }
};

template <>
struct CDispType<std::string> {
    static constexpr VARTYPE vt = VT_BSTR;
    static const std::string& From(const CDispArg& arg) { return arg.m_str; }
    // A result with bytes that are not code page 932 is shown with U+FFFD rather than lost.
    static HRESULT To(const std::string& value, CVariant& out) {
        BSTR bstr = nullptr;
        if (BstrFromCp932Lossy(value, &bstr) != 0) {
            return E_OUTOFMEMORY;
        }
        out.AttachBstr(bstr);
        return S_OK;
    }
};

template <>
struct CDispType<VARIANT> {
    static constexpr VARTYPE vt = VT_VARIANT;
    static const VARIANT& From(const CDispArg& arg) { return arg.m_var; }
};

// Carries out a member on the object with the coerced arguments (in declaration order) and
// stores its result.
using DispInvoker =
    std::function<HRESULT(CDispatchTable& self, const CDispArg* args, CVariant& result)>;

struct CDispMember {
    DISPID m_dispid = DISPID_UNKNOWN;
    const char* m_pszName = "";     // ASCII
    bool m_bProperty = false;       // a property (get, and put when m_fnPut is set) or a method
    std::vector<VARTYPE> m_params;  // of the method; empty for a property get
    DispInvoker m_fnInvoke;         // the method, or the property's get
    VARTYPE m_vtPut = VT_EMPTY;     // the type of the value a put takes
    DispInvoker m_fnPut;            // empty: the property is read-only
};

namespace dispatch_detail {

template <class T, class R, class... A, size_t... I>
HRESULT Call(T& obj, R (T::*pfn)(A...), const CDispArg* args, CVariant& result,
             std::index_sequence<I...>) {
    if constexpr (std::is_void_v<R>) {
        (obj.*pfn)(CDispType<std::decay_t<A>>::From(args[I])...);
        return S_OK;
    } else {
        return CDispType<std::decay_t<R>>::To(
            (obj.*pfn)(CDispType<std::decay_t<A>>::From(args[I])...), result);
    }
}

template <class T, class R, class... A>
DispInvoker MakeInvoker(R (T::*pfn)(A...)) {
    return [pfn](CDispatchTable& self, const CDispArg* args, CVariant& result) {
        return Call(static_cast<T&>(self), pfn, args, result, std::index_sequence_for<A...>{});
    };
}

}  // namespace dispatch_detail

template <class T, class R, class... A>
CDispMember DispMethod(DISPID dispid, const char* pszName, R (T::*pfn)(A...)) {
    CDispMember member;
    member.m_dispid = dispid;
    member.m_pszName = pszName;
    member.m_params = {CDispType<std::decay_t<A>>::vt...};
    member.m_fnInvoke = dispatch_detail::MakeInvoker(pfn);
    return member;
}

// A read-only property.
template <class T, class R>
CDispMember DispProperty(DISPID dispid, const char* pszName, R (T::*pfnGet)()) {
    CDispMember member;
    member.m_dispid = dispid;
    member.m_pszName = pszName;
    member.m_bProperty = true;
    member.m_fnInvoke = dispatch_detail::MakeInvoker(pfnGet);
    return member;
}

// A read-write property.
template <class T, class R, class V>
CDispMember DispProperty(DISPID dispid, const char* pszName, R (T::*pfnGet)(),
                         void (T::*pfnPut)(V)) {
    CDispMember member = DispProperty(dispid, pszName, pfnGet);
    member.m_vtPut = CDispType<std::decay_t<V>>::vt;
    member.m_fnPut = dispatch_detail::MakeInvoker(pfnPut);
    return member;
}

// The system's interfaces declare no destructor (it would add entries to their virtual table);
// objects delete themselves in Release, through their own virtual destructor.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"

class CDispatchTable : public IDispatch {
public:
    // members must outlive the object (a static table). The object answers QueryInterface for
    // IUnknown, IDispatch and iidDispatch, its own dispatch interface. It starts with one
    // reference, held by its creator. An object served by a module counts in the module's
    // count while it lives, so that the module is not unloaded under it.
    explicit CDispatchTable(std::span<const CDispMember> members,
                            const IID& iidDispatch = IID_IDispatch,
                            CModuleCount* pModule = nullptr);
    virtual ~CDispatchTable();
    CDispatchTable(const CDispatchTable&) = delete;
    CDispatchTable& operator=(const CDispatchTable&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppvObject) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    // No type information: the count is 0.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* pctinfo) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, OLECHAR** rgszNames, UINT cNames,
                                            LCID lcid, DISPID* rgDispId) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags,
                                     DISPPARAMS* pDispParams, VARIANT* pVarResult,
                                     EXCEPINFO* pExcepInfo, UINT* puArgErr) override;

protected:
    // Raises an automation exception from inside a member: the call then answers
    // DISP_E_EXCEPTION and its result is dropped. Give either wCode or scode (the other 0);
    // the texts are code page 932.
    void RaiseException(uint16_t wCode, SCODE scode, std::string strDescription,
                        std::string strSource = {});
    // A put of a read-only property. The default answers DISP_E_MEMBERNOTFOUND, as a dispatch
    // interface without a put accessor does; an object may raise its own exception instead.
    virtual void OnPutReadOnly(const CDispMember& member);

private:
    struct CPendingException {
        bool m_bRaised = false;
        uint16_t m_wCode = 0;
        SCODE m_scode = 0;
        std::string m_strDescription;
        std::string m_strSource;
    };

    const CDispMember* FindMember(DISPID dispid) const;
    HRESULT InvokeGet(const CDispMember& member, uint16_t wFlags, const DISPPARAMS& params,
                      CVariant& result, uint32_t* puArgErr);
    HRESULT InvokePut(const CDispMember& member, const DISPPARAMS& params, uint32_t* puArgErr);
    void FillException(EXCEPINFO* pExcepInfo);

    std::span<const CDispMember> m_members;
    IID m_iidDispatch;
    CModuleCount* m_pModule;
    std::atomic<uint32_t> m_cRef{1};
    CPendingException m_exception;
};

#pragma GCC diagnostic pop

// Coerces one argument to a parameter type the way Invoke does: VT_VARIANT takes the argument
// as it is, VT_BSTR also yields the code page 932 text. DISP_E_TYPEMISMATCH when it does not
// convert.
HRESULT CoerceDispArg(const VARIANT& arg, VARTYPE vt, CDispArg& out);

}  // namespace tq
