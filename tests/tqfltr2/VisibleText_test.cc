#include "tqfltr2/VisibleText.h"

#include <string>

#include "gtest/gtest.h"

namespace tq {
namespace {

struct CVisibleCase {
    const char* m_pszName;
    ETextEncoding m_encoding;
    std::string m_strText;
    bool m_bVisible;
};

const CVisibleCase kCases[] = {
    {"empty", ETextEncoding::Cp932, "", false},
    {"ascii blanks and controls", ETextEncoding::Cp932, " \t\r\n\v\f\x1A\x7F\x01", false},
    {"one letter", ETextEncoding::Cp932, "   x  ", true},
    {"ideographic spaces", ETextEncoding::Cp932, "\x81\x40\x81\x40 \x81\x40", false},
    // "あ" after an ideographic space
    {"kana after ideographic space", ETextEncoding::Cp932, "\x81\x40\x82\xA0", true},
    {"trail byte 0x40 of another lead", ETextEncoding::Cp932, "\x83\x40", true},  // "ァ"
    {"half-width katakana", ETextEncoding::Cp932, "\xB1", true},
    {"lone lead byte at the end", ETextEncoding::Cp932, "  \x81", false},
    {"utf-8 blanks", ETextEncoding::Utf8,
     "\xEF\xBB\xBF \xC2\xA0\xE3\x80\x80\xE2\x80\x8B\xE2\x80\xA8\xC2\x85", false},
    {"utf-8 letter", ETextEncoding::Utf8, "\xC2\xA0\xE3\x81\x82", true},  // "あ"
    {"utf-8 broken sequence", ETextEncoding::Utf8, "\xE3\x41", true},
    {"utf-8 stray continuation", ETextEncoding::Utf8, "\x80", true},
    {"utf-16le blanks", ETextEncoding::Utf16Le, std::string("\x20\x00\x00\x30\xA0\x00", 6), false},
    {"utf-16le letter", ETextEncoding::Utf16Le, std::string("\x20\x00\x42\x30", 4), true},
    {"utf-16be blanks", ETextEncoding::Utf16Be, std::string("\x00\x20\x30\x00\xFE\xFF", 6), false},
    {"utf-16be letter", ETextEncoding::Utf16Be, std::string("\x00\x41", 2), true},
    {"utf-16 odd byte left over", ETextEncoding::Utf16Le, std::string("\x20\x00\x41", 3), false},
};

TEST(VisibleTextTest, WholeText) {
    for (const CVisibleCase& c : kCases) {
        EXPECT_EQ(HasVisibleText(c.m_strText, c.m_encoding), c.m_bVisible) << c.m_pszName;
    }
}

// Pieces may cut a character anywhere; the answer must not depend on where.
TEST(VisibleTextTest, EverySplitGivesTheSameAnswer) {
    for (const CVisibleCase& c : kCases) {
        for (size_t cut = 0; cut <= c.m_strText.size(); ++cut) {
            CVisibleTextScanner scanner(c.m_encoding);
            scanner.Feed(c.m_strText.substr(0, cut));
            scanner.Feed(c.m_strText.substr(cut));
            EXPECT_EQ(scanner.HasVisible(), c.m_bVisible) << c.m_pszName << " cut at " << cut;
        }
    }
}

TEST(VisibleTextTest, ByteByByte) {
    for (const CVisibleCase& c : kCases) {
        CVisibleTextScanner scanner(c.m_encoding);
        for (char ch : c.m_strText) {
            scanner.Feed(std::string(1, ch));
        }
        EXPECT_EQ(scanner.HasVisible(), c.m_bVisible) << c.m_pszName;
    }
}

}  // namespace
}  // namespace tq
