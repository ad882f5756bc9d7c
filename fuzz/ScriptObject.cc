// A harmless object under the component's ProgID: tqctl script runs whole without a product,
// through members that cover every argument type the dispatch interface takes.
#include <string>

#include "platform/ComModule.h"
#include "platform/Dispatch.h"

namespace {

using namespace tq;

constexpr CLSID kClsidScriptObject = {
    0x5C1A7E02, 0x93B4, 0x4D61, {0x8F, 0x0A, 0x2B, 0x6D, 0x4E, 0x8C, 0x1F, 0x35}};

CModuleCount g_module;

class CScriptObject : public CDispatchTable {
public:
    CScriptObject() : CDispatchTable(Members(), IID_IDispatch, &g_module) {}

    int32_t GetErrorCode() { return m_lErrorCode; }
    std::string GetText() { return m_strText; }
    void PutText(std::string strText) { m_strText = std::move(strText); }
    bool GetFlag() { return m_bFlag; }
    void PutFlag(bool b) { m_bFlag = b; }
    int32_t Add(int32_t a, int32_t b) {
        m_lErrorCode = -static_cast<int32_t>(static_cast<uint32_t>(a) & 0xFF);
        return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
    }
    std::string Join(std::string strText, int16_t n, bool b) {
        return strText + std::to_string(n) + (b ? "T" : "F");
    }
    int32_t TypeOf(const VARIANT& var) { return var.vt; }
    // Raises an exception with a code (low 16 bits) or, when those are 0, with an SCODE.
    int32_t Fail(int32_t lCode, std::string strWhy) {
        const auto wCode = static_cast<uint16_t>(lCode);
        const auto scode = static_cast<SCODE>(0x80040000u | (static_cast<uint32_t>(lCode) >> 16));
        RaiseException(wCode, wCode != 0 ? 0 : scode, std::move(strWhy));
        return 0;
    }

    static std::span<const CDispMember> Members() {
        static const CDispMember members[] = {
            DispProperty(1, "ErrorCode", &CScriptObject::GetErrorCode),
            DispProperty(2, "Text", &CScriptObject::GetText, &CScriptObject::PutText),
            DispProperty(4, "Flag", &CScriptObject::GetFlag, &CScriptObject::PutFlag),
            DispMethod(5, "Add", &CScriptObject::Add),
            DispMethod(6, "Join", &CScriptObject::Join),
            DispMethod(7, "TypeOf", &CScriptObject::TypeOf),
            DispMethod(8, "Fail", &CScriptObject::Fail),
        };
        return members;
    }

private:
    int32_t m_lErrorCode = 0;
    std::string m_strText;
    bool m_bFlag = false;
};

HRESULT CreateScriptObject(REFIID riid, void** ppv) {
    auto* p = new CScriptObject();
    HRESULT hr = p->QueryInterface(riid, ppv);
    p->Release();
    return hr;
}

CClassFactory g_factory(kClsidScriptObject, CreateScriptObject, g_module);

}  // namespace

extern "C" __attribute__((visibility("default"))) HRESULT DllGetClassObject(REFCLSID rclsid,
                                                                            REFIID riid,
                                                                            void** ppv) {
    return GetClassObject({&g_factory}, rclsid, riid, ppv);
}
