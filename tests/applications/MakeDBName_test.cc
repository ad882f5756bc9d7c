#include <gtest/gtest.h>

#include "LoadedProduct.h"
#include "manager/PathRules.h"
#include "resources/ErrorCodes.h"

namespace tq {
namespace {

class MakeDBNameTest : public test::LoadedProductTest {
protected:
    // Adds databases with these names (public names "P<name>") at the end.
    void AddNamed(std::initializer_list<std::string> names) {
        for (const auto& name : names) {
            CCtrlDatabase* db = m_file.AppendDatabase();
            db->m_strName = name;
            db->m_strPublicName = "P" + name;
            ++m_file.m_nFreeCount;
        }
    }
    std::string Make(const std::string& publicName, int32_t exclude = -1, int32_t expect = 1) {
        std::string name;
        EXPECT_EQ(m_file.MakeDBName(publicName, exclude, name), expect) << publicName;
        return name;
    }
};

TEST_F(MakeDBNameTest, FreeNamesAndNumbering) {
    EXPECT_EQ(Make("Manual"), "Manual");
    AddNamed({"Manual", "Manual#3"});
    EXPECT_EQ(Make("manual"), "manual#2");
    AddNamed({"Manual#2"});
    EXPECT_EQ(Make("Manual"), "Manual#4");
    AddNamed({"Manual#7"});
    EXPECT_EQ(Make("Manual#7"), "Manual#8");
    EXPECT_EQ(Make("Manual#x7"), "Manual#x7");
    EXPECT_EQ(Make("RESOURCE"), "RESOURCE#2");
    EXPECT_EQ(Make("Resource"), "Resource#2");
    EXPECT_EQ(Make("a:b"),
              "a\x81\x46"
              "b");
    EXPECT_EQ(Make("\t"), "2");
    EXPECT_EQ(Make("#"), "#");
    AddNamed({"#"});
    EXPECT_EQ(Make("#"), "#2");
    EXPECT_EQ(Make("Sel1"), "Sel1#2");  // the name of another database
    // A plain file in the data folder takes the name; a folder is the database's own.
    test::WriteLinuxFile(C("Data/abc"), "");
    EXPECT_EQ(Make("abc"), "abc#2");
    mkdir(C("Data/def").c_str(), 0755);
    EXPECT_EQ(Make("def"), "def");
}

TEST_F(MakeDBNameTest, LongNamesAreCutOnWholeCharacters) {
    EXPECT_EQ(Make(std::string(70, 'a')), std::string(64, 'a'));
    // The 64th byte would start "あ" (0x82 0xA0): 63 bytes stay.
    EXPECT_EQ(Make(std::string(63, 'a') + "\x82\xA0" + "bbb"), std::string(63, 'a'));
    EXPECT_EQ(Make(std::string(62, 'a') + " ." + "bbbbbb"), std::string(62, 'a') + " _");
    EXPECT_EQ(Make(std::string(62, 'a') + "  bbbbbb"), std::string(62, 'a'));
    AddNamed({std::string(64, 'a')});
    EXPECT_EQ(Make(std::string(70, 'a')), std::string(58, 'a') + "#2");
}

TEST_F(MakeDBNameTest, ExcludedDatabaseMayKeepItsNameOrTakeBackItsPreviousOne) {
    Db(2).m_strPrevName = "Old";
    EXPECT_EQ(Make("myapp", 2, DBNAME_OWN), "myapp");
    EXPECT_EQ(Make("OLD", 2, DBNAME_PREVIOUS), "OLD");
    EXPECT_EQ(Make("old"), "old#2");  // for anyone else the previous name is taken
    AddNamed({"Manual", "Manual#2"});
    EXPECT_EQ(Make("Manual", 4, DBNAME_OWN), "Manual#2");
}

TEST_F(MakeDBNameTest, WhenEveryNumberIsTakenAFileNameOfTheDataFolderIsUsed) {
    for (int n = 2; n <= 1000; ++n) {
        AddNamed({"X#" + std::to_string(n)});
    }
    AddNamed({"X", "X#0", "X#1"});
    // Starts at 2, at 1000 and at 1: each stops after one round.
    for (const char* publicName : {"X", "X#999", "X#0"}) {
        const std::string name = Make(publicName);
        EXPECT_TRUE(name.starts_with("TQ") && name.ends_with(".tmp")) << name;
        EXPECT_EQ(CheckDatabaseName(name), DBNAME_OK) << name;
        EXPECT_EQ(GetPathType("C:\\Data\\" + name), PATH_NONE);  // the probe file is gone
    }
    m_file.SetDataPath("C:\\NoSuchFolder\\");
    std::string name = "untouched";
    EXPECT_EQ(m_file.MakeDBName("X", -1, name), TQE_DB_FOLDER_CREATE);
    EXPECT_EQ(name, "untouched");
}

}  // namespace
}  // namespace tq
