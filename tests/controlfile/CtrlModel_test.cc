#include "controlfile/CtrlModel.h"

#include <gtest/gtest.h>

namespace tq {
namespace {

TEST(CtrlModelTest, ClearKeepsOnlyTheModifiedFlag) {
    CCtrlModel model;
    model.m_strOutputLog = "log";
    model.m_dwSelectAllDisabled = model.m_dwBlankSources = 1;
    model.m_dwDivideNoBookmark = model.m_dwAddID = 1;
    model.m_dwStructureChanged = model.m_dwModified = 1;
    model.m_removedNames.push_back("gone");
    model.AppendDatabase()->m_strName.push_back('A');
    model.m_nFixedCount = 1;
    model.m_nSelectionCount = model.m_nFreeCount = 2;
    ASSERT_EQ(model.m_groupSet.AddGroupLine(1, "G"), 0);
    model.Clear();
    EXPECT_TRUE(model.m_strOutputLog.empty());
    EXPECT_EQ(model.m_dwSelectAllDisabled + model.m_dwBlankSources + model.m_dwDivideNoBookmark +
                  model.m_dwAddID + model.m_dwStructureChanged,
              0u);
    EXPECT_EQ(model.m_dwModified, 1u);
    EXPECT_TRUE(model.m_removedNames.empty());
    EXPECT_EQ(model.GetDBCount(), 0u);
    EXPECT_EQ(model.m_nFixedCount + model.m_nSelectionCount + model.m_nFreeCount, 0u);
    EXPECT_EQ(model.m_groupSet.GetGroupCount(), 0);
    EXPECT_EQ(model.m_groupSet.FindGroup(1), nullptr);
}

}  // namespace
}  // namespace tq
