// The automation object through its dispatch interface, as a host sees it: readiness, the
// error-code rules, database addressing, selection and removal, the dialog guards, the
// read-only exception, Save's VARIANT rules, and the editing mutex between objects and
// processes. Then the module's entry points: the exports as `nm -D` shows them, registration,
// the unload rule, and the two plain functions beside editors in other processes. (Hosts
// creating the object through the registered module are the command-line host's tests.)

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "dialogs/DialogProvider.h"
#include "frame/ClassFactory.h"
#include "frame/CtrlFileMgr.h"
#include "frame/EditStatus.h"
#include "frame/ErrorTable.h"
#include "frame/Exports.h"
#include "manager/ProductFixture.h"
#include "platform/Bstr.h"
#include "platform/Cp932.h"
#include "platform/File.h"
#include "platform/MessageBox.h"
#include "platform/NamedMutex.h"
#include "platform/Path.h"
#include "platform/Registry.h"
#include "resources/StringTable.h"
#include "support/TestSupport.h"

namespace tq {
namespace {

// One call through IDispatch, by name, as a script host makes it.
struct CDispCall {
    HRESULT m_hr = S_OK;
    CVariant m_result;
    EXCEPINFO m_excep{};
    uint32_t m_uArgErr = 0xFFFFFFFFu;

    std::string Text() const {
        std::string s;
        return m_result.vt == VT_BSTR && BstrToCp932(m_result.bstrVal, s) == 0 ? s : "?";
    }
};

class CObject {
public:
    CObject() {
        EXPECT_EQ(CCtrlFileMgr::Create(IID_IDispatch, reinterpret_cast<void**>(m_p.Receive())),
                  S_OK);
    }
    IDispatch* Get() const { return m_p.Get(); }
    void Reset() { m_p.Reset(); }

    // args in declaration order.
    CDispCall Call(const char* pszName, std::vector<CVariant> args = {},
                   uint16_t wFlags = DISPATCH_METHOD | DISPATCH_PROPERTYGET) {
        CDispCall call;
        std::u16string name;
        Cp932ToUtf16(pszName, name);
        OLECHAR* names[] = {name.data()};
        DISPID dispid = DISPID_UNKNOWN;
        call.m_hr = m_p->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &dispid);
        if (FAILED(call.m_hr)) {
            return call;
        }
        std::vector<VARIANT> rev(args.rbegin(), args.rend());
        DISPID named = DISPID_PROPERTYPUT;
        DISPPARAMS params{rev.data(), nullptr, static_cast<uint32_t>(rev.size()), 0};
        if (wFlags == DISPATCH_PROPERTYPUT) {
            params.rgdispidNamedArgs = &named;
            params.cNamedArgs = 1;
        }
        call.m_hr = m_p->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, wFlags, &params,
                                &call.m_result, &call.m_excep, &call.m_uArgErr);
        return call;
    }
    int32_t Long(const char* pszName, std::vector<CVariant> args = {}) {
        CDispCall call = Call(pszName, std::move(args));
        EXPECT_EQ(call.m_hr, S_OK) << pszName;
        return call.m_result.vt == VT_I4 ? call.m_result.lVal : 0x7FFFFFFF;
    }
    bool Bool(const char* pszName, std::vector<CVariant> args = {}) {
        CDispCall call = Call(pszName, std::move(args));
        EXPECT_EQ(call.m_result.vt, VT_BOOL) << pszName;
        return call.m_result.boolVal != VARIANT_FALSE;
    }
    int32_t ErrorCode() { return Long("ErrorCode"); }
    bool Ready(const char* pszProduct = "Demo") { return Bool("SetProductKey", {Str(pszProduct)}); }

    static CVariant Str(const std::string& s) {
        CVariant v;
        BSTR b = nullptr;
        BstrFromCp932(s, &b);
        v.AttachBstr(b);
        return v;
    }

private:
    CComPtr<IDispatch> m_p;
};

inline CVariant L(int32_t l) {
    return CVariant(l);
}

using test::CProductFixture;

class CtrlFileMgrTest : public ::testing::Test {
protected:
    void SetUp() override { EnableCustomize(1); }
    void EnableCustomize(uint32_t value) {
        CRegKey key;
        ASSERT_EQ(
            key.Create(HKEY_LOCAL_MACHINE, CProductFixture::Sub("USER\\AddTarget"), KEY_ALL_ACCESS),
            0);
        ASSERT_EQ(key.SetDword("Customize", value), 0);
    }
    void Load() {
        ASSERT_TRUE(m_obj.Ready());
        ASSERT_EQ(m_obj.Long("Load"), 0);
    }
    // The arguments of an addressed member: DBSetSelected takes a flag after the address.
    static std::vector<CVariant> Address(const char* pszMember, int32_t type, int32_t number) {
        std::vector<CVariant> args = {L(type), L(number)};
        if (std::string(pszMember) == "DBSetSelected") {
            args.emplace_back(false);
        }
        return args;
    }

    CProductFixture m_product;
    CScriptedMessageBox m_box;
    CMessageBoxScope m_boxScope{m_box};
    CObject m_obj;
};

// Hosts compiled against the interface call by dispatch id.
TEST_F(CtrlFileMgrTest, MembersKeepTheirDispatchIds) {
    std::istringstream names(
        "EnableCustomize Status ErrorCode ErrorString DBGetPublicName DBIsSelected DBSetSelected "
        "OpenAddAppDialog OpenEditAppDialog Save SetProductKey GetDBCount Load DBIsInstalledAppli "
        "RemoveDB");
    DISPID expected = 1;
    for (std::string name; names >> name; ++expected) {
        name = ToLowerCp932(name);
        std::u16string wide(name.begin(), name.end());
        OLECHAR* rg[] = {wide.data()};
        DISPID dispid = 0;
        EXPECT_EQ(m_obj.Get()->GetIDsOfNames(IID_NULL, rg, 1, 0, &dispid), S_OK) << name;
        EXPECT_EQ(dispid, expected) << name;
    }
    EXPECT_EQ(expected, 16);
    void* pv = nullptr;
    ASSERT_EQ(m_obj.Get()->QueryInterface(IID_ICtrlFileMgr, &pv), S_OK);
    static_cast<IDispatch*>(pv)->Release();
}

TEST_F(CtrlFileMgrTest, AFreshObjectAnswersNotReady) {
    // GetDBCount neither clears nor tests readiness; the getters do not clear.
    EXPECT_EQ(m_obj.Long("GetDBCount", {L(0)}), 0);
    EXPECT_EQ(m_obj.ErrorCode(), 0);
    EXPECT_FALSE(m_obj.Bool("EnableCustomize"));
    for (const char* member : {"Status", "Load", "OpenAddAppDialog"}) {
        EXPECT_EQ(m_obj.Long(member), -1008) << member;
        EXPECT_EQ(m_obj.ErrorCode(), -1008) << member;
    }
    for (const char* member :
         {"DBIsSelected", "DBSetSelected", "DBIsInstalledAppli", "RemoveDB", "OpenEditAppDialog"}) {
        EXPECT_EQ(m_obj.Long(member, Address(member, 3, 1)), -1008) << member;
        EXPECT_EQ(m_obj.ErrorCode(), -1008) << member;
    }
    EXPECT_EQ(m_obj.Long("Save", {L(0)}), -1008);
    // The stored -1008 is kept; a fresh object stores -1565.
    EXPECT_EQ(m_obj.Long("GetDBCount", {L(7)}), 0);
    EXPECT_EQ(m_obj.ErrorCode(), -1008);
    CObject fresh;
    EXPECT_EQ(fresh.Long("GetDBCount", {L(7)}), 0);
    EXPECT_EQ(fresh.ErrorCode(), -1565);
}

// An editor that starts the moment a released object's mutex is free must find the base
// control file unheld and the lock file gone (else it would work without the lock file, and its
// save could not replace the base control file).
TEST_F(CtrlFileMgrTest, AReleasedObjectLetsItsFilesGoBeforeTheMutex) {
    ASSERT_NO_FATAL_FAILURE(Load());
    std::vector<std::string> seen;
    SetFileFaultHook([&](const char* op, const std::string& path) {
        CNamedMutex probe;
        seen.push_back(std::string(op) + " " + path +
                       (probe.Open(kEditMutexName) == 0 ? " owned" : " free"));
        return 0;
    });
    m_obj.Reset();
    SetFileFaultHook(nullptr);
    EXPECT_EQ(seen, (std::vector<std::string>{"close C:\\Ctrl\\base.ctl owned",
                                              "close C:\\Ctrl\\base.ctl.lock owned",
                                              "delete C:\\Ctrl\\base.ctl.lock owned"}));
}

TEST_F(CtrlFileMgrTest, SetProductKeyOnAMissingKeyLeavesTheObjectNotReady) {
    ASSERT_TRUE(m_obj.Ready());
    EXPECT_TRUE(m_obj.Bool("EnableCustomize"));
    EXPECT_FALSE(m_obj.Ready("NoSuchProduct"));
    EXPECT_EQ(m_obj.ErrorCode(), -1008);
    EXPECT_FALSE(m_obj.Bool("EnableCustomize"));
    EXPECT_EQ(m_obj.Long("Load"), -1008);
    // A key without its display name is not a product either.
    CProductFixture::DeleteValue("", "ProductName");
    EXPECT_FALSE(m_obj.Ready());
}

TEST_F(CtrlFileMgrTest, EveryAddressedMethodRejectsBadTypesAndNumbers) {
    ASSERT_NO_FATAL_FAILURE(Load());
    const struct {
        int32_t type, number, code;
    } addresses[] = {{1, 0, -1563}, {3, -1, -1563}, {1, 2, -1563},
                     {0, 4, -1563}, {4, 1, -1565},  {-1, 1, -1565}};
    for (const char* member : {"DBGetPublicName", "DBIsSelected", "DBSetSelected",
                               "OpenEditAppDialog", "DBIsInstalledAppli", "RemoveDB"}) {
        for (const auto& a : addresses) {
            SCOPED_TRACE(testing::Message() << member << " " << a.type << "," << a.number);
            CDispCall call = m_obj.Call(member, Address(member, a.type, a.number));
            ASSERT_EQ(call.m_hr, S_OK);
            if (call.m_result.vt == VT_I4) {
                EXPECT_EQ(call.m_result.lVal, a.code);
            } else {
                EXPECT_EQ(call.Text(), "");
            }
            EXPECT_EQ(m_obj.ErrorCode(), a.code);
        }
    }
    EXPECT_TRUE(m_box.GetShown().empty());
    // Valid addresses in every type, and the whole list in order.
    EXPECT_EQ(m_obj.Call("DBGetPublicName", {L(2), L(1)}).Text(), "Selection One");
    EXPECT_EQ(m_obj.Call("DBGetPublicName", {L(0), L(3)}).Text(), "MyApp");
    EXPECT_EQ(m_obj.ErrorCode(), 0);
    EXPECT_EQ(m_obj.Long("GetDBCount", {L(0)}), 3);
    EXPECT_EQ(m_obj.Long("GetDBCount", {L(3)}), 1);
}

TEST_F(CtrlFileMgrTest, SelectionAndRemoval) {
    ASSERT_NO_FATAL_FAILURE(Load());
    CVariant no(false);
    EXPECT_EQ(m_obj.Long("DBSetSelected", {L(1), L(1), no}), -1576);
    EXPECT_EQ(m_obj.Long("DBIsSelected", {L(1), L(1)}), 1);
    for (int32_t type : {2, 3}) {
        EXPECT_EQ(m_obj.Long("DBSetSelected", {L(type), L(1), no}), 0);
        EXPECT_EQ(m_obj.Long("DBIsSelected", {L(type), L(1)}), 0);
        EXPECT_EQ(m_obj.Long("DBSetSelected", {L(type), L(1), CVariant(true)}), 0);
        EXPECT_EQ(m_obj.Long("DBIsSelected", {L(type), L(1)}), 1);
    }
    // Selection-type databases are refused before anyone is asked.
    EXPECT_EQ(m_obj.Long("RemoveDB", {L(2), L(1)}), -1576);
    EXPECT_TRUE(m_box.GetShown().empty());
    EXPECT_EQ(m_obj.Long("RemoveDB", {L(3), L(1)}), -1001);
    ASSERT_EQ(m_box.GetShown().size(), 1u);
    EXPECT_EQ(m_box.GetShown()[0].m_strText, LoadString(IDS_CONFIRM_REMOVE_APP));
    EXPECT_EQ(m_box.GetShown()[0].m_strCaption, "Demo Search");
    EXPECT_EQ(m_obj.Long("GetDBCount", {L(3)}), 1);
    m_box.PushAnswer(IDYES);
    EXPECT_EQ(m_obj.Long("RemoveDB", {L(3), L(1)}), 0);
    EXPECT_EQ(m_obj.Long("GetDBCount", {L(3)}), 0);
}

TEST_F(CtrlFileMgrTest, UserApplicationMethodsNeedCustomizeAndALoadedFile) {
    ASSERT_TRUE(m_obj.Ready());
    EXPECT_EQ(m_obj.Long("OpenAddAppDialog"), -1577);
    EXPECT_EQ(m_obj.Long("OpenEditAppDialog", {L(3), L(1)}), -1577);
    ASSERT_EQ(m_obj.Long("Load"), 0);
    // Without the dialogs, a call that passes its guards is a cancelled dialog.
    EXPECT_EQ(m_obj.Long("OpenAddAppDialog"), -1001);
    EXPECT_EQ(m_obj.Long("OpenEditAppDialog", {L(3), L(1)}), -1001);
    EXPECT_EQ(m_obj.Long("OpenEditAppDialog", {L(3), L(2)}), -1563);
    EnableCustomize(0);
    ASSERT_TRUE(m_obj.Ready());
    EXPECT_FALSE(m_obj.Bool("EnableCustomize"));
    EXPECT_EQ(m_obj.Long("OpenAddAppDialog"), -1578);
    EXPECT_EQ(m_obj.Long("OpenEditAppDialog", {L(3), L(1)}), -1578);
    EXPECT_EQ(m_obj.Long("RemoveDB", {L(3), L(1)}), -1578);
    EXPECT_TRUE(m_box.GetShown().empty());
}

// The dialogs are the provider's: the object hands it the model, where the browse settings
// live and the caption, and passes its answer on (a failure kept as the error code).
TEST_F(CtrlFileMgrTest, DialogMethodsHandTheProviderTheirContext) {
    struct CRecordingProvider : CDialogProvider {
        int32_t m_lAnswer = 2;
        int32_t m_lIndex = -1;
        CDialogContext m_context;
        int32_t RunAddAppDialog(const CDialogContext& context) override {
            return RunEditAppDialog(context, -1);
        }
        int32_t RunEditAppDialog(const CDialogContext& context, int32_t lIndex) override {
            m_context = context;
            m_lIndex = lIndex;
            return m_lAnswer;
        }
        ~CRecordingProvider() override { SetDialogProvider(nullptr); }
    } provider;
    SetDialogProvider(&provider);
    ASSERT_TRUE(m_obj.Ready());
    ASSERT_EQ(m_obj.Long("Load"), 0);
    EXPECT_EQ(m_obj.Long("OpenAddAppDialog"), 2);
    EXPECT_NE(provider.m_context.m_pCtrlFile, nullptr);
    EXPECT_EQ(provider.m_context.m_strProductName, "Demo Search");
    EXPECT_TRUE(provider.m_context.m_strSettingsKey.ends_with("\\Demo"));
    provider.m_lAnswer = -1001;
    const int32_t lCount = m_obj.Long("GetDBCount", {L(0)});
    EXPECT_EQ(m_obj.Long("OpenEditAppDialog", {L(0), L(lCount)}), -1001);
    EXPECT_EQ(m_obj.Long("ErrorCode"), -1001);
    EXPECT_EQ(provider.m_lIndex, lCount - 1);
    // The product's own databases are refused before the provider is asked.
    provider.m_lIndex = -1;
    EXPECT_EQ(m_obj.Long("OpenEditAppDialog", {L(1), L(1)}), TQE_DB_LOCKED);
    EXPECT_EQ(m_obj.Long("OpenEditAppDialog", {L(2), L(1)}), TQE_DB_LOCKED);
    EXPECT_EQ(provider.m_lIndex, -1);
}

TEST_F(CtrlFileMgrTest, WritingAPropertyRaisesTheReadOnlyExceptionAndBadCallsGetStandardCodes) {
    for (const char* name : {"EnableCustomize", "Status", "ErrorCode", "ErrorString"}) {
        CDispCall call = m_obj.Call(name, {L(3)}, DISPATCH_PROPERTYPUT);
        EXPECT_EQ(call.m_hr, DISP_E_EXCEPTION) << name;
        EXPECT_EQ(call.m_excep.wCode, 61837) << name;
        EXPECT_EQ(call.m_excep.scode, 0) << name;
        std::string text;
        BstrToCp932(call.m_excep.bstrDescription, text);
        EXPECT_EQ(text, LoadString(IDS_READONLY_PROPERTY)) << name;
        SysFreeString(call.m_excep.bstrDescription);
        SysFreeString(call.m_excep.bstrSource);
    }
    // A method is no property to write.
    EXPECT_EQ(m_obj.Call("Load", {L(1)}, DISPATCH_PROPERTYPUT).m_hr, DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(m_obj.Call("Status", {}, DISPATCH_METHOD).m_hr, DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(m_obj.Call("Load", {L(1)}).m_hr, DISP_E_BADPARAMCOUNT);
    // Numbers in strings convert, as automation does.
    EXPECT_EQ(m_obj.Call("GetDBCount", {CObject::Str("0")}).m_hr, S_OK);
}

TEST_F(CtrlFileMgrTest, SaveModeChoosesTheWordingOfTheQuestion) {
    ASSERT_NO_FATAL_FAILURE(Load());
    // A changed selection makes the save ask; every answer is No, so the model stays changed.
    // The plain forms ("1", "01", "x", 1, I2 1, by reference, empty) are the script host's tests.
    ASSERT_EQ(m_obj.Long("DBSetSelected", {L(2), L(1), CVariant(false)}), 0);
    const struct {
        const char* label;
        CVariant mode;
        uint32_t text;
    } cases[] = {
        {"\" +1x\"", CObject::Str(" +1x"), IDS_CONFIRM_SELECTED},
        {"\"\"", CObject::Str(""), IDS_CONFIRM_EDITED},
        {"I2 -1", CVariant(int16_t{-1}), IDS_CONFIRM_EDITED},
        {"I4 0x10001", CVariant(int32_t{0x10001}), IDS_CONFIRM_EDITED},
        {"BOOL", CVariant(true), IDS_CONFIRM_EDITED},
    };
    for (const auto& c : cases) {
        size_t shown = m_box.GetShown().size();
        EXPECT_EQ(m_obj.Long("Save", {c.mode}), -1001) << c.label;
        ASSERT_EQ(m_box.GetShown().size(), shown + 1) << c.label;
        EXPECT_EQ(m_box.GetShown().back().m_strText, LoadString(c.text)) << c.label;
    }
    // Big numbers do not overflow into 1.
    CVariant huge = CObject::Str("4294967297");
    EXPECT_NE(CCtrlFileMgr::SaveModeFromVariant(huge), 1);
    m_box.PushAnswer(IDYES);
    EXPECT_EQ(m_obj.Long("Save", {CObject::Str("1")}), 0);
    EXPECT_EQ(m_obj.ErrorCode(), 0);
}

TEST_F(CtrlFileMgrTest, TheFirstLoadTakesTheEditingMutexForTheObjectsLife) {
    CObject second;
    ASSERT_TRUE(m_obj.Ready());
    ASSERT_TRUE(second.Ready());
    EXPECT_EQ(m_obj.Long("Status"), 0);
    ASSERT_EQ(m_obj.Long("Load"), 0);
    EXPECT_EQ(m_obj.Long("Status"), 1);
    EXPECT_EQ(second.Long("Status"), 1);
    EXPECT_EQ(second.Long("Load"), -1043);
    EXPECT_EQ(second.ErrorCode(), -1043);
    // A second Load of the owner loads again.
    EXPECT_EQ(m_obj.Long("Load"), 0);
    m_obj.Reset();
    EXPECT_EQ(second.Long("Status"), 0);
    EXPECT_EQ(second.Long("Load"), 0);
}

TEST_F(CtrlFileMgrTest, AFailedLoadStillHoldsTheMutex) {
    CProductFixture::DeleteValue("Path", "DataPath");
    ASSERT_TRUE(m_obj.Ready());
    EXPECT_EQ(m_obj.Long("Load"), -1008);
    EXPECT_EQ(m_obj.Long("Status"), 1);
    CObject other;
    ASSERT_TRUE(other.Ready());
    EXPECT_EQ(other.Long("Load"), -1043);
    EXPECT_EQ(other.Long("Save", {L(0)}), -1577);
}

// ---- the module's exports ----

const std::string kKeyPath = test::kProductPath;

TEST(ExportsTest, TheModuleExportsTheDecoratedFunctionsAndNothingElse) {
    std::string strSymbols;
    FILE* p =
        popen((std::string("nm -D --defined-only '") + TQ_MODULE_PATH + "' 2>&1").c_str(), "r");
    ASSERT_NE(p, nullptr);
    char buf[4096];
    for (size_t n; (n = fread(buf, 1, sizeof buf, p)) > 0;) {
        strSymbols.append(buf, n);
    }
    pclose(p);
    std::vector<std::string> names;
    std::istringstream lines(strSymbols);
    for (std::string line; std::getline(lines, line);) {
        if (line.find(" T ") != std::string::npos) {
            names.push_back(line.substr(line.rfind(' ') + 1));
        }
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names,
              (std::vector<std::string>{"DllCanUnloadNow", "DllGetClassObject", "DllRegisterServer",
                                        "_Z16VXCSTM_GetStatusPKc", "_Z21VXCSTM_GetErrorStringiPcj",
                                        "_Z24VXCSTM_BaseInfoToControlPKc"}))
        << strSymbols;
    for (const char* bare :
         {" VXCSTM_GetStatus\n", " VXCSTM_BaseInfoToControl\n", " VXCSTM_GetErrorString\n"}) {
        EXPECT_EQ(strSymbols.find(bare), std::string::npos) << bare;
    }
}

// The default value of an HKEY_CLASSES_ROOT key.
std::string ClassesDefault(const std::string& strKey) {
    CRegKey key;
    uint32_t type = 0;
    std::string data = "-";
    if (key.Open(HKEY_CLASSES_ROOT, strKey, KEY_READ) == 0) {
        key.QueryValue("", type, data);
    }
    return data.substr(0, data.find('\0'));
}

TEST(ExportsTest, RegistrationWritesTheClassEntries) {
    test::CTempPrefix prefix;
    EXPECT_EQ(DllRegisterServer(), S_OK);
    const std::string clsid = "{FE1B0AC2-7074-11D5-99A1-00C04FB9CD98}";
    EXPECT_EQ(ClassesDefault("OW.VXCtrlFileManager.1"), "OW.VXCtrlFileManager.1");
    EXPECT_EQ(ClassesDefault("OW.VXCtrlFileManager.1\\CLSID"), clsid);
    EXPECT_EQ(ClassesDefault("CLSID\\" + clsid), "OW.VXCtrlFileManager.1");
    EXPECT_EQ(ClassesDefault("CLSID\\" + clsid + "\\ProgID"), "OW.VXCtrlFileManager.1");
    // Here the exports are linked into the test program, which is then the module file.
    std::string strServer = ClassesDefault("CLSID\\" + clsid + "\\InProcServer32");
    std::string strLinux;
    ASSERT_EQ(ResolvePath(strServer, strLinux), 0) << strServer;
    EXPECT_EQ(std::filesystem::canonical(strLinux), std::filesystem::canonical("/proc/self/exe"));
}

TEST(ExportsTest, TheModuleStaysWhileObjectsOrFactoriesAreHeld) {
    EXPECT_EQ(DllCanUnloadNow(), S_OK);
    {
        CObject obj;
        EXPECT_EQ(DllCanUnloadNow(), S_FALSE);
    }
    EXPECT_EQ(DllCanUnloadNow(), S_OK);
    CComPtr<IClassFactory> pFactory;
    ASSERT_EQ(DllGetClassObject(CLSID_CtrlFileMgr, IID_IClassFactory,
                                reinterpret_cast<void**>(pFactory.Receive())),
              S_OK);
    EXPECT_EQ(DllCanUnloadNow(), S_FALSE);
    pFactory.Reset();
    EXPECT_EQ(DllCanUnloadNow(), S_OK);
    void* pv = reinterpret_cast<void*>(1);
    EXPECT_EQ(DllGetClassObject(IID_IDispatch, IID_IClassFactory, &pv), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(pv, nullptr);
}

TEST(ExportsTest, GetStatusAnswersFourForAMissingKey) {
    CProductFixture product;
    EXPECT_EQ(VXCSTM_GetStatus((std::string(kProductKeyBase) + "Missing").c_str()), 4);
    EXPECT_EQ(VXCSTM_GetStatus(nullptr), 4);
    EXPECT_EQ(VXCSTM_GetStatus(kKeyPath.c_str()), 0);
    // The key is there, but nothing says where the files are.
    CProductFixture::DeleteValue("Builder", "BaseControlFile");
    EXPECT_EQ(VXCSTM_GetStatus(kKeyPath.c_str()), 4);
}

struct CStamp {
    bool m_bExists = false;
    int64_t m_ns = 0;
    std::string m_strData;
    friend bool operator==(const CStamp&, const CStamp&) = default;
};

CStamp Stamp(const std::string& strPath) {
    CStamp stamp;
    struct stat st;
    if (stat(strPath.c_str(), &st) == 0) {
        stamp.m_bExists = true;
        stamp.m_ns = st.st_mtim.tv_sec * 1000000000LL + st.st_mtim.tv_nsec;
        stamp.m_strData = test::ReadLinuxFile(strPath);
    }
    return stamp;
}

TEST(ExportsTest, ConversionWritesOnlyWhatChanged) {
    CProductFixture product;
    EXPECT_EQ(VXCSTM_BaseInfoToControl(kKeyPath.c_str()), 0);
    ASSERT_FALSE(product.Control().empty());
    CStamp base = Stamp(product.C("Ctrl/base.ctl"));
    CStamp control = Stamp(product.C("Ctrl/ctrl.ctl"));
    std::string requests = CProductFixture::Values("Builder\\Request");
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(VXCSTM_BaseInfoToControl(kKeyPath.c_str()), 0);
    EXPECT_EQ(Stamp(product.C("Ctrl/base.ctl")), base);
    EXPECT_EQ(Stamp(product.C("Ctrl/ctrl.ctl")), control);
    EXPECT_EQ(CProductFixture::Values("Builder\\Request"), requests);
    // No lock file is left behind, and the mutex is free again.
    EXPECT_FALSE(test::LinuxFileExists(product.C("Ctrl/base.ctl.lock")));
    EXPECT_EQ(VXCSTM_GetStatus(kKeyPath.c_str()), 0);
    EXPECT_EQ(VXCSTM_BaseInfoToControl((std::string(kProductKeyBase) + "Missing").c_str()), -1008);
    EXPECT_EQ(VXCSTM_BaseInfoToControl(nullptr), -1008);
}

// A child that loads the product in an automation object and holds it until the release
// file appears (or half a minute has passed).
TQ_CHILD_MAIN(HoldLoadedObject) {
    CObject obj;
    if (!obj.Ready() || obj.Long("Load") != 0) {
        return 1;
    }
    test::WriteLinuxFile(args.at(0), "loaded");
    for (int i = 0; i < 3000 && !test::LinuxFileExists(args.at(1)); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return 0;
}

// Starts HoldLoadedObject and waits until it holds the product; -1 when it does not.
pid_t StartHolder(const CProductFixture& product, const std::string& strRelease) {
    const std::string strLoaded = product.m_prefix.Path("loaded");
    const pid_t holder = test::StartChild("HoldLoadedObject", {strLoaded, strRelease});
    for (int i = 0; i < 3000 && !test::LinuxFileExists(strLoaded); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return test::LinuxFileExists(strLoaded) ? holder : -1;
}

// Another editor in its own process, maybe as another user (who may not open the mutex's lock
// file, so the files count as locked): it sees the status args[0], and its Load is refused.
TQ_CHILD_MAIN(OtherEditor) {
    const int32_t lStatus = std::stoi(args.at(0));
    CObject obj;
    return VXCSTM_GetStatus(kKeyPath.c_str()) == lStatus && obj.Ready() &&
                   obj.Long("Load") == -1043 && obj.Long("Status") == lStatus
               ? 0
               : 1;
}

TEST(ExportsTest, AnEditorInAnotherProcessExcludesLoadsAndConversions) {
    CProductFixture product;
    ASSERT_EQ(VXCSTM_BaseInfoToControl(kKeyPath.c_str()), 0);
    const std::string strRelease = product.m_prefix.Path("release");
    const pid_t holder = StartHolder(product, strRelease);
    ASSERT_GT(holder, 0);
    // Make the base control file newer than the control file: a conversion would write.
    test::WriteLinuxFile(product.C("Ctrl/base.ctl"), test::kBaseText + "\r\n: touched\r\n");
    CStamp control = Stamp(product.C("Ctrl/ctrl.ctl"));
    std::string requests = CProductFixture::Values("Builder\\Request");

    EXPECT_EQ(test::RunChild("OtherEditor", {"1"}), 0);
    EXPECT_EQ(VXCSTM_GetStatus(kKeyPath.c_str()), 1);
    EXPECT_EQ(VXCSTM_BaseInfoToControl(kKeyPath.c_str()), -1043);
    EXPECT_EQ(Stamp(product.C("Ctrl/ctrl.ctl")), control);
    EXPECT_EQ(CProductFixture::Values("Builder\\Request"), requests);
    // The editor's lock file is what the builder sees; it stays.
    EXPECT_TRUE(test::LinuxFileExists(product.C("Ctrl/base.ctl.lock")));

    test::WriteLinuxFile(strRelease, "");
    EXPECT_EQ(test::WaitChild(holder), 0);
    EXPECT_EQ(VXCSTM_GetStatus(kKeyPath.c_str()), 0);
    EXPECT_FALSE(test::LinuxFileExists(product.C("Ctrl/base.ctl.lock")));
}

TEST(ExportsTest, AnotherUsersEditorCountsAsLocked) {
    if (!test::CanDropPrivileges()) {
        GTEST_SKIP() << "cannot drop to an unprivileged user here";
    }
    CProductFixture product;
    product.OpenRegistryToAll();
    const std::string strRelease = product.m_prefix.Path("release");
    const pid_t holder = StartHolder(product, strRelease);
    ASSERT_GT(holder, 0);
    test::CChildOptions other;
    other.m_bDropPrivileges = true;
    EXPECT_EQ(test::RunChild("OtherEditor", {"2"}, other), 0);
    test::WriteLinuxFile(strRelease, "");
    EXPECT_EQ(test::WaitChild(holder), 0);
}

}  // namespace
}  // namespace tq
