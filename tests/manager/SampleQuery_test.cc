#include "manager/SampleQuery.h"

#include <gtest/gtest.h>

#include "ProductFixture.h"
#include "controlfile/CtrlModel.h"
#include "platform/File.h"
#include "platform/Win32Error.h"
#include "resources/ErrorCodes.h"

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
    void TearDown() override { SetFileFaultHook(nullptr); }
    void Add(const char* pszPrev, const char* pszPrevName, const char* pszName) {
        CCtrlDatabase* db = m_model.AppendDatabase();
        db->m_strPublicName = pszPrev;
        db->m_strPrevName = pszPrevName;
        db->m_strName = pszName;
        db->m_dwState = DBSTATE_NAME_CHANGED;
    }
    std::string Sample() const { return test::ReadLinuxFile(C("Ctrl/sample.txt")); }
    bool NewFileExists() const { return test::LinuxFileExists(C("Ctrl/sample.txt.NEW")); }

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
    EXPECT_FALSE(NewFileExists());
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

TEST_F(SampleQueryTest, FailuresLeaveTheFileAsItWas) {
    const std::string sample = "%%%help%%%\r\n";
    test::WriteLinuxFile(C("Ctrl/sample.txt"), sample);
    {  // held open for writing by someone else: it cannot be read consistently
        CFile writer;
        ASSERT_EQ(writer.Open("C:\\Ctrl\\sample.txt", GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING),
                  0);
        EXPECT_EQ(UpdateSampleQueryFile(m_model, m_key), TQE_SAMPLE_QUERY_OPEN);
    }
    for (const char* op : {"open", "write", "flush", "rename"}) {
        SetFileFaultHook([op](const char* what, const std::string& path) {
            return std::string(what) == op && path.ends_with(".NEW") ? ERROR_DISK_FULL : 0;
        });
        EXPECT_EQ(UpdateSampleQueryFile(m_model, m_key), TQE_SAMPLE_QUERY_NEW) << op;
        EXPECT_EQ(Sample(), sample) << op;
        EXPECT_FALSE(NewFileExists()) << op;
    }
    DeleteValue("Path", "SampleQuery");
    EXPECT_EQ(UpdateSampleQueryFile(m_model, m_key), TQE_REG_READ);
}

}  // namespace
}  // namespace tq
