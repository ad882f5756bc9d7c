#include "platform/Variant.h"

#include <gtest/gtest.h>

#include "platform/Unknown.h"

namespace tq {
namespace {

CVariant Str(std::u16string_view s) {
    return CVariant(s);
}

CVariant OfType(VARTYPE vt) {
    CVariant v;
    v.vt = vt;
    return v;
}

std::u16string_view Text(const VARIANT& v) {
    return {v.bstrVal ? v.bstrVal : u"", SysStringLen(v.bstrVal)};
}

struct CChangeCase {
    const char* m_pszName;
    CVariant m_src;
    VARTYPE m_vt;
    HRESULT m_hr;
    int32_t m_lExpected;           // for VT_I2, VT_I4, VT_BOOL
    std::u16string m_strExpected;  // for VT_BSTR
    uint16_t m_wFlags = 0;
};

TEST(VariantTest, ChangeTypeFollowsTheAutomationRules) {
    const CChangeCase cases[] = {
        {"I2 widens", CVariant(int16_t{-5}), VT_I4, S_OK, -5, u""},
        {"I4 narrows", CVariant(-32768), VT_I2, S_OK, -32768, u""},
        {"I4 overflows I2", CVariant(70000), VT_I2, DISP_E_OVERFLOW, 0, u""},
        {"TRUE is -1", CVariant(true), VT_I4, S_OK, -1, u""},
        {"non-zero is TRUE", CVariant(2), VT_BOOL, S_OK, VARIANT_TRUE, u""},
        {"empty is 0", CVariant(), VT_I4, S_OK, 0, u""},
        {"empty is the empty string", CVariant(), VT_BSTR, S_OK, 0, u""},
        {"blanks around digits", Str(u" \t42 "), VT_I4, S_OK, 42, u""},
        {"sign", Str(u"-17"), VT_I4, S_OK, -17, u""},
        {"leading zeros", Str(u"01"), VT_I4, S_OK, 1, u""},
        {"half rounds to even (down)", Str(u"2.5"), VT_I4, S_OK, 2, u""},
        {"half rounds to even (up)", Str(u"3.5"), VT_I4, S_OK, 4, u""},
        {"negative half", Str(u"-2.5"), VT_I4, S_OK, -2, u""},
        {"above half", Str(u"2.501"), VT_I4, S_OK, 3, u""},
        {"lowest I4", Str(u"-2147483648"), VT_I4, S_OK, INT32_MIN, u""},
        {"I4 overflow", Str(u"2147483648"), VT_I4, DISP_E_OVERFLOW, 0, u""},
        {"huge number", Str(u"99999999999999999999999"), VT_I4, DISP_E_OVERFLOW, 0, u""},
        {"not a number", Str(u"x"), VT_I4, DISP_E_TYPEMISMATCH, 0, u""},
        {"digits then text", Str(u"1x"), VT_I4, DISP_E_TYPEMISMATCH, 0, u""},
        {"empty string", Str(u""), VT_I4, DISP_E_TYPEMISMATCH, 0, u""},
        {"full-width digits", Str(u"\uFF11"), VT_I4, DISP_E_TYPEMISMATCH, 0, u""},
        {"True", Str(u"True"), VT_BOOL, S_OK, VARIANT_TRUE, u""},
        {"false in any case", Str(u" FALSE "), VT_BOOL, S_OK, VARIANT_FALSE, u""},
        {"number as bool", Str(u"7"), VT_BOOL, S_OK, VARIANT_TRUE, u""},
        {"word as bool", Str(u"yes"), VT_BOOL, DISP_E_TYPEMISMATCH, 0, u""},
        {"I4 as text", CVariant(-12), VT_BSTR, S_OK, 0, u"-12"},
        {"TRUE as text", CVariant(true), VT_BSTR, S_OK, 0, u"-1"},
        {"TRUE as word", CVariant(true), VT_BSTR, S_OK, 0, u"True", VARIANT_ALPHABOOL},
        {"string copies", Str(u"abc"), VT_BSTR, S_OK, 0, u"abc"},
        {"null", OfType(VT_NULL), VT_I4, DISP_E_TYPEMISMATCH, 0, u""},
        {"double does not convert", OfType(VT_R8), VT_I4, DISP_E_TYPEMISMATCH, 0, u""},
        {"unsupported target", CVariant(1), VT_R8, DISP_E_BADVARTYPE, 0, u""},
        {"array source", OfType(0x2000 | VT_I4), VT_I4, DISP_E_BADVARTYPE, 0, u""},
    };
    for (const CChangeCase& c : cases) {
        SCOPED_TRACE(c.m_pszName);
        CVariant dest(int32_t{123});
        ASSERT_EQ(VariantChangeType(&dest, &c.m_src, c.m_wFlags, c.m_vt), c.m_hr);
        if (FAILED(c.m_hr)) {
            // Untouched on failure.
            EXPECT_EQ(dest.vt, VT_I4);
            EXPECT_EQ(dest.lVal, 123);
            continue;
        }
        ASSERT_EQ(dest.vt, c.m_vt);
        switch (c.m_vt) {
            case VT_I2:
                EXPECT_EQ(dest.iVal, c.m_lExpected);
                break;
            case VT_I4:
                EXPECT_EQ(dest.lVal, c.m_lExpected);
                break;
            case VT_BOOL:
                EXPECT_EQ(dest.boolVal, c.m_lExpected);
                break;
            case VT_BSTR:
                EXPECT_EQ(Text(dest), c.m_strExpected);
                EXPECT_NE(dest.bstrVal, c.m_src.bstrVal);
                break;
        }
    }
}

CVariant Ref(VARTYPE vt, void* p) {
    CVariant v;
    v.vt = VT_BYREF | vt;
    v.byref = p;
    return v;
}

HRESULT Change(VARIANT& out, const VARIANT& src, VARTYPE vt) {
    return VariantChangeType(&out, &src, 0, vt);
}

TEST(VariantTest, ReferencesAreFollowedOnce) {
    int32_t l = 7;
    CVariant out;
    ASSERT_EQ(Change(out, Ref(VT_I4, &l), VT_BSTR), S_OK);
    EXPECT_EQ(Text(out), u"7");
    CVariant inner = Str(u"12");
    CVariant refVariant = Ref(VT_VARIANT, &inner);
    ASSERT_EQ(Change(out, refVariant, VT_I4), S_OK);
    EXPECT_EQ(out.lVal, 12);
    // A reference to a VARIANT that is itself a reference is malformed; so is a null reference.
    EXPECT_EQ(Change(out, Ref(VT_VARIANT, &refVariant), VT_I4), DISP_E_BADVARTYPE);
    EXPECT_EQ(Change(out, Ref(VT_I4, nullptr), VT_I4), E_INVALIDARG);
    // Clearing a reference frees nothing it points to.
    CVariant refString = Ref(VT_BSTR, &inner.bstrVal);
    ASSERT_EQ(VariantClear(&refString), S_OK);
    EXPECT_EQ(Text(inner), u"12");
    // In place, the old string is freed (ASan reports it otherwise) or kept on failure.
    ASSERT_EQ(Change(inner, inner, VT_I4), S_OK);
    EXPECT_EQ(inner.lVal, 12);
    CVariant word = Str(u"no");
    EXPECT_EQ(Change(word, word, VT_I4), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(Text(word), u"no");
}

// Counts its references, to pin what VARIANTs do with interfaces.
class CCountedUnknown : public IUnknown {
public:
    virtual ~CCountedUnknown() = default;
    HRESULT QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    uint32_t AddRef() override { return ++m_cRef; }
    uint32_t Release() override { return --m_cRef; }
    uint32_t m_cRef = 1;
};

TEST(VariantTest, CopyDuplicatesStringsAndReferencesInterfaces) {
    CVariant s = Str(u"text");
    CVariant copy;
    ASSERT_EQ(VariantCopy(&copy, &s), S_OK);
    EXPECT_NE(copy.bstrVal, s.bstrVal);
    EXPECT_EQ(Text(copy), u"text");

    CCountedUnknown unk;
    {
        CVariant holder;
        holder.vt = VT_UNKNOWN;
        holder.punkVal = &unk;
        unk.AddRef();
        CVariant second(holder);
        EXPECT_EQ(unk.m_cRef, 3u);
    }
    EXPECT_EQ(unk.m_cRef, 1u);

    // VariantCopyInd makes an owned value out of a reference.
    CVariant owned;
    CVariant refString = Ref(VT_BSTR, &s.bstrVal);
    ASSERT_EQ(VariantCopyInd(&owned, &refString), S_OK);
    EXPECT_NE(owned.bstrVal, s.bstrVal);
    EXPECT_EQ(Text(owned), u"text");
    double d = 1.5;
    CVariant refDouble = Ref(VT_R8, &d);
    ASSERT_EQ(VariantCopyInd(&owned, &refDouble), S_OK);
    EXPECT_EQ(owned.vt, VT_R8);
    EXPECT_EQ(owned.dblVal, 1.5);
}

TEST(VariantTest, UnsupportedTypesAreRefusedAndLeftAlone) {
    CVariant record = OfType(36);  // VT_RECORD
    CVariant copy;
    EXPECT_EQ(VariantCopy(&copy, &record), DISP_E_BADVARTYPE);
    EXPECT_EQ(copy.vt, VT_EMPTY);
    EXPECT_EQ(VariantClear(&record), DISP_E_BADVARTYPE);
    EXPECT_EQ(record.vt, 36);
    record.vt = VT_EMPTY;
}

}  // namespace
}  // namespace tq
