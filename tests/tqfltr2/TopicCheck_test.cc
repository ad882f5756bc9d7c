#include <atomic>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "TopicTestFiles.h"
#include "gtest/gtest.h"
#include "tqfltr2/ChmTopicCheck.h"
#include "tqfltr2/HtmlTopicCheck.h"
#include "tqfltr2/PdfTopicCheck.h"
#include "tqfltr2/TextHead.h"
#include "tqfltr2/TopicFile.h"
#include "tqfltr2/Tqfltr2.h"
#include "tqfltr2/TxtTopicCheck.h"
#include "tqfltr2/VisibleText.h"

namespace tq::test {
namespace {

using TopicCheckTest = CTopicFileTest;

std::string Replace(std::string s, const std::string& from, const std::string& to) {
    return s.replace(s.rfind(from), from.size(), to);
}
TEST_F(TopicCheckTest, PdfDocuments) {
    std::string strPdf = BuildPdf({PdfTextPage("Chapter one")});
    // The cross-reference section as a compressed stream ("N 0 obj" where startxref points).
    const std::string strStreams = Qpdf(strPdf, "--object-streams=generate");
    ASSERT_EQ(strStreams.find("\nxref"), std::string::npos);
    const CAnswerCase cases[] = {
        {"text", strPdf, TQFLTR2_HAS_TOPIC},
        {"text on page 3", BuildPdf({kPdfDrawingPage, "", PdfTextPage("A")}), TQFLTR2_HAS_TOPIC},
        {"empty page", BuildPdf({""}), TQFLTR2_NO_TOPIC},
        {"drawing, blank text", BuildPdf({kPdfDrawingPage, PdfTextPage("  ")}), TQFLTR2_NO_TOPIC},
        {"no pages", BuildPdf({}), TQFLTR2_NO_TOPIC},
        {"bytes after the end marker", strPdf + std::string(500, '\n'), TQFLTR2_HAS_TOPIC},
        {"cut before the end marker", strPdf.substr(0, strPdf.rfind("%%EOF")), TQFLTR2_DAMAGED},
        {"signature behind 1024 bytes", std::string(1100, ' ') + strPdf, TQFLTR2_DAMAGED},
        {"no startxref", Replace(strPdf, "startxref", "startxyz"), TQFLTR2_DAMAGED},
        {"startxref past the end", Replace(strPdf, "startxref\n", "startxref\n9"), TQFLTR2_DAMAGED},
        {"startxref in an object", Replace(strPdf, "startxref\n", "startxref\n2"), TQFLTR2_DAMAGED},
        {"startxref at no number", Replace(strPdf, "\nxref", "\nx2 0 obj"), TQFLTR2_DAMAGED},
        {"xref stream", strStreams, TQFLTR2_HAS_TOPIC},
        // Encrypted: protected unless open without a password and with extraction allowed.
        {"locked", Qpdf(strPdf, "--encrypt user-pw owner-pw 256 --"), TQFLTR2_PROTECTED},
        {"no extraction", Qpdf(strPdf, "--encrypt '' o 256 --extract=n --"), TQFLTR2_PROTECTED},
        {"open", Qpdf(strPdf, "--encrypt '' o 256 --print=none --"), TQFLTR2_HAS_TOPIC},
        {"garbage inside a sound frame",
         "%PDF-1.4\n1 0 obj\n" + RandomBytes(5000, 9) + "\nstartxref\n9\n%%EOF\n", TQFLTR2_DAMAGED},
    };
    for (const auto& [name, data, answer] : cases) {
        std::string strPath = Write("a.pdf", data);
        for (int divide : {1, 0}) {
            EXPECT_EQ(PAS_PdfHaveTopic(strPath.c_str(), divide, nullptr, nullptr), answer) << name;
        }
    }
    const char* titles[] = {"Chapter one", nullptr};
    const unsigned char flags[] = {1};
    EXPECT_EQ(PAS_PdfHaveTopic(Write("a.pdf", strPdf).c_str(), 7, titles, flags),
              TQFLTR2_HAS_TOPIC);
}

const char kText[] = "<html><head><title>Start</title></head><body><p>Install</p></body></html>";
const char kEmpty[] = "<html><head><title>Nothing</title></head><body> </body></html>";
const char kBlank[] = "<html><body>&nbsp;<script>document.write('x')</script></body></html>";

TEST_F(TopicCheckTest, ChmArchives) {
    const int kYes = TQFLTR2_HAS_TOPIC, kNo = TQFLTR2_NO_TOPIC;
    const std::string strBig = "<html><body>" + std::string(240000, ' ');
    const CNamedData threePages = {{"a.htm", kText}, {"b.htm", kEmpty}, {"c.htm", kText}};
    // The archive, its pages, topics with text asked for (below 1 counts as 1), the answer.
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
        EXPECT_EQ(PAS_ChmHaveTopic(CompileChm(pszName, pages).c_str(), n), nAnswer) << pszName << n;
    }
    // Numbers chmlib divides by or reads past a chunk's end with: refused before it sees them.
    const std::string strChm = ReadLinuxFile(Linux("one.chm"));
    const size_t lzxc = strChm.find("LZXC"), listing = strChm.find("PMGL");
    const uint32_t freeSpace =
        static_cast<uint8_t>(strChm[listing + 4]) | static_cast<uint8_t>(strChm[listing + 5]) << 8;
    const std::tuple<const char*, size_t, uint32_t> fields[] = {
        {"reset interval 0", lzxc + 8, 0},
        {"window 0", lzxc + 12, 0},
        {"windows per reset 0", lzxc + 16, 0},
        {"version 1: a window of 2 bytes", lzxc + 4, 1},
        {"free space beyond the chunk", listing + 4, 0xFFFF},
        {"the last entry cut short", listing + 4, freeSpace + 1}};
    for (const auto& [pszField, offset, value] : fields) {
        std::string strData = strChm;
        PutLittleEndian(strData, offset, value, 4);
        EXPECT_EQ(PAS_ChmHaveTopic(Write("lzx.chm", strData).c_str(), 1), TQFLTR2_DAMAGED)
            << pszField;
    }
}

// Fields the reader follows, damaged: it neither leaves the file nor goes round in circles.
TEST_F(TopicCheckTest, HlpFiles) {
    const std::string strSound = BuildHelpFile(4096, 2);  // three leaves under an index page
    const size_t tree =
        (static_cast<uint8_t>(strSound[4]) | static_cast<uint8_t>(strSound[5]) << 8) + 9;
    const size_t pages = tree + 38, page = 1024;
    auto damaged = [&strSound](size_t offset, uint16_t value) {
        std::string strData = strSound;
        PutLittleEndian(strData, offset, value, 2);
        return strData;
    };
    const int kYes = TQFLTR2_HAS_TOPIC, kNo = TQFLTR2_NO_TOPIC, kDamaged = TQFLTR2_DAMAGED;
    const CAnswerCase cases[] = {
        {"topics", BuildHelpFile(4096), kYes},
        {"topics, index page over leaves", strSound, kYes},
        {"no topic file (a contents index)", BuildHelpFile(0, 2), kNo},
        {"topic file of one block header", BuildHelpFile(12), kNo},
        {"empty directory", BuildHlp({}), kNo},
        {"names compare exactly", BuildHlp({{"|topic", "x"}}), kNo},
        {"bytes after the declared size", BuildHelpFile(99) + "junk", kYes},
        {"directory of another kind", damaged(tree, 0x1234), kDamaged},
        {"root page out of range", damaged(tree + 26, 50), kDamaged},
        {"levels beyond the pages", damaged(tree + 32, 40), kDamaged},
        {"first child out of range", damaged(pages + 3 * page + 4, 77), kDamaged},
        {"entry count beyond the page", damaged(pages + 2, 900), kDamaged},
        {"leaf chain in a circle", damaged(pages + page + 6, 0), kDamaged},
    };
    for (const auto& [name, data, answer] : cases) {
        EXPECT_EQ(PAS_HlpHaveTopic(Write("a.hlp", data).c_str()), answer) << name;
    }
}

// A cut archive is damaged; whatever bytes of a sound one change, the answer is a defined one.
TEST_F(TopicCheckTest, CutAndChangedArchives) {
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

TEST_F(TopicCheckTest, Txt) {
    std::string strBlanks(3 * kTextHeadSize + 17, ' ');
    const CAnswerCase cases[] = {
        {"code page 932", "\x83\x7D\x83\x6A\x83\x85\x83\x41\x83\x8B", TQFLTR2_HAS_TOPIC},
        {"utf-8 mark and blanks", "\xEF\xBB\xBF \xE3\x80\x80\r\n", TQFLTR2_NO_TOPIC},
        {"utf-16le", std::string("\xFF\xFE\x20\x00\x4B\x62", 6), TQFLTR2_HAS_TOPIC},
        {"utf-16be blanks", std::string("\xFE\xFF\x00\x20\x30\x00", 6), TQFLTR2_NO_TOPIC},
        {"binary", std::string("MZ\x90\x00\x03\x00", 6), TQFLTR2_DAMAGED},
        // Beyond the part that tells binary from text, a NUL is a control character.
        {"text behind long blank space", strBlanks + "x", TQFLTR2_HAS_TOPIC},
        {"long blank space", strBlanks, TQFLTR2_NO_TOPIC},
        {"late NUL", strBlanks + std::string(1, '\0') + "y", TQFLTR2_HAS_TOPIC},
        {"ideographic space cut by a piece",
         std::string(kTextHeadSize - 1, ' ') + "\x81\x40\x81\x40", TQFLTR2_NO_TOPIC},
    };
    for (const auto& [name, data, answer] : cases) {
        EXPECT_EQ(PAS_TxtHaveTopic(Write("a.txt", data).c_str()), answer) << name;
    }
}

// Pieces may cut a character anywhere; the answer must not depend on where.
TEST(VisibleTextTest, EveryEncodingEverySplit) {
    using E = ETextEncoding;
    const std::tuple<const char*, E, std::string, bool> cases[] = {
        {"ascii blanks and controls", E::Cp932, " \t\r\n\v\f\x1A\x7F\x01", false},
        {"ideographic spaces", E::Cp932, "\x81\x40\x81\x40 \x81\x40", false},
        {"kana after an ideographic space", E::Cp932, "\x81\x40\x82\xA0", true},
        {"trail byte 0x40 of another lead", E::Cp932, "\x83\x40", true},
        {"half-width katakana", E::Cp932, "\xB1", true},
        {"lone lead byte at the end", E::Cp932, "  \x81", false},
        {"utf-8 blanks", E::Utf8, "\xEF\xBB\xBF\xC2\xA0\xE3\x80\x80\xE2\x80\x8B\xC2\x85", false},
        {"utf-8 letter", E::Utf8, "\xC2\xA0\xE3\x81\x82", true},
        {"utf-8 broken sequence", E::Utf8, "\xE3\x41", true},
        {"utf-16le blanks", E::Utf16Le, std::string("\x20\x00\x00\x30\xA0\x00", 6), false},
        {"utf-16be letter", E::Utf16Be, std::string("\x00\x20\x00\x41", 4), true},
        {"utf-16 odd byte left over", E::Utf16Le, std::string("\x20\x00\x41", 3), false},
    };
    for (const auto& [pszName, encoding, strText, bVisible] : cases) {
        for (size_t cut = 0; cut <= strText.size(); ++cut) {
            CVisibleTextScanner scanner(encoding);
            scanner.Feed(strText.substr(0, cut));
            EXPECT_EQ(scanner.Feed(strText.substr(cut)), bVisible) << pszName << " cut at " << cut;
        }
    }
}

TEST_F(TopicCheckTest, Html) {
    const int kYes = TQFLTR2_HAS_TOPIC, kNo = TQFLTR2_NO_TOPIC;
    const CAnswerCase cases[] = {
        {"paragraph", "<html><head><title>T</title></head><body><p>Setup</p></body></html>", kYes},
        {"broken markup", "<table><tr><td><td><b>bold</i></table", kYes},
        {"title only", "<html><head><title>Only a title</title></head><body></body></html>", kNo},
        {"blank body", "<body> \r\n&nbsp;&#x3000;<!-- a remark --></body>", kNo},
        {"script and style only", "<body><script>a = 1;</script><style>b{}</style></body>", kNo},
        {"cut off in the head", "<html><head><title>Manual</title></h", kNo},
        {"shift_jis ideographic space", "<meta charset=\"shift_jis\"><body>\x81\x40</body>", kNo},
        {"shift_jis read as code page 932", "<meta charset=\"shift_jis\"><body>\x87\x40</body>",
         kYes},
        {"undeclared code page 932", "<body>\x83\x7D\x83\x6A</body>", kYes},
        {"utf-16le with mark", std::string("\xFF\xFE<\0b\0>\0A\0", 10), kYes},
        {"NUL byte", std::string("<p>a\0b", 6), TQFLTR2_DAMAGED},
    };
    for (const auto& [name, data, answer] : cases) {
        EXPECT_EQ(PAS_HtmlHaveTopic(Write("a.html", data).c_str()), answer) << name;
    }
}

// A file taken from its name once opened (moved away: Windows defers deleting an open file):
// readers of the open handle still see it, readers that open it by name find nothing and answer
// unreadable, not damaged.
TEST_F(TopicCheckTest, FileDeletedDuringTheCheck) {
    CompileChm("gone.chm", {{"a.htm", "<body>words</body>"}});
    const std::tuple<const char*, std::string, int (*)(CTopicFile&), int> cases[] = {
        {"gone.txt", "text", [](CTopicFile& f) { return CTxtTopicCheck(f).Run(); },
         TQFLTR2_HAS_TOPIC},
        {"gone.pdf", BuildPdf({PdfTextPage("x")}),
         [](CTopicFile& f) { return CPdfTopicCheck(f).Run(); }, TQFLTR2_UNREADABLE},
        {"gone.chm", ReadLinuxFile(Linux("gone.chm")),
         [](CTopicFile& f) { return CChmTopicCheck(f, 1).Run(); }, TQFLTR2_UNREADABLE},
    };
    for (const auto& [pszName, strData, pfnRun, nAnswer] : cases) {
        CTopicFile file;
        ASSERT_EQ(file.Open(Write(pszName, strData).c_str()), 0) << pszName;
        std::filesystem::rename(Linux(pszName), Linux("moved"));
        EXPECT_FALSE(file.CanStillOpen()) << pszName;
        EXPECT_EQ(pfnRun(file), nAnswer) << pszName;
    }
}

// Each export called the way the component calls it, by extension.
int CheckByExtension(const std::string& strPath) {
    const std::string ext = std::filesystem::path(strPath).extension().string();
    const char* p = strPath.c_str();
    return ext == ".hlp"   ? PAS_HlpHaveTopic(p)
           : ext == ".chm" ? PAS_ChmHaveTopic(p, 1)
           : ext == ".pdf" ? PAS_PdfHaveTopic(p, 1, nullptr, nullptr)
           : ext == ".txt" ? PAS_TxtHaveTopic(p)
                           : PAS_HtmlHaveTopic(p);
}

TEST_F(TopicCheckTest, EveryKindEmptyRandomAndUnreadable) {
    std::string strFolder = Win("");
    for (std::string ext : {".hlp", ".chm", ".pdf", ".txt", ".htm", ".html"}) {
        bool bText = ext == ".txt" || ext == ".htm" || ext == ".html";
        EXPECT_EQ(CheckByExtension(Write("empty" + ext, "")),
                  bText ? TQFLTR2_NO_TOPIC : TQFLTR2_DAMAGED)
            << ext;
        EXPECT_EQ(CheckByExtension(Write("random" + ext, RandomBytes(4096, 100))), TQFLTR2_DAMAGED)
            << ext;
        std::filesystem::create_directories(Linux("folder" + ext));
        for (const std::string& strPath :
             {std::string(), strFolder + "\\missing" + ext, strFolder + "\\no\\such" + ext,
              Win("folder" + ext), strFolder + "\\" + std::string(260, 'a') + ext,
              strFolder + "\\a\x01" + ext, strFolder + "\\\x83" + ext, "::" + ext}) {
            EXPECT_EQ(CheckByExtension(strPath), TQFLTR2_UNREADABLE) << strPath;
        }
    }
    EXPECT_EQ((std::vector<int>{PAS_HlpHaveTopic(nullptr), PAS_ChmHaveTopic(nullptr, 1),
                                PAS_PdfHaveTopic(nullptr, 1, nullptr, nullptr),
                                PAS_TxtHaveTopic(nullptr), PAS_HtmlHaveTopic(nullptr)}),
              std::vector<int>(5, TQFLTR2_UNREADABLE));
}

// Sparse files of 6 GiB (NUL bytes after the start): the checks read what they need and stop.
TEST_F(TopicCheckTest, HugeFiles) {
    CompileChm("small.chm", {{"a.htm", "<body>Help text</body>"}});
    const std::string strBlanks(kTextHeadSize, ' '), strTrailer = "startxref\n9\n%%EOF\n";
    // The file, its start, its end, the answer (a PDF trailer leading nowhere: refused unscanned).
    const std::tuple<const char*, std::string, std::string, int> cases[] = {
        {"huge.txt", "Hello" + strBlanks, "", TQFLTR2_HAS_TOPIC},
        {"huge.htm", "<p>Hello</p>" + strBlanks, "", TQFLTR2_HAS_TOPIC},
        {"huge.hlp", BuildHelpFile(512), "", TQFLTR2_HAS_TOPIC},
        {"huge.chm", ReadLinuxFile(Linux("small.chm")), "", TQFLTR2_HAS_TOPIC},
        {"huge.pdf", "%PDF-1.4\n", "", TQFLTR2_DAMAGED},
        {"huge-trailer.pdf", "%PDF-1.4\n", strTrailer, TQFLTR2_DAMAGED},
    };
    for (const auto& [pszName, strStart, strEnd, nAnswer] : cases) {
        std::string strPath = Write(pszName, strStart);
        std::filesystem::resize_file(Linux(pszName), (6ull << 30) - strEnd.size());
        std::ofstream(Linux(pszName), std::ios::app | std::ios::binary) << strEnd;
        EXPECT_EQ(CheckByExtension(strPath), nAnswer) << pszName;
    }
    // A page of blank space is parsed only up to the cap.
    EXPECT_EQ(PAS_HtmlHaveTopic(
                  Write("blank.htm", "<body>" + std::string(kMaxHtmlBytes, ' ') + "late").c_str()),
              TQFLTR2_NO_TOPIC);
}

TEST_F(TopicCheckTest, ConcurrentChecksAgree) {
    const std::vector<std::string> files = {
        Write("a.hlp", BuildHelpFile(2048)),
        CompileChm("a.chm", {{"a.htm", "<body>Help text</body>"}}),
        Write("a.pdf", BuildPdf({PdfTextPage("Manual")})),
        Write("a.txt", "Read me\r\n"),
        Write("a.htm", "<p>Page</p>"),
        Write("empty.pdf", BuildPdf({""}))};
    std::atomic<int> nMismatches = 0;
    {
        std::vector<std::jthread> threads;
        for (size_t t = 0; t < 6; ++t) {
            threads.emplace_back([&, t] {
                for (size_t i = 0; i < 15 * files.size(); ++i) {
                    const std::string& strPath = files[(i + t) % files.size()];
                    nMismatches += CheckByExtension(strPath) !=
                                   (strPath == files.back() ? TQFLTR2_NO_TOPIC : TQFLTR2_HAS_TOPIC);
                }
            });
        }
    }
    EXPECT_EQ(nMismatches, 0);
}

}  // namespace
}  // namespace tq::test
