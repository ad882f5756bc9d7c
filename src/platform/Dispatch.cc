#include "platform/Dispatch.h"

#include <cstring>
#include <new>

namespace tq {

namespace {

bool NameMatches(const OLECHAR* pszName, const char* pszMember) {
    for (size_t i = 0;; ++i) {
        OLECHAR a = pszName[i];
        OLECHAR b = static_cast<unsigned char>(pszMember[i]);
        if (a >= 'a' && a <= 'z') {
            a = static_cast<OLECHAR>(a - 32);
        }
        if (b >= 'a' && b <= 'z') {
            b = static_cast<OLECHAR>(b - 32);
        }
        if (a != b) {
            return false;
        }
        if (a == 0) {
            return true;
        }
    }
}

}  // namespace

HRESULT CoerceDispArg(const VARIANT& arg, VARTYPE vt, CDispArg& out) {
    HRESULT hr = vt == VT_VARIANT ? VariantCopy(&out.m_var, &arg)
                                  : VariantChangeType(&out.m_var, &arg, 0, vt);
    if (hr == E_OUTOFMEMORY) {
        return hr;
    }
    if (FAILED(hr)) {
        return DISP_E_TYPEMISMATCH;
    }
    // A string the code page cannot hold is refused rather than passed on with '?' in it: it
    // would name a different registry key or file.
    if (vt == VT_BSTR && BstrToCp932(out.m_var.bstrVal, out.m_str) != 0) {
        return DISP_E_TYPEMISMATCH;
    }
    return S_OK;
}

CDispatchTable::CDispatchTable(std::span<const CDispMember> members, const IID& iidDispatch,
                               CModuleCount* pModule)
    : m_members(members), m_iidDispatch(iidDispatch), m_pModule(pModule) {
    if (m_pModule != nullptr) {
        m_pModule->Lock();
    }
}

CDispatchTable::~CDispatchTable() {
    if (m_pModule != nullptr) {
        m_pModule->Unlock();
    }
}

HRESULT STDMETHODCALLTYPE CDispatchTable::QueryInterface(REFIID riid, void** ppvObject) {
    if (ppvObject == nullptr) {
        return E_POINTER;
    }
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == m_iidDispatch) {
        *ppvObject = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    *ppvObject = nullptr;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE CDispatchTable::AddRef() {
    return ++m_cRef;
}

ULONG STDMETHODCALLTYPE CDispatchTable::Release() {
    ULONG cRef = --m_cRef;
    if (cRef == 0) {
        delete this;
    }
    return cRef;
}

HRESULT STDMETHODCALLTYPE CDispatchTable::GetTypeInfoCount(UINT* pctinfo) {
    if (pctinfo == nullptr) {
        return E_INVALIDARG;
    }
    *pctinfo = 0;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CDispatchTable::GetTypeInfo(UINT, LCID, ITypeInfo** ppTInfo) {
    if (ppTInfo == nullptr) {
        return E_INVALIDARG;
    }
    *ppTInfo = nullptr;
    return DISP_E_BADINDEX;
}

HRESULT STDMETHODCALLTYPE CDispatchTable::GetIDsOfNames(REFIID riid, OLECHAR** rgszNames,
                                                        UINT cNames, LCID, DISPID* rgDispId) {
    if (riid != IID_NULL) {
        return DISP_E_UNKNOWNINTERFACE;
    }
    if (cNames == 0 || rgszNames == nullptr || rgDispId == nullptr) {
        return E_INVALIDARG;
    }
    // The names after the first would be parameter names; no member takes named arguments.
    for (uint32_t i = 0; i < cNames; ++i) {
        rgDispId[i] = DISPID_UNKNOWN;
    }
    if (rgszNames[0] != nullptr) {
        for (const CDispMember& member : m_members) {
            if (NameMatches(rgszNames[0], member.m_pszName)) {
                rgDispId[0] = member.m_dispid;
                break;
            }
        }
    }
    return rgDispId[0] == DISPID_UNKNOWN || cNames > 1 ? DISP_E_UNKNOWNNAME : S_OK;
}

const CDispMember* CDispatchTable::FindMember(DISPID dispid) const {
    for (const CDispMember& member : m_members) {
        if (member.m_dispid == dispid) {
            return &member;
        }
    }
    return nullptr;
}

HRESULT STDMETHODCALLTYPE CDispatchTable::Invoke(DISPID dispIdMember, REFIID riid, LCID,
                                                 WORD wFlags, DISPPARAMS* pDispParams,
                                                 VARIANT* pVarResult, EXCEPINFO* pExcepInfo,
                                                 UINT* puArgErr) {
    if (riid != IID_NULL) {
        return DISP_E_UNKNOWNINTERFACE;
    }
    if (pDispParams == nullptr || (pDispParams->cArgs > 0 && pDispParams->rgvarg == nullptr) ||
        (pDispParams->cNamedArgs > 0 && pDispParams->rgdispidNamedArgs == nullptr) ||
        pDispParams->cNamedArgs > pDispParams->cArgs) {
        return E_INVALIDARG;
    }
    const CDispMember* pMember = FindMember(dispIdMember);
    if (pMember == nullptr) {
        return DISP_E_MEMBERNOTFOUND;
    }
    m_exception = CPendingException();
    CVariant result;
    HRESULT hr = DISP_E_MEMBERNOTFOUND;
    try {
        if ((wFlags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0) {
            hr = InvokePut(*pMember, *pDispParams, puArgErr);
        } else if ((wFlags & (DISPATCH_METHOD | DISPATCH_PROPERTYGET)) != 0) {
            hr = InvokeGet(*pMember, wFlags, *pDispParams, result, puArgErr);
        }
    } catch (const std::bad_alloc&) {
        hr = E_OUTOFMEMORY;
    } catch (...) {
        hr = E_UNEXPECTED;
    }
    if (m_exception.m_bRaised) {
        FillException(pExcepInfo);
        m_exception = CPendingException();
        return DISP_E_EXCEPTION;
    }
    if (SUCCEEDED(hr) && pVarResult != nullptr) {
        result.Detach(pVarResult);
    }
    return hr;
}

HRESULT CDispatchTable::InvokeGet(const CDispMember& member, uint16_t wFlags,
                                  const DISPPARAMS& params, CVariant& result, uint32_t* puArgErr) {
    // A method is called, a property is read; script hosts pass both flags at once.
    uint16_t wKind = member.m_bProperty ? DISPATCH_PROPERTYGET : DISPATCH_METHOD;
    if ((wFlags & wKind) == 0) {
        return DISP_E_MEMBERNOTFOUND;
    }
    if (params.cNamedArgs != 0) {
        return DISP_E_NONAMEDARGS;
    }
    if (params.cArgs != member.m_params.size()) {
        return DISP_E_BADPARAMCOUNT;
    }
    // COM passes the arguments last first: the first parameter is rgvarg[cArgs - 1].
    std::vector<CDispArg> args(params.cArgs);
    for (uint32_t i = 0; i < params.cArgs; ++i) {
        uint32_t slot = params.cArgs - 1 - i;
        HRESULT hr = CoerceDispArg(params.rgvarg[slot], member.m_params[i], args[i]);
        if (FAILED(hr)) {
            if (puArgErr != nullptr) {
                *puArgErr = slot;
            }
            return hr;
        }
    }
    return member.m_fnInvoke(*this, args.data(), result);
}

HRESULT CDispatchTable::InvokePut(const CDispMember& member, const DISPPARAMS& params,
                                  uint32_t* puArgErr) {
    if (!member.m_bProperty) {
        return DISP_E_MEMBERNOTFOUND;
    }
    // The value of a put is the one argument named DISPID_PROPERTYPUT.
    if (params.cNamedArgs != 1 || params.rgdispidNamedArgs[0] != DISPID_PROPERTYPUT) {
        return DISP_E_PARAMNOTFOUND;
    }
    if (params.cArgs != 1) {
        return DISP_E_BADPARAMCOUNT;
    }
    if (!member.m_fnPut) {
        OnPutReadOnly(member);
        return DISP_E_MEMBERNOTFOUND;
    }
    CDispArg value;
    HRESULT hr = CoerceDispArg(params.rgvarg[0], member.m_vtPut, value);
    if (FAILED(hr)) {
        if (puArgErr != nullptr) {
            *puArgErr = 0;
        }
        return hr;
    }
    CVariant ignored;
    return member.m_fnPut(*this, &value, ignored);
}

void CDispatchTable::RaiseException(uint16_t wCode, SCODE scode, std::string strDescription,
                                    std::string strSource) {
    m_exception.m_bRaised = true;
    m_exception.m_wCode = wCode;
    m_exception.m_scode = wCode != 0 ? 0 : scode;
    m_exception.m_strDescription = std::move(strDescription);
    m_exception.m_strSource = std::move(strSource);
}

void CDispatchTable::OnPutReadOnly(const CDispMember&) {}

void CDispatchTable::FillException(EXCEPINFO* pExcepInfo) {
    if (pExcepInfo == nullptr) {
        return;
    }
    std::memset(pExcepInfo, 0, sizeof *pExcepInfo);
    pExcepInfo->wCode = m_exception.m_wCode;
    pExcepInfo->scode = m_exception.m_scode;
    // Out of memory leaves a text null, which callers read as empty.
    if (!m_exception.m_strSource.empty()) {
        BstrFromCp932Lossy(m_exception.m_strSource, &pExcepInfo->bstrSource);
    }
    BstrFromCp932Lossy(m_exception.m_strDescription, &pExcepInfo->bstrDescription);
}

}  // namespace tq
