// The file under check, and files that go away while they are being checked.
#include "tqfltr2/TopicFile.h"

#include <filesystem>
#include <string>

#include "TopicTestFiles.h"
#include "gtest/gtest.h"
#include "tqfltr2/ChmTopicCheck.h"
#include "tqfltr2/HlpTopicCheck.h"
#include "tqfltr2/PdfTopicCheck.h"
#include "tqfltr2/Tqfltr2.h"
#include "tqfltr2/TxtTopicCheck.h"

namespace tq::test {
namespace {

class TopicFileTest : public CTopicFileTest {};

TEST_F(TopicFileTest, ReadsInBoundedPieces) {
    CTopicFile file;
    ASSERT_EQ(file.Open(Write("data.bin", "0123456789").c_str()), 0);
    EXPECT_EQ(file.GetSize(), 10u);
    std::string strData = "stale";
    struct {
        uint64_t m_offset;
        uint32_t m_cb;
        const char* m_pszExpected;
    } cases[] = {{0, 4, "0123"}, {8, 4, "89"}, {10, 4, ""}, {1ull << 40, 4, ""}, {3, 0, ""}};
    for (const auto& c : cases) {
        EXPECT_EQ(file.ReadAt(c.m_offset, c.m_cb, strData), 0) << c.m_offset;
        EXPECT_EQ(strData, c.m_pszExpected) << c.m_offset;
    }
}

// A file deleted after it was opened: readers that work on the open handle still see it (it
// is deleted for good only when the last handle closes, as on Windows with delete sharing);
// readers that open the file by name find nothing and answer unreadable, not damaged.
TEST_F(TopicFileTest, FileDeletedDuringTheCheck) {
    struct {
        const char* m_pszName;
        std::string m_strData;
        int (*m_pfnRun)(CTopicFile&);
        int m_nAnswer;
    } cases[] = {
        {"gone.hlp", BuildHelpFile(100).m_strData,
         [](CTopicFile& f) { return CHlpTopicCheck(f).Run(); }, TQFLTR2_HAS_TOPIC},
        {"gone.txt", "text", [](CTopicFile& f) { return CTxtTopicCheck(f).Run(); },
         TQFLTR2_HAS_TOPIC},
        {"gone.pdf", BuildPdf({PdfTextPage("x")}),
         [](CTopicFile& f) { return CPdfTopicCheck(f).Run(); }, TQFLTR2_UNREADABLE},
        {"gone.chm", "", [](CTopicFile& f) { return CChmTopicCheck(f, 1).Run(); },
         TQFLTR2_UNREADABLE},
    };
    CompileChm("source.chm", {{"a.htm", "<body>words</body>"}});
    cases[3].m_strData = ReadLinuxFile(Linux("source.chm"));
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
