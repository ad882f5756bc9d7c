// A tiny in-process server for the host tests: one class. Built twice: once as a
// proper module, once without DllGetClassObject (TQ_TEST_NO_EXPORT).
#include "platform/ComModule.h"
#include "platform/Dispatch.h"
#include "platform/posix/Prefix.h"

namespace {

using namespace tq;

constexpr CLSID kClsidCounter = {
    0x0F1E2D3C, 0x4B5A, 0x6978, {0x87, 0x96, 0xA5, 0xB4, 0xC3, 0xD2, 0xE1, 0xF0}};

CModuleCount g_module;

class CCounter : public CDispatchTable {
public:
    CCounter() : CDispatchTable(Members(), IID_IDispatch, &g_module) {}
    int32_t Subtract(int32_t a, int32_t b) { return a - b; }
    // The module's own idea of the machine it runs on.
    std::string GetPrefix() { return CPrefix::Current().GetDir(); }

    static std::span<const CDispMember> Members() {
        static const CDispMember members[] = {
            DispMethod(2, "Subtract", &CCounter::Subtract),
            DispProperty(3, "Prefix", &CCounter::GetPrefix),
        };
        return members;
    }
};

HRESULT CreateCounter(REFIID riid, void** ppv) {
    auto* p = new CCounter();
    HRESULT hr = p->QueryInterface(riid, ppv);
    p->Release();
    return hr;
}

CClassFactory g_factory(kClsidCounter, CreateCounter, g_module);

}  // namespace

#ifndef TQ_TEST_NO_EXPORT
extern "C" __attribute__((visibility("default"))) HRESULT DllGetClassObject(REFCLSID rclsid,
                                                                            REFIID riid,
                                                                            void** ppv) {
    return GetClassObject({&g_factory}, rclsid, riid, ppv);
}
#endif

extern "C" __attribute__((visibility("default"))) HRESULT DllCanUnloadNow() {
    return CanUnloadNow(g_module, {&g_factory});
}
