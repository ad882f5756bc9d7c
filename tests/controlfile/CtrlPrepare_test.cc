#include "controlfile/CtrlPrepare.h"

#include <gtest/gtest.h>

#include "CtrlTestUtil.h"
#include "resources/ErrorCodes.h"

namespace tq {
namespace {

TEST(RenameDocEntryTest, KeepsThePathAndAnyMacro) {
    const struct {
        const char* m_pszEntry;
        const char* m_pszResult;
    } cases[] = {
        {"C:\\Help\\a.chm > Old Name", "C:\\Help\\a.chm > New"},
        {"<WINDOWS>\\Help\\a.chm > Old Name", "<WINDOWS>\\Help\\a.chm > New"},
        {"<WINDOWS>\\Help\\a.chm", "<WINDOWS>\\Help\\a.chm"},  // no second '>'
        {"<WINDOWS", "<WINDOWS"},
        {"C:\\Help\\a.chm", "C:\\Help\\a.chm"},
        {"C:\\a|b>Old", "C:\\a|b> New"},
        // The full-width "＞" (0x81 0x84) is not a separator.
        {"C:\\\x81\x84.chm > Old", "C:\\\x81\x84.chm > New"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(RenameDocEntry(c.m_pszEntry, "New"), c.m_pszResult) << c.m_pszEntry;
    }
}

class CtrlPrepareTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(
            test::ParseAndValidate(m_model, "Group1 = G\r\n" + test::Section("A") + "###\r\n" +
                                                test::Section("B") + test::Section("C"))
                .m_lResult,
            0);
    }
    CCtrlDatabase& Db(size_t i) { return *m_model.GetDatabase(i); }
    CCtrlModel m_model;
};

TEST_F(CtrlPrepareTest, SelectionChangesRequestRebuildsAndMarkTheModel) {
    EXPECT_EQ(PrepareForSave(m_model), 0);
    EXPECT_EQ(m_model.m_dwModified, 0u);
    // Deselected and selected again before saving: nothing to do.
    Db(1).m_dwState = DBSTATE_WAS_DESELECTED | DBSTATE_DESELECTED;
    EXPECT_EQ(PrepareForSave(m_model), 0);
    EXPECT_EQ(m_model.m_dwStructureChanged, 0u);
    EXPECT_EQ(Db(1).m_dwState & DBSTATE_REBUILD, 0u);
    Db(2).m_dwState = DBSTATE_DESELECTED;
    EXPECT_EQ(PrepareForSave(m_model), 0);
    EXPECT_EQ(Db(2).m_dwState, DBSTATE_DESELECTED | DBSTATE_REBUILD);
    EXPECT_EQ(m_model.m_dwStructureChanged, 1u);
    EXPECT_EQ(m_model.m_dwModified, 1u);
}

TEST_F(CtrlPrepareTest, NewPublicNameRewritesEntriesAndOnlyEntriesRequestTheRebuild) {
    Db(0).m_strPublicName = "Renamed";
    Db(0).m_dwState = DBSTATE_NAME_CHANGED;
    Db(0).m_docs = {"C:\\a.chm > A", "<SYSTEM>\\b.hlp > A"};
    Db(1).m_dwState = DBSTATE_NAME_CHANGED;
    Db(1).m_docs.clear();
    Db(1).m_strDocListFile = "C:\\list.txt";
    EXPECT_EQ(PrepareForSave(m_model), 0);
    EXPECT_EQ(Db(0).m_docs, (CtrlStringList{"C:\\a.chm > Renamed", "<SYSTEM>\\b.hlp > Renamed"}));
    EXPECT_NE(Db(0).m_dwState & DBSTATE_REBUILD, 0u);
    EXPECT_EQ(Db(1).m_dwState & DBSTATE_REBUILD, 0u);  // a document list file alone
    EXPECT_EQ(m_model.m_dwModified, 0u);               // the rename marked the model already
}

TEST_F(CtrlPrepareTest, DatabaseToRebuildWithoutDocumentsOrGroupsIsRefused) {
    Db(0).m_dwState = DBSTATE_REBUILD;
    Db(1).m_dwState = DBSTATE_REBUILD;
    Db(1).m_docs.clear();
    Db(2).m_dwState = DBSTATE_DESELECTED;
    EXPECT_EQ(PrepareForSave(m_model), TQE_DB_INCOMPLETE);
    EXPECT_EQ(Db(2).m_dwState, DBSTATE_DESELECTED);  // preparation stopped at B
    Db(1).m_strDocListFile = "C:\\list.txt";
    EXPECT_EQ(PrepareForSave(m_model), 0);
    Db(1).m_groups.clear();
    EXPECT_EQ(PrepareForSave(m_model), TQE_DB_INCOMPLETE);
}

}  // namespace
}  // namespace tq
