// PDFs (encrypted and rewritten by qpdf), CHM archives compiled by chmcmd, and WinHelp files
// written from the format's description: whole, and damaged where each reader follows them.
#include <functional>
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
// Whatever bytes of strSound change, the answer is a defined one (ASan watches the reads).
void ExpectDefinedAnswers(const std::string& strSound, uint32_t seed, int nBytes,
                          const std::function<int(const std::string&)>& check) {
    std::mt19937 gen(seed);
    for (int round = 0; round < 200; ++round) {
        std::string strData = strSound;
        for (int k = 0; k < nBytes; ++k) {
            strData[gen() % strData.size()] = static_cast<char>(gen());
        }
        int answer = check(strData);
        EXPECT_TRUE(answer == TQFLTR2_HAS_TOPIC || answer == TQFLTR2_NO_TOPIC ||
                    answer == TQFLTR2_DAMAGED)
            << "round " << round << ": " << answer;
    }
}

TEST_F(ArchiveTopicCheckTest, PdfDocuments) {
    std::string strPdf = BuildPdf({PdfTextPage("Chapter one")});
    const CAnswerCase cases[] = {
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
    std::string strBig = "<html><body>";
    for (int i = 0; i < 20000; ++i) {
        strBig += "<div> </div>";
    }
    const CNamedData threePages = {{"a.htm", kText}, {"b.htm", kEmpty}, {"c.htm", kText}};
    // The archive, its pages, how many topics with text are asked for (below 1 counts as 1), and
    // the answer.
    const std::tuple<const char*, CNamedData, int, int> cases[] = {
        {"topics.chm", {{"a.htm", kText}, {"b.html", kEmpty}}, 1, TQFLTR2_HAS_TOPIC},
        {"no-text.chm", {{"a.htm", kEmpty}, {"b.htm", kBlank}}, 1, TQFLTR2_NO_TOPIC},
        {"no-html.chm", {{"notes.txt", "plain words"}}, 1, TQFLTR2_NO_TOPIC},
        {"last.chm",
         {{"a.htm", kEmpty}, {"b.htm", kBlank}, {"c.HTM", kText}},
         1,
         TQFLTR2_HAS_TOPIC},
        {"big.chm", {{"big.htm", strBig + "late words"}}, 1, TQFLTR2_HAS_TOPIC},
        {"big-empty.chm", {{"big.htm", strBig}}, 1, TQFLTR2_NO_TOPIC},
        {"two-of-three.chm", threePages, 2, TQFLTR2_HAS_TOPIC},
        {"two-of-three.chm", threePages, 3, TQFLTR2_NO_TOPIC},
        {"one.chm", {{"a.htm", kText}}, -5, TQFLTR2_HAS_TOPIC},
    };
    for (const auto& [pszName, pages, n, nAnswer] : cases) {
        EXPECT_EQ(PAS_ChmHaveTopic(CompileChm(pszName, pages).c_str(), n), nAnswer)
            << pszName << " n = " << n;
    }
}

TEST_F(ArchiveTopicCheckTest, ChmDamaged) {
    auto check = [&](const std::string& strData) {
        return PAS_ChmHaveTopic(Write("a.chm", strData).c_str(), 1);
    };
    CompileChm("sound.chm", {{"a.htm", kText}, {"b.html", kEmpty}});
    std::string strSound = ReadLinuxFile(Linux("sound.chm"));
    ASSERT_GT(strSound.size(), 0x80u);
    for (size_t size :
         {size_t{3}, size_t{0x60}, size_t{0x200}, strSound.size() / 2, strSound.size() - 1}) {
        EXPECT_EQ(check(strSound.substr(0, size)), TQFLTR2_DAMAGED) << "cut at " << size;
    }
    std::string strFar = strSound;
    PutLittleEndian(strFar, 0x48, 0x7FFFFFFFFFull, 8);  // the directory's offset
    EXPECT_EQ(check(strFar), TQFLTR2_DAMAGED);
    EXPECT_EQ(check("ITSF" + RandomBytes(9000, 2)), TQFLTR2_DAMAGED);
    // chmlib follows what the archive says.
    ExpectDefinedAnswers(strSound, 13, 3, check);
}

TEST_F(ArchiveTopicCheckTest, HlpSoundFiles) {
    const CAnswerCase cases[] = {
        {"topics", BuildHelpFile(4096).m_strData, TQFLTR2_HAS_TOPIC},
        {"topics, index page over leaves", BuildHelpFile(100, 2).m_strData, TQFLTR2_HAS_TOPIC},
        {"no topic file (a contents index)", BuildHelpFile(0, 2).m_strData, TQFLTR2_NO_TOPIC},
        {"topic file of one block header", BuildHelpFile(12).m_strData, TQFLTR2_NO_TOPIC},
        {"empty directory", BuildHlp({}).m_strData, TQFLTR2_NO_TOPIC},
        {"names compare exactly", BuildHlp({{"|topic", "x"}}).m_strData, TQFLTR2_NO_TOPIC},
        {"bytes after the declared size", BuildHelpFile(99).m_strData + "junk", TQFLTR2_HAS_TOPIC},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PAS_HlpHaveTopic(Write("a.hlp", c.m_strData).c_str()), c.m_nAnswer)
            << c.m_pszName;
    }
}

// Each case damages one field the reader follows; none may lead it outside the file or round
// in circles. Then cut and randomly changed files.
TEST_F(ArchiveTopicCheckTest, HlpDamaged) {
    auto check = [&](const std::string& strData) {
        return PAS_HlpHaveTopic(Write("a.hlp", strData).c_str());
    };
    enum EPart { kHeader, kTree, kPage0, kPage1, kPage3, kTopic };
    // The field's name, the part it is in, its offset there, and the damaging value.
    const std::tuple<const char*, EPart, uint32_t, uint64_t> cases[] = {
        {"magic", kHeader, 0, 0x00035F3E},
        {"declared size beyond the end", kHeader, 12, 0x10000},
        {"directory beyond the end", kHeader, 4, 0x10000},
        {"directory inside the file header", kHeader, 4, 3},
        {"tree magic", kTree, 0, 0x293C},
        {"tree structure", kTree, 6, 0x3478},
        {"page size zero", kTree, 4, 0},
        {"root page out of range", kTree, 26, 50},
        {"page count beyond the directory", kTree, 30, 0x7FFF},
        {"levels beyond the pages", kTree, 32, 40},
        {"first child out of range", kPage3, 4, 77},  // the index page follows three leaves
        {"leaf chain in a circle", kPage1, 6, 0},
        {"entry count beyond the page", kPage0, 2, 900},
        {"topic data beyond the end", kTopic, 4, 0x100000},
    };
    const CHlpImage sound = BuildHelpFile(4096, 2);
    const uint32_t pages = sound.m_nPagesOffset, page = sound.m_nPageSize;
    const uint32_t topic = sound.m_fileOffsets.at("|TOPIC");
    const uint32_t bases[] = {0,    sound.m_nBTreeOffset, pages, pages + page, pages + 3 * page,
                              topic};
    for (const auto& [pszName, part, field, value] : cases) {
        std::string strData = sound.m_strData;
        PutLittleEndian(strData, bases[part] + field, value,
                        part == kHeader || part == kTopic ? 4 : 2);
        EXPECT_EQ(check(strData), TQFLTR2_DAMAGED) << pszName;
    }
    std::string strSound = BuildHelpFile(300, 2).m_strData;
    for (size_t size = 0; size < strSound.size(); size += 97) {
        EXPECT_EQ(check(strSound.substr(0, size)), TQFLTR2_DAMAGED) << "cut at " << size;
    }
    ExpectDefinedAnswers(strSound, 7, 4, check);
}

}  // namespace
}  // namespace tq::test
