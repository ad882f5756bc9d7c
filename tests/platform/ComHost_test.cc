#include "platform/ComHost.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <tuple>

#include "platform/Bstr.h"
#include "platform/ComModule.h"
#include "platform/Registry.h"
#include "platform/Win32Error.h"
#include "support/TestSupport.h"

// Calls a two-argument method from C through the virtual table; 0 when *pResult was set.
extern "C" int TqCallBinaryThroughVtbl(void* pDispatch, const uint16_t* pszName, int32_t a,
                                       int32_t b, int32_t* pResult);

namespace tq {
namespace {

const char kClsidCounter[] = "{0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F0}";
const char kProgId[] = "Test.Counter.1";

void SetClassesDefault(const std::string& strKey, const std::string& strValue) {
    CRegKey key;
    ASSERT_EQ(key.Create(HKEY_CLASSES_ROOT, strKey, KEY_ALL_ACCESS), 0);
    ASSERT_EQ(key.SetString("", strValue), 0);
}

// The entries an in-process server writes when it registers itself: only the ProgID when clsid
// is empty, no server when pszModule is null.
void Register(const std::string& clsid, const char* pszModule) {
    SetClassesDefault(kProgId, kProgId);
    if (clsid.empty()) {
        return;
    }
    SetClassesDefault(std::string(kProgId) + "\\CLSID", clsid);
    SetClassesDefault("CLSID\\" + clsid, kProgId);
    SetClassesDefault("CLSID\\" + clsid + "\\ProgID", kProgId);
    if (pszModule != nullptr) {
        SetClassesDefault("CLSID\\" + clsid + "\\InProcServer32", pszModule);
    }
}

HRESULT ModuleCanUnloadNow() {
    void* h = dlopen(TQ_TEST_COM_MODULE, RTLD_NOW | RTLD_NOLOAD);
    if (h == nullptr) {
        return E_UNEXPECTED;
    }
    auto pfn = reinterpret_cast<PFN_DllCanUnloadNow>(dlsym(h, "DllCanUnloadNow"));
    HRESULT hr = pfn != nullptr ? pfn() : E_UNEXPECTED;
    dlclose(h);  // only drops the reference taken above; the host keeps the module loaded
    return hr;
}

TEST(ComHostTest, CreatesARegisteredObject) {
    test::CTempPrefix prefix;
    // A module registers its own file by its Windows path.
    void* h = dlopen(TQ_TEST_COM_MODULE, RTLD_NOW);
    ASSERT_NE(h, nullptr);
    std::string strWindows, strDetail, strPrefix;
    ASSERT_EQ(GetModuleFileName(dlsym(h, "DllCanUnloadNow"), strWindows), 0);
    EXPECT_EQ(strWindows.substr(0, 3), "Z:\\");
    Register(kClsidCounter, strWindows.c_str());
    CComPtr<IDispatch> p, second;
    ASSERT_EQ(CreateObject(kProgId, p.Receive(), &strDetail), S_OK) << strDetail;
    EXPECT_EQ(ModuleCanUnloadNow(), S_FALSE);
    int32_t result = 0;
    EXPECT_EQ(TqCallBinaryThroughVtbl(p.Get(), reinterpret_cast<const uint16_t*>(u"Subtract"), 9, 4,
                                      &result),
              0);
    EXPECT_EQ(result, 5);
    // The module's copy of the platform layer works on the host's prefix.
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    CVariant prefixDir;
    ASSERT_EQ(p->Invoke(3, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &prefixDir, nullptr, nullptr),
              S_OK);
    ASSERT_EQ(BstrToCp932(prefixDir.bstrVal, strPrefix), 0);
    EXPECT_EQ(strPrefix, prefix.GetDir());
    ASSERT_EQ(CreateObject("test.counter.1", second.Receive()), S_OK);
    EXPECT_NE(second.Get(), p.Get());
    p.Reset();
    EXPECT_EQ(ModuleCanUnloadNow(), S_FALSE);
    second.Reset();
    EXPECT_EQ(ModuleCanUnloadNow(), S_OK);
    // A lock on the class factory keeps the module loaded without any object.
    CLSID clsid;
    ASSERT_TRUE(GuidFromString(kClsidCounter, clsid));
    auto pfnGet = reinterpret_cast<PFN_DllGetClassObject>(dlsym(h, "DllGetClassObject"));
    for (int32_t fLock : {1, 0}) {
        CComPtr<IClassFactory> pFactory;
        ASSERT_EQ(pfnGet(clsid, IID_IClassFactory, reinterpret_cast<void**>(pFactory.Receive())),
                  S_OK);
        EXPECT_EQ(pFactory->LockServer(fLock), S_OK);
        pFactory.Reset();
        EXPECT_EQ(ModuleCanUnloadNow(), fLock != 0 ? S_FALSE : S_OK);
    }
    dlclose(h);
}

TEST(ComHostTest, FailuresGiveClearCodesAndNoObject) {
    const char* kNone = "-";  // nothing registered
    const char* kModule = TQ_TEST_COM_MODULE;
    const std::string kPath = std::string("CLSID\\") + kClsidCounter;
    // case, registered CLSID and server ('@': in the prefix), ProgID asked for, result
    const std::tuple<const char*, std::string, const char*, std::string, HRESULT> cases[] = {
        {"nothing registered", kNone, nullptr, kProgId, CO_E_CLASSSTRING},
        {"ProgID without CLSID", "", nullptr, kProgId, CO_E_CLASSSTRING},
        {"CLSID not in braces", kClsidCounter + 1, kModule, kProgId, CO_E_CLASSSTRING},
        {"a path instead of a ProgID", kClsidCounter, kModule, kPath, CO_E_CLASSSTRING},
        {"ProgID that is not code page 932", kNone, nullptr, "Test\x81", CO_E_CLASSSTRING},
        {"class without a server", kClsidCounter, nullptr, kProgId, REGDB_E_CLASSNOTREG},
        {"empty server path", kClsidCounter, "", kProgId, REGDB_E_CLASSNOTREG},
        {"Windows path on no drive", kClsidCounter, "Q:\\m.so", kProgId,
         HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND)},
        {"module file missing", kClsidCounter, "@missing.so", kProgId,
         HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND)},
        {"module file is not a module", kClsidCounter, "@text.so", kProgId,
         HRESULT_FROM_WIN32(ERROR_BAD_EXE_FORMAT)},
        {"module without DllGetClassObject", kClsidCounter, TQ_TEST_COM_NOEXPORT, kProgId,
         CO_E_ERRORINDLL},
        {"module does not serve the class", "{00000000-1111-2222-3333-444444444444}", kModule,
         kProgId, CLASS_E_CLASSNOTAVAILABLE},
    };
    for (const auto& [pszCase, clsid, pszServer, progId, hr] : cases) {
        SCOPED_TRACE(pszCase);
        test::CTempPrefix prefix;
        test::WriteLinuxFile(prefix.Path("text.so"), "not a module\n");
        std::string server = pszServer ? pszServer : "";
        server = server.rfind('@', 0) == 0 ? prefix.Path(server.substr(1)) : server;
        if (clsid != kNone) {
            Register(clsid, pszServer ? server.c_str() : nullptr);
        }
        IDispatch* p = reinterpret_cast<IDispatch*>(0x1);
        std::string strDetail;
        EXPECT_EQ(CreateObject(progId, &p, &strDetail), hr) << DescribeHResult(hr);
        EXPECT_EQ(p, reinterpret_cast<IDispatch*>(0x1));
        EXPECT_FALSE(strDetail.empty());
    }
    EXPECT_EQ(CreateObject(kProgId, nullptr), E_POINTER);
}

}  // namespace
}  // namespace tq
