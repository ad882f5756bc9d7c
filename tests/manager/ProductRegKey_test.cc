#include "manager/ProductRegKey.h"

#include <gtest/gtest.h>

#include <string>

#include "ProductFixture.h"
#include "platform/Win32Error.h"

namespace tq {
namespace {

using test::kProductPath;

TEST(ProductRegKeyTest, OpenKeepsThePathWithOneTrailingBackslash) {
    test::CProductFixture product;
    CProductRegKey key;
    ASSERT_EQ(key.Open(kProductPath), 0);
    EXPECT_FALSE(key.IsCustomizeEnabled());  // no value
    EXPECT_EQ(key.SetDWORD("USER\\AddTarget", "Customize", 2), 0);
    EXPECT_TRUE(key.IsCustomizeEnabled());
    EXPECT_EQ(key.Open(kProductPath + "\\"), 0);
    EXPECT_EQ(key.GetPath(), kProductPath + "\\");
    // "表" ends in the byte 0x5C; it is a character of the name, not a separator.
    product.SetString("\x95\x5C", "x", "");
    EXPECT_EQ(key.Open(kProductPath + "\\\x95\x5C"), 0);
    EXPECT_EQ(key.GetPath(), kProductPath + "\\\x95\x5C\\");
    // A failed open forgets the key it had, and then every operation answers "not found".
    EXPECT_EQ(key.Open(kProductPath + "X"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(key.GetPath(), "");
    uint32_t value = 7;
    EXPECT_EQ(key.GetDWORD("", "x", value), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(key.SetString("Path", "x", "y"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(value, 7u);
    CRegKey root;  // nothing was created at the root either
    EXPECT_EQ(root.Open(HKEY_LOCAL_MACHINE, "Path", KEY_READ), ERROR_FILE_NOT_FOUND);
}

}  // namespace
}  // namespace tq
