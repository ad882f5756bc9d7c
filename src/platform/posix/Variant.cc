#include "platform/Variant.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

#include "platform/Unknown.h"

namespace tq {

namespace {

constexpr VARTYPE kArrayFlag = 0x2000;  // VT_ARRAY

bool IsSupportedValueType(VARTYPE vt) {
    return (vt >= VT_EMPTY && vt <= VT_BOOL) || vt == VT_UNKNOWN || (vt >= VT_I1 && vt <= VT_UINT);
}

// A reference may point to any value type, or to a VARIANT.
bool IsSupportedType(VARTYPE vt) {
    if ((vt & VT_BYREF) == 0) {
        return IsSupportedValueType(vt);
    }
    VARTYPE base = vt & ~VT_BYREF;
    return IsSupportedValueType(base) || base == VT_VARIANT;
}

BSTR CopyBstr(BSTR bstr) {
    return bstr == nullptr ? nullptr : SysAllocStringLen(bstr, SysStringLen(bstr));
}

// Copies a value (not a reference) into a blank VARIANT.
HRESULT CopyValue(VARIANT* pDest, const VARIANT& src) {
    VARIANT result = src;
    if (src.vt == VT_BSTR && src.bstrVal != nullptr) {
        result.bstrVal = CopyBstr(src.bstrVal);
        if (result.bstrVal == nullptr) {
            return E_OUTOFMEMORY;
        }
    } else if (src.vt == VT_UNKNOWN && src.punkVal != nullptr) {
        src.punkVal->AddRef();
    } else if (src.vt == VT_DISPATCH && src.pdispVal != nullptr) {
        src.pdispVal->AddRef();
    }
    *pDest = result;
    return S_OK;
}

// Bytes of the value a reference of this base type points to.
size_t ValueSize(VARTYPE vt) {
    switch (vt) {
        case VT_I1:
        case VT_UI1:
            return 1;
        case VT_I2:
        case VT_UI2:
        case VT_BOOL:
            return 2;
        case VT_I4:
        case VT_UI4:
        case VT_INT:
        case VT_UINT:
        case VT_R4:
        case VT_ERROR:
            return 4;
        case VT_R8:
        case VT_CY:
        case VT_DATE:
        case VT_I8:
        case VT_UI8:
            return 8;
        case VT_BSTR:
        case VT_UNKNOWN:
        case VT_DISPATCH:
            return sizeof(void*);
        default:
            return 0;
    }
}

// The value a reference points to, as a plain VARIANT that borrows the referenced data.
// A reference to a VARIANT is followed once, as COM does; that VARIANT may not be a reference
// again (E_INVALIDARG, as oleaut32 answers).
HRESULT Dereference(const VARIANT& src, VARIANT& value) {
    if ((src.vt & VT_BYREF) == 0) {
        value = src;
        return S_OK;
    }
    if (src.byref == nullptr) {
        return E_INVALIDARG;
    }
    VARTYPE base = src.vt & ~VT_BYREF;
    if (base == VT_VARIANT) {
        if (src.pvarVal->vt == (VT_BYREF | VT_VARIANT)) {
            return E_INVALIDARG;
        }
        if (!IsSupportedValueType(src.pvarVal->vt)) {
            return DISP_E_BADVARTYPE;
        }
        value = *src.pvarVal;
        return S_OK;
    }
    VariantInit(&value);
    value.vt = base;
    std::memcpy(&value.lVal, src.byref, ValueSize(base));
    return S_OK;
}

bool IsBlank(char16_t c) {
    return c == u' ' || c == u'\t';
}

bool EqualsAsciiNoCase(std::u16string_view s, std::u16string_view ascii) {
    if (s.size() != ascii.size()) {
        return false;
    }
    for (size_t i = 0; i < s.size(); ++i) {
        char16_t a = s[i] >= u'A' && s[i] <= u'Z' ? static_cast<char16_t>(s[i] + 32) : s[i];
        if (a != ascii[i]) {
            return false;
        }
    }
    return true;
}

std::u16string_view TrimBlanks(BSTR bstr) {
    std::u16string_view s(bstr == nullptr ? u"" : bstr, SysStringLen(bstr));
    while (!s.empty() && IsBlank(s.front())) {
        s.remove_prefix(1);
    }
    while (!s.empty() && IsBlank(s.back())) {
        s.remove_suffix(1);
    }
    return s;
}

constexpr int64_t kParseLimit = int64_t{1} << 40;  // far beyond any 32-bit value

bool IsDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

// An &H (hexadecimal) or &O (octal) number, as oleaut32 reads one: its base's digits only,
// no sign.
HRESULT ParseRadix(std::u16string_view s, int64_t& value) {
    char16_t mark = s.size() > 2 ? static_cast<char16_t>(s[1] | 0x20) : u'\0';
    int64_t base = mark == u'h' ? 16 : (mark == u'o' ? 8 : 0);
    if (base == 0) {
        return DISP_E_TYPEMISMATCH;
    }
    int64_t n = 0;
    for (char16_t c : s.substr(2)) {
        char16_t lower = static_cast<char16_t>(c | 0x20);
        int64_t d =
            IsDigit(c) ? c - u'0' : (lower >= u'a' && lower <= u'f' ? lower - u'a' + 10 : 99);
        if (d >= base) {
            return DISP_E_TYPEMISMATCH;
        }
        n = n < kParseLimit ? n * base + d : n;
    }
    // The upper half of 32 bits reads as the negative number of the same bits.
    value = n > INT32_MAX && n <= int64_t{UINT32_MAX} ? n - (int64_t{1} << 32) : n;
    return S_OK;
}

// The digits of a decimal number with thousands separators (",") in its whole part, a fraction
// and an exponent; nPoint counts the digits before the decimal point, moved by the exponent.
bool SplitDecimal(std::u16string_view s, std::u16string& digits, int64_t& nPoint) {
    size_t i = 0;
    for (; i < s.size() && (IsDigit(s[i]) || (s[i] == u',' && !digits.empty())); ++i) {
        if (s[i] != u',') {
            digits += s[i];
        }
    }
    nPoint = static_cast<int64_t>(digits.size());
    if (i < s.size() && s[i] == u'.') {
        for (++i; i < s.size() && IsDigit(s[i]); ++i) {
            digits += s[i];
        }
    }
    if (digits.empty()) {
        return false;
    }
    if (i < s.size() && (s[i] == u'e' || s[i] == u'E')) {
        int64_t exponent = 0;
        bool bNegative = i + 1 < s.size() && s[i + 1] == u'-';
        i += i + 1 < s.size() && (s[i + 1] == u'-' || s[i + 1] == u'+') ? 2 : 1;
        size_t first = i;
        for (; i < s.size() && IsDigit(s[i]); ++i) {
            exponent = std::min<int64_t>(exponent * 10 + (s[i] - u'0'), 1000);
        }
        nPoint += bNegative ? -exponent : exponent;
        return i == s.size() && i > first;
    }
    return i == s.size();
}

// Reads a number as oleaut32 reads one for an integer (blanks around it, a sign or parentheses,
// the decimal forms of SplitDecimal, &H and &O) into a 64-bit value rounded half to even, as
// Windows rounds; the range check is the caller's.
HRESULT ParseNumber(BSTR bstr, int64_t& value) {
    std::u16string_view s = TrimBlanks(bstr);
    if (!s.empty() && s.front() == u'&') {
        return ParseRadix(s, value);
    }
    // A sign, or parentheses around the number as accountants write a negative one.
    bool bNegative = false;
    if (s.size() > 2 && s.front() == u'(' && s.back() == u')') {
        bNegative = true;
        s = s.substr(1, s.size() - 2);
    } else if (!s.empty() && (s.front() == u'-' || s.front() == u'+')) {
        bNegative = s.front() == u'-';
        s.remove_prefix(1);
    }
    std::u16string digits;
    int64_t nPoint = 0;
    if (!SplitDecimal(s, digits, nPoint)) {
        return DISP_E_TYPEMISMATCH;
    }
    int64_t whole = 0;
    for (int64_t i = 0; i < nPoint; ++i) {
        int64_t d = i < static_cast<int64_t>(digits.size()) ? digits[i] - u'0' : 0;
        whole = whole < kParseLimit ? whole * 10 + d : whole;
    }
    // The fraction only decides the rounding: -1 below half, 0 exactly half, 1 above half.
    int roundDir = -1;
    for (int64_t i = std::max<int64_t>(nPoint, 0); i < static_cast<int64_t>(digits.size()); ++i) {
        int d = digits[i] - u'0';
        if (i == nPoint) {
            roundDir = d > 5 ? 1 : (d < 5 ? -1 : 0);
        } else if (roundDir == 0 && d != 0) {
            roundDir = 1;
        }
    }
    if (roundDir > 0 || (roundDir == 0 && whole % 2 == 1)) {
        ++whole;
    }
    value = bNegative ? -whole : whole;
    return S_OK;
}

HRESULT ToInteger(const VARIANT& src, int64_t& value) {
    switch (src.vt) {
        case VT_EMPTY:
            value = 0;
            return S_OK;
        case VT_I2:
            value = src.iVal;
            return S_OK;
        case VT_I4:
            value = src.lVal;
            return S_OK;
        case VT_BOOL:
            value = src.boolVal;
            return S_OK;
        case VT_BSTR:
            return ParseNumber(src.bstrVal, value);
        default:
            return DISP_E_TYPEMISMATCH;
    }
}

// "True" and "False" in any case, "#TRUE#" and "#FALSE#", but only as the whole
// text: blanks around them make no number either, as oleaut32 reads them.
HRESULT ToBool(const VARIANT& src, VARIANT_BOOL& value) {
    if (src.vt == VT_BSTR) {
        std::u16string_view s(src.bstrVal == nullptr ? u"" : src.bstrVal,
                              SysStringLen(src.bstrVal));
        if (s == u"#TRUE#" || s == u"#FALSE#") {  // the literal form: upper case only
            s = s.substr(1, s.size() - 2);
        }
        if (EqualsAsciiNoCase(s, u"true") || EqualsAsciiNoCase(s, u"false")) {
            value = EqualsAsciiNoCase(s, u"true") ? VARIANT_TRUE : VARIANT_FALSE;
            return S_OK;
        }
    }
    int64_t n = 0;
    HRESULT hr = ToInteger(src, n);
    if (SUCCEEDED(hr)) {
        value = n != 0 ? VARIANT_TRUE : VARIANT_FALSE;
    }
    return hr;
}

HRESULT ToBstr(const VARIANT& src, uint16_t wFlags, BSTR& bstr) {
    std::u16string text;
    if (src.vt == VT_BSTR) {
        bstr = CopyBstr(src.bstrVal);
        return src.bstrVal != nullptr && bstr == nullptr ? E_OUTOFMEMORY : S_OK;
    }
    if (src.vt == VT_BOOL && (wFlags & VARIANT_ALPHABOOL) != 0) {
        text = src.boolVal != 0 ? u"True" : u"False";
    } else if (src.vt != VT_EMPTY) {
        int64_t n = 0;
        HRESULT hr = ToInteger(src, n);
        if (FAILED(hr)) {
            return hr;
        }
        for (char c : std::to_string(n)) {
            text += static_cast<char16_t>(c);
        }
    }
    bstr = SysAllocStringLen(text.data(), static_cast<uint32_t>(text.size()));
    return bstr == nullptr ? E_OUTOFMEMORY : S_OK;
}

HRESULT Convert(const VARIANT& src, uint16_t wFlags, VARTYPE vt, VARIANT& result) {
    VariantInit(&result);
    result.vt = vt;
    int64_t n = 0;
    HRESULT hr = S_OK;
    switch (vt) {
        case VT_EMPTY:
            return src.vt == VT_EMPTY ? S_OK : DISP_E_TYPEMISMATCH;
        case VT_I2:
            hr = ToInteger(src, n);
            if (SUCCEEDED(hr) && (n < INT16_MIN || n > INT16_MAX)) {
                hr = DISP_E_OVERFLOW;
            }
            result.iVal = static_cast<int16_t>(n);
            return hr;
        case VT_I4:
            hr = ToInteger(src, n);
            if (SUCCEEDED(hr) && (n < INT32_MIN || n > INT32_MAX)) {
                hr = DISP_E_OVERFLOW;
            }
            result.lVal = static_cast<int32_t>(n);
            return hr;
        case VT_BOOL:
            return ToBool(src, result.boolVal);
        case VT_BSTR:
            return ToBstr(src, wFlags, result.bstrVal);
        default:
            return DISP_E_BADVARTYPE;
    }
}

}  // namespace

void VariantInit(VARIANT* pvar) {
    std::memset(pvar, 0, sizeof *pvar);
}

HRESULT VariantClear(VARIANT* pvar) {
    if (pvar == nullptr) {
        return E_INVALIDARG;
    }
    if (!IsSupportedType(pvar->vt)) {
        return DISP_E_BADVARTYPE;
    }
    if (pvar->vt == VT_BSTR) {
        SysFreeString(pvar->bstrVal);
    } else if (pvar->vt == VT_UNKNOWN && pvar->punkVal != nullptr) {
        pvar->punkVal->Release();
    } else if (pvar->vt == VT_DISPATCH && pvar->pdispVal != nullptr) {
        pvar->pdispVal->Release();
    }
    VariantInit(pvar);
    return S_OK;
}

HRESULT VariantCopy(VARIANT* pvargDest, const VARIANT* pvargSrc) {
    if (pvargDest == nullptr || pvargSrc == nullptr) {
        return E_INVALIDARG;
    }
    if (!IsSupportedType(pvargSrc->vt)) {
        return DISP_E_BADVARTYPE;
    }
    if (pvargDest == pvargSrc) {
        return S_OK;
    }
    VARIANT copy;
    HRESULT hr = CopyValue(&copy, *pvargSrc);
    if (FAILED(hr)) {
        return hr;
    }
    hr = VariantClear(pvargDest);
    if (FAILED(hr)) {
        VariantClear(&copy);
        return hr;
    }
    *pvargDest = copy;
    return S_OK;
}

HRESULT VariantCopyInd(VARIANT* pvarDest, const VARIANT* pvargSrc) {
    if (pvarDest == nullptr || pvargSrc == nullptr) {
        return E_INVALIDARG;
    }
    if (!IsSupportedType(pvargSrc->vt)) {
        return DISP_E_BADVARTYPE;
    }
    VARIANT value;
    HRESULT hr = Dereference(*pvargSrc, value);
    if (FAILED(hr)) {
        return hr;
    }
    VARIANT copy;
    hr = CopyValue(&copy, value);
    if (FAILED(hr)) {
        return hr;
    }
    hr = VariantClear(pvarDest);
    if (FAILED(hr)) {
        VariantClear(&copy);
        return hr;
    }
    *pvarDest = copy;
    return S_OK;
}

HRESULT VariantChangeType(VARIANT* pvargDest, const VARIANT* pvarSrc, uint16_t wFlags, VARTYPE vt) {
    if (pvargDest == nullptr || pvarSrc == nullptr) {
        return E_INVALIDARG;
    }
    if ((pvarSrc->vt & kArrayFlag) != 0) {
        return DISP_E_TYPEMISMATCH;  // an array is no single value, as oleaut32 answers
    }
    if (pvarSrc->vt == VT_VARIANT) {
        return DISP_E_TYPEMISMATCH;  // a valid type, but a VARIANT holds one only by reference
    }
    if (!IsSupportedType(pvarSrc->vt) || !IsSupportedType(pvargDest->vt)) {
        return DISP_E_BADVARTYPE;
    }
    if ((pvarSrc->vt & VT_BYREF) != 0 && pvarSrc->byref == nullptr) {
        return DISP_E_TYPEMISMATCH;  // a null reference is no value of any type
    }
    VARIANT value;
    HRESULT hr = Dereference(*pvarSrc, value);
    if (FAILED(hr)) {
        return hr;
    }
    // The result owns its string (Convert always makes a new one), so the destination can be
    // cleared afterwards even when it is the source.
    VARIANT result;
    hr = Convert(value, wFlags, vt, result);
    if (FAILED(hr)) {
        return hr;
    }
    VariantClear(pvargDest);
    *pvargDest = result;
    return S_OK;
}

}  // namespace tq
