#include <gtest/gtest.h>

#include "LoadedProduct.h"
#include "controlfile/CtrlGroupSet.h"
#include "resources/ErrorCodes.h"

namespace tq {
namespace {

using test::kAppGroup;

class DBGroupsTest : public test::LoadedProductTest {};

TEST_F(DBGroupsTest, TheWizardsFilingAndTheEditDialogsRename) {
    ASSERT_EQ(m_file.AddAppli(3, "New"), 0);
    EXPECT_EQ(m_file.AddDBToGroup(3, kAppGroup), 0);
    EXPECT_EQ(m_file.AddDBToGroup(3, "New", &kAppGroup), 0);
    const CCtrlGroup* app = TopGroup(kAppGroup);
    ASSERT_NE(app, nullptr);
    EXPECT_EQ(app->GetRefCount(), 2);
    ASSERT_EQ(app->GetChildren().size(), 2u);
    const CCtrlGroup* own = app->GetChildren()[1].get();
    EXPECT_EQ(own->GetName(), "New");
    EXPECT_EQ(own->GetRefCount(), 1);
    EXPECT_EQ(Db(3).m_groups, (std::pmr::vector<CCtrlGroup*>{const_cast<CCtrlGroup*>(app),
                                                             const_cast<CCtrlGroup*>(own)}));
    EXPECT_EQ(m_file.m_dwStructureChanged, 0u);
    // Renaming the application renames its subgroup.
    ASSERT_EQ(m_file.RenameAppli(3, "Newer"), 0);
    EXPECT_EQ(m_file.RenameGroup(&kAppGroup, "New", "Newer"), 0);
    EXPECT_EQ(own->GetName(), "Newer");
    EXPECT_EQ(m_file.AddAppli(3, "newer"), TQE_DBNAME_TWICE);
    EXPECT_EQ(m_file.AddAppli(3, "NEW"), 0);  // the old group name is free again
}

TEST_F(DBGroupsTest, MissingParentIsCreatedAtTopLevelAndBadNamesAreRefused) {
    const std::string parent = "Tools";
    EXPECT_EQ(m_file.AddDBToGroup(1, "Sub", &parent), 0);
    const CCtrlGroup* tools = TopGroup("Tools");
    ASSERT_NE(tools, nullptr);
    EXPECT_EQ(tools->GetChildren()[0]->GetName(), "Sub");
    EXPECT_EQ(m_file.AddDBToGroup(1, "Sub", &parent), 0);  // listed twice
    EXPECT_EQ(tools->GetChildren()[0]->GetRefCount(), 2);
    const std::string badParent = "T\x01";
    const struct {
        std::string m_name;
        const std::string* m_pParent;
        int32_t m_lResult;
    } cases[] = {
        {"", nullptr, TQE_GROUP_NAME},
        {std::string(257, 'g'), nullptr, TQE_GROUP_NAME},
        {"a\tb", nullptr, TQE_CONTROL_CHAR},
        {"ok", &badParent, TQE_CONTROL_CHAR},
    };
    const int32_t count = m_file.m_groupSet.GetGroupCount();
    for (const auto& c : cases) {
        EXPECT_EQ(m_file.AddDBToGroup(1, c.m_name, c.m_pParent), c.m_lResult) << c.m_name;
    }
    EXPECT_EQ(m_file.AddDBToGroup(7, "ok"), TQE_DB_NUMBER);
    EXPECT_EQ(m_file.m_groupSet.GetGroupCount(), count);
}

TEST_F(DBGroupsTest, RenameGroupChecks) {
    const std::string missing = "Missing";
    EXPECT_EQ(m_file.RenameGroup(&missing, "MyApp", "X"), TQE_GROUP_NAME);
    EXPECT_EQ(m_file.RenameGroup(&kAppGroup, "Other", "X"), TQE_GROUP_NAME);
    EXPECT_EQ(m_file.RenameGroup(nullptr, "MyApp", "X"), TQE_GROUP_NAME);  // not at top level
    EXPECT_EQ(m_file.RenameGroup(&kAppGroup, "MyApp", ""), TQE_GROUP_NAME);
    EXPECT_EQ(m_file.RenameGroup(&kAppGroup, "MyApp", "X\r"), TQE_CONTROL_CHAR);
    EXPECT_EQ(m_file.RenameGroup(nullptr, "Manuals", kAppGroup), TQE_GROUP_NAME_TWICE);
    EXPECT_EQ(m_file.m_dwModified, 0u);
    EXPECT_EQ(m_file.RenameGroup(nullptr, "Manuals", "Guides"), 0);
    EXPECT_NE(TopGroup("Guides"), nullptr);
    EXPECT_EQ(m_file.m_dwStructureChanged, 1u);
    EXPECT_EQ(m_file.m_dwModified, 1u);
}

TEST_F(DBGroupsTest, AddressingAndSelection) {
    const struct {
        int32_t m_type;
        int32_t m_count;
    } counts[] = {{0, 3}, {1, 1}, {2, 1}, {3, 1}, {4, TQE_DB_TYPE}, {-1, TQE_DB_TYPE}};
    for (const auto& c : counts) {
        EXPECT_EQ(m_file.CountDBs(c.m_type), c.m_count) << c.m_type;
    }
    const struct {
        int32_t m_type;
        int32_t m_number;
        int32_t m_index;
    } indexes[] = {{0, 2, 2},
                   {0, 3, TQE_DB_NUMBER},
                   {1, 0, 0},
                   {2, 0, 1},
                   {3, 0, 2},
                   {3, 1, TQE_DB_NUMBER},
                   {2, -1, TQE_DB_NUMBER},
                   {5, 0, TQE_DB_TYPE}};
    for (const auto& c : indexes) {
        EXPECT_EQ(m_file.GetDBIndex(c.m_type, c.m_number), c.m_index) << c.m_type << c.m_number;
    }
    EXPECT_EQ(m_file.FindDBByPublicName(0, "selection ONE"), 1);
    EXPECT_EQ(m_file.FindDBByPublicName(2, "Selection One"), 0);
    EXPECT_EQ(m_file.FindDBByPublicName(3, "Selection One"), TQE_DBNAME_NOT_FOUND);
    EXPECT_EQ(m_file.FindDBByPublicName(4, "Selection One"), TQE_DB_TYPE);
    EXPECT_EQ(m_file.GetPublicName(0), "Fixed One");
    EXPECT_EQ(m_file.GetPublicName(3), "");
    EXPECT_EQ(m_file.SetDBSelected(0, 0), TQE_DB_LOCKED);
    EXPECT_EQ(m_file.SetDBSelected(3, 0), TQE_DB_NUMBER);
    EXPECT_EQ(m_file.SetDBSelected(1, 0), 0);
    EXPECT_EQ(m_file.SetDBSelected(2, 0), 0);
    EXPECT_EQ(m_file.SetDBSelected(2, 7), 0);
    EXPECT_EQ(Db(1).m_dwState, DBSTATE_DESELECTED);
    EXPECT_EQ(Db(2).m_dwState, 0u);
    EXPECT_EQ(m_file.m_dwModified, 0u);
}

}  // namespace
}  // namespace tq
