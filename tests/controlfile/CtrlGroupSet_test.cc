#include "controlfile/CtrlGroupSet.h"

#include <gtest/gtest.h>

#include "resources/ErrorCodes.h"

namespace tq {
namespace {

// The groups by id as "id=name,".
std::string ById(const CCtrlGroupSet& set) {
    std::string s;
    set.ForEachById(
        [&s](const CCtrlGroup& g) { s += std::to_string(g.GetId()) + "=" + g.GetName() + ","; });
    return s;
}

TEST(CtrlGroupSetTest, InsertRules) {
    CCtrlGroupSet set;
    EXPECT_EQ(set.AddGroupLine(2, "1@B"), 0);  // 1 becomes a placeholder under the root
    EXPECT_EQ(set.GetNextUniqueId(), 1u);      // without a product key unique ids start at one
    EXPECT_FALSE(set.Validate());
    EXPECT_EQ(set.AddGroupLine(1, "A"), 0);
    EXPECT_EQ(set.GetNextId(), 3);             // lower ids do not lower it
    EXPECT_EQ(set.AddGroupLine(5, "2@A"), 0);  // the same name under another parent
    // A failed insert keeps the placeholder parent it made.
    EXPECT_EQ(set.AddGroupLine(7, "9@Z"), 0);
    EXPECT_EQ(set.AddGroupLine(8, "9@Z"), TQE_GROUP_NAME_TWICE);
    // The next id is 9, which the placeholder stands for: the new group completes it.
    EXPECT_EQ(set.AddNewGroup(1, "N"), 9);
    EXPECT_EQ(set.GetNextId(), 10);
    EXPECT_FALSE(set.FindGroup(9)->IsPlaceholder());
}

TEST(CtrlGroupSetTest, RenumberDropsUnusedGroups) {
    CCtrlGroupSet set;
    int nId = 0;
    for (const char* psz : {"A", "1@A1", "Unused", "3@Below", "B", "1@A2"}) {
        ASSERT_EQ(set.AddGroupLine(++nId, psz), 0) << psz;
    }
    set.SetSelectOff(3);
    set.SetSelectOff(6);
    set.SetDefault(6);
    for (int id : {2, 5, 6}) {
        set.FindAndReference(id);
    }
    uint32_t uniqueOf6 = set.FindGroup(6)->m_dwUniqueId = 77;
    set.Renumber();
    EXPECT_EQ(set.GetGroupCount(), 4);
    EXPECT_EQ(ById(set), "1=A,2=A1,3=A2,4=B,");
    EXPECT_EQ(set.FindGroup(5), nullptr);
    EXPECT_EQ(set.FindGroup(3)->m_dwUniqueId, uniqueOf6);
    EXPECT_EQ(set.GetDefault(), 3);
    EXPECT_EQ(set.GetNextId(), 7);  // unchanged
    std::vector<int32_t> ids{99};   // replaced, not added to
    EXPECT_EQ(set.GetSelectOffGroups(ids), 1);
    EXPECT_EQ(ids, std::vector<int32_t>{3});
    // A default group that is dropped becomes none.
    set.SetDefault(1);
    set.Release(set.FindGroup(2));
    set.Release(set.FindGroup(3));
    set.Renumber();
    EXPECT_EQ(set.GetDefault(), -1);
    EXPECT_EQ(ById(set), "1=B,");
}

}  // namespace
}  // namespace tq
