#include <string>

#include "TopicTestFiles.h"
#include "gtest/gtest.h"
#include "tqfltr2/Tqfltr2.h"

namespace tq::test {
namespace {

std::string Replace(std::string s, const std::string& from, const std::string& to) {
    return s.replace(s.rfind(from), from.size(), to);
}

class PdfTopicCheckTest : public CTopicFileTest {
protected:
    int Check(const std::string& strWinPath, int divideNoBookmark = 1) {
        return PAS_PdfHaveTopic(strWinPath.c_str(), divideNoBookmark, nullptr, nullptr);
    }
};

TEST_F(PdfTopicCheckTest, Documents) {
    std::string strPdf = BuildPdf({PdfTextPage("Chapter one")});
    struct {
        const char* m_pszName;
        std::string m_strPdf;
        int m_nAnswer;
    } cases[] = {
        {"text", strPdf, TQFLTR2_HAS_TOPIC},
        {"text on the third page", BuildPdf({PdfDrawingPage(), "", PdfTextPage("A")}),
         TQFLTR2_HAS_TOPIC},
        {"empty page", BuildPdf({""}), TQFLTR2_NO_TOPIC},
        {"drawing and blank text", BuildPdf({PdfDrawingPage(), PdfTextPage("  ")}),
         TQFLTR2_NO_TOPIC},
        {"no pages", BuildPdf({}), TQFLTR2_NO_TOPIC},
        {"bytes after the end marker", strPdf + std::string(500, '\n'), TQFLTR2_HAS_TOPIC},
        {"random bytes", RandomBytes(20000, 5), TQFLTR2_DAMAGED},
        {"cut in the middle", strPdf.substr(0, strPdf.size() / 2), TQFLTR2_DAMAGED},
        {"cut before the end marker", strPdf.substr(0, strPdf.rfind("%%EOF")), TQFLTR2_DAMAGED},
        {"signature behind 1024 bytes", std::string(1100, ' ') + strPdf, TQFLTR2_DAMAGED},
        {"no startxref", Replace(strPdf, "startxref", "startxyz"), TQFLTR2_DAMAGED},
        {"startxref beyond the end", Replace(strPdf, "startxref\n", "startxref\n9"),
         TQFLTR2_DAMAGED},
        {"startxref into an object", Replace(strPdf, "startxref\n", "startxref\n2"),
         TQFLTR2_DAMAGED},
        {"garbage inside a sound frame",
         "%PDF-1.4\n1 0 obj\n" + RandomBytes(5000, 9) + "\nstartxref\n9\n%%EOF\n", TQFLTR2_DAMAGED},
    };
    for (const auto& c : cases) {
        std::string strPath = Write("a.pdf", c.m_strPdf);
        // The builder's way of cutting topics does not change whether there are any.
        EXPECT_EQ(Check(strPath, 1), c.m_nAnswer) << c.m_pszName;
        EXPECT_EQ(Check(strPath, 0), c.m_nAnswer) << c.m_pszName;
    }
    const char* titles[] = {"Chapter one", nullptr};
    const unsigned char flags[] = {1};
    EXPECT_EQ(PAS_PdfHaveTopic(Write("a.pdf", strPdf).c_str(), 7, titles, flags),
              TQFLTR2_HAS_TOPIC);
}

TEST_F(PdfTopicCheckTest, EncryptedAndRewrittenByQpdf) {
    std::string strText = BuildPdf({PdfTextPage("Secret chapter")});
    EXPECT_EQ(Check(EncryptPdf("locked.pdf", strText, "user-pw", "")), TQFLTR2_PROTECTED);
    EXPECT_EQ(Check(EncryptPdf("locked-empty.pdf", BuildPdf({""}), "pw", "")), TQFLTR2_PROTECTED);
    EXPECT_EQ(Check(EncryptPdf("no-extract.pdf", strText, "", "--extract=n")), TQFLTR2_PROTECTED);
    // Encrypted, but open without a password and with extraction allowed: just a document.
    EXPECT_EQ(Check(EncryptPdf("open.pdf", strText, "", "--print=none")), TQFLTR2_HAS_TOPIC);
    // The cross-reference section as a compressed stream ("N 0 obj" where startxref points).
    WriteLinuxFile(Linux("plain.pdf"), strText);
    RunTool("qpdf --object-streams=generate '" + Linux("plain.pdf") + "' '" + Linux("s.pdf") + "'");
    ASSERT_EQ(ReadLinuxFile(Linux("s.pdf")).find("\nxref"), std::string::npos);
    EXPECT_EQ(Check(Win("s.pdf")), TQFLTR2_HAS_TOPIC);
}

}  // namespace
}  // namespace tq::test
