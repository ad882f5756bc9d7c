#include "controlfile/CtrlCompare.h"

#include <gtest/gtest.h>

#include <functional>

#include "CtrlTestUtil.h"
#include "controlfile/CtrlWriter.h"

namespace tq {
namespace {

const std::string kText = "OutputLog = C:\\Log.txt\r\nGroup1 = G\r\nGroup2 = 1@H\r\n" +
                          test::Section("A", "Group = 2\r\nSkipDoc = s\r\nRootPath = r\r\n") +
                          "###\r\n[B]~\r\nGroup = 1\r\nDoc = b\r\n" + test::Section("C");

// The saved model against the control file the builder would read for it.
class CtrlCompareTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(test::ParseAndValidate(m_saved, kText).m_lResult, 0);
        ASSERT_EQ(test::ParseAndValidate(m_disk, CCtrlWriter(m_saved).Render(false)).m_lResult, 0);
    }
    CCtrlModel m_saved;
    CCtrlModel m_disk;
};

TEST_F(CtrlCompareTest, BuilderFormOfTheModelIsEqualAndEveryComparedFieldCounts) {
    EXPECT_TRUE(CtrlModelsEqual(m_saved, m_disk));
    // GCC 12 at -O2 takes these assignments of short literals for overlapping copies inside
    // std::string (a known false -Wrestrict of that compiler); nothing here can overlap.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wrestrict"
#endif
    const std::function<void(CCtrlModel&)> changes[] = {
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
    };
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif
    for (size_t i = 0; i < std::size(changes); ++i) {
        CCtrlModel saved;
        ASSERT_EQ(test::ParseAndValidate(saved, kText).m_lResult, 0);
        changes[i](saved);
        EXPECT_FALSE(CtrlModelsEqual(saved, m_disk)) << "change " << i;
    }
}

TEST_F(CtrlCompareTest, WhatTheBuilderOwnsIsNotCompared) {
    m_saved.m_strOutputLog = "c:\\log.TXT";
    m_saved.GetDatabase(0)->m_rootPath = {"elsewhere"};
    m_saved.GetDatabase(0)->m_date.m_nYear = 2024;
    m_saved.GetDatabase(2)->m_dwState = DBSTATE_REBUILD | DBSTATE_NAME_CHANGED;
    EXPECT_TRUE(CtrlModelsEqual(m_saved, m_disk));
    // A group name that differs only in case is a difference.
    CCtrlModel other;
    std::string text = kText;
    text.replace(text.find("1@H"), 3, "1@h");
    ASSERT_EQ(test::ParseAndValidate(other, text).m_lResult, 0);
    EXPECT_FALSE(CtrlModelsEqual(other, m_disk));
}

}  // namespace
}  // namespace tq
