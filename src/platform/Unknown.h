// The COM interfaces the component implements and calls: IUnknown, IClassFactory and IDispatch,
// with the structures of a dispatch call. On Windows they are the system's. Elsewhere each is an
// abstract class of pure virtual functions declared in COM's order, so that its virtual table is
// the COM virtual table: a C caller that takes the object's first word as a table of function
// pointers, each with the object as first argument, reaches the same functions. The interfaces
// declare no virtual destructor (it would add entries to the table); objects delete themselves
// in Release. Implementations declare their methods STDMETHODCALLTYPE with the interfaces'
// integer types (ULONG, UINT, WORD), so that they override on both systems.
#pragma once

#include <cstdint>

#include "platform/ComTypes.h"
#include "platform/Variant.h"

#ifdef _WIN32
namespace tq {

using ::DISPPARAMS;
using ::EXCEPINFO;
using ::IClassFactory;
using ::IDispatch;
using ::ITypeInfo;
using ::IUnknown;

}  // namespace tq
#else
namespace tq {

class ITypeInfo;  // never provided: the component ships no type library

// Arguments of Invoke, in reverse order: rgvarg[cArgs - 1] is the first argument.
struct DISPPARAMS {
    VARIANTARG* rgvarg;
    DISPID* rgdispidNamedArgs;
    uint32_t cArgs;
    uint32_t cNamedArgs;
};

// What Invoke reports with DISP_E_EXCEPTION. Exactly one of wCode and scode is non-zero; the
// caller frees the three strings.
struct EXCEPINFO {
    uint16_t wCode;
    uint16_t wReserved;
    BSTR bstrSource;
    BSTR bstrDescription;
    BSTR bstrHelpFile;
    uint32_t dwHelpContext;
    void* pvReserved;
    HRESULT (*pfnDeferredFillIn)(EXCEPINFO*);
    SCODE scode;
};

class IUnknown {
public:
    virtual HRESULT QueryInterface(REFIID riid, void** ppvObject) = 0;
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;

protected:
    ~IUnknown() = default;
};

class IClassFactory : public IUnknown {
public:
    virtual HRESULT CreateInstance(IUnknown* pUnkOuter, REFIID riid, void** ppvObject) = 0;
    virtual HRESULT LockServer(int32_t fLock) = 0;

protected:
    ~IClassFactory() = default;
};

class IDispatch : public IUnknown {
public:
    virtual HRESULT GetTypeInfoCount(UINT* pctinfo) = 0;
    virtual HRESULT GetTypeInfo(UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo) = 0;
    virtual HRESULT GetIDsOfNames(REFIID riid, OLECHAR** rgszNames, UINT cNames, LCID lcid,
                                  DISPID* rgDispId) = 0;
    virtual HRESULT Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags,
                           DISPPARAMS* pDispParams, VARIANT* pVarResult, EXCEPINFO* pExcepInfo,
                           UINT* puArgErr) = 0;

protected:
    ~IDispatch() = default;
};

}  // namespace tq
#endif

namespace tq {

// Flags of IDispatch::Invoke.
constexpr uint16_t DISPATCH_METHOD = 0x1;
constexpr uint16_t DISPATCH_PROPERTYGET = 0x2;
constexpr uint16_t DISPATCH_PROPERTYPUT = 0x4;
constexpr uint16_t DISPATCH_PROPERTYPUTREF = 0x8;

constexpr DISPID DISPID_UNKNOWN = -1;
constexpr DISPID DISPID_VALUE = 0;
constexpr DISPID DISPID_PROPERTYPUT = -3;

constexpr LCID LOCALE_USER_DEFAULT = 0x0400;

// The exports every in-process server module provides.
using PFN_DllGetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID rclsid, REFIID riid, void** ppv);
using PFN_DllCanUnloadNow = HRESULT(STDAPICALLTYPE*)();

// Holds one interface reference and releases it at destruction.
template <class T>
class CComPtr {
public:
    CComPtr() = default;
    ~CComPtr() { Reset(); }
    CComPtr(const CComPtr&) = delete;
    CComPtr& operator=(const CComPtr&) = delete;
    CComPtr(CComPtr&& other) noexcept : m_p(other.m_p) { other.m_p = nullptr; }
    CComPtr& operator=(CComPtr&& other) noexcept {
        if (this != &other) {
            Reset();
            m_p = other.m_p;
            other.m_p = nullptr;
        }
        return *this;
    }

    T* Get() const { return m_p; }
    T* operator->() const { return m_p; }
    explicit operator bool() const { return m_p != nullptr; }
    // Releases the held reference and returns the address to fill, as out-parameters expect.
    T** Receive() {
        Reset();
        return &m_p;
    }
    void Reset() {
        if (m_p != nullptr) {
            m_p->Release();
            m_p = nullptr;
        }
    }

private:
    T* m_p = nullptr;
};

}  // namespace tq
