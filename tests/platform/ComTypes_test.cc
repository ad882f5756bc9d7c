#include "platform/ComTypes.h"

#include <gtest/gtest.h>

namespace tq {
namespace {

TEST(ComTypesTest, GuidsPrintAndParseInTheRegistryForm) {
    const GUID clsid = {
        0xFE1B0AC2, 0x7074, 0x11D5, {0x99, 0xA1, 0x00, 0xC0, 0x4F, 0xB9, 0xCD, 0x98}};
    EXPECT_EQ(GuidToString(clsid), "{FE1B0AC2-7074-11D5-99A1-00C04FB9CD98}");
    EXPECT_EQ(GuidToString(IID_IDispatch), "{00020400-0000-0000-C000-000000000046}");

    GUID parsed;
    ASSERT_TRUE(GuidFromString("{fe1b0ac2-7074-11d5-99a1-00c04fb9cd98}", parsed));
    EXPECT_EQ(parsed, clsid);
    EXPECT_EQ(DescribeHResult(MakeHResult(0x80001234u)), "HRESULT 0x80001234");
}

TEST(ComTypesTest, MalformedGuidsAreRefusedAndLeaveTheOutputAlone) {
    const char* bad[] = {
        "",
        "FE1B0AC2-7074-11D5-99A1-00C04FB9CD98",     // no braces
        "{FE1B0AC2-7074-11D5-99A1-00C04FB9CD9}",    // one digit short
        "{FE1B0AC2-7074-11D5-99A1-00C04FB9CD988}",  // one digit long
        "{FE1B0AC2-7074-11D5-99A100C04FB9CD98-}",   // dash misplaced
        "{FE1B0AC2-7074-11D5-99A1-00C04FB9CDG8}",   // not hex
        "{+E1B0AC2-7074-11D5-99A1-00C04FB9CD98}",   // a sign is not a digit
        "(FE1B0AC2-7074-11D5-99A1-00C04FB9CD98)",
    };
    for (const char* s : bad) {
        SCOPED_TRACE(s);
        GUID g = IID_IUnknown;
        EXPECT_FALSE(GuidFromString(s, g));
        EXPECT_EQ(g, IID_IUnknown);
    }
}

}  // namespace
}  // namespace tq
