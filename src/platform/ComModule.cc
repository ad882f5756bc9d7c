#include "platform/ComModule.h"

#include <new>

namespace tq {

HRESULT STDMETHODCALLTYPE CClassFactory::QueryInterface(REFIID riid, void** ppvObject) {
    if (ppvObject == nullptr) {
        return E_POINTER;
    }
    if (riid == IID_IUnknown || riid == IID_IClassFactory) {
        *ppvObject = static_cast<IClassFactory*>(this);
        AddRef();
        return S_OK;
    }
    *ppvObject = nullptr;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE CClassFactory::AddRef() {
    return ++m_cRef;
}

ULONG STDMETHODCALLTYPE CClassFactory::Release() {
    // Never deleted: the factory is a static object of the module.
    return --m_cRef;
}

HRESULT STDMETHODCALLTYPE CClassFactory::CreateInstance(IUnknown* pUnkOuter, REFIID riid,
                                                        void** ppvObject) {
    if (ppvObject == nullptr) {
        return E_POINTER;
    }
    *ppvObject = nullptr;
    if (pUnkOuter != nullptr) {
        return CLASS_E_NOAGGREGATION;
    }
    try {
        return m_fnCreate(riid, ppvObject);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

HRESULT STDMETHODCALLTYPE CClassFactory::LockServer(int32_t fLock) {
    if (fLock != 0) {
        m_module.Lock();
    } else {
        m_module.Unlock();
    }
    return S_OK;
}

HRESULT GetClassObject(std::initializer_list<CClassFactory*> factories, REFCLSID rclsid,
                       REFIID riid, void** ppv) {
    if (ppv == nullptr) {
        return E_POINTER;
    }
    *ppv = nullptr;
    for (CClassFactory* pFactory : factories) {
        if (pFactory->GetClsid() == rclsid) {
            return pFactory->QueryInterface(riid, ppv);
        }
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

HRESULT CanUnloadNow(const CModuleCount& module,
                     std::initializer_list<const CClassFactory*> factories) {
    if (module.Get() != 0) {
        return S_FALSE;
    }
    for (const CClassFactory* pFactory : factories) {
        if (pFactory->GetRefCount() > 1) {
            return S_FALSE;
        }
    }
    return S_OK;
}

}  // namespace tq
