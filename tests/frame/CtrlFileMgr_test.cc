// The automation object through its dispatch interface, as a host sees it: readiness, the
// error-code rules, database addressing, selection and removal, the dialog guards, the
// read-only exception, Save's VARIANT rules, and the editing mutex between objects and
// processes.

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "frame/AutomationObject.h"
#include "frame/ClassFactory.h"
#include "frame/CtrlFileMgr.h"
#include "frame/EditStatus.h"
#include "manager/ProductFixture.h"
#include "platform/File.h"
#include "platform/MessageBox.h"
#include "platform/NamedMutex.h"
#include "resources/StringTable.h"

namespace tq {
namespace {

using test::CDispCall;
using test::CObject;
using test::CProductFixture;
using test::L;

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

}  // namespace
}  // namespace tq
