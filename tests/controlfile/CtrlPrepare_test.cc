// What a save does with the model before writing: the preparation, and the comparison with the
// control file on disk that decides whether it must be written.
#include "controlfile/CtrlPrepare.h"

#include <gtest/gtest.h>

#include <functional>

#include "CtrlTestUtil.h"
#include "controlfile/CtrlCompare.h"
#include "controlfile/CtrlWriter.h"
#include "resources/ErrorCodes.h"

namespace tq {
namespace {

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

TEST_F(CtrlPrepareTest, DatabaseToRebuildWithoutDocumentsOrGroupsIsRefused) {
    Db(0).m_dwState = Db(1).m_dwState = DBSTATE_REBUILD;
    Db(1).m_docs.clear();
    Db(2).m_dwState = DBSTATE_DESELECTED;
    EXPECT_EQ(PrepareForSave(m_model), TQE_DB_INCOMPLETE);
    EXPECT_EQ(Db(2).m_dwState, DBSTATE_DESELECTED);  // preparation stopped at B
    Db(1).m_strDocListFile = "C:\\list.txt";
    EXPECT_EQ(PrepareForSave(m_model), 0);
    Db(1).m_groups.clear();
    EXPECT_EQ(PrepareForSave(m_model), TQE_DB_INCOMPLETE);
}

// The saved model against the control file the builder would read for it.
TEST(CtrlCompareTest, EveryComparedFieldCountsAndWhatTheBuilderOwnsDoesNot) {
    const std::string text = "OutputLog = C:\\Log.txt\r\nGroup1 = G\r\nGroup2 = 1@H\r\n" +
                             test::Section("A", "Group = 2\r\nSkipDoc = s\r\nRootPath = r\r\n") +
                             "###\r\n[B]~\r\nGroup = 1\r\nDoc = b\r\n" + test::Section("C");
    CCtrlModel disk;
    auto load = [](CCtrlModel& m, const std::string& t) {
        ASSERT_EQ(test::ParseAndValidate(m, t).m_lResult, 0);
    };
    load(disk, text);
    load(disk, CCtrlWriter(disk).Render(false));
    // GCC 12 at -O2 takes these assignments of short literals for overlapping copies inside
    // std::string (a known false -Wrestrict of that compiler); nothing here can overlap.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wrestrict"
#endif
    const std::function<void(CCtrlModel&)> changes[] = {
        [](CCtrlModel&) {},  // none: equal
        [](CCtrlModel& m) { m.m_strOutputLog = "C:\\Other.txt"; },
        [](CCtrlModel& m) { m.m_dwAddID = 1; },
        [](CCtrlModel& m) { m.GetDatabase(0)->m_strName = "a"; },
        [](CCtrlModel& m) { m.GetDatabase(0)->m_strPublicName = "P"; },
        [](CCtrlModel& m) { m.GetDatabase(0)->m_dwAttributes = DBFAQ_NEC; },
        [](CCtrlModel& m) { m.GetDatabase(0)->m_strDocListFile = "l"; },
        [](CCtrlModel& m) { m.GetDatabase(0)->m_strPdfSkipTitleFile = "p"; },
        [](CCtrlModel& m) { m.GetDatabase(0)->m_docs.push_back("x"); },
        [](CCtrlModel& m) { m.GetDatabase(0)->m_skipDocs[0] = "S"; },
        [](CCtrlModel& m) { m.GetDatabase(0)->m_groups.pop_back(); },
        [](CCtrlModel& m) { m.AppendDatabase()->m_strName = "D"; },
        [](CCtrlModel& m) { m.GetDatabase(1)->m_dwState = 0; },  // B selected again
        [](CCtrlModel& m) { m.m_groupSet.SetDefault(1); },
        [](CCtrlModel& m) {  // what the builder owns: equal
            m.m_strOutputLog = "c:\\log.TXT";
            m.GetDatabase(0)->m_rootPath = {"elsewhere"};
            m.GetDatabase(0)->m_date.m_nYear = 2024;
            m.GetDatabase(2)->m_dwState = DBSTATE_REBUILD | DBSTATE_NAME_CHANGED;
        }};
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif
    for (size_t i = 0; i < std::size(changes); ++i) {
        CCtrlModel saved;
        load(saved, text);
        changes[i](saved);
        EXPECT_EQ(CtrlModelsEqual(saved, disk), i == 0 || i + 1 == std::size(changes)) << i;
    }
}

}  // namespace
}  // namespace tq
