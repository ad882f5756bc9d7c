#include "controlfile/CtrlDatabase.h"

#include <gtest/gtest.h>

namespace tq {
namespace {

TEST(CtrlDatabaseTest, StoreIndexedPadsAndReplaces) {
    using V = CtrlStringList;
    struct {
        V m_before;
        size_t m_nSlot;
        V m_after;
    } cases[] = {
        {{}, 0, {"v"}},
        {{}, 3, {"", "", "", "v"}},
        {{"a"}, 1, {"a", "v"}},
        {{"a", "b", "c"}, 1, {"a", "v", "c"}},
        {{"a"}, 9, {"a", "", "", "", "", "", "", "", "", "v"}},
    };
    for (auto& c : cases) {
        CCtrlDatabase::StoreIndexed(c.m_before, c.m_nSlot, "v");
        EXPECT_EQ(c.m_before, c.m_after) << c.m_nSlot;
    }
}

}  // namespace
}  // namespace tq
