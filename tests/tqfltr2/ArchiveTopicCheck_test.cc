// PDFs (encrypted and rewritten by qpdf), CHM archives compiled by chmcmd, and WinHelp files
// written from the format's description: whole, and damaged where each reader follows them.
#include <string>
#include <tuple>

#include "TopicTestFiles.h"
#include "gtest/gtest.h"
#include "tqfltr2/Tqfltr2.h"

namespace tq::test {
namespace {

using ArchiveTopicCheckTest = CTopicFileTest;

std::string Replace(std::string s, const std::string& from, const std::string& to) {
    return s.replace(s.rfind(from), from.size(), to);
}
int CheckPdf(const std::string& strWinPath, int divideNoBookmark = 1) {
    return PAS_PdfHaveTopic(strWinPath.c_str(), divideNoBookmark, nullptr, nullptr);
}
TEST_F(ArchiveTopicCheckTest, PdfDocuments) {
    std::string strPdf = BuildPdf({PdfTextPage("Chapter one")});
    const CAnswerCase cases[] = {
        {"text", strPdf, TQFLTR2_HAS_TOPIC},
        {"text on the third page", BuildPdf({kPdfDrawingPage, "", PdfTextPage("A")}),
         TQFLTR2_HAS_TOPIC},
        {"empty page", BuildPdf({""}), TQFLTR2_NO_TOPIC},
        {"drawing and blank text", BuildPdf({kPdfDrawingPage, PdfTextPage("  ")}),
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
        std::string strPath = Write("a.pdf", c.m_strData);
        // The builder's way of cutting topics does not change whether there are any.
        EXPECT_EQ(CheckPdf(strPath, 1), c.m_nAnswer) << c.m_pszName;
        EXPECT_EQ(CheckPdf(strPath, 0), c.m_nAnswer) << c.m_pszName;
    }
    const char* titles[] = {"Chapter one", nullptr};
    const unsigned char flags[] = {1};
    EXPECT_EQ(PAS_PdfHaveTopic(Write("a.pdf", strPdf).c_str(), 7, titles, flags),
              TQFLTR2_HAS_TOPIC);
}

TEST_F(ArchiveTopicCheckTest, PdfEncryptedAndRewrittenByQpdf) {
    std::string strText = BuildPdf({PdfTextPage("Secret chapter")});
    EXPECT_EQ(CheckPdf(EncryptPdf("locked.pdf", strText, "user-pw", "")), TQFLTR2_PROTECTED);
    EXPECT_EQ(CheckPdf(EncryptPdf("locked-empty.pdf", BuildPdf({""}), "pw", "")),
              TQFLTR2_PROTECTED);
    EXPECT_EQ(CheckPdf(EncryptPdf("no-extract.pdf", strText, "", "--extract=n")),
              TQFLTR2_PROTECTED);
    // Encrypted, but open without a password and with extraction allowed: just a document.
    EXPECT_EQ(CheckPdf(EncryptPdf("open.pdf", strText, "", "--print=none")), TQFLTR2_HAS_TOPIC);
    // The cross-reference section as a compressed stream ("N 0 obj" where startxref points).
    WriteLinuxFile(Linux("plain.pdf"), strText);
    RunCommand("qpdf --object-streams=generate '" + Linux("plain.pdf") + "' '" + Linux("s.pdf") +
               "'");
    ASSERT_EQ(ReadLinuxFile(Linux("s.pdf")).find("\nxref"), std::string::npos);
    EXPECT_EQ(CheckPdf(Win("s.pdf")), TQFLTR2_HAS_TOPIC);
}

const char kText[] = "<html><head><title>Start</title></head><body><p>Install</p></body></html>";
const char kEmpty[] = "<html><head><title>Nothing</title></head><body> </body></html>";
const char kBlank[] = "<html><body>&nbsp;<script>document.write('x')</script></body></html>";

TEST_F(ArchiveTopicCheckTest, ChmArchives) {
    const int kYes = TQFLTR2_HAS_TOPIC, kNo = TQFLTR2_NO_TOPIC;
    const std::string strBig = "<html><body>" + std::string(240000, ' ');
    const CNamedData threePages = {{"a.htm", kText}, {"b.htm", kEmpty}, {"c.htm", kText}};
    // The archive, its pages, how many topics with text are asked for (below 1 counts as 1), and
    // the answer.
    const std::tuple<const char*, CNamedData, int, int> cases[] = {
        {"topics.chm", {{"a.htm", kText}, {"b.html", kEmpty}}, 1, kYes},
        {"no-text.chm", {{"a.htm", kEmpty}, {"b.htm", kBlank}}, 1, kNo},
        {"no-html.chm", {{"notes.txt", "plain words"}}, 1, kNo},
        {"last.chm", {{"a.htm", kEmpty}, {"b.htm", kBlank}, {"c.HTM", kText}}, 1, kYes},
        {"big.chm", {{"big.htm", strBig + "late words"}}, 1, kYes},
        {"big-empty.chm", {{"big.htm", strBig}}, 1, kNo},
        {"two-of-three.chm", threePages, 2, kYes},
        {"two-of-three.chm", threePages, 3, kNo},
        {"one.chm", {{"a.htm", kText}}, -5, kYes},
    };
    for (const auto& [pszName, pages, n, nAnswer] : cases) {
        EXPECT_EQ(PAS_ChmHaveTopic(CompileChm(pszName, pages).c_str(), n), nAnswer)
            << pszName << " n = " << n;
    }
}

TEST_F(ArchiveTopicCheckTest, HlpSoundFiles) {
    const CAnswerCase cases[] = {
        {"topics", BuildHelpFile(4096), TQFLTR2_HAS_TOPIC},
        {"topics, index page over leaves", BuildHelpFile(100, 2), TQFLTR2_HAS_TOPIC},
        {"no topic file (a contents index)", BuildHelpFile(0, 2), TQFLTR2_NO_TOPIC},
        {"topic file of one block header", BuildHelpFile(12), TQFLTR2_NO_TOPIC},
        {"empty directory", BuildHlp({}), TQFLTR2_NO_TOPIC},
        {"names compare exactly", BuildHlp({{"|topic", "x"}}), TQFLTR2_NO_TOPIC},
        {"bytes after the declared size", BuildHelpFile(99) + "junk", TQFLTR2_HAS_TOPIC},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PAS_HlpHaveTopic(Write("a.hlp", c.m_strData).c_str()), c.m_nAnswer)
            << c.m_pszName;
    }
}

// Fields the WinHelp reader follows, damaged: it neither leaves the file nor goes round in circles.
TEST_F(ArchiveTopicCheckTest, HlpDamagedFields) {
    const std::string strSound = BuildHelpFile(4096, 2);  // three leaves under an index page
    const size_t tree =
        (static_cast<uint8_t>(strSound[4]) | static_cast<uint8_t>(strSound[5]) << 8) + 9;
    const size_t pages = tree + 38, page = 1024;
    const std::tuple<const char*, size_t, uint16_t> cases[] = {
        {"root page out of range", tree + 26, 50},
        {"levels beyond the pages", tree + 32, 40},
        {"first child out of range", pages + 3 * page + 4, 77},
        {"entry count beyond the page", pages + 2, 900},
        {"leaf chain in a circle", pages + page + 6, 0},
    };
    for (const auto& [pszName, offset, value] : cases) {
        std::string strData = strSound;
        PutLittleEndian(strData, offset, value, 2);
        EXPECT_EQ(PAS_HlpHaveTopic(Write("a.hlp", strData).c_str()), TQFLTR2_DAMAGED) << pszName;
    }
}

// A cut archive is damaged; whatever bytes of a sound one change, the answer is a defined one
// (chmlib and the WinHelp reader follow what the file says; ASan watches the reads).
TEST_F(ArchiveTopicCheckTest, CutAndChangedArchives) {
    CompileChm("sound.chm", {{"a.htm", kText}, {"b.html", kEmpty}});
    const std::tuple<const char*, std::string, int (*)(const char*)> kinds[] = {
        {"a.chm", ReadLinuxFile(Linux("sound.chm")),
         [](const char* path) { return PAS_ChmHaveTopic(path, 1); }},
        {"a.hlp", BuildHelpFile(300, 2), PAS_HlpHaveTopic},
    };
    for (const auto& [pszName, strSound, check] : kinds) {
        for (size_t size = 0; size < strSound.size(); size += strSound.size() / 13 + 1) {
            EXPECT_EQ(check(Write(pszName, strSound.substr(0, size)).c_str()), TQFLTR2_DAMAGED)
                << pszName << " cut at " << size;
        }
        std::mt19937 gen(7);
        for (int round = 0; round < 200; ++round) {
            std::string strData = strSound;
            for (int k = 0; k < 4; ++k) {
                strData[gen() % strData.size()] = static_cast<char>(gen());
            }
            int answer = check(Write(pszName, strData).c_str());
            EXPECT_TRUE(answer == TQFLTR2_HAS_TOPIC || answer == TQFLTR2_NO_TOPIC ||
                        answer == TQFLTR2_DAMAGED)
                << pszName << " round " << round << ": " << answer;
        }
    }
}

}  // namespace
}  // namespace tq::test
