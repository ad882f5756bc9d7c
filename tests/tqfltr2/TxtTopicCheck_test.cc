#include <string>

#include "TopicTestFiles.h"
#include "gtest/gtest.h"
#include "tqfltr2/TextHead.h"
#include "tqfltr2/Tqfltr2.h"

namespace tq::test {
namespace {

class TxtTopicCheckTest : public CTopicFileTest {};

TEST_F(TxtTopicCheckTest, Contents) {
    std::string strBlanks(3 * kTextHeadSize + 17, ' ');
    struct {
        const char* m_pszName;
        std::string m_strData;
        int m_nAnswer;
    } cases[] = {
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

}  // namespace
}  // namespace tq::test
