// Automation values (VARIANT) with the Windows layout and rules. On Windows VARIANT and its
// functions are the system's (oleaut32); elsewhere the mini-COM runtime provides them here.
// Conversions cover the types the component exchanges: empty, 16- and 32-bit integers, booleans
// (VARIANT_TRUE = -1), strings, and references (VT_BYREF) to those and to other VARIANTs. The
// mini-COM runtime holds, copies and clears the other scalar types (floating point, currency,
// dates, unsigned and 8-byte integers), null, error codes and interface pointers, but does not
// convert them. A VARIANT owns its string and holds one reference on its interface; a
// by-reference VARIANT owns nothing. The runtime does not support arrays and records
// (DISP_E_BADVARTYPE; an array converts to nothing, DISP_E_TYPEMISMATCH, as on Windows).
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/Bstr.h"
#include "platform/ComTypes.h"

#ifdef _WIN32
namespace tq {

using enum ::VARENUM;  // VT_EMPTY, VT_I4, VT_BYREF ...
using ::VARIANT;
using ::VARIANTARG;
using ::VariantClear;
using ::VariantInit;

// The system declares the sources of these without const; it does not change them.
inline HRESULT VariantCopy(VARIANT* pvargDest, const VARIANT* pvargSrc) {
    return ::VariantCopy(pvargDest, const_cast<VARIANT*>(pvargSrc));
}
inline HRESULT VariantCopyInd(VARIANT* pvarDest, const VARIANT* pvargSrc) {
    return ::VariantCopyInd(pvarDest, const_cast<VARIANT*>(pvargSrc));
}
inline HRESULT VariantChangeType(VARIANT* pvargDest, const VARIANT* pvarSrc, uint16_t wFlags,
                                 VARTYPE vt) {
    return ::VariantChangeType(pvargDest, const_cast<VARIANT*>(pvarSrc), wFlags, vt);
}

}  // namespace tq
#else
namespace tq {

class IUnknown;
class IDispatch;

constexpr VARTYPE VT_EMPTY = 0;
constexpr VARTYPE VT_NULL = 1;
constexpr VARTYPE VT_I2 = 2;
constexpr VARTYPE VT_I4 = 3;
constexpr VARTYPE VT_R4 = 4;
constexpr VARTYPE VT_R8 = 5;
constexpr VARTYPE VT_CY = 6;
constexpr VARTYPE VT_DATE = 7;
constexpr VARTYPE VT_BSTR = 8;
constexpr VARTYPE VT_DISPATCH = 9;
constexpr VARTYPE VT_ERROR = 10;
constexpr VARTYPE VT_BOOL = 11;
constexpr VARTYPE VT_VARIANT = 12;
constexpr VARTYPE VT_UNKNOWN = 13;
constexpr VARTYPE VT_I1 = 16;
constexpr VARTYPE VT_UI1 = 17;
constexpr VARTYPE VT_UI2 = 18;
constexpr VARTYPE VT_UI4 = 19;
constexpr VARTYPE VT_I8 = 20;
constexpr VARTYPE VT_UI8 = 21;
constexpr VARTYPE VT_INT = 22;
constexpr VARTYPE VT_UINT = 23;
constexpr VARTYPE VT_BYREF = 0x4000;
constexpr VARTYPE VT_TYPEMASK = 0x0FFF;

struct VARIANT {
    VARTYPE vt;
    uint16_t wReserved1;
    uint16_t wReserved2;
    uint16_t wReserved3;
    union {
        int32_t lVal;
        int16_t iVal;
        int64_t llVal;
        float fltVal;
        double dblVal;
        VARIANT_BOOL boolVal;
        SCODE scode;
        BSTR bstrVal;
        IUnknown* punkVal;
        IDispatch* pdispVal;
        int32_t* plVal;
        int16_t* piVal;
        VARIANT_BOOL* pboolVal;
        BSTR* pbstrVal;
        VARIANT* pvarVal;
        void* byref;
        // Keeps the size of the Windows union (a record reference: two pointers).
        void* rgpvRecord[2];
    };
};
using VARIANTARG = VARIANT;

static_assert(sizeof(VARIANT) == 8 + 2 * sizeof(void*), "VARIANT must have the Windows layout");

void VariantInit(VARIANT* pvar);
// Frees the string or releases the interface and leaves VT_EMPTY. DISP_E_BADVARTYPE (and the
// VARIANT untouched) for a type outside the supported set.
HRESULT VariantClear(VARIANT* pvar);
// Clears dest, then copies src into it: strings are duplicated, interfaces gain a reference,
// references stay references.
HRESULT VariantCopy(VARIANT* pvargDest, const VARIANT* pvargSrc);
// Like VariantCopy, but a reference is replaced by a copy of the value it points to.
HRESULT VariantCopyInd(VARIANT* pvarDest, const VARIANT* pvargSrc);
// Converts src (dereferenced first) to vt, which is VT_EMPTY, VT_I2, VT_I4, VT_BOOL or VT_BSTR.
// dest may be src. Results: DISP_E_TYPEMISMATCH (a string that is not a number, a null, an
// error, an interface), DISP_E_OVERFLOW (a number out of range), DISP_E_BADVARTYPE (an
// unsupported type); dest is untouched on failure. Strings are read as an optional sign,
// digits and an optional fraction (rounded half to even), with surrounding blanks allowed; a
// string converts to VT_BOOL also from the whole words "True" and "False" in any case.
HRESULT VariantChangeType(VARIANT* pvargDest, const VARIANT* pvarSrc, uint16_t wFlags, VARTYPE vt);

}  // namespace tq
#endif

namespace tq {

// Flags of VariantChangeType.
constexpr uint16_t VARIANT_NOVALUEPROP = 0x01;
constexpr uint16_t VARIANT_ALPHABOOL = 0x02;  // VT_BOOL → "True"/"False" instead of "-1"/"0"

// A VARIANT that clears itself. It has exactly the layout of VARIANT, so an array of CVariant
// can be handed out as an array of VARIANT.
class CVariant : public VARIANT {
public:
    CVariant() { VariantInit(this); }
    explicit CVariant(int32_t l);
    explicit CVariant(int16_t i);
    explicit CVariant(bool b);
    // A VT_BSTR holding a copy of the text (null BSTR when memory runs out).
    explicit CVariant(OleStringView str);
    ~CVariant() { VariantClear(this); }
    CVariant(const CVariant& other);
    CVariant& operator=(const CVariant& other);
    CVariant(CVariant&& other) noexcept;
    CVariant& operator=(CVariant&& other) noexcept;

    // Takes ownership of the BSTR.
    void AttachBstr(BSTR bstr);
    // Hands the value over to a raw VARIANT (which must be empty or garbage) and leaves this
    // one empty: the way a result is returned through an out-parameter.
    void Detach(VARIANT* pvar);
};

static_assert(sizeof(CVariant) == sizeof(VARIANT), "CVariant must add nothing to VARIANT");

}  // namespace tq
