#include <gtest/gtest.h>

#include "LoadedProduct.h"
#include "platform/MessageBox.h"
#include "resources/ErrorCodes.h"
#include "resources/StringTable.h"

namespace tq {
namespace {

using test::kAppGroup;

class AppliEditTest : public test::LoadedProductTest {
protected:
    void TearDown() override { SetMessageBox(nullptr); }
    // Public names in list order.
    std::string Names() {
        std::string out;
        for (size_t i = 0; i < m_file.GetDBCount(); ++i) {
            out += Db(i).m_strPublicName + "=" + Db(i).m_strName + ";";
        }
        return out;
    }
};

TEST_F(AppliEditTest, AddAppendsToItsTypeWithADerivedName) {
    EXPECT_EQ(m_file.AddAppli(3, "a:b"), 0);
    EXPECT_EQ(m_file.AddAppli(0, "Sel1"), 0);
    EXPECT_EQ(m_file.AddAppli(2, "S2"), 0);
    EXPECT_EQ(m_file.AddAppli(1, "F2"), 0);
    EXPECT_EQ(Names(),
              "Fixed One=Fixed1;F2=F2;Selection One=Sel1;S2=S2;MyApp=MyApp;"
              "a:b=a\x81\x46"
              "b;Sel1=Sel1#2;");
    EXPECT_EQ(m_file.m_nFixedCount, 2u);
    EXPECT_EQ(m_file.m_nSelectionCount, 2u);
    EXPECT_EQ(m_file.m_nFreeCount, 3u);
    EXPECT_EQ(Db(5).m_dwState, DBSTATE_NEW | DBSTATE_REBUILD);
    EXPECT_EQ(m_file.m_dwModified, 1u);
    EXPECT_EQ(m_file.m_dwStructureChanged, 0u);
    EXPECT_EQ(m_file.FindDBByPublicName(3, "SEL1"), 2);  // found at its new position
}

TEST_F(AppliEditTest, AddRefusesBadNamesAndChangesNothing) {
    const struct {
        std::string m_name;
        int32_t m_type;
        int32_t m_lResult;
    } cases[] = {
        {"", 3, TQE_DBNAME_RESERVED},
        {std::string(257, 'x'), 3, TQE_DBNAME_RESERVED},
        {"a\tb", 3, TQE_CONTROL_CHAR},
        {"selection ONE", 3, TQE_DBNAME_TWICE},
        {"manuals", 3, TQE_GROUP_NAME_USED},
        {"myApp", 3, TQE_DBNAME_TWICE},
        {"New", 4, TQE_DB_TYPE},
        {"New", -1, TQE_DB_TYPE},
    };
    const std::string before = Names();
    for (const auto& c : cases) {
        EXPECT_EQ(m_file.AddAppli(c.m_type, c.m_name), c.m_lResult) << c.m_name;
    }
    EXPECT_EQ(Names(), before);
    EXPECT_EQ(m_file.m_dwModified, 0u);
    EXPECT_EQ(m_file.AddAppli(3, std::string(256, 'x')), 0);
}

TEST_F(AppliEditTest, RenamingToAndFroRestoresTheLoadedName) {
    EXPECT_EQ(m_file.RenameAppli(2, "B"), 0);
    EXPECT_EQ(Db(2).m_strName, "B");
    EXPECT_EQ(Db(2).m_strPrevName, "MyApp");
    EXPECT_EQ(Db(2).m_strPrevPublicName, "MyApp");
    EXPECT_EQ(Db(2).m_dwState, DBSTATE_NAME_CHANGED);
    EXPECT_EQ(m_file.m_dwStructureChanged, 1u);
    EXPECT_EQ(m_file.RenameAppli(2, "MyApp"), 0);
    EXPECT_EQ(Db(2).m_strName, "MyApp");
    EXPECT_EQ(Db(2).m_strPrevName, "");
    EXPECT_EQ(Db(2).m_strPrevPublicName, "");
    EXPECT_EQ(Db(2).m_dwState, 0u);
    // Back in another case: the name comes back, the change of public name stays.
    EXPECT_EQ(m_file.RenameAppli(2, "B"), 0);
    EXPECT_EQ(m_file.RenameAppli(2, "myapp"), 0);
    EXPECT_EQ(Db(2).m_strName, "MyApp");
    EXPECT_EQ(Db(2).m_strPrevPublicName, "MyApp");
    EXPECT_EQ(Db(2).m_dwState, DBSTATE_NAME_CHANGED);
    EXPECT_EQ(m_file.FindDBByPublicName(0, "MYAPP"), 2);
    EXPECT_EQ(m_file.FindDBByPublicName(0, "B"), TQE_DBNAME_NOT_FOUND);
}

TEST_F(AppliEditTest, RenameChecks) {
    EXPECT_EQ(m_file.RenameAppli(1, "X"), TQE_DB_LOCKED);
    EXPECT_EQ(m_file.RenameAppli(3, "X"), TQE_DB_NUMBER);
    EXPECT_EQ(m_file.RenameAppli(2, ""), TQE_DBNAME_RESERVED);
    EXPECT_EQ(m_file.RenameAppli(2, "a\nb"), TQE_CONTROL_CHAR);
    EXPECT_EQ(m_file.RenameAppli(2, "fixed one"), TQE_DBNAME_TWICE);
    EXPECT_EQ(m_file.RenameAppli(2, "Manuals"), TQE_GROUP_NAME_USED);
    EXPECT_EQ(m_file.RenameAppli(2, "MyApp"), 0);  // identical: nothing happens
    EXPECT_EQ(m_file.m_dwModified, 0u);
    // A change of case only passes its own subgroup.
    EXPECT_EQ(m_file.RenameAppli(2, "MYAPP"), 0);
    EXPECT_EQ(Db(2).m_strName, "MYAPP");
    // A new application leaves no previous names.
    ASSERT_EQ(m_file.AddAppli(3, "Fresh"), 0);
    EXPECT_EQ(m_file.RenameAppli(3, "Fresher"), 0);
    EXPECT_EQ(Db(3).m_strPrevName, "");
    EXPECT_EQ(Db(3).m_strPrevPublicName, "");
    EXPECT_EQ(Db(3).m_strName, "Fresher");
}

TEST_F(AppliEditTest, RemoveDropsGroupsNothingElseUsesAndRemembersSavedNames) {
    CScriptedMessageBox box;
    CMessageBoxScope scope(box);
    ASSERT_EQ(m_file.AddAppli(3, "Two"), 0);
    ASSERT_EQ(m_file.AddDBToGroup(3, kAppGroup), 0);
    EXPECT_EQ(m_file.RemoveAppli(2, true), TQE_CANCELLED);
    EXPECT_EQ(m_file.GetDBCount(), 4u);
    box.PushAnswer(IDYES);
    EXPECT_EQ(m_file.RemoveAppli(2, true), 0);
    ASSERT_EQ(box.GetShown().size(), 2u);
    EXPECT_EQ(box.GetShown()[1].m_strText, LoadString(IDS_CONFIRM_REMOVE_APP));
    EXPECT_EQ(box.GetShown()[1].m_strCaption, "Demo Search");
    EXPECT_EQ(m_file.m_removedNames, std::vector<std::string>{"MyApp"});
    const CCtrlGroup* app = TopGroup(kAppGroup);
    ASSERT_NE(app, nullptr);  // still used by Two
    EXPECT_TRUE(app->GetChildren().empty());
    EXPECT_EQ(m_file.m_groupSet.GetGroupCount(), 2);
    EXPECT_EQ(m_file.m_nFreeCount, 1u);
    EXPECT_EQ(m_file.m_dwStructureChanged, 1u);
    // A new application leaves no removed name; its last group goes with it.
    EXPECT_EQ(m_file.RemoveAppli(2, false), 0);
    EXPECT_EQ(m_file.m_removedNames.size(), 1u);
    EXPECT_EQ(TopGroup(kAppGroup), nullptr);
    EXPECT_EQ(m_file.RemoveAppli(1, false), TQE_DB_LOCKED);
    EXPECT_EQ(m_file.RemoveAppli(2, false), TQE_DB_NUMBER);
}

TEST_F(AppliEditTest, RemovingARenamedApplicationRemembersTheNameTheBuilderKnows) {
    ASSERT_EQ(m_file.RenameAppli(2, "B"), 0);
    EXPECT_EQ(m_file.RemoveAppli(2, false), 0);
    EXPECT_EQ(m_file.m_removedNames, std::vector<std::string>{"MyApp"});
}

}  // namespace
}  // namespace tq
