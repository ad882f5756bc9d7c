#include "controlfile/CtrlGroupSet.h"

#include <gtest/gtest.h>

#include "manager/ProductRegKey.h"
#include "platform/Registry.h"
#include "resources/ErrorCodes.h"
#include "support/TestSupport.h"

namespace tq {
namespace {

TEST(CtrlGroupSetTest, SplitGroupValue) {
    struct {
        const char* m_pszText;
        int32_t m_nParent;
        const char* m_pszName;
    } cases[] = {
        {"12@Help", 12, "Help"}, {"@Help", 0, "Help"},
        {"Help", -1, "Help"},    {"1x@Help", -1, "1x@Help"},
        {"12", -1, "12"},        {"3@", 3, ""},
        {"3@a@b", 3, "a@b"},     {"99999999999@x", 2147483647, "x"},
    };
    for (const auto& c : cases) {
        int32_t nParent = 0;
        std::string strName;
        SplitGroupValue(c.m_pszText, nParent, strName);
        EXPECT_EQ(nParent, c.m_nParent) << c.m_pszText;
        EXPECT_EQ(strName, c.m_pszName) << c.m_pszText;
    }
}

TEST(CtrlGroupSetTest, InsertRules) {
    CCtrlGroupSet set;
    EXPECT_EQ(set.AddGroupLine(2, "1@B"), 0);  // 1 becomes a placeholder under the root
    EXPECT_EQ(set.GetGroupCount(), 2);
    EXPECT_EQ(set.GetNextId(), 3);
    EXPECT_TRUE(set.FindGroup(1)->IsPlaceholder());
    EXPECT_FALSE(set.Validate());
    EXPECT_EQ(set.AddGroupLine(1, "A"), 0);
    EXPECT_FALSE(set.FindGroup(1)->IsPlaceholder());
    EXPECT_TRUE(set.Validate());
    EXPECT_EQ(set.GetNextId(), 3);  // lower ids do not lower it
    EXPECT_EQ(set.AddGroupLine(1, "C"), TQE_GROUP_INVALID);
    EXPECT_EQ(set.AddGroupLine(3, "A"), TQE_GROUP_NAME_TWICE);
    EXPECT_EQ(set.AddGroupLine(4, "1@B"), TQE_GROUP_NAME_TWICE);
    EXPECT_EQ(set.AddGroupLine(5, "2@A"), 0);  // the same name under another parent
    EXPECT_EQ(set.AddGroupLine(6, "@A"), TQE_GROUP_NAME_TWICE);
    EXPECT_EQ(set.GetGroupCount(), 3);
    // A failed insert keeps the placeholder parent it made.
    EXPECT_EQ(set.AddGroupLine(7, "9@Z"), 0);
    EXPECT_EQ(set.AddGroupLine(8, "9@Z"), TQE_GROUP_NAME_TWICE);
    EXPECT_NE(set.FindGroup(9), nullptr);
    // The next id is 9, which the placeholder stands for: the new group completes it.
    EXPECT_EQ(set.AddNewGroup(1, "N"), 9);
    EXPECT_EQ(set.GetNextId(), 10);
    EXPECT_FALSE(set.FindGroup(9)->IsPlaceholder());
}

TEST(CtrlGroupSetTest, PlaceholderMayNotBecomeItsOwnAncestor) {
    CCtrlGroupSet set;
    EXPECT_EQ(set.AddGroupLine(5, "5@X"), TQE_GROUP_INVALID);
    CCtrlGroupSet chain;
    EXPECT_EQ(chain.AddGroupLine(1, "3@A"), 0);
    EXPECT_EQ(chain.AddGroupLine(2, "1@B"), 0);
    EXPECT_EQ(chain.AddGroupLine(3, "2@C"), TQE_GROUP_INVALID);
    EXPECT_EQ(chain.FindGroup(3)->GetParent(), &chain);  // still in the tree
    EXPECT_EQ(chain.AddGroupLine(3, "C"), 0);
    EXPECT_TRUE(chain.Validate());
}

TEST(CtrlGroupSetTest, FindByName) {
    CCtrlGroupSet set;
    ASSERT_EQ(set.AddGroupLine(1, "Apps"), 0);
    ASSERT_EQ(set.AddGroupLine(2, "1@Tool"), 0);
    ASSERT_EQ(set.AddGroupLine(3, "tool"), 0);
    EXPECT_EQ(set.FindChildByName(&set, "Tool", false), nullptr);
    EXPECT_EQ(set.FindChildByName(&set, "Tool", true), set.FindGroup(2));
    EXPECT_EQ(set.FindByNameNoCase(&set, "TOOL", false), set.FindGroup(3));
    EXPECT_EQ(set.FindByNameNoCase(&set, "TOOL", true), set.FindGroup(2));  // preorder
    EXPECT_EQ(set.FindChildByName(set.FindGroup(1), "Tool", false), set.FindGroup(2));
}

TEST(CtrlGroupSetTest, RenumberDropsUnusedGroups) {
    CCtrlGroupSet set;
    for (const auto& [id, text] : std::vector<std::pair<int, const char*>>{
             {1, "A"}, {2, "1@A1"}, {3, "Unused"}, {4, "3@Below"}, {5, "B"}, {6, "1@A2"}}) {
        ASSERT_EQ(set.AddGroupLine(id, text), 0);
    }
    set.SetSelectOff(3);
    set.SetSelectOff(6);
    set.SetDefault(6);
    set.FindAndReference(2);
    set.FindAndReference(5);
    set.FindAndReference(6);
    uint32_t uniqueOf6 = set.FindGroup(6)->m_dwUniqueId = 77;
    set.Renumber();
    EXPECT_EQ(set.GetGroupCount(), 4);
    EXPECT_EQ(set.FindGroup(1)->GetName(), "A");
    EXPECT_EQ(set.FindGroup(2)->GetName(), "A1");
    EXPECT_EQ(set.FindGroup(3)->GetName(), "A2");
    EXPECT_EQ(set.FindGroup(4)->GetName(), "B");
    EXPECT_EQ(set.FindGroup(5), nullptr);
    EXPECT_EQ(set.FindGroup(3)->m_dwUniqueId, uniqueOf6);
    EXPECT_EQ(set.GetDefault(), 3);
    EXPECT_EQ(set.GetNextId(), 7);  // unchanged
    std::vector<int32_t> ids;
    EXPECT_EQ(set.GetSelectOffGroups(ids), 1);
    EXPECT_EQ(ids, std::vector<int32_t>{3});
    // A default group that is dropped becomes none.
    set.SetDefault(1);
    set.Release(set.FindGroup(2));
    set.Release(set.FindGroup(3));
    set.Renumber();
    EXPECT_EQ(set.GetDefault(), -1);
    EXPECT_EQ(set.GetGroupCount(), 1);
    EXPECT_EQ(set.FindGroup(1)->GetName(), "B");
}

TEST(CtrlGroupSetTest, Families) {
    struct {
        int32_t m_nFirst, m_nLast;
        std::string m_name;
        int32_t m_lResult;
        std::string m_families;  // family initial per group 1..6, '.' for none
    } cases[] = {
        {2, 5, "F", 0, ".F.FF."},
        {2, 6, "F", TQE_GROUP_INVALID, ".F.FF."},
        {3, 3, "F", TQE_GROUP_INVALID, "......"},
        {5, 4, "F", 0, "......"},
        {1, 2, "", TQE_FAMILY_NAME, "......"},
        {1, 2, "a*b", TQE_FAMILY_NAME, "......"},
        {1, 1, std::string(65, 'F'), TQE_FAMILY_NAME, "......"},
        {1, 1, "RESOURCE", 0, "R....."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.m_name + " " + std::to_string(c.m_nFirst));
        CCtrlGroupSet set;
        for (int id : {1, 2, 4, 5}) {
            ASSERT_EQ(set.AddGroupLine(id, 'g' + std::to_string(id)), 0);
        }
        ASSERT_EQ(set.AddGroupLine(7, "g7"), 0);
        EXPECT_EQ(set.SetFamily(c.m_nFirst, c.m_nLast, c.m_name), c.m_lResult);
        std::string families;
        for (int id = 1; id <= 6; ++id) {
            const CCtrlGroup* p = set.FindGroup(id);
            families += p && !p->GetFamily().empty() ? p->GetFamily()[0] : '.';
        }
        EXPECT_EQ(families, c.m_families);
    }
    CCtrlGroupSet set;
    ASSERT_EQ(set.AddGroupLine(1, "g"), 0);
    EXPECT_EQ(set.SetFamily(1, 1, "F"), 0);
    EXPECT_EQ(set.SetFamily(1, 1, "F"), TQE_FAMILY_TWICE);
}

TEST(CtrlGroupSetTest, SelectOffListing) {
    CCtrlGroupSet set;
    EXPECT_EQ(set.SetSelectOff(1), TQE_GROUP_INVALID);
    for (int id = 1; id <= 5; ++id) {
        ASSERT_EQ(set.AddGroupLine(id, 'g' + std::to_string(id)), 0);
    }
    std::vector<int32_t> ids{99};
    EXPECT_EQ(set.GetSelectOffGroups(ids), 0);
    EXPECT_TRUE(ids.empty());
    set.SetSelectOff(5);
    set.SetSelectOff(2);
    set.SetSelectOff(5);
    EXPECT_EQ(set.GetSelectOffCount(), 2);
    EXPECT_EQ(set.GetSelectOffGroups(ids), 2);
    EXPECT_EQ(ids, (std::vector<int32_t>{2, 5}));
}

TEST(CtrlGroupSetTest, EqualityComparesShapeAndNamesOnly) {
    auto make = [](CCtrlGroupSet& s, const std::vector<std::pair<int, std::string>>& lines) {
        for (const auto& [id, text] : lines) {
            ASSERT_EQ(s.AddGroupLine(id, text), 0);
        }
    };
    CCtrlGroupSet a, b, c, d;
    make(a, {{1, "A"}, {2, "1@B"}, {3, "C"}});
    make(b, {{7, "A"}, {3, "7@B"}, {9, "C"}});  // other ids
    make(c, {{1, "C"}, {2, "A"}, {3, "2@B"}});  // other order of top-level groups
    make(d, {{1, "A"}, {2, "1@b"}, {3, "C"}});
    b.FindGroup(3)->m_dwUniqueId = 5;
    b.SetFamily(9, 9, "F");
    EXPECT_TRUE(a.Equals(b));
    EXPECT_FALSE(a.Equals(c));
    EXPECT_FALSE(a.Equals(d));
    b.SetDefault(1);
    EXPECT_FALSE(a.Equals(b));
}

TEST(CtrlGroupSetTest, RemoveAndRenameKeepTheIndexes) {
    CCtrlGroupSet set;
    ASSERT_EQ(set.AddGroupLine(1, "A"), 0);
    ASSERT_EQ(set.AddGroupLine(2, "1@B"), 0);
    ASSERT_EQ(set.AddGroupLine(3, "C"), 0);
    set.SetSelectOff(2);
    std::unique_ptr<CCtrlGroup> removed = set.RemoveFromTree(set.FindGroup(1));
    ASSERT_NE(removed, nullptr);
    EXPECT_EQ(set.GetGroupCount(), 1);
    EXPECT_EQ(set.GetSelectOffCount(), 0);
    EXPECT_EQ(set.FindGroup(2), nullptr);
    EXPECT_EQ(set.AddGroupLine(4, "A"), 0);  // the name is free again
    EXPECT_EQ(set.RenameGroup(set.FindGroup(4), "C"), TQE_GROUP_NAME_TWICE);
    EXPECT_EQ(set.RenameGroup(set.FindGroup(4), "D"), 0);
    EXPECT_EQ(set.AddGroupLine(5, "A"), 0);
    EXPECT_EQ(set.AddGroupLine(6, "D"), TQE_GROUP_NAME_TWICE);
}

TEST(CtrlGroupSetTest, ClearKeepsTheNextUniqueIdAndTheKey) {
    CCtrlGroupSet set;
    ASSERT_EQ(set.AddGroupLine(4, "A"), 0);
    set.SetDefault(4);
    set.SetSelectOff(4);
    uint32_t next = set.GetNextUniqueId();
    set.Clear();
    EXPECT_EQ(set.GetGroupCount(), 0);
    EXPECT_EQ(set.GetNextId(), -1);
    EXPECT_EQ(set.GetDefault(), -1);
    EXPECT_EQ(set.GetSelectOffCount(), 0);
    EXPECT_EQ(set.FindGroup(4), nullptr);
    EXPECT_EQ(set.GetNextUniqueId(), next);
    EXPECT_EQ(set.AddGroupLine(4, "A"), 0);
}

TEST(CtrlGroupSetTest, UniqueIdsFromAndToTheRegistry) {
    test::CTempPrefix prefix;
    const std::string strKeyPath = std::string(kProductKeyBase) + "Test";
    CRegKey key;
    ASSERT_EQ(key.Create(HKEY_LOCAL_MACHINE, strKeyPath + "\\GroupSet", KEY_ALL_ACCESS), 0);
    ASSERT_EQ(key.SetDword("1", 7), 0);
    ASSERT_EQ(key.SetDword("3", 70), 0);
    ASSERT_EQ(key.SetDword("NextUniqueID", 5), 0);
    key.Close();
    CProductRegKey product;
    ASSERT_EQ(product.Open(strKeyPath), 0);

    CCtrlGroupSet set;
    EXPECT_EQ(set.SaveUniqueIds(), TQE_REG_WRITE);
    set.SetProductKey(&product);
    ASSERT_EQ(set.AddGroupLine(1, "A"), 0);
    ASSERT_EQ(set.AddGroupLine(2, "B"), 0);
    EXPECT_EQ(set.FindGroup(1)->m_dwUniqueId, 7u);
    EXPECT_EQ(set.FindGroup(2)->m_dwUniqueId, 0u);
    EXPECT_EQ(set.GetNextUniqueId(), 8u);
    ASSERT_EQ(set.SaveUniqueIds(), 0);
    EXPECT_EQ(set.FindGroup(2)->m_dwUniqueId, 8u);
    uint32_t value = 0;
    EXPECT_EQ(product.GetGroupSetDWORD(1, value), 0);
    EXPECT_EQ(value, 7u);
    EXPECT_EQ(product.GetGroupSetDWORD(2, value), 0);
    EXPECT_EQ(value, 8u);
    EXPECT_NE(product.GetGroupSetDWORD(3, value), 0);  // the old tree is gone
    EXPECT_EQ(product.GetNextUniqueID(value), 0);
    EXPECT_EQ(value, 9u);
}

TEST(CtrlGroupSetTest, WithoutAKeyUniqueIdsStartAtOne) {
    CCtrlGroupSet set;
    ASSERT_EQ(set.AddGroupLine(1, "A"), 0);
    EXPECT_EQ(set.GetNextUniqueId(), 1u);
    EXPECT_EQ(set.FindGroup(1)->m_dwUniqueId, 0u);
}

}  // namespace
}  // namespace tq
