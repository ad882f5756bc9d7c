#include "platform/Bstr.h"

#include <gtest/gtest.h>

#include <cstring>

#include "platform/Cp932.h"
#include "platform/Win32Error.h"

namespace tq {
namespace {

uint32_t PrefixOf(BSTR bstr) {
    uint32_t n = 0;
    std::memcpy(&n, reinterpret_cast<char*>(bstr) - 4, 4);
    return n;
}

TEST(BstrTest, LayoutIsLengthPrefixTextAndTerminator) {
    const OLECHAR text[] = {u'a', 0, u'b'};
    CBstr s;
    s.Attach(SysAllocStringLen(text, 3));
    ASSERT_NE(s.Get(), nullptr);
    // Embedded NULs count: the prefix, not the terminator, gives the length.
    EXPECT_EQ(PrefixOf(s.Get()), 6u);
    EXPECT_EQ(SysStringLen(s.Get()), 3u);
    EXPECT_EQ(SysStringByteLen(s.Get()), 6u);
    EXPECT_EQ(s.Get()[3], 0);
    EXPECT_EQ(s.View(), std::u16string_view(text, 3));

    CBstr c;
    c.Attach(SysAllocString(u"abc"));
    EXPECT_EQ(SysStringLen(c.Get()), 3u);
    EXPECT_EQ(c.View(), u"abc");

    CBstr zeros;
    zeros.Attach(SysAllocStringLen(nullptr, 2));
    EXPECT_EQ(zeros.View(), std::u16string_view(u"\0\0", 2));

    // A null BSTR is the empty string.
    EXPECT_EQ(SysStringLen(nullptr), 0u);
    std::string out = "untouched";
    EXPECT_EQ(BstrToCp932(nullptr, out), ERROR_SUCCESS);
    EXPECT_EQ(out, "");
}

struct CConversionCase {
    const char* m_pszName;
    std::string m_cp932;
    std::u16string m_utf16;
};

TEST(BstrTest, Cp932RoundTrips) {
    const CConversionCase cases[] = {
        {"ascii", "OW.VXCtrlFileManager.1", u"OW.VXCtrlFileManager.1"},
        {"empty", "", u""},
        // アプリケーション
        {"katakana", "\x83\x41\x83\x76\x83\x8A\x83\x50\x81\x5B\x83\x56\x83\x87\x83\x93",
         u"\u30A2\u30D7\u30EA\u30B1\u30FC\u30B7\u30E7\u30F3"},
        // 表\ : the trail byte of 表 is the backslash byte
        {"trail byte 0x5C", "\x95\x5C\\", u"\u8868\\"},
        // ﾌﾟﾛﾊﾟﾃｨ (half-width katakana, one byte each)
        {"half-width", "\xCC\xDF\xDB\xCA\xDF\xC3\xA8",
         u"\uFF8C\uFF9F\uFF9B\uFF8A\uFF9F\uFF83\uFF68"},
    };
    for (const CConversionCase& c : cases) {
        SCOPED_TRACE(c.m_pszName);
        CBstr b;
        ASSERT_EQ(BstrFromCp932(c.m_cp932, b.Receive()), ERROR_SUCCESS);
        EXPECT_EQ(b.View(), c.m_utf16);
        std::string back;
        ASSERT_EQ(BstrToCp932(b.Get(), back), ERROR_SUCCESS);
        EXPECT_EQ(back, c.m_cp932);
    }
}

TEST(BstrTest, UntranslatableTextFailsAndLeavesTheOutputAlone) {
    // U+00E9 and an unpaired surrogate have no code page 932 form.
    for (std::u16string_view wide :
         {std::u16string_view(u"caf\u00E9"), std::u16string_view(u"a\xD800", 2)}) {
        CBstr b(wide);
        std::string out = "untouched";
        EXPECT_EQ(BstrToCp932(b.Get(), out), ERROR_NO_UNICODE_TRANSLATION);
        EXPECT_EQ(out, "untouched");
    }

    // A lead byte without its trail byte.
    BSTR bstr = reinterpret_cast<BSTR>(0x1);
    EXPECT_EQ(BstrFromCp932("ab\x81", &bstr), ERROR_NO_UNICODE_TRANSLATION);
    EXPECT_EQ(bstr, reinterpret_cast<BSTR>(0x1));

    // The lossy form keeps everything else and marks the broken byte.
    CBstr lossy;
    ASSERT_EQ(BstrFromCp932Lossy("ab\x81", lossy.Receive()), ERROR_SUCCESS);
    EXPECT_EQ(lossy.View(), u"ab\uFFFD");
}

}  // namespace
}  // namespace tq
