#include "tqfltr2/TopicFile.h"

#include <filesystem>
#include <string>

#include "TopicTestFiles.h"
#include "gtest/gtest.h"
#include "tqfltr2/ChmTopicCheck.h"
#include "tqfltr2/PdfTopicCheck.h"
#include "tqfltr2/Tqfltr2.h"
#include "tqfltr2/TxtTopicCheck.h"

namespace tq::test {
namespace {

class TopicFileTest : public CTopicFileTest {};

// A file deleted after it was opened: a reader working on the open handle still sees it (the
// file goes for good when the last handle closes, as on Windows with delete sharing); readers
// that open the file by name find nothing and answer unreadable, not damaged.
TEST_F(TopicFileTest, FileDeletedDuringTheCheck) {
    CompileChm("gone.chm", {{"a.htm", "<body>words</body>"}});
    struct {
        const char* m_pszName;
        std::string m_strData;
        int (*m_pfnRun)(CTopicFile&);
        int m_nAnswer;
    } cases[] = {
        {"gone.txt", "text", [](CTopicFile& f) { return CTxtTopicCheck(f).Run(); },
         TQFLTR2_HAS_TOPIC},
        {"gone.pdf", BuildPdf({PdfTextPage("x")}),
         [](CTopicFile& f) { return CPdfTopicCheck(f).Run(); }, TQFLTR2_UNREADABLE},
        {"gone.chm", ReadLinuxFile(Linux("gone.chm")),
         [](CTopicFile& f) { return CChmTopicCheck(f, 1).Run(); }, TQFLTR2_UNREADABLE},
    };
    for (const auto& c : cases) {
        CTopicFile file;
        ASSERT_EQ(file.Open(Write(c.m_pszName, c.m_strData).c_str()), 0) << c.m_pszName;
        std::filesystem::remove(Linux(c.m_pszName));
        EXPECT_FALSE(file.CanStillOpen()) << c.m_pszName;
        EXPECT_EQ(c.m_pfnRun(file), c.m_nAnswer) << c.m_pszName;
    }
}

}  // namespace
}  // namespace tq::test
