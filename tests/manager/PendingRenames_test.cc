// The record of renames the sample query file has yet to follow: only a whole record of this
// version is read, a name follows its renames to a database the model holds, and a load finishes
// what a save that died left, reporting what it cannot use.
#include "manager/PendingRenames.h"

#include <gtest/gtest.h>

#include "ProductFixture.h"
#include "manager/CtrlFile.h"

namespace tq {
namespace {

using R = std::vector<CPendingRename>;
const std::string kWhole = RenderPendingRenames({{"Alpha", "Beta"}, {"Beta", "Run3"}});

TEST(PendingRenamesTest, OnlyAWholeRecordOfThisVersionIsRead) {
    const struct {
        const char* m_pszCase;
        std::string m_text;
        EPendingState m_state;
    } kRows[] = {
        {"whole", kWhole, EPendingState::kRead},
        {"torn in the trailer", kWhole.substr(0, kWhole.size() - 4), EPendingState::kDamaged},
        {"torn before the trailer", kWhole.substr(0, kWhole.find("END")), EPendingState::kDamaged},
        {"a name altered", "TQRENAMES 1\r\nAlphb" + kWhole.substr(18), EPendingState::kDamaged},
        {"a name no database may have", RenderPendingRenames({{"A\x01", "B"}}),
         EPendingState::kDamaged},
        {"not a record", "%%%Alpha%%%\r\n", EPendingState::kDamaged},
        {"empty", "", EPendingState::kDamaged},
        {"a later version", "TQRENAMES 2\r\nwhatever it holds", EPendingState::kNewer},
    };
    for (const auto& row : kRows) {
        R renames;
        EXPECT_EQ(ParsePendingRenames(row.m_text, renames), row.m_state) << row.m_pszCase;
        EXPECT_EQ(renames.size(), row.m_state == EPendingState::kRead ? 2u : 0u) << row.m_pszCase;
    }
}

TEST(PendingRenamesTest, ANameFollowsItsRenamesToADatabaseTheModelHolds) {
    CCtrlModel model;
    for (const char* psz : {"Run3", "Other"}) {
        model.m_databases.push_back(std::make_unique<CCtrlDatabase>());
        model.m_databases.back()->m_strName = psz;
    }
    const struct {
        const char* m_pszCase;
        R m_renames;
        RenameMap m_resolved;
        size_t m_nDropped;
    } kRows[] = {
        {"a chain of saves",
         {{"Alpha", "Beta"}, {"beta", "RUN3"}},
         {{"alpha", "Run3"}, {"beta", "Run3"}},
         0},
        {"the save died before its base control file", {{"Run3", "Run4"}}, {}, 1},
        {"the database was removed since", {{"Alpha", "Gone"}}, {}, 1},
        {"the newest rename wins", {{"Alpha", "Other"}, {"Alpha", "Run3"}}, {{"alpha", "Run3"}}, 0},
        {"renames in a circle", {{"P", "Q"}, {"Q", "P"}}, {}, 2},
    };
    for (const auto& row : kRows) {
        R dropped;
        EXPECT_EQ(ResolvePendingRenames(row.m_renames, model, &dropped), row.m_resolved)
            << row.m_pszCase;
        EXPECT_EQ(dropped.size(), row.m_nDropped) << row.m_pszCase;
    }
}

// A load finishes a whole record and drops it; a damaged one goes too, a later version's stays.
// Whatever is not used gets a line on the log.
TEST(PendingRenamesTest, ALoadFinishesTheRecordAndLogsWhatItCannotUse) {
    const struct {
        const char* m_pszCase;
        std::string m_record;
        const char* m_pszSample;
        bool m_bRecordStays;
        const char* m_pszLogged;
    } kRows[] = {
        {"whole", RenderPendingRenames({{"Old", "MyApp"}, {"Gone", "Nowhere"}}),
         "%%%MyApp%%%\r\n%%%Gone%%%\r\n", false, "[Gone]"},
        {"damaged", "TQRENAMES 1\r\nOld\tMyApp\r\n", "%%%Old%%%\r\n%%%Gone%%%\r\n", false,
         "base.ctl.renames"},
        {"a later version", "TQRENAMES 9\r\n", "%%%Old%%%\r\n%%%Gone%%%\r\n", true,
         "base.ctl.renames"},
    };
    for (const auto& row : kRows) {
        test::CProductFixture product;
        test::WriteLinuxFile(product.C("Ctrl/base.ctl"),
                             "OutputLog = \"C:\\Ctrl\\index.log\"\r\n" + test::kBaseText);
        test::WriteLinuxFile(product.C("Ctrl/sample.txt"), "%%%Old%%%\r\n%%%Gone%%%\r\n");
        test::WriteLinuxFile(product.C("Ctrl/base.ctl.renames"), row.m_record);
        CCtrlFile file;
        ASSERT_EQ(file.OpenProductKey(test::kProductPath), 0);
        ASSERT_EQ(file.Load(), 0) << row.m_pszCase;
        EXPECT_EQ(test::ReadLinuxFile(product.C("Ctrl/sample.txt")), row.m_pszSample)
            << row.m_pszCase;
        EXPECT_EQ(test::LinuxFileExists(product.C("Ctrl/base.ctl.renames")), row.m_bRecordStays)
            << row.m_pszCase;
        const std::string log = test::ReadLinuxFile(product.C("Ctrl/index.log"));
        EXPECT_NE(log.find(row.m_pszLogged), std::string::npos) << row.m_pszCase << log;
    }
}

// Each save of one session starts its renames from the names it saved: the sample query file
// follows the second rename as it followed the first.
TEST(PendingRenamesTest, EverySaveOfASessionTakesItsRenameToTheSampleQueryFile) {
    test::CProductFixture product;
    test::WriteLinuxFile(product.C("Ctrl/sample.txt"), "%%%MyApp%%%\r\n");
    CCtrlFile file;
    ASSERT_EQ(file.OpenProductKey(test::kProductPath), 0);
    ASSERT_EQ(file.Load(), 0);
    for (const char* pszName : {"First", "Second"}) {
        ASSERT_EQ(file.RenameAppli(2, pszName), 0);
        ASSERT_EQ(file.Save(), 0);
        EXPECT_EQ(test::ReadLinuxFile(product.C("Ctrl/sample.txt")),
                  std::string("%%%") + pszName + "%%%\r\n");
    }
}

}  // namespace
}  // namespace tq
