#include "controlfile/CtrlGroup.h"

#include <gtest/gtest.h>

#include "controlfile/CtrlGroupSet.h"

namespace tq {
namespace {

TEST(CtrlGroupTest, DeepTreesAreWalkedAndFreedWithoutRecursion) {
    // A chain far deeper than the stack could recurse through, under sanitizers too.
    auto set = std::make_unique<CCtrlGroupSet>();
    const int kDepth = 100000;
    for (int id = 1; id <= kDepth; ++id) {
        std::string text = (id > 1 ? std::to_string(id - 1) + "@" : std::string()) + "g";
        ASSERT_EQ(set->AddGroupLine(id, text), 0);
    }
    int nVisited = 0;
    WalkPreorder(*set, [&nVisited](const CCtrlGroup&) { return ++nVisited > 0; });
    EXPECT_EQ(nVisited, kDepth + 1);
    EXPECT_FALSE(CCtrlGroupSet::IsInUse(set.get()));
    set->FindAndReference(kDepth);
    EXPECT_TRUE(CCtrlGroupSet::IsInUse(set->FindGroup(1)));
    EXPECT_TRUE(set->Validate());
    set.reset();
}

TEST(CtrlGroupTest, PreorderVisitsChildrenInListOrderAndStops) {
    CCtrlGroupSet set;
    for (const auto& [id, text] : std::vector<std::pair<int, const char*>>{
             {1, "A"}, {2, "B"}, {3, "1@A1"}, {4, "3@A11"}, {5, "1@A2"}}) {
        ASSERT_EQ(set.AddGroupLine(id, text), 0);
    }
    std::string order;
    const CCtrlGroup* pStop = WalkPreorder(set, [&order](const CCtrlGroup& g) {
        order += g.GetName() + ",";
        return g.GetName() != "A2";
    });
    EXPECT_EQ(order, ",A,A1,A11,A2,");
    EXPECT_EQ(pStop, set.FindGroup(5));
}

}  // namespace
}  // namespace tq
