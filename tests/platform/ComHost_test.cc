#include "platform/ComHost.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "platform/Bstr.h"
#include "platform/ComModule.h"
#include "platform/Cp932.h"
#include "platform/Dispatch.h"
#include "platform/File.h"
#include "platform/Module.h"
#include "platform/Path.h"
#include "platform/Registry.h"
#include "platform/Variant.h"
#include "platform/Win32Error.h"
#include "support/TestSupport.h"

// Calls a two-argument method from C through the virtual table; 0 when *pResult was set.
extern "C" int TqCallBinaryThroughVtbl(void* pDispatch, const uint16_t* pszName, int32_t a,
                                       int32_t b, int32_t* pResult);

namespace tq {
namespace {

const auto Str = [](OleStringView s) { return CVariant(s); };

CVariant OfType(VARTYPE vt, void* pRef = nullptr) {
    CVariant v;
    v.vt = vt;
    v.byref = pRef;
    return v;
}

OleStringView Text(const VARIANT& v) {
    return {v.bstrVal ? v.bstrVal : TQ_OLESTR(""), SysStringLen(v.bstrVal)};
}

TEST(BstrTest, Cp932RoundTripsAndUntranslatableTextLeavesTheOutputAlone) {
    CBstr b;  // 表 (its second byte is 0x5C), then a backslash
    ASSERT_EQ(BstrFromCp932("\x95\x5C\\", b.Receive()), ERROR_SUCCESS);
    EXPECT_EQ(b.View(), TQ_OLESTR("\u8868\\"));
    std::string back;
    ASSERT_EQ(BstrToCp932(b.Get(), back), ERROR_SUCCESS);
    EXPECT_EQ(back, "\x95\x5C\\");
    CBstr surrogate(OleStringView(TQ_OLESTR("a\xD800"), 2));  // has no code page 932 form
    std::string out = "untouched";
    EXPECT_EQ(BstrToCp932(surrogate.Get(), out), ERROR_NO_UNICODE_TRANSLATION);
    EXPECT_EQ(out, "untouched");
    // A lead byte without its trail byte; the lossy form keeps the rest and marks it.
    BSTR bstr = reinterpret_cast<BSTR>(0x1);
    EXPECT_EQ(BstrFromCp932("ab\x81", &bstr), ERROR_NO_UNICODE_TRANSLATION);
    EXPECT_EQ(bstr, reinterpret_cast<BSTR>(0x1));
    CBstr lossy;
    ASSERT_EQ(BstrFromCp932Lossy("ab\x81", lossy.Receive()), ERROR_SUCCESS);
    EXPECT_EQ(lossy.View(), TQ_OLESTR("ab\uFFFD"));
}

struct CChangeCase {
    const char* m_pszName;
    CVariant m_src;
    VARTYPE m_vt;
    HRESULT m_hr;
    int32_t m_lExpected = 0;                  // for VT_I2, VT_I4, VT_BOOL
    OleString m_strExpected = TQ_OLESTR("");  // for VT_BSTR
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
        {"blanks around digits", Str(TQ_OLESTR(" \t42 ")), VT_I4, S_OK, 42},
        {"half rounds to even (down)", Str(TQ_OLESTR("2.50")), VT_I4, S_OK, 2},
        {"half rounds to even (up)", Str(TQ_OLESTR("3.5")), VT_I4, S_OK, 4},
        {"above half", Str(TQ_OLESTR("2.501")), VT_I4, S_OK, 3},
        {"lowest I4", Str(TQ_OLESTR("-2147483648")), VT_I4, S_OK, INT32_MIN},
        {"I4 overflow", Str(TQ_OLESTR("2147483648")), VT_I4, DISP_E_OVERFLOW},
        {"huge number", Str(TQ_OLESTR("99999999999999999999999")), VT_I4, DISP_E_OVERFLOW},
        {"hexadecimal", Str(TQ_OLESTR("&h1F")), VT_I4, S_OK, 31},
        {"all 32 bits", Str(TQ_OLESTR("&HFFFFFFFF")), VT_I4, S_OK, -1},
        {"octal", Str(TQ_OLESTR("&O17")), VT_I4, S_OK, 15},
        {"exponent, then rounding", Str(TQ_OLESTR("25e-1")), VT_I4, S_OK, 2},
        {"thousands separators", Str(TQ_OLESTR("1,000")), VT_I4, S_OK, 1000},
        {"parentheses for minus", Str(TQ_OLESTR("(2)")), VT_I4, S_OK, -2},
        {"not a number", Str(TQ_OLESTR("x")), VT_I4, DISP_E_TYPEMISMATCH},
        {"digits then text", Str(TQ_OLESTR("1x")), VT_I4, DISP_E_TYPEMISMATCH},
        {"True", Str(TQ_OLESTR("True")), VT_BOOL, S_OK, VARIANT_TRUE},
        {"false in any case", Str(TQ_OLESTR("FALSE")), VT_BOOL, S_OK, VARIANT_FALSE},
        {"no blanks around a word", Str(TQ_OLESTR(" true")), VT_BOOL, DISP_E_TYPEMISMATCH},
        {"word as bool", Str(TQ_OLESTR("yes")), VT_BOOL, DISP_E_TYPEMISMATCH},
        {"#FALSE#", Str(TQ_OLESTR("#FALSE#")), VT_BOOL, S_OK, VARIANT_FALSE},
        {"#true# is no literal", Str(TQ_OLESTR("#true#")), VT_BOOL, DISP_E_TYPEMISMATCH},
        {"TRUE as text", CVariant(true), VT_BSTR, S_OK, 0, TQ_OLESTR("-1")},
        {"TRUE as word", CVariant(true), VT_BSTR, S_OK, 0, TQ_OLESTR("True"), VARIANT_ALPHABOOL},
        {"null", OfType(VT_NULL), VT_I4, DISP_E_TYPEMISMATCH},
        {"unsupported target", CVariant(1), VARTYPE{24} /* VT_VOID */, DISP_E_BADVARTYPE},
        {"array source", OfType(0x2000 | VT_I4), VT_I4, DISP_E_TYPEMISMATCH},
        {"VARIANT not by reference", OfType(VT_VARIANT), VT_I4, DISP_E_TYPEMISMATCH},
        {"undefined source type", OfType(VARTYPE{15}), VT_I4, DISP_E_BADVARTYPE},
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
    CVariant out, inner = Str(TQ_OLESTR("12"));
    ASSERT_EQ(Change(out, OfType(VT_BYREF | VT_I4, &l), VT_BSTR), S_OK);
    EXPECT_EQ(Text(out), TQ_OLESTR("7"));
    CVariant refVariant = OfType(VT_BYREF | VT_VARIANT, &inner);
    ASSERT_EQ(Change(out, refVariant, VT_I4), S_OK);
    EXPECT_EQ(out.lVal, 12);
    // A reference to a VARIANT that is itself a reference is malformed; a null reference has no
    // value to convert.
    EXPECT_EQ(Change(out, OfType(VT_BYREF | VT_VARIANT, &refVariant), VT_I4), E_INVALIDARG);
    EXPECT_EQ(Change(out, OfType(VT_BYREF | VT_I4), VT_I4), DISP_E_TYPEMISMATCH);
    // Clearing a reference frees nothing it points to; VariantCopyInd makes an owned value of it.
    CVariant refString = OfType(VT_BYREF | VT_BSTR, &inner.bstrVal), owned;
    ASSERT_EQ(VariantCopyInd(&owned, &refString), S_OK);
    EXPECT_EQ(Text(owned), TQ_OLESTR("12"));
    ASSERT_EQ(VariantClear(&refString), S_OK);
    EXPECT_EQ(Text(inner), TQ_OLESTR("12"));
    // In place, the old string is freed (ASan reports it otherwise) or kept on failure.
    ASSERT_EQ(Change(inner, inner, VT_I4), S_OK);
    EXPECT_EQ(inner.lVal, 12);
    CVariant word = Str(TQ_OLESTR("no"));
    EXPECT_EQ(Change(word, word, VT_I4), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(Text(word), TQ_OLESTR("no"));
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

// Hosts compare results with their own headers' values: each name keeps the system's value.
template <typename... T>
std::vector<uint32_t> Of(T... values) {
    return {static_cast<uint32_t>(values)...};
}

TEST(WindowsValuesTest, NamesKeepTheirSystemValues) {
    EXPECT_EQ(Of(S_FALSE, E_NOTIMPL, E_NOINTERFACE, E_POINTER, E_FAIL, E_UNEXPECTED, E_OUTOFMEMORY,
                 E_INVALIDARG, DISP_E_UNKNOWNINTERFACE, DISP_E_MEMBERNOTFOUND, DISP_E_PARAMNOTFOUND,
                 DISP_E_TYPEMISMATCH, DISP_E_UNKNOWNNAME, DISP_E_NONAMEDARGS, DISP_E_BADVARTYPE,
                 DISP_E_EXCEPTION, DISP_E_OVERFLOW, DISP_E_BADINDEX, DISP_E_BADPARAMCOUNT,
                 DISP_E_PARAMNOTOPTIONAL, CLASS_E_NOAGGREGATION, CLASS_E_CLASSNOTAVAILABLE,
                 REGDB_E_READREGDB, REGDB_E_CLASSNOTREG, CO_E_CLASSSTRING, CO_E_DLLNOTFOUND,
                 CO_E_ERRORINDLL),
              Of(1, 0x80004001, 0x80004002, 0x80004003, 0x80004005, 0x8000FFFF, 0x8007000E,
                 0x80070057, 0x80020001, 0x80020003, 0x80020004, 0x80020005, 0x80020006, 0x80020007,
                 0x80020008, 0x80020009, 0x8002000A, 0x8002000B, 0x8002000E, 0x8002000F, 0x80040110,
                 0x80040111, 0x80040150, 0x80040154, 0x800401F3, 0x800401F8, 0x800401F9));
    EXPECT_EQ(Of(FILE_ATTRIBUTE_READONLY, FILE_ATTRIBUTE_HIDDEN, FILE_ATTRIBUTE_DIRECTORY,
                 FILE_ATTRIBUTE_ARCHIVE, FILE_ATTRIBUTE_NORMAL, DRIVE_UNKNOWN, DRIVE_NO_ROOT_DIR,
                 DRIVE_REMOVABLE, DRIVE_FIXED, DRIVE_REMOTE, DRIVE_CDROM),
              Of(0x01, 0x02, 0x10, 0x20, 0x80, 0, 1, 2, 3, 4, 5));
    EXPECT_EQ(GuidToString(IID_IUnknown), "{00000000-0000-0000-C000-000000000046}");
    EXPECT_EQ(Of(ERROR_FILE_NOT_FOUND, ERROR_PATH_NOT_FOUND, ERROR_ACCESS_DENIED,
                 ERROR_INVALID_HANDLE, ERROR_SHARING_VIOLATION),
              Of(2, 3, 5, 6, 32));
}

constexpr IID kIidTest = {0x12345678, 0x1234, 0x5678, {1, 2, 3, 4, 5, 6, 7, 8}};
constexpr uint16_t M = DISPATCH_METHOD, G = DISPATCH_PROPERTYGET, P = DISPATCH_PROPERTYPUT;

class CTestObject : public CDispatchTable {
public:
    explicit CTestObject(bool bRaiseOnReadOnly = false)
        : CDispatchTable(Members(), kIidTest), m_bRaiseOnReadOnly(bRaiseOnReadOnly) {}

    int32_t GetCount() { return 42; }
    std::string GetName() { return m_strName; }
    void PutName(const std::string& str) { m_strName = str; }
    int32_t Subtract(int32_t a, int32_t b) { return a - b; }
    int32_t Kind(const VARIANT& v) { return v.vt; }
    int16_t Short(int16_t i) { return i; }
    int32_t Fail() {
        RaiseException(0, E_FAIL, "\x8E\xB8\x94\x73", "Test");  // 失敗
        return 1;
    }

    std::string m_strName;

    static std::span<const CDispMember> Members() {
        static const CDispMember members[] = {
            DispProperty(1, "Count", &CTestObject::GetCount),
            DispProperty(2, "Name", &CTestObject::GetName, &CTestObject::PutName),
            DispMethod(3, "Subtract", &CTestObject::Subtract),
            DispMethod(6, "Kind", &CTestObject::Kind),
            DispMethod(7, "Short", &CTestObject::Short),
            DispMethod(8, "Fail", &CTestObject::Fail),
        };
        return members;
    }

protected:
    void OnPutReadOnly(const CDispMember& member) override {
        if (m_bRaiseOnReadOnly) {
            RaiseException(1234, 0, std::string("read-only: ") + member.m_pszName);
        }
    }

private:
    bool m_bRaiseOnReadOnly;
};

struct DispatchTest : ::testing::Test {
    CTestObject* m_pObject = new CTestObject();
    ~DispatchTest() override { EXPECT_EQ(m_pObject->Release(), 0u); }
};

struct CCall {
    HRESULT m_hr = S_OK;
    CVariant m_result;
    uint32_t m_uArgErr = 99;
    EXCEPINFO m_exc = {};
    ~CCall() {
        SysFreeString(m_exc.bstrSource);
        SysFreeString(m_exc.bstrDescription);
        SysFreeString(m_exc.bstrHelpFile);
    }
};

const std::vector<DISPID> kPut = {DISPID_PROPERTYPUT};  // the named value of a property put

// Invokes with the arguments in their natural order; they are handed over reversed, as COM does.
void Call(IDispatch* p, DISPID id, uint16_t wFlags, std::vector<CVariant> args, CCall& call,
          std::vector<DISPID> named = {}) {
    std::vector<CVariant> reversed(args.rbegin(), args.rend());
    DISPPARAMS params = {reversed.data(), named.data(), static_cast<uint32_t>(reversed.size()),
                         static_cast<uint32_t>(named.size())};
    call.m_hr = p->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, wFlags, &params, &call.m_result,
                          &call.m_exc, &call.m_uArgErr);
}

HRESULT InvokeBare(IDispatch* p, DISPID id, uint16_t wFlags, DISPPARAMS* params,
                   REFIID riid = IID_NULL) {
    return p->Invoke(id, riid, 0, wFlags, params, nullptr, nullptr, nullptr);
}

struct CInvokeCase {
    const char* m_pszName;
    DISPID m_id;
    uint16_t m_wFlags;
    std::vector<CVariant> m_args;
    HRESULT m_hr;
    int32_t m_lResult = 0;    // the VT_I4 result on success
    uint32_t m_uArgErr = 99;  // the failing argument's slot (COM order)
};

TEST_F(DispatchTest, InvokeChecksFlagsCountsAndTypes) {
    int32_t byRef = 4;
    CVariant inner(int32_t{1}), ref = OfType(VT_BYREF | VT_I4, &byRef),
                                refVariant = OfType(VT_BYREF | VT_VARIANT, &inner);
    const CInvokeCase cases[] = {
        {"script hosts pass both flags", 3, M | G, {CVariant(10), CVariant(3)}, S_OK, 7},
        {"I2 and text coerce", 3, M, {CVariant(int16_t{10}), Str(TQ_OLESTR(" 3 "))}, S_OK, 7},
        {"a reference is followed", 3, M, {CVariant(10), ref}, S_OK, 6},
        {"a method is not read", 3, G, {CVariant(10), CVariant(3)}, DISP_E_MEMBERNOTFOUND},
        {"too few", 3, M, {CVariant(10)}, DISP_E_BADPARAMCOUNT},
        {"bad first argument", 3, M, {Str(TQ_OLESTR("x")), CVariant(3)}, DISP_E_TYPEMISMATCH, 0, 1},
        {"bad second one", 3, M, {CVariant(1), Str(TQ_OLESTR("x"))}, DISP_E_TYPEMISMATCH, 0, 0},
        {"overflow is a mismatch", 7, M, {CVariant(70000)}, DISP_E_TYPEMISMATCH, 0, 0},
        {"no code page 932 form", 2, P, {Str(TQ_OLESTR("caf\u00E9"))}, DISP_E_TYPEMISMATCH, 0, 0},
        {"property read", 1, G, {}, S_OK, 42},
        {"unknown dispid", 77, M, {}, DISP_E_MEMBERNOTFOUND},
        {"no flags", 3, 0, {CVariant(1), CVariant(2)}, DISP_E_MEMBERNOTFOUND},
        {"put to a method", 3, P, {CVariant(1)}, DISP_E_MEMBERNOTFOUND},
        {"put to a read-only property", 1, P, {CVariant(1)}, DISP_E_MEMBERNOTFOUND},
        {"unnamed put", 2, P, {Str(TQ_OLESTR("x"))}, DISP_E_PARAMNOTFOUND},
        {"VARIANT gets a reference", 6, M, {refVariant}, S_OK, VT_BYREF | VT_VARIANT},
    };
    for (const CInvokeCase& c : cases) {
        SCOPED_TRACE(c.m_pszName);
        CCall call;
        bool bNamed = c.m_wFlags == P && c.m_hr != DISP_E_PARAMNOTFOUND;
        Call(m_pObject, c.m_id, c.m_wFlags, c.m_args, call, bNamed ? kPut : std::vector<DISPID>{});
        EXPECT_EQ(call.m_hr, c.m_hr);
        EXPECT_EQ(call.m_uArgErr, c.m_uArgErr);
        EXPECT_EQ(call.m_result.vt, SUCCEEDED(c.m_hr) ? VT_I4 : VT_EMPTY);
        EXPECT_EQ(call.m_result.lVal, c.m_lResult);
    }
    CCall namedMethodArg;
    Call(m_pObject, 3, M, {CVariant(1), CVariant(2)}, namedMethodArg, {0});
    EXPECT_EQ(namedMethodArg.m_hr, DISP_E_NONAMEDARGS);
    EXPECT_EQ(m_pObject->m_strName, "");
}

TEST(DispatchExceptionTest, ObjectsMayRaiseExceptions) {
    CComPtr<CTestObject> p;
    *p.Receive() = new CTestObject(true);
    CCall readOnly, fail;
    Call(p.Get(), 1, P, {CVariant(1)}, readOnly, kPut);
    EXPECT_EQ(std::tie(readOnly.m_hr, readOnly.m_exc.wCode, readOnly.m_exc.scode),
              std::tuple(DISP_E_EXCEPTION, 1234, 0));  // a code of its own and no SCODE
    EXPECT_EQ(OleStringView(readOnly.m_exc.bstrDescription), TQ_OLESTR("read-only: Count"));
    Call(p.Get(), 8, M, {}, fail);
    EXPECT_EQ(std::tie(fail.m_hr, fail.m_exc.wCode, fail.m_exc.scode),
              std::tuple(DISP_E_EXCEPTION, 0, E_FAIL));
    EXPECT_EQ(OleStringView(fail.m_exc.bstrDescription), TQ_OLESTR("\u5931\u6557"));
    EXPECT_EQ(OleStringView(fail.m_exc.bstrSource), TQ_OLESTR("Test"));
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    EXPECT_EQ(InvokeBare(p.Get(), 8, M, &none), DISP_E_EXCEPTION);
}

TEST_F(DispatchTest, MalformedCallsAreRefused) {
    CVariant arg(1);
    DISPPARAMS noArgs = {nullptr, nullptr, 1, 0}, noNames = {&arg, nullptr, 1, 1},
               empty = {nullptr, nullptr, 0, 0};
    EXPECT_EQ(InvokeBare(m_pObject, 1, G, nullptr), E_INVALIDARG);
    EXPECT_EQ(InvokeBare(m_pObject, 3, M, &noArgs), E_INVALIDARG);
    EXPECT_EQ(InvokeBare(m_pObject, 2, P, &noNames), E_INVALIDARG);
    EXPECT_EQ(InvokeBare(m_pObject, 1, G, &empty, kIidTest), DISP_E_UNKNOWNINTERFACE);
    EXPECT_EQ(m_pObject->GetTypeInfoCount(nullptr), E_INVALIDARG);
    m_pObject->AddRef();  // a VARIANT holding the object releases it when cleared
    OfType(VT_UNKNOWN, static_cast<IUnknown*>(m_pObject));
}

const char kClsidCounter[] = "{0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F0}";
const char kProgId[] = "Test.Counter.1";

// The entries CreateObject reads: the ProgID's class and, unless pszModule is null, its server.
void Register(const std::string& clsid, const char* pszModule) {
    CRegKey progId, server;
    ASSERT_EQ(progId.Create(HKEY_CLASSES_ROOT, std::string(kProgId) + "\\CLSID", KEY_ALL_ACCESS),
              0);
    ASSERT_EQ(progId.SetString("", clsid), 0);
    if (pszModule != nullptr) {
        const std::string key = "CLSID\\" + clsid + "\\InProcServer32";
        ASSERT_EQ(server.Create(HKEY_CLASSES_ROOT, key, KEY_ALL_ACCESS), 0);
        ASSERT_EQ(server.SetString("", pszModule), 0);
    }
}

HRESULT ModuleCanUnloadNow() {
    CModule module;  // unloading it only drops this reference; the host keeps the module loaded
    if (module.Load(TQ_TEST_COM_MODULE) != 0) {
        return E_UNEXPECTED;
    }
    auto pfn = reinterpret_cast<PFN_DllCanUnloadNow>(module.GetProcAddress("DllCanUnloadNow"));
    return pfn != nullptr ? pfn() : E_UNEXPECTED;
}

TEST(ComHostTest, CreatesARegisteredObject) {
    test::CTempPrefix prefix;
    CModule module;
    ASSERT_EQ(module.Load(TQ_TEST_COM_MODULE), 0);
    std::string strWindows, strDetail, strMarker;
    ASSERT_EQ(GetModuleFileName(module.GetProcAddress("DllCanUnloadNow"), strWindows), 0);
    EXPECT_EQ(strWindows.substr(0, 3), "Z:\\");
    Register(kClsidCounter, strWindows.c_str());
    CRegKey marker;  // what the module finds in the registry: this machine's
    ASSERT_EQ(marker.Create(HKEY_CURRENT_USER, "Test", KEY_ALL_ACCESS), 0);
    ASSERT_EQ(marker.SetString("Marker", prefix.GetDir()), 0);
    CComPtr<IDispatch> p, second;
    ASSERT_EQ(CreateObject(kProgId, p.Receive(), &strDetail), S_OK) << strDetail;
    EXPECT_EQ(ModuleCanUnloadNow(), S_FALSE);
    int32_t result = 0;
    EXPECT_EQ(TqCallBinaryThroughVtbl(
                  p.Get(), reinterpret_cast<const uint16_t*>(TQ_OLESTR("Subtract")), 9, 4, &result),
              0);
    EXPECT_EQ(result, 5);
    CCall found;  // the module's copy of the platform layer works on the host's machine
    Call(p.Get(), 3, G, {}, found);
    ASSERT_EQ(found.m_hr, S_OK);
    ASSERT_EQ(BstrToCp932(found.m_result.bstrVal, strMarker), 0);
    EXPECT_EQ(strMarker, prefix.GetDir());
    ASSERT_EQ(CreateObject("test.counter.1", second.Receive()), S_OK);
    EXPECT_NE(second.Get(), p.Get());
    p.Reset();
    EXPECT_EQ(ModuleCanUnloadNow(), S_FALSE);
    second.Reset();
    EXPECT_EQ(ModuleCanUnloadNow(), S_OK);
    // A lock on the class factory keeps the module loaded without any object.
    CLSID clsid;
    ASSERT_TRUE(GuidFromString(kClsidCounter, clsid));
    auto pfnGet =
        reinterpret_cast<PFN_DllGetClassObject>(module.GetProcAddress("DllGetClassObject"));
    for (int32_t fLock : {1, 0}) {
        CComPtr<IClassFactory> pFactory;
        ASSERT_EQ(pfnGet(clsid, IID_IClassFactory, reinterpret_cast<void**>(pFactory.Receive())),
                  S_OK);
        EXPECT_EQ(pFactory->LockServer(fLock), S_OK);
        pFactory.Reset();
        EXPECT_EQ(ModuleCanUnloadNow(), fLock != 0 ? S_FALSE : S_OK);
    }
}

TEST(ComHostTest, FailuresGiveClearCodesAndNoObject) {
    const char* kNone = "-";  // nothing registered
    const char* kModule = TQ_TEST_COM_MODULE;
    const char* kTextFile = "text";  // a file of text in the prefix
    const std::string kPath = std::string("CLSID\\") + kClsidCounter;
    // case, registered CLSID and server, ProgID asked for, result
    const std::tuple<const char*, std::string, const char*, std::string, HRESULT> cases[] = {
        {"nothing registered", kNone, nullptr, kProgId, CO_E_CLASSSTRING},
        {"CLSID not in braces", kClsidCounter + 1, kModule, kProgId, CO_E_CLASSSTRING},
        {"a path instead of a ProgID", kClsidCounter, kModule, kPath, CO_E_CLASSSTRING},
        {"ProgID that is not code page 932", kNone, nullptr, "Test\x81", CO_E_CLASSSTRING},
        {"class without a server", kClsidCounter, nullptr, kProgId, REGDB_E_CLASSNOTREG},
        {"empty server path", kClsidCounter, "", kProgId, REGDB_E_CLASSNOTREG},
        {"Windows path on no drive", kClsidCounter, "Q:\\m.so", kProgId,
         HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND)},
        {"module file is not a module", kClsidCounter, kTextFile, kProgId,
         HRESULT_FROM_WIN32(ERROR_BAD_EXE_FORMAT)},
        {"module without DllGetClassObject", kClsidCounter, TQ_TEST_COM_NOEXPORT, kProgId,
         CO_E_ERRORINDLL},
        {"module does not serve the class", "{00000000-1111-2222-3333-444444444444}", kModule,
         kProgId, CLASS_E_CLASSNOTAVAILABLE},
    };
    for (const auto& [pszCase, clsid, pszServer, progId, hr] : cases) {
        SCOPED_TRACE(pszCase);
        test::CTempPrefix prefix;
        const std::string strText = prefix.Path("text.dll");
        test::WriteLinuxFile(strText, "text");
        if (clsid != kNone) {
            Register(clsid, pszServer == kTextFile ? strText.c_str() : pszServer);
        }
        IDispatch* p = reinterpret_cast<IDispatch*>(0x1);
        std::string strDetail;
        EXPECT_EQ(CreateObject(progId, &p, &strDetail), hr) << DescribeHResult(hr);
        EXPECT_EQ(p, reinterpret_cast<IDispatch*>(0x1));
        EXPECT_FALSE(strDetail.empty());
    }
    EXPECT_EQ(CreateObject(kProgId, nullptr), E_POINTER);
}

}  // namespace
}  // namespace tq
