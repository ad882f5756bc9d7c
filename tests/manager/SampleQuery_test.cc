#include "manager/SampleQuery.h"

#include <gtest/gtest.h>

#include <string_view>
#include <tuple>

#include "ProductFixture.h"
#include "controlfile/CtrlModel.h"
#include "manager/CtrlFile.h"
#include "manager/PendingRenames.h"

namespace tq {
namespace {

TEST(SampleQueryTest, LinesNamingRenamedDatabasesFollowAndTheFileIsReplacedInOneRename) {
    test::CProductFixture product;
    CProductRegKey key;
    ASSERT_EQ(key.Open(test::kProductPath), 0);
    CCtrlModel model;
    // Renamed from help; a new database renamed (never in the file); one not renamed.
    for (const auto& [pszPrev, pszPrevName, pszName] :
         {std::tuple{"Help", "help", "Manual"}, {"New", "", "Fresh"}, {"Same", "", "Same"}}) {
        CCtrlDatabase* db = model.AppendDatabase(DBTYPE_FIXED);
        db->m_strPublicName = pszPrev;
        db->m_strPrevName = pszPrevName;
        db->m_strName = pszName;
        db->m_dwState = std::string_view(pszPrev) == pszName ? 0 : DBSTATE_NAME_CHANGED;
    }
    const std::string file = product.C("Ctrl/sample.txt");
    EXPECT_EQ(UpdateSampleQueryFile(model, key), 0);  // no file
    EXPECT_FALSE(test::LinuxFileExists(file));
    test::WriteLinuxFile(file,
                         "%%%  HELP  %%%\r\n%%%Same%%%\n%%% %%%\r\n%%%%%%\r\nx%%%help%%%\r\n"
                         "%%%help%%%x\r\nquery\x1A%%%help%%%");
    EXPECT_EQ(UpdateSampleQueryFile(model, key), 0);
    EXPECT_EQ(test::ReadLinuxFile(file),
              "%%%Manual%%%\r\n%%%Same%%%\r\n%%% %%%\r\n%%%%%%\r\nx%%%help%%%\r\n"
              "%%%help%%%x\r\nquery\r\n");
    EXPECT_FALSE(test::LinuxFileExists(file + ".NEW"));
    std::string_view name;  // the shortest marked line names a database of one character
    EXPECT_TRUE(GetSampleQueryName(" %%%%%%% ", name) && name == "%");
    // Nothing left to change: the file is not rewritten, not even the registry is read.
    test::WriteLinuxFile(file, "%%%Other%%%");
    EXPECT_EQ(UpdateSampleQueryFile(model, key), 0);
    EXPECT_EQ(test::ReadLinuxFile(file), "%%%Other%%%");
    for (size_t i = 0; i < model.GetDBCount(); ++i) {
        model.GetDatabase(i)->m_dwState = 0;
    }
    product.DeleteValue("Builder", "SampleQueryFile");
    EXPECT_EQ(UpdateSampleQueryFile(model, key), 0);
}

using R = std::vector<CPendingRename>;

TEST(PendingRenamesTest, ANameFollowsItsRenamesToADatabaseTheModelHolds) {
    CCtrlModel model;
    for (const char* psz : {"Run3", "Other"}) {
        model.AppendDatabase(DBTYPE_FIXED)->m_strName = psz;
    }
    const std::tuple<const char*, R, RenameMap, size_t> kRows[] = {
        {"a chain of saves",
         {{"Alpha", "Beta"}, {"beta", "RUN3"}},
         {{"alpha", "Run3"}, {"beta", "Run3"}},
         0},
        {"the save died before its base control file", {{"Run3", "Run4"}}, {}, 1},
        {"the database was removed since", {{"Alpha", "Gone"}}, {}, 1},
        {"the newest rename wins", {{"Alpha", "Other"}, {"Alpha", "Run3"}}, {{"alpha", "Run3"}}, 0},
        {"renames in a circle", {{"P", "Q"}, {"Q", "P"}}, {}, 2}};
    for (const auto& [pszCase, renames, resolved, nDropped] : kRows) {
        R dropped;
        EXPECT_EQ(ResolvePendingRenames(renames, model, &dropped), resolved) << pszCase;
        EXPECT_EQ(dropped.size(), nDropped) << pszCase;
    }
}

TEST(PendingRenamesTest, ALoadFinishesAWholeRecordAndReportsWhatItCannotUse) {
    const std::string whole = RenderPendingRenames({{"Old", "MyApp"}, {"Gone", "Nowhere"}});
    const std::string kUntouched = "%%%Old%%%\r\n%%%Gone%%%\r\n";
    const std::tuple<const char*, std::string, std::string, bool, const char*> kRows[] = {
        {"whole", whole, "%%%MyApp%%%\r\n%%%Gone%%%\r\n", false, "[Gone]"},
        {"torn in the trailer", whole.substr(0, whole.size() - 4), kUntouched, false, ".renames"},
        {"torn before the trailer", whole.substr(0, whole.find("END")), kUntouched, false,
         ".renames"},
        {"a name altered", "TQRENAMES 1\r\nOle" + whole.substr(16), kUntouched, false, ".renames"},
        {"a name no database may have", RenderPendingRenames({{"Old\x01", "MyApp"}}), kUntouched,
         false, ".renames"},
        {"not a record", kUntouched, kUntouched, false, ".renames"},
        {"a later version", "TQRENAMES 2\r\nOld\tMyApp\r\n", kUntouched, true, ".renames"}};
    for (const auto& [pszCase, record, sample, bRecordStays, pszLogged] : kRows) {
        test::CProductFixture product;
        test::WriteLinuxFile(product.C("Ctrl/base.ctl"),
                             "OutputLog = \"C:\\Ctrl\\index.log\"\r\n" + test::kBaseText);
        test::WriteLinuxFile(product.C("Ctrl/sample.txt"), kUntouched);
        test::WriteLinuxFile(product.C("Ctrl/base.ctl.renames"), record);
        CCtrlFile file;
        ASSERT_EQ(file.OpenProductKey(test::kProductPath), 0);
        ASSERT_EQ(file.Load(), 0) << pszCase;
        EXPECT_EQ(test::ReadLinuxFile(product.C("Ctrl/sample.txt")), sample) << pszCase;
        EXPECT_EQ(test::LinuxFileExists(product.C("Ctrl/base.ctl.renames")), bRecordStays)
            << pszCase;
        const std::string log = test::ReadLinuxFile(product.C("Ctrl/index.log"));
        EXPECT_NE(log.find(pszLogged), std::string::npos) << pszCase << log;
    }
    test::CProductFixture product;  // what a save leaves for the next load: the whole record
    ASSERT_EQ(WritePendingRenames("C:\\Ctrl\\r", {{"Old", "MyApp"}, {"Gone", "Nowhere"}}), 0);
    EXPECT_EQ(test::ReadLinuxFile(product.C("Ctrl/r")), whole);
}

}  // namespace
}  // namespace tq
