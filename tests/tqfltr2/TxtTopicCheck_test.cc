#include <string>

#include "TopicTestFiles.h"
#include "gtest/gtest.h"
#include "tqfltr2/TextHead.h"
#include "tqfltr2/Tqfltr2.h"

namespace tq::test {
namespace {

class TxtTopicCheckTest : public CTopicFileTest {};

TEST_F(TxtTopicCheckTest, Contents) {
    struct {
        const char* m_pszName;
        std::string m_strData;
        int m_nAnswer;
    } cases[] = {
        {"text", "Installing the product\r\n", TQFLTR2_HAS_TOPIC},
        {"japanese", "\x83\x7D\x83\x6A\x83\x85\x83\x41\x83\x8B", TQFLTR2_HAS_TOPIC},  // マニュアル
        {"empty", "", TQFLTR2_NO_TOPIC},
        {"blank lines", " \r\n\t\r\n\x1A", TQFLTR2_NO_TOPIC},
        {"ideographic spaces", "\x81\x40\x81\x40\r\n", TQFLTR2_NO_TOPIC},
        {"utf-8 with mark", "\xEF\xBB\xBF\xE6\x89\x8B", TQFLTR2_HAS_TOPIC},  // 手
        {"utf-8 mark and blanks", "\xEF\xBB\xBF \xE3\x80\x80\r\n", TQFLTR2_NO_TOPIC},
        {"utf-16le", std::string("\xFF\xFE\x4B\x62", 4), TQFLTR2_HAS_TOPIC},
        {"utf-16le blanks", std::string("\xFF\xFE\x20\x00\x00\x30\x0D\x00\x0A\x00", 10),
         TQFLTR2_NO_TOPIC},
        {"utf-16be", std::string("\xFE\xFF\x00\x41", 4), TQFLTR2_HAS_TOPIC},
        {"binary", std::string("MZ\x90\x00\x03\x00", 6), TQFLTR2_DAMAGED},
        {"nul among text", std::string("text\0more", 9), TQFLTR2_DAMAGED},
        {"random bytes", RandomBytes(8192, 3), TQFLTR2_DAMAGED},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PAS_TxtHaveTopic(Write("case.txt", c.m_strData).c_str()), c.m_nAnswer)
            << c.m_pszName;
    }
}

// Text far behind blank space is still found; a NUL byte after the part that tells binary
// from text is blank space like any control character.
TEST_F(TxtTopicCheckTest, TextBehindLongBlankSpace) {
    std::string blanks(3 * kTextHeadSize + 17, ' ');
    EXPECT_EQ(PAS_TxtHaveTopic(Write("late.txt", blanks + "x").c_str()), TQFLTR2_HAS_TOPIC);
    EXPECT_EQ(PAS_TxtHaveTopic(Write("blank.txt", blanks).c_str()), TQFLTR2_NO_TOPIC);
    std::string nulLate = std::string(kTextHeadSize, ' ') + std::string(1, '\0') + "y";
    EXPECT_EQ(PAS_TxtHaveTopic(Write("nul-late.txt", nulLate).c_str()), TQFLTR2_HAS_TOPIC);
    // A double-byte character cut by the boundary of a piece.
    std::string cut = std::string(kTextHeadSize - 1, ' ') + "\x81\x40\x81\x40";
    EXPECT_EQ(PAS_TxtHaveTopic(Write("cut.txt", cut).c_str()), TQFLTR2_NO_TOPIC);
}

// A text file has no structure to lose: a cut-off text still holds what it holds.
TEST_F(TxtTopicCheckTest, TruncatedText) {
    std::string text = "  First line of the manual\r\nSecond line\r\n";
    EXPECT_EQ(PAS_TxtHaveTopic(Write("cut.txt", text.substr(0, 8)).c_str()), TQFLTR2_HAS_TOPIC);
    EXPECT_EQ(PAS_TxtHaveTopic(Write("cut.txt", text.substr(0, 2)).c_str()), TQFLTR2_NO_TOPIC);
}

}  // namespace
}  // namespace tq::test
