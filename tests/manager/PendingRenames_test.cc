// The record of renames the sample query file has yet to follow: a name follows its renames to a
// database the model holds; a load finishes a whole record, dropping and reporting anything else.
#include "manager/PendingRenames.h"

#include <gtest/gtest.h>

#include "ProductFixture.h"
#include "manager/CtrlFile.h"

namespace tq {
namespace {

using R = std::vector<CPendingRename>;

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

TEST(PendingRenamesTest, ALoadFinishesAWholeRecordAndReportsWhatItCannotUse) {
    const std::string whole = RenderPendingRenames({{"Old", "MyApp"}, {"Gone", "Nowhere"}});
    const std::string kUntouched = "%%%Old%%%\r\n%%%Gone%%%\r\n";
    const struct {
        const char* m_pszCase;
        std::string m_record;
        std::string m_sample;
        bool m_bRecordStays;
        const char* m_pszLogged;
    } kRows[] = {
        {"whole", whole, "%%%MyApp%%%\r\n%%%Gone%%%\r\n", false, "[Gone]"},
        {"torn in the trailer", whole.substr(0, whole.size() - 4), kUntouched, false, ".renames"},
        {"torn before the trailer", whole.substr(0, whole.find("END")), kUntouched, false,
         ".renames"},
        {"a name altered", "TQRENAMES 1\r\nOle" + whole.substr(16), kUntouched, false, ".renames"},
        {"a name no database may have", RenderPendingRenames({{"Old\x01", "MyApp"}}), kUntouched,
         false, ".renames"},
        {"not a record", kUntouched, kUntouched, false, ".renames"},
        {"a later version", "TQRENAMES 2\r\nOld\tMyApp\r\n", kUntouched, true, ".renames"},
    };
    for (const auto& row : kRows) {
        test::CProductFixture product;
        test::WriteLinuxFile(product.C("Ctrl/base.ctl"),
                             "OutputLog = \"C:\\Ctrl\\index.log\"\r\n" + test::kBaseText);
        test::WriteLinuxFile(product.C("Ctrl/sample.txt"), kUntouched);
        test::WriteLinuxFile(product.C("Ctrl/base.ctl.renames"), row.m_record);
        CCtrlFile file;
        ASSERT_EQ(file.OpenProductKey(test::kProductPath), 0);
        ASSERT_EQ(file.Load(), 0) << row.m_pszCase;
        EXPECT_EQ(test::ReadLinuxFile(product.C("Ctrl/sample.txt")), row.m_sample) << row.m_pszCase;
        EXPECT_EQ(test::LinuxFileExists(product.C("Ctrl/base.ctl.renames")), row.m_bRecordStays)
            << row.m_pszCase;
        const std::string log = test::ReadLinuxFile(product.C("Ctrl/index.log"));
        EXPECT_NE(log.find(row.m_pszLogged), std::string::npos) << row.m_pszCase << log;
    }
}

}  // namespace
}  // namespace tq
