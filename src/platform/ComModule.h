// What an in-process server module needs around its objects: the count of live objects and
// server locks that decides whether the module may be unloaded, and a class factory that is a
// static object of the module. The count is an object the module defines, so that it stays the
// module's own however the platform library is linked (into each module, or shared).
#pragma once

#include <atomic>
#include <cstdint>
#include <initializer_list>
#include <string>

#include "platform/Unknown.h"

namespace tq {

// Raised by every live object of the module and by LockServer(TRUE); lowered by their
// counterparts. A static object of the module.
class CModuleCount {
public:
    void Lock() { ++m_cLocks; }
    // An unbalanced unlock from a caller must not wrap the count and pin the module forever.
    void Unlock() {
        uint32_t n = m_cLocks.load();
        while (n > 0 && !m_cLocks.compare_exchange_weak(n, n - 1)) {
        }
    }
    uint32_t Get() const { return m_cLocks.load(); }

private:
    std::atomic<uint32_t> m_cLocks{0};
};

// The system's interfaces declare no destructor (it would add entries to their virtual table);
// a class factory is never deleted through one.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"

// A class factory that lives as long as the module (a static object): its own reference counts
// as one, so a count above 1 means a caller still holds it. CreateInstance makes a new object
// with the creator and queries it for the requested interface.
class CClassFactory : public IClassFactory {
public:
    // The creator makes one object, queries it for riid into *ppv and drops its own reference,
    // so that a failed query destroys the object again.
    using Creator = HRESULT (*)(REFIID riid, void** ppv);

    CClassFactory(const CLSID& clsid, Creator fnCreate, CModuleCount& module)
        : m_clsid(clsid), m_fnCreate(fnCreate), m_module(module) {}
    virtual ~CClassFactory() = default;
    CClassFactory(const CClassFactory&) = delete;
    CClassFactory& operator=(const CClassFactory&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppvObject) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    // CLASS_E_NOAGGREGATION with an outer object; E_OUTOFMEMORY when the object cannot be made.
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* pUnkOuter, REFIID riid,
                                             void** ppvObject) override;
    HRESULT STDMETHODCALLTYPE LockServer(int32_t fLock) override;

    const CLSID& GetClsid() const { return m_clsid; }
    uint32_t GetRefCount() const { return m_cRef.load(); }

private:
    CLSID m_clsid;
    Creator m_fnCreate;
    CModuleCount& m_module;
    std::atomic<uint32_t> m_cRef{1};
};

#pragma GCC diagnostic pop

// DllGetClassObject of a module: the factory for rclsid queried for riid, or
// CLASS_E_CLASSNOTAVAILABLE (with *ppv null) when the module serves no such class.
HRESULT GetClassObject(std::initializer_list<CClassFactory*> factories, REFCLSID rclsid,
                       REFIID riid, void** ppv);
// DllCanUnloadNow of a module: S_FALSE while objects or locks are counted or a caller holds a
// factory, else S_OK.
HRESULT CanUnloadNow(const CModuleCount& module,
                     std::initializer_list<const CClassFactory*> factories);

// GetModuleFileName: the full Windows path ("Z:\...") of the module file that holds the given
// code address (a function of the module), as its registration records it. ERROR_INVALID_HANDLE
// when the address lies in no loaded file.
int32_t GetModuleFileName(const void* pAddressInModule, std::string& strPath);

}  // namespace tq
