#include "manager/ProductRegKey.h"

#include <gtest/gtest.h>

#include <ctime>
#include <string>

#include "platform/Registry.h"
#include "platform/Win32Error.h"
#include "support/TestSupport.h"

namespace tq {
namespace {

const std::string kProductPath = std::string(kProductKeyBase) + "Demo";

class ProductRegKeyTest : public testing::Test {
protected:
    void SetUp() override {
        CRegKey key;
        ASSERT_EQ(key.Create(HKEY_LOCAL_MACHINE, kProductPath, KEY_ALL_ACCESS), 0);
        ASSERT_EQ(key.SetString("ProductName", "Demo Search"), 0);
    }
    static void SetValue(const std::string& strSubKey, const std::string& strName, uint32_t type,
                         const std::string& data) {
        CRegKey key;
        ASSERT_EQ(key.Create(HKEY_LOCAL_MACHINE, kProductPath + "\\" + strSubKey, KEY_ALL_ACCESS),
                  0);
        ASSERT_EQ(key.SetValue(strName, type, data.data(), static_cast<uint32_t>(data.size())), 0);
    }
    static bool KeyExists(const std::string& strSubKey) {
        CRegKey key;
        return key.Open(HKEY_LOCAL_MACHINE, kProductPath + "\\" + strSubKey, KEY_READ) == 0;
    }

    test::CTempPrefix m_prefix;
    CProductRegKey m_key;
};

TEST_F(ProductRegKeyTest, OpenKeepsThePathWithOneTrailingBackslash) {
    EXPECT_EQ(m_key.GetRoot(), HKEY_LOCAL_MACHINE);
    EXPECT_EQ(m_key.Open(kProductPath), 0);
    EXPECT_EQ(m_key.GetPath(), kProductPath + "\\");
    EXPECT_EQ(m_key.Open(kProductPath + "\\"), 0);
    EXPECT_EQ(m_key.GetPath(), kProductPath + "\\");
    // A failed open forgets the key it had.
    EXPECT_EQ(m_key.Open(kProductPath + "X"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(m_key.GetPath(), "");
    // "表" ends in the byte 0x5C; it is a character of the name, not a separator.
    const std::string hyou = kProductPath + "\\\x95\x5C";
    CRegKey key;
    ASSERT_EQ(key.Create(HKEY_LOCAL_MACHINE, hyou, KEY_ALL_ACCESS), 0);
    EXPECT_EQ(m_key.Open(hyou), 0);
    EXPECT_EQ(m_key.GetPath(), hyou + "\\");
}

TEST_F(ProductRegKeyTest, EveryOperationAnswersNotFoundWhileNoKeyIsOpen) {
    uint32_t value = 7;
    std::string text = "untouched";
    EXPECT_EQ(m_key.GetDWORD("", "x", value), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(m_key.GetString("", "ProductName", text), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(m_key.SetDWORD("Path", "x", 1), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(m_key.SetString("Path", "x", "y"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(m_key.DeleteTree("Path"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(m_key.GetGroupSetDWORD(1, value), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(m_key.ResetBuilderRequest(), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(m_key.CheckWriteAccess());
    EXPECT_FALSE(m_key.GetProductName(text));
    EXPECT_FALSE(m_key.IsCustomizeEnabled());
    EXPECT_EQ(value, 7u);
    EXPECT_EQ(text, "untouched");
    // Nothing was created at the root either.
    CRegKey key;
    EXPECT_EQ(key.Open(HKEY_LOCAL_MACHINE, "Path", KEY_READ), ERROR_FILE_NOT_FOUND);
}

TEST_F(ProductRegKeyTest, ValuesAreReadWhateverTheirType) {
    ASSERT_EQ(m_key.Open(kProductPath), 0);
    SetValue("Path", "NoNul", REG_SZ, "C:\\Data");  // written without its terminating zero
    SetValue("Path", "Binary", REG_BINARY, std::string("ab\0cd", 5));
    SetValue("Path", "Short", REG_BINARY, "\x01\x02");
    SetValue("Path", "Empty", REG_SZ, "");
    struct Case {
        const char* name;
        int32_t rcString;
        const char* text;
        int32_t rcDword;
        uint32_t dword;
    };
    const Case cases[] = {
        {"NoNul", 0, "C:\\Data", ERROR_MORE_DATA, 0},
        {"Binary", 0, "ab", ERROR_MORE_DATA, 0},
        {"Short", 0, "\x01\x02", 0, 0x0201},
        {"Empty", 0, "", 0, 0},
        {"Missing", ERROR_FILE_NOT_FOUND, nullptr, ERROR_FILE_NOT_FOUND, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string text = "untouched";
        EXPECT_EQ(m_key.GetString("Path", c.name, text), c.rcString);
        EXPECT_EQ(text, c.text != nullptr ? c.text : "untouched");
        uint32_t value = 0xDEADBEEF;
        EXPECT_EQ(m_key.GetDWORD("Path", c.name, value), c.rcDword);
        EXPECT_EQ(value, c.rcDword == 0 ? c.dword : 0xDEADBEEF);
    }
}

TEST_F(ProductRegKeyTest, WritesCreateTheSubkeyAndReadBack) {
    ASSERT_EQ(m_key.Open(kProductPath), 0);
    EXPECT_FALSE(m_key.IsCustomizeEnabled());  // no value
    EXPECT_EQ(m_key.SetDWORD("USER\\AddTarget", "Customize", 0), 0);
    EXPECT_FALSE(m_key.IsCustomizeEnabled());
    EXPECT_EQ(m_key.SetDWORD("USER\\AddTarget", "Customize", 2), 0);
    EXPECT_TRUE(m_key.IsCustomizeEnabled());
    EXPECT_EQ(m_key.SetDWORD("GroupSet", "3", 42), 0);
    EXPECT_EQ(m_key.SetDWORD("GroupSet", "NextUniqueID", 9), 0);
    uint32_t value = 0;
    EXPECT_EQ(m_key.GetGroupSetDWORD(3, value), 0);
    EXPECT_EQ(value, 42u);
    EXPECT_EQ(m_key.GetGroupSetDWORD(4, value), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(m_key.GetNextUniqueID(value), 0);
    EXPECT_EQ(value, 9u);
    std::string name;
    EXPECT_TRUE(m_key.GetProductName(name));
    EXPECT_EQ(name, "Demo Search");
    // SetString stores the terminating zero, as the builder expects of a REG_SZ.
    EXPECT_EQ(m_key.SetString("Builder", "ControlFile", "ctrl.txt"), 0);
    CRegKey key;
    ASSERT_EQ(key.Open(HKEY_LOCAL_MACHINE, kProductPath + "\\Builder", KEY_READ), 0);
    uint32_t type = 0;
    std::string data;
    ASSERT_EQ(key.QueryValue("ControlFile", type, data), 0);
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(data, std::string("ctrl.txt", 9));
}

TEST_F(ProductRegKeyTest, DeleteTreeRemovesEverythingBelow) {
    ASSERT_EQ(m_key.Open(kProductPath), 0);
    for (const char* sub : {"Builder\\Request\\a\\b\\c", "Builder\\Request\\a\\d",
                            "Builder\\Request\\x", "Builder\\Requests"}) {
        ASSERT_EQ(m_key.SetDWORD(sub, "v", 1), 0);
    }
    EXPECT_EQ(m_key.DeleteTree("Builder\\Request"), 0);
    EXPECT_FALSE(KeyExists("Builder\\Request"));
    EXPECT_TRUE(KeyExists("Builder\\Requests"));
    EXPECT_EQ(m_key.DeleteTree("Builder\\Request"), ERROR_FILE_NOT_FOUND);
}

TEST_F(ProductRegKeyTest, CheckWriteAccessLeavesNothingBehind) {
    ASSERT_EQ(m_key.Open(kProductPath), 0);
    EXPECT_FALSE(m_key.CheckWriteAccess());  // no "Builder" key: it is not created
    EXPECT_FALSE(KeyExists("Builder"));
    ASSERT_EQ(m_key.SetString("Builder", "ControlFile", "c.txt"), 0);
    EXPECT_TRUE(m_key.CheckWriteAccess());
    uint32_t value = 0;
    EXPECT_EQ(m_key.GetDWORD("Builder", "AccessCheck", value), ERROR_FILE_NOT_FOUND);
}

TQ_CHILD_MAIN(CheckWriteAccess) {
    CProductRegKey key;
    if (key.Open(args.at(0)) != 0) {
        return 2;
    }
    return key.CheckWriteAccess() ? 1 : 0;
}

TEST_F(ProductRegKeyTest, CheckWriteAccessIsFalseForAUserWhoMayNotWrite) {
    if (!test::CanDropPrivileges()) {
        GTEST_SKIP() << "cannot drop to an unprivileged user, so the denial cannot be made real";
    }
    ASSERT_EQ(m_key.Open(kProductPath), 0);
    ASSERT_EQ(m_key.SetString("Builder", "ControlFile", "c.txt"), 0);
    test::CChildOptions options;
    options.m_bDropPrivileges = true;
    EXPECT_EQ(test::RunChild("CheckWriteAccess", {kProductPath}, options), 0);
    EXPECT_EQ(test::RunChild("CheckWriteAccess", {kProductPath}), 1);
}

uint32_t LocalDate(const std::tm& tm) {
    return static_cast<uint32_t>((tm.tm_year + 1900) * 10000 + (tm.tm_mon + 1) * 100 + tm.tm_mday);
}
uint32_t LocalTime(const std::tm& tm) {
    return static_cast<uint32_t>(tm.tm_hour * 10000 + tm.tm_min * 100 + tm.tm_sec);
}

TEST_F(ProductRegKeyTest, ResetBuilderRequestLeavesExactlyTheResetValues) {
    ASSERT_EQ(m_key.Open(kProductPath), 0);
    ASSERT_EQ(m_key.SetDWORD("GroupSet", "1", 5), 0);
    ASSERT_EQ(m_key.SetDWORD("GroupSet\\Old", "x", 5), 0);
    ASSERT_EQ(m_key.SetString("Builder\\Request", "DB1", ""), 0);
    ASSERT_EQ(m_key.SetDWORD("Builder\\Request\\Sub", "x", 1), 0);
    ASSERT_EQ(m_key.SetString("Builder", "ControlFile", "c.txt"), 0);

    std::time_t t = std::time(nullptr);
    const std::tm before = *std::localtime(&t);
    ASSERT_EQ(m_key.ResetBuilderRequest(), 0);
    t = std::time(nullptr);
    const std::tm after = *std::localtime(&t);

    EXPECT_FALSE(KeyExists("GroupSet"));
    EXPECT_FALSE(KeyExists("Builder\\Request\\Sub"));
    CRegKey request;
    ASSERT_EQ(request.Open(HKEY_LOCAL_MACHINE, kProductPath + "\\Builder\\Request", KEY_READ), 0);
    std::string name, data;
    uint32_t type = 0;
    ASSERT_EQ(request.EnumValue(0, name, type, data), 0);
    EXPECT_EQ(name, "<REG>");
    EXPECT_EQ(type, REG_DWORD);
    EXPECT_EQ(data, std::string("\x01\0\0\0", 4));
    EXPECT_EQ(request.EnumValue(1, name, type, data), ERROR_NO_MORE_ITEMS);

    uint32_t date = 0, time = 0;
    ASSERT_EQ(m_key.GetDWORD("Builder\\GroupSet", "ResetDate", date), 0);
    ASSERT_EQ(m_key.GetDWORD("Builder\\GroupSet", "ResetTime", time), 0);
    EXPECT_TRUE(date == LocalDate(before) || date == LocalDate(after)) << date;
    if (LocalDate(before) == LocalDate(after)) {
        EXPECT_GE(time, LocalTime(before));
        EXPECT_LE(time, LocalTime(after));
    }
    std::string control;
    EXPECT_EQ(m_key.GetString("Builder", "ControlFile", control), 0);  // the rest stays
}

TEST_F(ProductRegKeyTest, ResetBuilderRequestStopsAtTheFirstFailedWrite) {
    ASSERT_EQ(m_key.Open(kProductPath), 0);
    int sets = 0;
    int failAt = 0;
    SetRegistryFaultHook([&](const char* op) {
        return std::string(op) == "set" && ++sets == failAt ? ERROR_ACCESS_DENIED : 0;
    });
    uint32_t value = 0;
    // The request mark fails: no date is stamped.
    failAt = 1;
    EXPECT_EQ(m_key.ResetBuilderRequest(), ERROR_ACCESS_DENIED);
    EXPECT_EQ(m_key.GetDWORD("Builder\\GroupSet", "ResetDate", value), ERROR_FILE_NOT_FOUND);
    // The date fails: no time is stamped.
    sets = 0;
    failAt = 2;
    EXPECT_EQ(m_key.ResetBuilderRequest(), ERROR_ACCESS_DENIED);
    EXPECT_EQ(m_key.GetDWORD("Builder\\Request", "<REG>", value), 0);
    EXPECT_EQ(m_key.GetDWORD("Builder\\GroupSet", "ResetTime", value), ERROR_FILE_NOT_FOUND);
    SetRegistryFaultHook(nullptr);
}

}  // namespace
}  // namespace tq
