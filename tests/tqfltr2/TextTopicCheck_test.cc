// Text and HTML pages: encodings, binary data, characters cut by pieces; a file deleted mid-check.
#include <filesystem>
#include <string>
#include <tuple>

#include "TopicTestFiles.h"
#include "gtest/gtest.h"
#include "tqfltr2/ChmTopicCheck.h"
#include "tqfltr2/PdfTopicCheck.h"
#include "tqfltr2/TextHead.h"
#include "tqfltr2/TopicFile.h"
#include "tqfltr2/Tqfltr2.h"
#include "tqfltr2/TxtTopicCheck.h"
#include "tqfltr2/VisibleText.h"

namespace tq::test {
namespace {

using TextTopicCheckTest = CTopicFileTest;

TEST_F(TextTopicCheckTest, Txt) {
    std::string strBlanks(3 * kTextHeadSize + 17, ' ');
    const CAnswerCase cases[] = {
        {"code page 932", "\x83\x7D\x83\x6A\x83\x85\x83\x41\x83\x8B", TQFLTR2_HAS_TOPIC},
        {"empty", "", TQFLTR2_NO_TOPIC},
        {"blank lines and ideographic spaces", " \r\n\t\x81\x40\x1A", TQFLTR2_NO_TOPIC},
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
        // A text has no structure to lose: cut off, it still holds what it holds.
        {"cut-off text", "  First li", TQFLTR2_HAS_TOPIC},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PAS_TxtHaveTopic(Write("a.txt", c.m_strData).c_str()), c.m_nAnswer)
            << c.m_pszName;
    }
}

// Pieces may cut a character anywhere; the answer must not depend on where.
TEST(VisibleTextTest, EveryEncodingEverySplit) {
    using E = ETextEncoding;
    const std::tuple<const char*, E, std::string, bool> cases[] = {
        // name, encoding, text, whether it shows anything
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

TEST_F(TextTopicCheckTest, Html) {
    const int kYes = TQFLTR2_HAS_TOPIC, kNo = TQFLTR2_NO_TOPIC;
    const CAnswerCase cases[] = {
        {"paragraph", "<html><head><title>T</title></head><body><p>Setup</p></body></html>", kYes},
        {"no markup at all", "plain words", kYes},
        {"broken markup", "<table><tr><td><td><b>bold</i></table", kYes},
        {"text after the body", "<html><body></body>after</html>", kYes},
        {"title only", "<html><head><title>Only a title</title></head><body></body></html>", kNo},
        {"blank body", "<body> \r\n&nbsp;&#x3000;<!-- a remark --></body>", kNo},
        {"script and style only", "<body><script>a = 1;</script><style>b{}</style></body>", kNo},
        {"frameset", "<html><frameset><frame src=\"a.htm\"></frameset></html>", kNo},
        {"cut off in the head", "<html><head><title>Manual</title></h", kNo},
        {"unterminated comment", "<body><!-- never closed, words inside", kNo},
        {"shift_jis", "<meta charset=\"shift_jis\"><body>\x83\x7D\x83\x6A</body>", kYes},
        {"shift_jis ideographic space", "<meta charset=\"shift_jis\"><body>\x81\x40</body>", kNo},
        {"undeclared code page 932", "<body>\x83\x7D\x83\x6A</body>", kYes},
        {"utf-16le with mark", std::string("\xFF\xFE<\0b\0>\0A\0", 10), kYes},
        {"NUL byte", std::string("<p>a\0b", 6), TQFLTR2_DAMAGED},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PAS_HtmlHaveTopic(Write("a.html", c.m_strData).c_str()), c.m_nAnswer)
            << c.m_pszName;
    }
}

// A file deleted after it was opened: a reader working on the open handle still sees it (the
// file goes for good when the last handle closes, as on Windows with delete sharing); readers
// that open the file by name find nothing and answer unreadable, not damaged.
TEST_F(TextTopicCheckTest, FileDeletedDuringTheCheck) {
    CompileChm("gone.chm", {{"a.htm", "<body>words</body>"}});
    // The file, its contents, the check on the open file, and its answer.
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
        std::filesystem::remove(Linux(pszName));
        EXPECT_FALSE(file.CanStillOpen()) << pszName;
        EXPECT_EQ(pfnRun(file), nAnswer) << pszName;
    }
}

}  // namespace
}  // namespace tq::test
