// The model, its group set, its dates, and the comparison that decides whether a save writes.
#include "controlfile/CtrlModel.h"

#include <gtest/gtest.h>

#include <functional>

#include "CtrlTestUtil.h"
#include "controlfile/CtrlCompare.h"
#include "controlfile/CtrlDate.h"
#include "controlfile/CtrlGroupSet.h"
#include "controlfile/CtrlWriter.h"
#include "resources/ErrorCodes.h"

namespace tq {
namespace {

TEST(CtrlModelTest, ClearKeepsOnlyTheModifiedFlag) {
    CCtrlModel model;
    CCtrlSettings& settings = model.GetSettings();
    settings.m_strOutputLog = "log";
    settings.m_dwSelectAllDisabled = settings.m_dwBlankSources = 1;
    settings.m_dwDivideNoBookmark = settings.m_dwAddID = 1;
    model.SetStructureChanged();
    model.SetModified();
    for (int32_t type : {DBTYPE_FREE, DBTYPE_SELECTION, DBTYPE_FIXED, DBTYPE_FREE}) {
        model.AppendDatabase(type)->m_strName.push_back(static_cast<char>('0' + type));
    }
    model.RemoveDatabase(3);  // a saved database: its name is among the removed ones
    EXPECT_EQ(model.GetRemovedNames(), std::vector<std::string>{"3"});
    // Each type's databases stand together, counted.
    EXPECT_EQ(std::string(model.GetDatabase(0)->m_strName) +
                  std::string(model.GetDatabase(1)->m_strName) +
                  std::string(model.GetDatabase(2)->m_strName),
              "123");
    EXPECT_EQ(model.GetFixedCount() + model.GetSelectionCount() * 10 + model.GetFreeCount() * 100,
              111u);
    ASSERT_EQ(model.GetGroupSet().AddGroupLine(1, "G"), 0);
    model.Clear();
    EXPECT_TRUE(model.GetSettings().m_strOutputLog.empty());
    EXPECT_EQ(settings.m_dwSelectAllDisabled + settings.m_dwBlankSources +
                  settings.m_dwDivideNoBookmark + settings.m_dwAddID,
              0u);
    EXPECT_FALSE(model.IsStructureChanged());
    EXPECT_TRUE(model.IsModified());
    EXPECT_TRUE(model.GetRemovedNames().empty());
    EXPECT_EQ(model.GetDBCount(), 0u);
    EXPECT_EQ(model.GetFixedCount() + model.GetSelectionCount() + model.GetFreeCount(), 0u);
    EXPECT_EQ(model.GetGroupSet().GetGroupCount(), 0);
    EXPECT_EQ(model.GetGroupSet().FindGroup(1), nullptr);
}

TEST(CtrlModelTest, DatesParseAndFormat) {
    // 2000 is a leap year (every 400 years); a date of 1899 parses but is no date to write.
    const std::pair<const char*, const char*> valid[] = {
        {"3/15/2004 14:5:9", "3/15/2004 14:5:9"},   {"03/05/2004 09:05:09", "3/5/2004 9:5:9"},
        {"2004/3/15 14:05:09", "3/15/2004 14:5:9"}, {"2004-03-15 14:05", "3/15/2004 14:5:0"},
        {"2/29/2004 0:0:0", "2/29/2004 0:0:0"},     {"2/29/2000 0:0:0", "2/29/2000 0:0:0"},
        {"1/1/1899 1:1:1", "1/1/1899 1:1:1"}};
    for (const auto& [text, written] : valid) {
        CCtrlDate date;
        ParseCtrlDate(text, date);
        EXPECT_TRUE(date.m_bValid) << text;
        EXPECT_EQ(FormatCtrlDate(date), written);
    }
    for (const char* text :
         {"13/1/2004 1:1:1", "2/30/2004", "2/29/1900", "4/31/2001", "1/1/2004 24:0:0",
          "1/1/2004 1:1:1 PM", "1/1/20045", "garbage", "1//2004", "0/1/2004"}) {
        CCtrlDate date;
        date.m_nYear = 1234;
        ParseCtrlDate(text, date);
        EXPECT_FALSE(date.m_bValid || date.IsWritable()) << text;
        EXPECT_EQ(date.m_nYear, 0) << text;
    }
    CCtrlDate old;
    old.m_nYear = 1899;
    EXPECT_FALSE(old.IsWritable());
    old.m_nYear = 1900;  // the first year written
    EXPECT_TRUE(old.IsWritable());
    EXPECT_FALSE(CCtrlDate{}.IsWritable());  // the zero date is no date
}

// The saved model against the control file the builder would read for it.
TEST(CtrlCompareTest, EveryComparedFieldCountsAndWhatTheBuilderOwnsDoesNot) {
    const std::string text = "OutputLog = C:\\Log.txt\r\nGroup1 = G\r\nGroup2 = 1@H\r\n" +
                             test::Section("A", "Group = 2\r\nSkipDoc = s\r\nRootPath = r\r\n") +
                             "###\r\n[B]~\r\nGroup = 1\r\nDoc = b\r\n" + test::Section("C");
    CCtrlModel disk;
    auto load = [](CCtrlModel& m, const std::string& t) { ASSERT_EQ(fuzz::LoadText(m, t), 0); };
    load(disk, text);
    load(disk, CCtrlWriter(disk).Render(false));
    // A false -Wrestrict of GCC 12 at -O2 on short literal assignments; nothing can overlap.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wrestrict"
#endif
    const std::function<void(CCtrlModel&)> changes[] = {
        [](CCtrlModel&) {},  // none: equal
        [](CCtrlModel& m) { m.GetSettings().m_strOutputLog = "C:\\Other.txt"; },
        [](CCtrlModel& m) { m.GetSettings().m_dwAddID = 1; },
        [](CCtrlModel& m) { m.GetDatabase(0)->m_strName = "a"; },
        [](CCtrlModel& m) { m.GetDatabase(0)->m_strPublicName = "P"; },
        [](CCtrlModel& m) { m.GetDatabase(0)->m_dwAttributes = DBFAQ_NEC; },
        [](CCtrlModel& m) { m.GetDatabase(0)->m_strDocListFile = "l"; },
        [](CCtrlModel& m) { m.GetDatabase(0)->m_strPdfSkipTitleFile = "p"; },
        [](CCtrlModel& m) { m.GetDatabase(0)->m_docs.push_back("x"); },
        [](CCtrlModel& m) { m.GetDatabase(0)->m_skipDocs[0] = "S"; },
        [](CCtrlModel& m) { m.GetDatabase(0)->m_groups.pop_back(); },
        [](CCtrlModel& m) { m.AppendDatabase(DBTYPE_FREE)->m_strName = "D"; },
        [](CCtrlModel& m) { m.GetDatabase(1)->m_dwState = 0; },  // B selected again
        [](CCtrlModel& m) { m.GetGroupSet().SetDefault(1); },
        [](CCtrlModel& m) {  // what the builder owns: equal
            m.GetSettings().m_strOutputLog = "c:\\log.TXT";
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
