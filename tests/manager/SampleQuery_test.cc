#include "manager/SampleQuery.h"

#include <gtest/gtest.h>

#include "ProductFixture.h"
#include "controlfile/CtrlModel.h"

namespace tq {
namespace {

class SampleQueryTest : public testing::Test, public test::CProductFixture {
protected:
    void SetUp() override {
        ASSERT_EQ(m_key.Open(test::kProductPath), 0);
        Add("Help", "help", "Manual");  // renamed from help
        Add("New", "", "Fresh");        // a new database renamed: never in the file
        Add("Same", "", "Same");
        m_model.GetDatabase(2)->m_dwState = 0;
    }
    void Add(const char* pszPrev, const char* pszPrevName, const char* pszName) {
        CCtrlDatabase* db = m_model.AppendDatabase();
        db->m_strPublicName = pszPrev;
        db->m_strPrevName = pszPrevName;
        db->m_strName = pszName;
        db->m_dwState = DBSTATE_NAME_CHANGED;
    }
    std::string Sample() const { return test::ReadLinuxFile(C("Ctrl/sample.txt")); }

    CCtrlModel m_model;
    CProductRegKey m_key;
};

TEST_F(SampleQueryTest, LinesNamingRenamedDatabasesFollowAndTheFileIsReplacedInOneRename) {
    EXPECT_EQ(UpdateSampleQueryFile(m_model, m_key), 0);  // no file
    EXPECT_FALSE(test::LinuxFileExists(C("Ctrl/sample.txt")));
    test::WriteLinuxFile(C("Ctrl/sample.txt"),
                         "%%%  HELP  %%%\r\n%%%Same%%%\n%%% %%%\r\n%%%%%%\r\nx%%%help%%%\r\n"
                         "%%%help%%%x\r\nquery\x1A%%%help%%%");
    EXPECT_EQ(UpdateSampleQueryFile(m_model, m_key), 0);
    EXPECT_EQ(Sample(),
              "%%%Manual%%%\r\n%%%Same%%%\r\n%%% %%%\r\n%%%%%%\r\nx%%%help%%%\r\n"
              "%%%help%%%x\r\nquery\r\n");
    EXPECT_FALSE(test::LinuxFileExists(C("Ctrl/sample.txt.NEW")));
    // Nothing left to change: the file is not rewritten, not even the registry is read.
    test::WriteLinuxFile(C("Ctrl/sample.txt"), "%%%Other%%%");
    EXPECT_EQ(UpdateSampleQueryFile(m_model, m_key), 0);
    EXPECT_EQ(Sample(), "%%%Other%%%");
    for (size_t i = 0; i < m_model.GetDBCount(); ++i) {
        m_model.GetDatabase(i)->m_dwState = 0;
    }
    DeleteValue("Builder", "SampleQueryFile");
    EXPECT_EQ(UpdateSampleQueryFile(m_model, m_key), 0);
}

}  // namespace
}  // namespace tq
