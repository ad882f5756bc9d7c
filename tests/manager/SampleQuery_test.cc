#include "manager/SampleQuery.h"

#include <gtest/gtest.h>

#include <string_view>
#include <tuple>

#include "ProductFixture.h"
#include "controlfile/CtrlModel.h"

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
        CCtrlDatabase* db = model.AppendDatabase();
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

}  // namespace
}  // namespace tq
