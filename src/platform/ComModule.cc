#include "platform/ComModule.h"

#include <new>

namespace tq {

namespace {

std::atomic<uint32_t> g_cModuleLocks{0};

}  // namespace

void ModuleLock() {
    ++g_cModuleLocks;
}

void ModuleUnlock() {
    // An unbalanced unlock from a caller must not wrap the count and pin the module forever.
    uint32_t n = g_cModuleLocks.load();
    while (n > 0 && !g_cModuleLocks.compare_exchange_weak(n, n - 1)) {
    }
}

uint32_t GetModuleLockCount() {
    return g_cModuleLocks.load();
}

HRESULT CClassFactory::QueryInterface(REFIID riid, void** ppvObject) {
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

uint32_t CClassFactory::AddRef() {
    return ++m_cRef;
}

uint32_t CClassFactory::Release() {
    // Never deleted: the factory is a static object of the module.
    return --m_cRef;
}

HRESULT CClassFactory::CreateInstance(IUnknown* pUnkOuter, REFIID riid, void** ppvObject) {
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

HRESULT CClassFactory::LockServer(int32_t fLock) {
    if (fLock != 0) {
        ModuleLock();
    } else {
        ModuleUnlock();
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

HRESULT CanUnloadNow(std::initializer_list<const CClassFactory*> factories) {
    if (GetModuleLockCount() != 0) {
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
