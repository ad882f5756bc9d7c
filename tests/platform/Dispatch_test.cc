#include "platform/Dispatch.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/ComModule.h"
#include "platform/com_module/VtblCaller.h"

namespace tq {
namespace {

constexpr IID kIidTest = {0x12345678, 0x1234, 0x5678, {1, 2, 3, 4, 5, 6, 7, 8}};

// An object with one member of every shape the table supports.
class CTestObject : public CDispatchTable {
public:
    explicit CTestObject(bool bRaiseOnReadOnly = false)
        : CDispatchTable(Members(), kIidTest), m_bRaiseOnReadOnly(bRaiseOnReadOnly) {}

    int32_t GetCount() { return 42; }
    std::string GetName() { return m_strName; }
    void PutName(const std::string& str) { m_strName = str; }
    int32_t Subtract(int32_t a, int32_t b) { return a - b; }
    std::string Echo(const std::string& str) { return str; }
    bool Negate(bool b) { return !b; }
    int32_t Kind(const VARIANT& v) { return v.vt; }
    int16_t Short(int16_t i) { return i; }
    int32_t Fail() {
        RaiseException(0, E_FAIL, "\x8E\xB8\x94\x73", "Test");  // 失敗
        return 1;
    }
    void Touch() { ++m_nTouched; }

    std::string m_strName;
    int m_nTouched = 0;

    static std::span<const CDispMember> Members() {
        static const CDispMember members[] = {
            DispProperty(1, "Count", &CTestObject::GetCount),
            DispProperty(2, "Name", &CTestObject::GetName, &CTestObject::PutName),
            DispMethod(3, "Subtract", &CTestObject::Subtract),
            DispMethod(4, "Echo", &CTestObject::Echo),
            DispMethod(5, "Negate", &CTestObject::Negate),
            DispMethod(6, "Kind", &CTestObject::Kind),
            DispMethod(7, "Short", &CTestObject::Short),
            DispMethod(8, "Fail", &CTestObject::Fail),
            DispMethod(9, "Touch", &CTestObject::Touch),
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

// Holds an object for a test and checks that the last reference destroys it.
struct DispatchObjectTest : ::testing::Test {
    CTestObject* m_pObject = new CTestObject();
    ~DispatchObjectTest() override { EXPECT_EQ(m_pObject->Release(), 0u); }
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

// Invokes with the arguments in their natural order; they are handed over reversed, as COM does.
void Call(IDispatch* p, DISPID id, uint16_t wFlags, std::vector<CVariant> args, CCall& call,
          std::vector<DISPID> named = {}) {
    std::vector<CVariant> reversed(args.rbegin(), args.rend());
    DISPPARAMS params = {reversed.data(), named.data(), static_cast<uint32_t>(reversed.size()),
                         static_cast<uint32_t>(named.size())};
    call.m_hr = p->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, wFlags, &params, &call.m_result,
                          &call.m_exc, &call.m_uArgErr);
}

CVariant Str(std::u16string_view s) {
    return CVariant(s);
}

TEST_F(DispatchObjectTest, NamesAreFoundWithoutRegardToCase) {
    for (const char16_t* name : {u"subtract", u"sUbTrAcT"}) {
        OLECHAR* names[] = {const_cast<OLECHAR*>(name)};
        DISPID id = 0;
        EXPECT_EQ(m_pObject->GetIDsOfNames(IID_NULL, names, 1, 0, &id), S_OK);
        EXPECT_EQ(id, 3);
    }
    // An unknown name, or a near miss.
    for (const char16_t* name : {u"Subtrac", u"Subtractx"}) {
        OLECHAR* names[] = {const_cast<OLECHAR*>(name)};
        DISPID id = 0;
        EXPECT_EQ(m_pObject->GetIDsOfNames(IID_NULL, names, 1, 0, &id), DISP_E_UNKNOWNNAME);
        EXPECT_EQ(id, DISPID_UNKNOWN);
    }
    // No member has named parameters: the member is found, the parameter name is not.
    OLECHAR* names[] = {const_cast<OLECHAR*>(u"Subtract"), const_cast<OLECHAR*>(u"a")};
    DISPID ids[2] = {0, 0};
    EXPECT_EQ(m_pObject->GetIDsOfNames(IID_NULL, names, 2, 0, ids), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(ids[0], 3);
    EXPECT_EQ(ids[1], DISPID_UNKNOWN);

    DISPID id = 0;
    EXPECT_EQ(m_pObject->GetIDsOfNames(kIidTest, names, 1, 0, &id), DISP_E_UNKNOWNINTERFACE);
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

TEST_F(DispatchObjectTest, InvokeChecksFlagsCountsAndTypes) {
    constexpr uint16_t M = DISPATCH_METHOD;
    constexpr uint16_t G = DISPATCH_PROPERTYGET;
    int32_t byRef = 4;
    CVariant ref;
    ref.vt = VT_BYREF | VT_I4;
    ref.plVal = &byRef;
    const CInvokeCase cases[] = {
        {"arguments arrive in order", 3, M, {CVariant(10), CVariant(3)}, S_OK, 7},
        {"script hosts pass both flags", 3, M | G, {CVariant(10), CVariant(3)}, S_OK, 7},
        {"I2 and text coerce", 3, M, {CVariant(int16_t{10}), Str(u" 3 ")}, S_OK, 7},
        {"a reference is followed", 3, M, {CVariant(10), ref}, S_OK, 6},
        {"a method is not read", 3, G, {CVariant(10), CVariant(3)}, DISP_E_MEMBERNOTFOUND},
        {"too few", 3, M, {CVariant(10)}, DISP_E_BADPARAMCOUNT},
        {"too many", 3, M, {CVariant(1), CVariant(2), CVariant(3)}, DISP_E_BADPARAMCOUNT},
        {"bad first argument", 3, M, {Str(u"x"), CVariant(3)}, DISP_E_TYPEMISMATCH, 0, 1},
        {"bad second argument", 3, M, {CVariant(1), Str(u"x")}, DISP_E_TYPEMISMATCH, 0, 0},
        {"overflow is a mismatch", 7, M, {CVariant(70000)}, DISP_E_TYPEMISMATCH, 0, 0},
        {"property read", 1, G, {}, S_OK, 42},
        {"property read with both flags", 1, M | G, {}, S_OK, 42},
        {"a property is not called", 1, M, {}, DISP_E_MEMBERNOTFOUND},
        {"property read with an argument", 1, G, {CVariant(1)}, DISP_E_BADPARAMCOUNT},
        {"unknown dispid", 77, M, {}, DISP_E_MEMBERNOTFOUND},
        {"no flags", 3, 0, {CVariant(1), CVariant(2)}, DISP_E_MEMBERNOTFOUND},
        {"put to a method", 3, DISPATCH_PROPERTYPUT, {CVariant(1)}, DISP_E_MEMBERNOTFOUND},
    };
    for (const CInvokeCase& c : cases) {
        SCOPED_TRACE(c.m_pszName);
        std::vector<DISPID> named;
        if (c.m_wFlags == DISPATCH_PROPERTYPUT) {
            named.push_back(DISPID_PROPERTYPUT);
        }
        CCall call;
        Call(m_pObject, c.m_id, c.m_wFlags, c.m_args, call, named);
        EXPECT_EQ(call.m_hr, c.m_hr);
        EXPECT_EQ(call.m_uArgErr, c.m_uArgErr);
        if (SUCCEEDED(c.m_hr)) {
            EXPECT_EQ(call.m_result.vt, VT_I4);
            EXPECT_EQ(call.m_result.lVal, c.m_lResult);
        } else {
            EXPECT_EQ(call.m_result.vt, VT_EMPTY);
        }
    }
}

TEST_F(DispatchObjectTest, ResultsCarryTheirAutomationTypes) {
    CCall b;
    Call(m_pObject, 5, DISPATCH_METHOD, {CVariant(0)}, b);
    ASSERT_EQ(b.m_hr, S_OK);
    EXPECT_EQ(b.m_result.vt, VT_BOOL);
    EXPECT_EQ(b.m_result.boolVal, VARIANT_TRUE);

    // A method without a result leaves VT_EMPTY, and a caller may ask for no result at all.
    CCall v;
    Call(m_pObject, 9, DISPATCH_METHOD, {}, v);
    EXPECT_EQ(v.m_hr, S_OK);
    EXPECT_EQ(v.m_result.vt, VT_EMPTY);
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    EXPECT_EQ(m_pObject->Invoke(9, IID_NULL, 0, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr),
              S_OK);
    EXPECT_EQ(m_pObject->m_nTouched, 2);
}

TEST_F(DispatchObjectTest, StringsCrossAsCodePage932) {
    // 表示 (the first character's trail byte is the backslash byte)
    CCall echo;
    Call(m_pObject, 4, DISPATCH_METHOD, {Str(u"\u8868\u793A")}, echo);
    ASSERT_EQ(echo.m_hr, S_OK);
    ASSERT_EQ(echo.m_result.vt, VT_BSTR);
    EXPECT_EQ(std::u16string_view(echo.m_result.bstrVal), u"\u8868\u793A");

    CCall put;
    Call(m_pObject, 2, DISPATCH_PROPERTYPUT, {Str(u"\u8868")}, put, {DISPID_PROPERTYPUT});
    ASSERT_EQ(put.m_hr, S_OK);
    EXPECT_EQ(m_pObject->m_strName, "\x95\x5C");

    // A string the code page cannot hold is refused, not passed on with '?' in it.
    CCall bad;
    Call(m_pObject, 4, DISPATCH_METHOD, {Str(u"caf\u00E9")}, bad);
    EXPECT_EQ(bad.m_hr, DISP_E_TYPEMISMATCH);
    EXPECT_EQ(bad.m_uArgErr, 0u);
}

TEST_F(DispatchObjectTest, VariantParametersArriveUncoerced) {
    CVariant inner(int32_t{1});
    CVariant ref;
    ref.vt = VT_BYREF | VT_VARIANT;
    ref.pvarVal = &inner;
    CVariant dbl;
    dbl.vt = VT_R8;
    dbl.dblVal = 1.0;
    const std::pair<CVariant, int32_t> cases[] = {
        {CVariant(int16_t{1}), VT_I2}, {Str(u"1"), VT_BSTR},
        {ref, VT_BYREF | VT_VARIANT},  {dbl, VT_R8},
        {CVariant(), VT_EMPTY},
    };
    for (const auto& [arg, vt] : cases) {
        CCall call;
        Call(m_pObject, 6, DISPATCH_METHOD, {arg}, call);
        EXPECT_EQ(call.m_hr, S_OK);
        EXPECT_EQ(call.m_result.lVal, vt);
    }
}

TEST_F(DispatchObjectTest, PropertyPutNeedsItsNamedArgument) {
    CCall put;
    Call(m_pObject, 2, DISPATCH_PROPERTYPUT, {Str(u"abc")}, put, {DISPID_PROPERTYPUT});
    ASSERT_EQ(put.m_hr, S_OK);
    CCall get;
    Call(m_pObject, 2, DISPATCH_PROPERTYGET, {}, get);
    EXPECT_EQ(std::u16string_view(get.m_result.bstrVal), u"abc");

    CCall unnamed;
    Call(m_pObject, 2, DISPATCH_PROPERTYPUT, {Str(u"x")}, unnamed);
    EXPECT_EQ(unnamed.m_hr, DISP_E_PARAMNOTFOUND);
    CCall namedMethodArg;
    Call(m_pObject, 3, DISPATCH_METHOD, {CVariant(1), CVariant(2)}, namedMethodArg, {0});
    EXPECT_EQ(namedMethodArg.m_hr, DISP_E_NONAMEDARGS);
    EXPECT_EQ(m_pObject->m_strName, "abc");

    // A read-only property without an object-specific answer.
    CCall readOnly;
    Call(m_pObject, 1, DISPATCH_PROPERTYPUT, {CVariant(1)}, readOnly, {DISPID_PROPERTYPUT});
    EXPECT_EQ(readOnly.m_hr, DISP_E_MEMBERNOTFOUND);
}

TEST(DispatchTest, ObjectsMayRaiseExceptions) {
    CComPtr<CTestObject> p;
    *p.Receive() = new CTestObject(true);

    CCall readOnly;
    Call(p.Get(), 1, DISPATCH_PROPERTYPUT, {CVariant(1)}, readOnly, {DISPID_PROPERTYPUT});
    EXPECT_EQ(readOnly.m_hr, DISP_E_EXCEPTION);
    EXPECT_EQ(readOnly.m_exc.wCode, 1234);
    EXPECT_EQ(readOnly.m_exc.scode, 0);
    EXPECT_EQ(std::u16string_view(readOnly.m_exc.bstrDescription), u"read-only: Count");
    EXPECT_EQ(readOnly.m_exc.bstrSource, nullptr);
    EXPECT_EQ(readOnly.m_exc.dwHelpContext, 0u);

    CCall fail;
    Call(p.Get(), 8, DISPATCH_METHOD, {}, fail);
    EXPECT_EQ(fail.m_hr, DISP_E_EXCEPTION);
    EXPECT_EQ(fail.m_exc.wCode, 0);
    EXPECT_EQ(fail.m_exc.scode, E_FAIL);
    EXPECT_EQ(std::u16string_view(fail.m_exc.bstrDescription), u"\u5931\u6557");
    EXPECT_EQ(std::u16string_view(fail.m_exc.bstrSource), u"Test");
    EXPECT_EQ(fail.m_result.vt, VT_EMPTY);

    // Without an EXCEPINFO the call still fails; the next call starts clean.
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    EXPECT_EQ(p->Invoke(8, IID_NULL, 0, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr),
              DISP_E_EXCEPTION);
    CCall count;
    Call(p.Get(), 1, DISPATCH_PROPERTYGET, {}, count);
    EXPECT_EQ(count.m_hr, S_OK);
}

TEST_F(DispatchObjectTest, MalformedCallsAreRefused) {
    CVariant arg(1);
    DISPPARAMS noArgs = {nullptr, nullptr, 1, 0};
    DISPPARAMS noNames = {&arg, nullptr, 1, 1};
    EXPECT_EQ(
        m_pObject->Invoke(1, IID_NULL, 0, DISPATCH_PROPERTYGET, nullptr, nullptr, nullptr, nullptr),
        E_INVALIDARG);
    EXPECT_EQ(
        m_pObject->Invoke(3, IID_NULL, 0, DISPATCH_METHOD, &noArgs, nullptr, nullptr, nullptr),
        E_INVALIDARG);
    EXPECT_EQ(m_pObject->Invoke(2, IID_NULL, 0, DISPATCH_PROPERTYPUT, &noNames, nullptr, nullptr,
                                nullptr),
              E_INVALIDARG);
    DISPPARAMS empty = {nullptr, nullptr, 0, 0};
    EXPECT_EQ(
        m_pObject->Invoke(1, kIidTest, 0, DISPATCH_PROPERTYGET, &empty, nullptr, nullptr, nullptr),
        DISP_E_UNKNOWNINTERFACE);
}

TEST_F(DispatchObjectTest, InterfacesAndTypeInformation) {
    // IUnknown and IDispatch are checked from C below; the object's own interface too.
    void* pv = nullptr;
    ASSERT_EQ(m_pObject->QueryInterface(kIidTest, &pv), S_OK);
    EXPECT_EQ(pv, static_cast<IDispatch*>(m_pObject));
    m_pObject->Release();
    EXPECT_EQ(m_pObject->QueryInterface(IID_IClassFactory, &pv), E_NOINTERFACE);
    EXPECT_EQ(pv, nullptr);
    ITypeInfo* pInfo = reinterpret_cast<ITypeInfo*>(0x1);
    EXPECT_EQ(m_pObject->GetTypeInfo(0, 0, &pInfo), DISP_E_BADINDEX);
    EXPECT_EQ(pInfo, nullptr);
}

TEST_F(DispatchObjectTest, ACCallerReachesTheObjectThroughTheVirtualTable) {
    int32_t result = 0;
    ASSERT_EQ(
        TqCallBinaryThroughVtbl(static_cast<IDispatch*>(m_pObject),
                                reinterpret_cast<const uint16_t*>(u"subtract"), 10, 3, &result),
        0);
    EXPECT_EQ(result, 7);
}

}  // namespace
}  // namespace tq
