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
    struct {
        const char* m_pszName;
        std::string m_strPdf;
        int m_nAnswer;
    } cases[] = {
        {"text.pdf", BuildPdf({PdfTextPage("Getting started")}), TQFLTR2_HAS_TOPIC},
        {"text-on-third-page.pdf", BuildPdf({PdfDrawingPage(), "", PdfTextPage("Appendix")}),
         TQFLTR2_HAS_TOPIC},
        {"empty-page.pdf", BuildPdf({""}), TQFLTR2_NO_TOPIC},
        {"drawing-only.pdf", BuildPdf({PdfDrawingPage(), PdfDrawingPage()}), TQFLTR2_NO_TOPIC},
        {"blank-text.pdf", BuildPdf({PdfTextPage("   ")}), TQFLTR2_NO_TOPIC},
        {"no-pages.pdf", BuildPdf({}), TQFLTR2_NO_TOPIC},
    };
    for (const auto& c : cases) {
        std::string strPath = Write(c.m_pszName, c.m_strPdf);
        // The index builder's way of cutting topics does not change whether there are any.
        EXPECT_EQ(Check(strPath, 1), c.m_nAnswer) << c.m_pszName;
        EXPECT_EQ(Check(strPath, 0), c.m_nAnswer) << c.m_pszName;
    }
}

// qpdf rewrites the document with its cross-reference section as a compressed stream.
TEST_F(PdfTopicCheckTest, CrossReferenceStream) {
    std::string strPlain = Linux("plain.pdf");
    WriteLinuxFile(strPlain, BuildPdf({PdfTextPage("Streams")}));
    RunTool("qpdf --object-streams=generate '" + strPlain + "' '" + Linux("streams.pdf") + "'");
    ASSERT_EQ(ReadLinuxFile(Linux("streams.pdf")).find("\nxref"), std::string::npos);
    EXPECT_EQ(Check(Win("streams.pdf")), TQFLTR2_HAS_TOPIC);
}

TEST_F(PdfTopicCheckTest, ReservedArgumentsAreIgnored) {
    std::string strPath = Write("text.pdf", BuildPdf({PdfTextPage("Index")}));
    const char* titles[] = {"Index", nullptr};
    const unsigned char flags[] = {1};
    EXPECT_EQ(PAS_PdfHaveTopic(strPath.c_str(), 7, titles, flags), TQFLTR2_HAS_TOPIC);
}

TEST_F(PdfTopicCheckTest, ProtectedDocuments) {
    std::string strText = BuildPdf({PdfTextPage("Secret chapter")});
    EXPECT_EQ(Check(EncryptPdf("locked.pdf", strText, "user-secret", "")), TQFLTR2_PROTECTED);
    EXPECT_EQ(Check(EncryptPdf("no-extract.pdf", strText, "", "--extract=n")), TQFLTR2_PROTECTED);
    // Encrypted, but openable without a password and with extraction allowed: just a document.
    EXPECT_EQ(Check(EncryptPdf("open.pdf", strText, "", "--print=none")), TQFLTR2_HAS_TOPIC);
    // A locked document is protected whatever it holds.
    EXPECT_EQ(Check(EncryptPdf("locked-empty.pdf", BuildPdf({""}), "pw", "")), TQFLTR2_PROTECTED);
}

TEST_F(PdfTopicCheckTest, DamagedDocuments) {
    std::string strPdf = BuildPdf({PdfTextPage("Chapter one"), PdfTextPage("Chapter two")});
    struct {
        const char* m_pszName;
        std::string m_strData;
    } cases[] = {
        {"empty", ""},
        {"random bytes", RandomBytes(20000, 5)},
        {"cut in the middle", strPdf.substr(0, strPdf.size() / 2)},
        {"cut before the end marker", strPdf.substr(0, strPdf.rfind("%%EOF"))},
        {"no signature", strPdf.substr(9)},
        {"signature behind 1024 bytes", std::string(1100, ' ') + strPdf},
        {"text file named .pdf", "Just text %%EOF\n"},
        {"signature and marker around garbage", "%PDF-1.4\n" + RandomBytes(5000, 9) + "\n%%EOF\n"},
        {"no startxref", Replace(strPdf, "startxref", "startxyz")},
        {"startxref beyond the end", Replace(strPdf, "startxref\n", "startxref\n9")},
        {"startxref without a number", Replace(strPdf, "startxref\n", "startxref\nx")},
        {"startxref into an object", Replace(strPdf, "startxref\n", "startxref\n2")},
        {"garbage with a trailer",
         "%PDF-1.4\n" + std::string(5000, '\0') + "startxref\n0\n%%EOF\n"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Check(Write("damaged.pdf", c.m_strData)), TQFLTR2_DAMAGED) << c.m_pszName;
    }
    // Bytes after the end marker, within the last 1024, are tolerated as readers do.
    EXPECT_EQ(Check(Write("tail.pdf", strPdf + std::string(500, '\n'))), TQFLTR2_HAS_TOPIC);
}

}  // namespace
}  // namespace tq::test
