#include "tqfltr2/VisibleText.h"

#include <string>

#include "gtest/gtest.h"

namespace tq {
namespace {

// Pieces may cut a character anywhere; the answer must not depend on where.
TEST(VisibleTextTest, EveryEncodingEverySplit) {
    using E = ETextEncoding;
    struct {
        const char* m_pszName;
        E m_encoding;
        std::string m_strText;
        bool m_bVisible;
    } cases[] = {
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
    for (const auto& c : cases) {
        for (size_t cut = 0; cut <= c.m_strText.size(); ++cut) {
            CVisibleTextScanner scanner(c.m_encoding);
            scanner.Feed(c.m_strText.substr(0, cut));
            EXPECT_EQ(scanner.Feed(c.m_strText.substr(cut)), c.m_bVisible)
                << c.m_pszName << " cut at " << cut;
        }
    }
}

}  // namespace
}  // namespace tq
