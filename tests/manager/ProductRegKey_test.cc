#include "manager/ProductRegKey.h"

#include <gtest/gtest.h>

#include <ctime>
#include <string>

#include "ProductFixture.h"
#include "platform/Win32Error.h"

namespace tq {
namespace {

using test::kProductPath;

class ProductRegKeyTest : public testing::Test, public test::CProductFixture {
protected:
    void SetUp() override { ASSERT_EQ(m_key.Open(kProductPath), 0); }
    static bool KeyExists(const std::string& strSubKey) { return Values(strSubKey) != "-"; }

    CProductRegKey m_key;
};

TEST_F(ProductRegKeyTest, OpenKeepsThePathWithOneTrailingBackslash) {
    EXPECT_FALSE(m_key.IsCustomizeEnabled());  // no value
    EXPECT_EQ(m_key.SetDWORD("USER\\AddTarget", "Customize", 2), 0);
    EXPECT_TRUE(m_key.IsCustomizeEnabled());
    EXPECT_EQ(m_key.Open(kProductPath + "\\"), 0);
    EXPECT_EQ(m_key.GetPath(), kProductPath + "\\");
    // "表" ends in the byte 0x5C; it is a character of the name, not a separator.
    SetString("\x95\x5C", "x", "");
    EXPECT_EQ(m_key.Open(kProductPath + "\\\x95\x5C"), 0);
    EXPECT_EQ(m_key.GetPath(), kProductPath + "\\\x95\x5C\\");
    // A failed open forgets the key it had, and then every operation answers "not found".
    EXPECT_EQ(m_key.Open(kProductPath + "X"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(m_key.GetPath(), "");
    uint32_t value = 7;
    EXPECT_EQ(m_key.GetDWORD("", "x", value), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(m_key.SetString("Path", "x", "y"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(value, 7u);
    CRegKey key;  // nothing was created at the root either
    EXPECT_EQ(key.Open(HKEY_LOCAL_MACHINE, "Path", KEY_READ), ERROR_FILE_NOT_FOUND);
}

TQ_CHILD_MAIN(CheckWriteAccess) {
    CProductRegKey key;
    return key.Open(args.at(0)) != 0 ? 2 : key.CheckWriteAccess() ? 1 : 0;
}

TEST_F(ProductRegKeyTest, CheckWriteAccessLeavesNothingBehind) {
    ASSERT_EQ(m_key.DeleteTree("Builder"), 0);
    EXPECT_FALSE(m_key.CheckWriteAccess());  // no "Builder" key: it is not created
    EXPECT_FALSE(KeyExists("Builder"));
    ASSERT_EQ(m_key.SetString("Builder", "ControlFile", "c.txt"), 0);
    EXPECT_TRUE(m_key.CheckWriteAccess());
    EXPECT_EQ(Values("Builder"), "ControlFile='c.txt\\0';");  // REG_SZ with its zero
    if (!test::CanDropPrivileges()) {
        GTEST_SKIP() << "cannot drop to an unprivileged user, so the denial cannot be made real";
    }
    test::CChildOptions options;
    options.m_bDropPrivileges = true;
    EXPECT_EQ(test::RunChild("CheckWriteAccess", {kProductPath}, options), 0);
    EXPECT_EQ(test::RunChild("CheckWriteAccess", {kProductPath}), 1);
}

uint32_t LocalDate() {
    const std::time_t t = std::time(nullptr);
    const std::tm tm = *std::localtime(&t);
    return static_cast<uint32_t>((tm.tm_year + 1900) * 10000 + (tm.tm_mon + 1) * 100 + tm.tm_mday);
}

TEST_F(ProductRegKeyTest, ResetBuilderRequestLeavesExactlyTheResetValues) {
    ASSERT_EQ(m_key.SetDWORD("GroupSet", "1", 5), 0);
    ASSERT_EQ(m_key.SetDWORD("GroupSet\\Old", "x", 5), 0);
    ASSERT_EQ(m_key.SetString("Builder\\Request", "DB1", ""), 0);
    ASSERT_EQ(m_key.SetDWORD("Builder\\Request\\Sub", "x", 1), 0);
    const uint32_t before = LocalDate();
    ASSERT_EQ(m_key.ResetBuilderRequest(), 0);
    EXPECT_FALSE(KeyExists("GroupSet"));
    EXPECT_FALSE(KeyExists("Builder\\Request\\Sub"));
    EXPECT_EQ(Values("Builder\\Request"), "<REG>=1;");
    uint32_t value = 0, date = 0;
    ASSERT_EQ(m_key.GetDWORD("Builder\\GroupSet", "ResetDate", date), 0);
    EXPECT_TRUE(date == before || date == LocalDate()) << date;
    EXPECT_EQ(m_key.GetDWORD("Builder\\GroupSet", "ResetTime", value), 0);
    // A failed write stops it: the request mark fails, no date; the date fails, no time.
    ASSERT_EQ(m_key.DeleteTree("Builder\\GroupSet"), 0);
    for (int failAt : {1, 2}) {
        int sets = 0;
        SetRegistryFaultHook([&](const char* op) {
            return std::string(op) == "set" && ++sets == failAt ? ERROR_ACCESS_DENIED : 0;
        });
        EXPECT_EQ(m_key.ResetBuilderRequest(), ERROR_ACCESS_DENIED);
        SetRegistryFaultHook(nullptr);
        EXPECT_EQ(m_key.GetDWORD("Builder\\Request", "<REG>", value),
                  failAt == 1 ? ERROR_FILE_NOT_FOUND : 0);
        EXPECT_EQ(Values("Builder\\GroupSet"), failAt == 1 ? "-" : "");
    }
}

}  // namespace
}  // namespace tq
