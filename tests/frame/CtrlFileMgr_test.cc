#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "dialogs/DialogProvider.h"
#include "frame/CtrlFileMgr.h"
#include "frame/ErrorTable.h"
#include "frame/Exports.h"
#include "manager/ProductFixture.h"
#include "platform/Bstr.h"
#include "platform/Cp932.h"
#include "platform/Environment.h"
#include "platform/Faults.h"
#include "platform/MessageBox.h"
#include "platform/NamedMutex.h"
#include "resources/StringTable.h"

namespace tq {
namespace {

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

    CDispCall Call(const char* pszName, std::vector<CVariant> args = {}) {
        CDispCall call;
        std::u16string wide;
        Cp932ToUtf16(pszName, wide);
        OleString name(wide.begin(), wide.end());
        OLECHAR* names[] = {name.data()};
        DISPID dispid = DISPID_UNKNOWN;
        call.m_hr = m_p->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &dispid);
        if (FAILED(call.m_hr)) {
            return call;
        }
        std::vector<VARIANT> rev(args.rbegin(), args.rend());
        DISPPARAMS params{rev.data(), nullptr, static_cast<uint32_t>(rev.size()), 0};
        call.m_hr = m_p->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT,
                                DISPATCH_METHOD | DISPATCH_PROPERTYGET, &params, &call.m_result,
                                &call.m_excep, &call.m_uArgErr);
        return call;
    }
    int32_t Long(const char* pszName, std::vector<CVariant> args = {}) {
        CDispCall call = Call(pszName, std::move(args));
        EXPECT_EQ(call.m_hr, S_OK) << pszName;
        return call.m_result.vt == VT_I4 ? call.m_result.lVal : 0x7FFFFFFF;
    }
    int32_t ErrorCode() { return Long("ErrorCode"); }
    bool Ready() {
        CDispCall call = Call("SetProductKey", {CVariant(OleStringView(TQ_OLESTR("Demo")))});
        EXPECT_EQ(call.m_result.vt, VT_BOOL);
        return call.m_result.boolVal != VARIANT_FALSE;
    }

private:
    CComPtr<IDispatch> m_p;
};

const auto L = [](int32_t l) { return CVariant(l); };

using test::CProductFixture;

class CtrlFileMgrTest : public ::testing::Test {
protected:
    void SetUp() override { CProductFixture::SetCustomize(1); }
    void Load() {
        ASSERT_TRUE(m_obj.Ready());
        ASSERT_EQ(m_obj.Long("Load"), 0);
    }
    // A member's arguments: a mode for Save, none or an address (and DBSetSelected's flag).
    static std::vector<CVariant> Args(const std::string& member, int32_t type = 3, int32_t n = 1) {
        if (member == "Save") {
            return {L(0)};
        }
        if (member == "Status" || member == "Load" || member == "OpenAddAppDialog") {
            return {};
        }
        std::vector<CVariant> args = {L(type), L(n)};
        if (member == "DBSetSelected") {
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
        "RemoveDB DBIsIndexPending IndexingLog ProductName");
    DISPID expected = 1;
    for (std::string name; names >> name; ++expected) {
        name = ToLowerCp932(name);
        OleString wide(name.begin(), name.end());
        OLECHAR* rg[] = {wide.data()};
        DISPID dispid = 0;
        EXPECT_EQ(m_obj.Get()->GetIDsOfNames(IID_NULL, rg, 1, 0, &dispid), S_OK) << name;
        EXPECT_EQ(dispid, expected) << name;
    }
    EXPECT_EQ(expected, 19);
    void* pv = nullptr;
    ASSERT_EQ(m_obj.Get()->QueryInterface(IID_ICtrlFileMgr, &pv), S_OK);
    static_cast<IDispatch*>(pv)->Release();
}

// An editor starting once the mutex is free must find the base file unheld and no lock file.
TEST_F(CtrlFileMgrTest, AReleasedObjectLetsItsFilesGoBeforeTheMutex) {
    ASSERT_NO_FATAL_FAILURE(Load());
    std::vector<std::string> seen;
    SetFaultHook([&](const char* op, const std::string& path) {
        CNamedMutex probe;
        seen.push_back(std::string(op) + " " + path +
                       (probe.Open(kEditMutexName) == 0 ? " owned" : " free"));
        return 0;
    });
    m_obj.Reset();
    SetFaultHook(nullptr);
    EXPECT_EQ(seen, (std::vector<std::string>{"close C:\\Ctrl\\base.ctl owned",
                                              "close C:\\Ctrl\\base.ctl.lock owned",
                                              "delete C:\\Ctrl\\base.ctl.lock owned"}));
}

// Unready: -1008 from all but the getters; loaded: a bad number -1563, a bad type -1565.
TEST_F(CtrlFileMgrTest, UnreadyAndBadlyAddressedCallsGetTheirCodes) {
    for (const char* member :
         {"Status", "Load", "OpenAddAppDialog", "DBIsSelected", "DBSetSelected",
          "DBIsInstalledAppli", "RemoveDB", "OpenEditAppDialog", "Save", "DBIsIndexPending"}) {
        EXPECT_EQ(m_obj.Long(member, Args(member)), -1008) << member;
        EXPECT_EQ(m_obj.ErrorCode(), -1008) << member;
    }
    for (const auto& [pszGetter, pszText] :
         {std::pair{"IndexingLog", ""}, {"ProductName", "Trellisquest"}}) {
        EXPECT_EQ(m_obj.Call(pszGetter).Text(), pszText);
        EXPECT_EQ(m_obj.ErrorCode(), -1008) << pszGetter;  // kept, as the other getters keep it
    }
    ASSERT_NO_FATAL_FAILURE(Load());
    const struct {
        int32_t type, number, code;
    } addresses[] = {{1, 0, -1563}, {3, -1, -1563}, {1, 2, -1563},
                     {0, 4, -1563}, {4, 1, -1565},  {-1, 1, -1565}};
    for (const char* member :
         {"DBGetPublicName", "DBIsSelected", "DBSetSelected", "OpenEditAppDialog",
          "DBIsInstalledAppli", "RemoveDB", "DBIsIndexPending"}) {
        for (const auto& a : addresses) {
            SCOPED_TRACE(testing::Message() << member << " " << a.type << "," << a.number);
            CDispCall call = m_obj.Call(member, Args(member, a.type, a.number));
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
    EXPECT_EQ(m_obj.Call("DBGetPublicName", {L(0), L(3)}).Text(), "MyApp");
    EXPECT_EQ(m_obj.ErrorCode(), 0);
    m_obj.Call("SetProductKey", {CVariant(OleStringView(TQ_OLESTR("Missing")))});
    EXPECT_EQ(m_obj.Long("Load"), -1008);  // a key that fails leaves the object unready
}

// User-application methods need a load and customizing; product databases are refused unasked.
TEST_F(CtrlFileMgrTest, GuardsAndTheDialogProvider) {
    struct CRecordingProvider : CDialogProvider {
        int32_t m_lAnswer = 2, m_lIndex = -1;
        CDialogContext m_context;
        int32_t RunAddAppDialog(const CDialogContext& c) override {
            return RunEditAppDialog(c, -1);
        }
        int32_t RunEditAppDialog(const CDialogContext& context, int32_t lIndex) override {
            m_context = context;
            m_lIndex = lIndex;
            return m_lAnswer;
        }
        ~CRecordingProvider() override { SetDialogProvider(nullptr); }
    } provider;
    ASSERT_TRUE(m_obj.Ready());
    EXPECT_EQ(m_obj.Long("OpenAddAppDialog"), -1577);
    EXPECT_EQ(m_obj.Long("OpenEditAppDialog", {L(3), L(1)}), -1577);
    ASSERT_EQ(m_obj.Long("Load"), 0);
    for (const char* pszName : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) {
        SetEnvironmentVariable(pszName, "");  // a host without a display, whatever runs the test
    }
    EXPECT_EQ(m_obj.Long("OpenAddAppDialog"), -1001);  // no dialogs: a cancelled dialog
    SetDialogProvider(&provider);
    EXPECT_EQ(m_obj.Long("OpenAddAppDialog"), 2);
    EXPECT_NE(provider.m_context.m_pCtrlFile, nullptr);
    EXPECT_EQ(provider.m_context.m_strProductName, "Demo Search");
    EXPECT_TRUE(provider.m_context.m_strSettingsKey.ends_with("\\Demo"));
    provider.m_lAnswer = -1001;
    EXPECT_EQ(m_obj.Long("OpenEditAppDialog", {L(0), L(3)}), -1001);
    EXPECT_EQ(m_obj.ErrorCode(), -1001);
    EXPECT_EQ(provider.m_lIndex, 2);
    provider.m_lIndex = -1;
    for (int32_t type : {1, 2}) {
        EXPECT_EQ(m_obj.Long("OpenEditAppDialog", {L(type), L(1)}), TQE_DB_LOCKED);
        EXPECT_EQ(m_obj.Long("DBSetSelected", {L(type), L(1), CVariant(false)}),
                  type == 1 ? -1576 : 0);
        EXPECT_EQ(m_obj.Long("RemoveDB", {L(type), L(1)}), -1576);
    }
    EXPECT_EQ(provider.m_lIndex, -1);
    EXPECT_TRUE(m_box.GetShown().empty());
    EXPECT_EQ(m_obj.Long("RemoveDB", {L(3), L(1)}), -1001);
    ASSERT_EQ(m_box.GetShown().size(), 1u);
    EXPECT_EQ(m_box.GetShown()[0].m_strText, LoadString(IDS_CONFIRM_REMOVE_APP));
    EXPECT_EQ(m_box.GetShown()[0].m_strCaption, "Demo Search");
    m_box.PushAnswer(IDYES);
    EXPECT_EQ(m_obj.Long("RemoveDB", {L(3), L(1)}), 0);
    EXPECT_EQ(m_obj.Long("GetDBCount", {L(3)}), 0);
    CProductFixture::SetCustomize(0);
    ASSERT_TRUE(m_obj.Ready());
    for (const char* member : {"OpenAddAppDialog", "OpenEditAppDialog", "RemoveDB"}) {
        EXPECT_EQ(m_obj.Long(member, Args(member, 0, 1)), -1578) << member;
    }
    EXPECT_EQ(m_box.GetShown().size(), 2u);
}

TEST_F(CtrlFileMgrTest, TheFirstLoadTakesTheEditingMutexForTheObjectsLife) {
    CObject second;
    ASSERT_TRUE(m_obj.Ready());
    ASSERT_TRUE(second.Ready());
    EXPECT_EQ(m_obj.Long("Status"), 0);
    CProductFixture::DeleteValue("Path", "DataPath");
    EXPECT_EQ(m_obj.Long("Load"), -1008);
    EXPECT_EQ(second.Long("Status"), 1);
    EXPECT_EQ(second.Long("Load"), -1043);
    EXPECT_EQ(second.Long("Save", {L(0)}), -1577);
    m_obj.Reset();
    EXPECT_EQ(second.Long("Status"), 0);
    CProductFixture::SetString("Path", "DataPath", "C:\\Data");
    ASSERT_TRUE(second.Ready());
    EXPECT_EQ(second.Long("Load"), 0);
    EXPECT_EQ(second.Long("Load"), 0);  // a second Load of the owner loads again
}

const std::string kKeyPath = test::kProductPath;

// A file's modification time and contents ("-" when it is missing).
std::string Stamp(const std::string& strPath) {
    std::error_code ec;
    const auto time = std::filesystem::last_write_time(strPath, ec);
    return ec ? "-"
              : std::to_string(time.time_since_epoch().count()) + ":" +
                    test::ReadLinuxFile(strPath);
}

// Another editor's process sees status args[0]; its conversion and Load are refused.
TQ_CHILD_MAIN(OtherEditor) {
    const int32_t lStatus = std::stoi(args.at(0));
    CObject obj;
    return VXCSTM_BaseInfoToControl(kKeyPath.c_str()) == TQE_EDITING &&
                   VXCSTM_GetStatus(kKeyPath.c_str()) == lStatus && obj.Ready() &&
                   obj.Long("Load") == -1043 && obj.Long("Status") == lStatus
               ? 0
               : 1;
}

// A conversion writes only what changed, and nothing while an editor holds the product.
TEST(ExportsTest, ConversionWritesOnlyWhatChangedAndNothingBesideAnEditor) {
    CProductFixture product;
    product.OpenRegistryToAll();
    ASSERT_EQ(VXCSTM_BaseInfoToControl(kKeyPath.c_str()), 0);
    EXPECT_TRUE(test::LinuxFileExists(product.C("Ctrl/ctrl.ctl")));  // a good one writes
    const std::string base = Stamp(product.C("Ctrl/base.ctl"));
    std::string control = Stamp(product.C("Ctrl/ctrl.ctl"));
    const std::string requests = CProductFixture::Values("Builder\\Request");
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(VXCSTM_BaseInfoToControl(kKeyPath.c_str()), 0);
    EXPECT_EQ(Stamp(product.C("Ctrl/base.ctl")), base);
    EXPECT_EQ(Stamp(product.C("Ctrl/ctrl.ctl")), control);
    EXPECT_FALSE(test::LinuxFileExists(product.C("Ctrl/base.ctl.lock")));
    EXPECT_EQ(VXCSTM_GetStatus(kKeyPath.c_str()), 0);
    {
        // Make the base control file newer than the control file: a conversion would write.
        test::WriteLinuxFile(product.C("Ctrl/base.ctl"), test::kBaseText + "\r\n: touched\r\n");
        control = Stamp(product.C("Ctrl/ctrl.ctl"));
        CObject editor;
        ASSERT_TRUE(editor.Ready());
        ASSERT_EQ(editor.Long("Load"), 0);
        EXPECT_EQ(test::RunChild("OtherEditor", {"1"}), 0);
        if (test::CanDropPrivileges()) {
            EXPECT_EQ(test::RunChild("OtherEditor", {"2"}, {true, ""}), 0);
        }
        EXPECT_EQ(VXCSTM_BaseInfoToControl(kKeyPath.c_str()), -1043);
        EXPECT_EQ(Stamp(product.C("Ctrl/ctrl.ctl")), control);
        // The editor's lock file is what the builder sees; it stays.
        EXPECT_TRUE(test::LinuxFileExists(product.C("Ctrl/base.ctl.lock")));
    }
    EXPECT_EQ(CProductFixture::Values("Builder\\Request"), requests);
    EXPECT_EQ(VXCSTM_GetStatus(kKeyPath.c_str()), 0);
    EXPECT_FALSE(test::LinuxFileExists(product.C("Ctrl/base.ctl.lock")));
    const std::string strMissing = std::string(kProductKeyBase) + "Missing";
    EXPECT_EQ(VXCSTM_BaseInfoToControl(strMissing.c_str()), -1008);
    EXPECT_EQ(VXCSTM_BaseInfoToControl(nullptr), -1008);
    EXPECT_EQ(VXCSTM_GetStatus(strMissing.c_str()), 4);
    EXPECT_EQ(VXCSTM_GetStatus(nullptr), 4);
    // The key is there, but nothing says where the files are.
    CProductFixture::DeleteValue("Builder", "BaseControlFile");
    EXPECT_EQ(VXCSTM_GetStatus(kKeyPath.c_str()), 4);
}

// The texts are checked against the message sources; here, what the lookups make of them.
TEST(ErrorTableTest, GetErrorMessageByKindOfCode) {
    for (const auto& row : GetErrorTable()) {
        std::string out;
        EXPECT_TRUE(GetErrorMessage(row.m_lCode, out)) << row.m_lCode;
        EXPECT_EQ(out, row.m_pszMessage);
    }
    std::string out = "previous";  // the sample query update's own codes have no row
    EXPECT_FALSE(GetErrorMessage(INT32_MAX, out));
    EXPECT_EQ(out, "");
    EXPECT_FALSE(GetErrorMessage(-1034, out));
    EXPECT_EQ(out, GetDefaultErrorMessage());
}

// The exported function's buffer protocol: a byte written beyond the size changes a sentinel.
TEST(ErrorTableTest, GetErrorStringBufferRule) {
    constexpr char kSentinel = 'X';
    constexpr int kNull = -1;  // pass a null buffer
    std::string strEditing;
    ASSERT_TRUE(GetErrorMessage(-1043, strEditing));
    const int need = static_cast<int>(strEditing.size()) + 1;
    // code, size (kNull: a null buffer, size 0), result, buffer afterwards (nullptr: untouched)
    const std::tuple<int32_t, int, int, const char*> cases[] = {
        {-1043, kNull, need, nullptr},            // size query: the text and the zero
        {-1043, need - 1, need, ""},              // too small: an empty string
        {-1043, need, need, strEditing.c_str()},  // exactly large enough
        {-1043, 0, need, nullptr},                // a zero-length buffer is never written
        {-1034, 100, 0, nullptr},
        {5, 100, 0, ""},
        {0, 1, 0, ""},
        {5, 0, 0, nullptr},
        {5, kNull, 0, nullptr},
    };
    for (const auto& [code, nSize, result, content] : cases) {
        SCOPED_TRACE(testing::Message() << code << " size " << nSize);
        char buffer[128];
        std::memset(buffer, kSentinel, sizeof(buffer));
        const bool bNull = nSize == kNull;
        const uint32_t size = bNull ? 0 : static_cast<uint32_t>(nSize);
        EXPECT_EQ(VXCSTM_GetErrorString(code, bNull ? nullptr : buffer, size),
                  static_cast<uint32_t>(result));
        size_t written = 0;
        if (content != nullptr) {
            EXPECT_EQ(std::string(buffer), content);
            written = std::strlen(content) + 1;
        }
        for (size_t i = written; i < sizeof(buffer); ++i) {
            ASSERT_EQ(buffer[i], kSentinel) << "byte " << i << " written";
        }
    }
}

}  // namespace
}  // namespace tq
