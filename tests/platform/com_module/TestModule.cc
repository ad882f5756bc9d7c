// A tiny in-process server for the host tests: one class. Built twice: once as a
// proper module, once without DllGetClassObject (TQ_TEST_NO_EXPORT).
#include "platform/ComModule.h"
#include "platform/Dispatch.h"
#include "platform/Registry.h"

namespace {

using namespace tq;

constexpr CLSID kClsidCounter = {
    0x0F1E2D3C, 0x4B5A, 0x6978, {0x87, 0x96, 0xA5, 0xB4, 0xC3, 0xD2, 0xE1, 0xF0}};

CModuleCount g_module;

class CCounter : public CDispatchTable {
public:
    CCounter() : CDispatchTable(Members(), IID_IDispatch, &g_module) {}
    int32_t Subtract(int32_t a, int32_t b) { return a - b; }
    // What the module's own registry calls find on the machine it runs on.
    std::string GetMarker() {
        CRegKey key;
        uint32_t type = 0;
        std::string data;
        key.Open(HKEY_CURRENT_USER, "Test", KEY_READ);
        return key.QueryValue("Marker", type, data) == 0 ? data.c_str() : "";
    }

    static std::span<const CDispMember> Members() {
        static const CDispMember members[] = {
            DispMethod(2, "Subtract", &CCounter::Subtract),
            DispProperty(3, "Marker", &CCounter::GetMarker),
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
extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID rclsid, REFIID riid, void** ppv) {
    return GetClassObject({&g_factory}, rclsid, riid, ppv);
}
#endif

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() {
    return CanUnloadNow(g_module, {&g_factory});
}
