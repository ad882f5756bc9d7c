// The automation value types (BSTRs, VARIANTs and GUIDs) and the code page 932 text they carry.
#include "platform/Variant.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "platform/Bstr.h"
#include "platform/ComTypes.h"
#include "platform/Cp932.h"
#include "platform/File.h"
#include "platform/Prefix.h"
#include "platform/Unknown.h"
#include "platform/Win32Error.h"

namespace tq {
namespace {

using namespace std::string_literals;

const std::string kHyou = "\x95\x5C";   // "表": its second byte is the backslash
const std::string kFullA = "\x83\x41";  // "ア": its second byte is 'A'

// In broken text a lead byte takes the blank after it as its second byte; trimming that blank
// away made text that did not read back the same.
TEST(Cp932Test, TrimmingWalksWholeCharacters) {
    EXPECT_EQ(TrimWhite(" \t\r\n\v\fa b \r\n"), "a b");
    EXPECT_EQ(TrimRightWhite(kHyou + " "), kHyou);
    EXPECT_EQ(TrimRightWhite("A\x93  "), "A\x93 ");
    EXPECT_EQ(TrimRightWhite("A\x93\x93  "), "A\x93\x93");
    EXPECT_EQ(TrimWhite(" \x93\t"), "\x93\t");
}

// A lead byte takes the byte after it, which must be a second byte and is never read alone.
TEST(Cp932Test, ALeadByteAndItsSecondByteAreOneCharacter) {
    EXPECT_TRUE(IsWellFormedCp932("abc" + kHyou));
    EXPECT_FALSE(IsWellFormedCp932("\x95\x7F"));  // DEL is never a second byte
    EXPECT_EQ(FindLastChar(kHyou, '\\'), std::string_view::npos);
}

TEST(Cp932Test, ComparisonFoldsAsciiOnly) {
    const std::tuple<std::string, std::string, int> cases[] = {
        {"Help", "HELP", 0},
        {"help", "helq", -1},
        {"a", "", 1},
        {"_", "z", 1}};  // the underscore sorts after the letters, as with upper-case folding
    for (const auto& [a, b, sign] : cases) {
        int r = CompareNoCase(a, b);
        EXPECT_EQ((r > 0) - (r < 0), sign) << a << " vs " << b;
    }
    EXPECT_TRUE(StartsWithNoCase("hkey_local_machine\\x", "HKEY_LOCAL_MACHINE\\"));
    EXPECT_FALSE(StartsWithNoCase(kHyou, "\x95"));  // would split a character
    EXPECT_TRUE(EndsWithNoCase("MANUAL.CHM", ".chm"));
    EXPECT_FALSE(EndsWithNoCase("\x95\x2E"s + "chm", ".chm"));
    EXPECT_EQ(ToLowerCp932("AB" + kFullA + "C"), "ab" + kFullA + "c");  // 0x41 is no 'A' there
    EXPECT_EQ(ToUpperCp932("\x83\x61"), "\x83\x61");
}

const auto Str = [](std::u16string_view s) { return CVariant(s); };

CVariant OfType(VARTYPE vt, void* pRef = nullptr) {
    CVariant v;
    v.vt = vt;
    v.byref = pRef;
    return v;
}

std::u16string_view Text(const VARIANT& v) {
    return {v.bstrVal ? v.bstrVal : u"", SysStringLen(v.bstrVal)};
}

TEST(BstrTest, Cp932RoundTripsAndUntranslatableTextLeavesTheOutputAlone) {
    const std::tuple<const char*, std::string, std::u16string> cases[] = {
        {"trail byte 0x5C", "\x95\x5C\\", u"\u8868\\"},  // 表\ .
        {"half-width", "\xCC\xDF\xDB\xCA\xDF\xC3\xA8",   // ﾌﾟﾛﾊﾟﾃｨ, one byte each
         u"\uFF8C\uFF9F\uFF9B\uFF8A\uFF9F\uFF83\uFF68"},
    };
    for (const auto& [name, cp932, utf16] : cases) {
        SCOPED_TRACE(name);
        CBstr b;
        ASSERT_EQ(BstrFromCp932(cp932, b.Receive()), ERROR_SUCCESS);
        EXPECT_EQ(b.View(), utf16);
        std::string back;
        ASSERT_EQ(BstrToCp932(b.Get(), back), ERROR_SUCCESS);
        EXPECT_EQ(back, cp932);
    }
    CBstr surrogate(std::u16string_view(u"a\xD800", 2));  // has no code page 932 form
    std::string out = "untouched";
    EXPECT_EQ(BstrToCp932(surrogate.Get(), out), ERROR_NO_UNICODE_TRANSLATION);
    EXPECT_EQ(out, "untouched");
    // A lead byte without its trail byte; the lossy form keeps the rest and marks it.
    BSTR bstr = reinterpret_cast<BSTR>(0x1);
    EXPECT_EQ(BstrFromCp932("ab\x81", &bstr), ERROR_NO_UNICODE_TRANSLATION);
    EXPECT_EQ(bstr, reinterpret_cast<BSTR>(0x1));
    CBstr lossy;
    ASSERT_EQ(BstrFromCp932Lossy("ab\x81", lossy.Receive()), ERROR_SUCCESS);
    EXPECT_EQ(lossy.View(), u"ab\uFFFD");
}

struct CChangeCase {
    const char* m_pszName;
    CVariant m_src;
    VARTYPE m_vt;
    HRESULT m_hr;
    int32_t m_lExpected = 0;             // for VT_I2, VT_I4, VT_BOOL
    std::u16string m_strExpected = u"";  // for VT_BSTR
    uint16_t m_wFlags = 0;
};

TEST(VariantTest, ChangeTypeFollowsTheAutomationRules) {
    const CChangeCase cases[] = {
        {"I2 widens", CVariant(int16_t{-5}), VT_I4, S_OK, -5},
        {"I4 narrows", CVariant(-32768), VT_I2, S_OK, -32768},
        {"I4 overflows I2", CVariant(70000), VT_I2, DISP_E_OVERFLOW},
        {"TRUE is -1", CVariant(true), VT_I4, S_OK, -1},
        {"non-zero is TRUE", CVariant(2), VT_BOOL, S_OK, VARIANT_TRUE},
        {"empty is 0", CVariant(), VT_I4, S_OK, 0},
        {"empty is the empty string", CVariant(), VT_BSTR, S_OK},
        {"blanks around digits", Str(u" \t42 "), VT_I4, S_OK, 42},
        {"sign", Str(u"-17"), VT_I4, S_OK, -17},
        {"half rounds to even (down)", Str(u"2.5"), VT_I4, S_OK, 2},
        {"half rounds to even (up)", Str(u"3.5"), VT_I4, S_OK, 4},
        {"negative half", Str(u"-2.5"), VT_I4, S_OK, -2},
        {"above half", Str(u"2.501"), VT_I4, S_OK, 3},
        {"lowest I4", Str(u"-2147483648"), VT_I4, S_OK, INT32_MIN},
        {"I4 overflow", Str(u"2147483648"), VT_I4, DISP_E_OVERFLOW},
        {"huge number", Str(u"99999999999999999999999"), VT_I4, DISP_E_OVERFLOW},
        {"not a number", Str(u"x"), VT_I4, DISP_E_TYPEMISMATCH},
        {"digits then text", Str(u"1x"), VT_I4, DISP_E_TYPEMISMATCH},
        {"empty string", Str(u""), VT_I4, DISP_E_TYPEMISMATCH},
        {"full-width digits", Str(u"\uFF11"), VT_I4, DISP_E_TYPEMISMATCH},
        {"True", Str(u"True"), VT_BOOL, S_OK, VARIANT_TRUE},
        {"false in any case", Str(u" FALSE "), VT_BOOL, S_OK, VARIANT_FALSE},
        {"number as bool", Str(u"7"), VT_BOOL, S_OK, VARIANT_TRUE},
        {"word as bool", Str(u"yes"), VT_BOOL, DISP_E_TYPEMISMATCH},
        {"I4 as text", CVariant(-12), VT_BSTR, S_OK, 0, u"-12"},
        {"TRUE as text", CVariant(true), VT_BSTR, S_OK, 0, u"-1"},
        {"TRUE as word", CVariant(true), VT_BSTR, S_OK, 0, u"True", VARIANT_ALPHABOOL},
        {"null", OfType(VT_NULL), VT_I4, DISP_E_TYPEMISMATCH},
        {"unsupported target", CVariant(1), VT_R8, DISP_E_BADVARTYPE},
        {"array source", OfType(0x2000 | VT_I4), VT_I4, DISP_E_BADVARTYPE},
    };
    for (const CChangeCase& c : cases) {
        SCOPED_TRACE(c.m_pszName);
        CVariant dest(int32_t{123});
        ASSERT_EQ(VariantChangeType(&dest, &c.m_src, c.m_wFlags, c.m_vt), c.m_hr);
        if (FAILED(c.m_hr)) {  // untouched
            EXPECT_EQ(dest.vt, VT_I4);
            EXPECT_EQ(dest.lVal, 123);
            continue;
        }
        ASSERT_EQ(dest.vt, c.m_vt);
        if (c.m_vt == VT_BSTR) {
            EXPECT_EQ(Text(dest), c.m_strExpected);
            EXPECT_NE(dest.bstrVal, c.m_src.bstrVal);
        } else {  // VT_I2 and VT_BOOL share the 16-bit member
            EXPECT_EQ(c.m_vt == VT_I4 ? dest.lVal : dest.iVal, c.m_lExpected);
        }
    }
}

const auto Change = [](VARIANT& out, const VARIANT& src, VARTYPE vt) {
    return VariantChangeType(&out, &src, 0, vt);
};

TEST(VariantTest, ReferencesAreFollowedOnce) {
    int32_t l = 7;
    CVariant out, inner = Str(u"12");
    ASSERT_EQ(Change(out, OfType(VT_BYREF | VT_I4, &l), VT_BSTR), S_OK);
    EXPECT_EQ(Text(out), u"7");
    CVariant refVariant = OfType(VT_BYREF | VT_VARIANT, &inner);
    ASSERT_EQ(Change(out, refVariant, VT_I4), S_OK);
    EXPECT_EQ(out.lVal, 12);
    // A reference to a VARIANT that is itself a reference is malformed; so is a null reference.
    EXPECT_EQ(Change(out, OfType(VT_BYREF | VT_VARIANT, &refVariant), VT_I4), DISP_E_BADVARTYPE);
    EXPECT_EQ(Change(out, OfType(VT_BYREF | VT_I4), VT_I4), E_INVALIDARG);
    // Clearing a reference frees nothing it points to; VariantCopyInd makes an owned value of it.
    CVariant refString = OfType(VT_BYREF | VT_BSTR, &inner.bstrVal), owned;
    ASSERT_EQ(VariantCopyInd(&owned, &refString), S_OK);
    EXPECT_EQ(Text(owned), u"12");
    ASSERT_EQ(VariantClear(&refString), S_OK);
    EXPECT_EQ(Text(inner), u"12");
    // In place, the old string is freed (ASan reports it otherwise) or kept on failure.
    ASSERT_EQ(Change(inner, inner, VT_I4), S_OK);
    EXPECT_EQ(inner.lVal, 12);
    CVariant word = Str(u"no");
    EXPECT_EQ(Change(word, word, VT_I4), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(Text(word), u"no");
}

TEST(GuidTest, GuidsPrintAndParseInTheRegistryFormAndMalformedOnesAreRefused) {
    const GUID clsid = {
        0xFE1B0AC2, 0x7074, 0x11D5, {0x99, 0xA1, 0x00, 0xC0, 0x4F, 0xB9, 0xCD, 0x98}};
    EXPECT_EQ(GuidToString(clsid), "{FE1B0AC2-7074-11D5-99A1-00C04FB9CD98}");
    GUID parsed;
    ASSERT_TRUE(GuidFromString("{fe1b0ac2-7074-11d5-99a1-00c04fb9cd98}", parsed));
    EXPECT_EQ(parsed, clsid);
    for (const char* bad : {"{FE1B0AC2-7074-11D5-99A1-00C04FB9CD988}",    // one digit long
                            "{FE1B0AC2-7074-11D5-99A100C04FB9CD98-}",     // dash misplaced
                            "{+E1B0AC2-7074-11D5-99A1-00C04FB9CD98}"}) {  // a sign is no digit
        EXPECT_FALSE(GuidFromString(bad, parsed)) << bad;
        EXPECT_EQ(parsed, clsid) << bad;
    }
}

// Hosts compare results with the values their own headers give: each name keeps the value the
// system it imitates gives it.
template <typename... T>
std::vector<uint32_t> Of(T... values) {
    return {static_cast<uint32_t>(values)...};
}

TEST(WindowsValuesTest, NamesKeepTheirSystemValues) {
    // The names, then the values the system gives them.
    EXPECT_EQ(Of(S_FALSE, E_NOTIMPL, E_NOINTERFACE, E_POINTER, E_FAIL, E_UNEXPECTED),
              Of(1, 0x80004001, 0x80004002, 0x80004003, 0x80004005, 0x8000FFFF));
    EXPECT_EQ(Of(E_OUTOFMEMORY, E_INVALIDARG, DISP_E_UNKNOWNINTERFACE, DISP_E_MEMBERNOTFOUND),
              Of(0x8007000E, 0x80070057, 0x80020001, 0x80020003));
    EXPECT_EQ(Of(DISP_E_PARAMNOTFOUND, DISP_E_TYPEMISMATCH, DISP_E_UNKNOWNNAME),
              Of(0x80020004, 0x80020005, 0x80020006));
    EXPECT_EQ(Of(DISP_E_NONAMEDARGS, DISP_E_BADVARTYPE, DISP_E_EXCEPTION, DISP_E_OVERFLOW),
              Of(0x80020007, 0x80020008, 0x80020009, 0x8002000A));
    EXPECT_EQ(Of(DISP_E_BADINDEX, DISP_E_BADPARAMCOUNT, DISP_E_PARAMNOTOPTIONAL),
              Of(0x8002000B, 0x8002000E, 0x8002000F));
    EXPECT_EQ(Of(CLASS_E_NOAGGREGATION, CLASS_E_CLASSNOTAVAILABLE, REGDB_E_READREGDB),
              Of(0x80040110, 0x80040111, 0x80040150));
    EXPECT_EQ(Of(REGDB_E_CLASSNOTREG, CO_E_CLASSSTRING, CO_E_DLLNOTFOUND, CO_E_ERRORINDLL),
              Of(0x80040154, 0x800401F3, 0x800401F8, 0x800401F9));
    EXPECT_EQ(Of(FILE_ATTRIBUTE_READONLY, FILE_ATTRIBUTE_HIDDEN, FILE_ATTRIBUTE_DIRECTORY),
              Of(0x01, 0x02, 0x10));
    EXPECT_EQ(Of(FILE_ATTRIBUTE_ARCHIVE, FILE_ATTRIBUTE_NORMAL, DRIVE_UNKNOWN, DRIVE_NO_ROOT_DIR),
              Of(0x20, 0x80, 0, 1));
    EXPECT_EQ(Of(DRIVE_REMOVABLE, DRIVE_FIXED, DRIVE_REMOTE, DRIVE_CDROM), Of(2, 3, 4, 5));
}

}  // namespace
}  // namespace tq
