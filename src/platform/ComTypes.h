// The basic types of automation: GUIDs, HRESULTs and the automation scalar types. On Windows
// they are the system's own (the types of the automation headers, the interface identifiers of
// the system's library); elsewhere the mini-COM runtime defines them here with the exact sizes
// and values of the Windows definitions, so that every caller compiles and means the same on
// both. The constants and helpers after the types are shared.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#ifdef _WIN32
#include "platform/win32/SystemApi.h"

namespace tq {

using ::BSTR;
using ::CLSID;
using ::DISPID;
using ::GUID;
using ::HRESULT;
using ::IID;
using ::IID_IClassFactory;
using ::IID_IDispatch;
using ::IID_IUnknown;
using ::IsEqualGUID;
using ::LCID;
using ::OLECHAR;
using ::SCODE;
using ::UINT;
using ::ULONG;
using ::VARIANT_BOOL;
using ::VARTYPE;
using ::WORD;

}  // namespace tq

#define TQ_OLESTR(text) L##text
#else
// The calling conventions of COM methods and of a module's exported entry points: the
// standard one on Windows' 32-bit targets, none to name elsewhere.
#define STDMETHODCALLTYPE
#define STDAPICALLTYPE

namespace tq {

using HRESULT = int32_t;
using SCODE = int32_t;
using DISPID = int32_t;
using LCID = uint32_t;
using VARTYPE = uint16_t;
using VARIANT_BOOL = int16_t;
using OLECHAR = char16_t;
using BSTR = OLECHAR*;
// The integer types the COM interfaces are declared with.
using ULONG = uint32_t;
using UINT = uint32_t;
using WORD = uint16_t;

struct GUID {
    uint32_t Data1 = 0;
    uint16_t Data2 = 0;
    uint16_t Data3 = 0;
    uint8_t Data4[8] = {};

    friend bool operator==(const GUID&, const GUID&) = default;
};
using IID = GUID;
using CLSID = GUID;

static_assert(sizeof(GUID) == 16, "GUID must have the Windows layout");

inline bool IsEqualGUID(const GUID& a, const GUID& b) {
    return a == b;
}

constexpr GUID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
constexpr GUID IID_IClassFactory = {0x00000001, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
constexpr GUID IID_IDispatch = {0x00020400, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

}  // namespace tq

#define TQ_OLESTR(text) u##text
#endif

namespace tq {

using REFIID = const IID&;
using REFCLSID = const CLSID&;
// Text in automation's characters (UTF-16): TQ_OLESTR("x") is such a literal.
using OleString = std::basic_string<OLECHAR>;
using OleStringView = std::basic_string_view<OLECHAR>;

constexpr VARIANT_BOOL VARIANT_TRUE = -1;
constexpr VARIANT_BOOL VARIANT_FALSE = 0;

constexpr bool SUCCEEDED(HRESULT hr) {
    return hr >= 0;
}
constexpr bool FAILED(HRESULT hr) {
    return hr < 0;
}
// A Win32 error number as an HRESULT of the FACILITY_WIN32 kind (0 stays 0).
constexpr HRESULT HRESULT_FROM_WIN32(int32_t err) {
    return err <= 0 ? err
                    : static_cast<HRESULT>((static_cast<uint32_t>(err) & 0xFFFFu) | 0x80070000u);
}

// Written as unsigned literals, as the Windows headers do, and stored as the signed HRESULT.
constexpr HRESULT MakeHResult(uint32_t code) {
    return static_cast<HRESULT>(code);
}

constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_NOTIMPL = MakeHResult(0x80004001u);
constexpr HRESULT E_NOINTERFACE = MakeHResult(0x80004002u);
constexpr HRESULT E_POINTER = MakeHResult(0x80004003u);
constexpr HRESULT E_FAIL = MakeHResult(0x80004005u);
constexpr HRESULT E_UNEXPECTED = MakeHResult(0x8000FFFFu);
constexpr HRESULT E_OUTOFMEMORY = MakeHResult(0x8007000Eu);
constexpr HRESULT E_INVALIDARG = MakeHResult(0x80070057u);

constexpr HRESULT DISP_E_UNKNOWNINTERFACE = MakeHResult(0x80020001u);
constexpr HRESULT DISP_E_MEMBERNOTFOUND = MakeHResult(0x80020003u);
constexpr HRESULT DISP_E_PARAMNOTFOUND = MakeHResult(0x80020004u);
constexpr HRESULT DISP_E_TYPEMISMATCH = MakeHResult(0x80020005u);
constexpr HRESULT DISP_E_UNKNOWNNAME = MakeHResult(0x80020006u);
constexpr HRESULT DISP_E_NONAMEDARGS = MakeHResult(0x80020007u);
constexpr HRESULT DISP_E_BADVARTYPE = MakeHResult(0x80020008u);
constexpr HRESULT DISP_E_EXCEPTION = MakeHResult(0x80020009u);
constexpr HRESULT DISP_E_OVERFLOW = MakeHResult(0x8002000Au);
constexpr HRESULT DISP_E_BADINDEX = MakeHResult(0x8002000Bu);
constexpr HRESULT DISP_E_BADPARAMCOUNT = MakeHResult(0x8002000Eu);
constexpr HRESULT DISP_E_PARAMNOTOPTIONAL = MakeHResult(0x8002000Fu);

constexpr HRESULT CLASS_E_NOAGGREGATION = MakeHResult(0x80040110u);
constexpr HRESULT CLASS_E_CLASSNOTAVAILABLE = MakeHResult(0x80040111u);
constexpr HRESULT REGDB_E_READREGDB = MakeHResult(0x80040150u);
constexpr HRESULT REGDB_E_CLASSNOTREG = MakeHResult(0x80040154u);
constexpr HRESULT CO_E_CLASSSTRING = MakeHResult(0x800401F3u);
constexpr HRESULT CO_E_DLLNOTFOUND = MakeHResult(0x800401F8u);
constexpr HRESULT CO_E_ERRORINDLL = MakeHResult(0x800401F9u);

// Win32 errors of module loading, reported by the host helper as HRESULT_FROM_WIN32.
constexpr int32_t ERROR_MOD_NOT_FOUND = 126;
constexpr int32_t ERROR_PROC_NOT_FOUND = 127;
constexpr int32_t ERROR_BAD_EXE_FORMAT = 193;

// A short English name and meaning of the codes above ("DISP_E_TYPEMISMATCH: type mismatch"),
// for hosts that report a failed call; "HRESULT 0x........" for any other code.
std::string DescribeHResult(HRESULT hr);

// "{FE1B0AC2-7074-11D5-99A1-00C04FB9CD98}": upper-case hex in braces, as the registry holds it.
std::string GuidToString(const GUID& guid);
// Parses that form (hex digits of either case, braces required); false for anything else,
// and guid is then left untouched.
bool GuidFromString(std::string_view str, GUID& guid);

constexpr GUID IID_NULL = {};

}  // namespace tq
