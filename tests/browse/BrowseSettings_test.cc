#include "browse/BrowseSettings.h"

#include <gtest/gtest.h>

#include <tuple>

#include "browse/SettingsRegKey.h"
#include "platform/RegistryFixture.h"

namespace tq {
namespace {

const std::string kSettings = "SOFTWARE\\Orbanworks\\Trellisquest\\Demo";
const std::string kFolderKey = kSettings + "\\USER\\Temp\\AddTarget";
const std::string kFilterKey = kSettings + "\\USER\\AddTarget";

void Put(HKEY root, const std::string& strKey, const std::string& strName,
         const std::string& strData, uint32_t type = REG_SZ) {
    CRegKey key;
    ASSERT_EQ(key.Create(root, strKey, KEY_ALL_ACCESS), 0);
    ASSERT_EQ(key.SetValue(strName, type, strData.data(), static_cast<uint32_t>(strData.size())),
              0);
}

TEST(BrowseSettingsTest, CurrentFolderFallbacks) {
    test::CTempPrefix prefix;
    const std::string kProgramFiles = "C:\\Program Files\\";
    // An empty value of the user is no fallback; "\x95\x5c" ("表") ends in the byte 0x5C.
    const std::tuple<const char*, const char*, std::string> cases[] = {
        {nullptr, nullptr, kProgramFiles},           {nullptr, "D:\\Machine", "D:\\Machine\\"},
        {"C:\\User\\", "D:\\Machine", "C:\\User\\"}, {"C:\\User", nullptr, "C:\\User\\"},
        {"", "D:\\Machine", kProgramFiles},          {"C:\\\x95\x5c", nullptr, "C:\\\x95\x5c\\"}};
    for (const auto& [user, machine, expected] : cases) {
        RegDeleteTree(HKEY_CURRENT_USER, kSettings);
        RegDeleteTree(HKEY_LOCAL_MACHINE, kSettings);
        if (user != nullptr) {
            Put(HKEY_CURRENT_USER, kFolderKey, "CurrentFolder", user);
        }
        if (machine != nullptr) {
            Put(HKEY_LOCAL_MACHINE, kFolderKey, "CurrentFolder", machine);
        }
        EXPECT_EQ(GetCurrentFolder(kSettings), expected) << (user ? user : "-");
        // Stored back for the user, without a terminating NUL.
        EXPECT_EQ(ReadString(HKEY_CURRENT_USER, kFolderKey, "CurrentFolder"),
                  test::StoredString(expected));
    }
    Put(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir",
        std::string("D:\\Apps\0", 8));
    RegDeleteTree(HKEY_CURRENT_USER, kSettings);
    EXPECT_EQ(GetCurrentFolder(kSettings), "D:\\Apps\\");
    // Read back by the dialogs' flows; never stored for the machine.
    SetCurrentFolder(kSettings, "C:\\Docs\\Manuals\\");
    EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, kFolderKey, "CurrentFolder"), "<missing>");
}

TEST(BrowseSettingsTest, FileFilterOfTheMachineUpToItsNul) {
    test::CTempPrefix prefix;
    EXPECT_EQ(GetFileFilter(kSettings), "");
    Put(HKEY_LOCAL_MACHINE, kFilterKey, "Filter", "chm|PDF|txt");
    Put(HKEY_CURRENT_USER, kFilterKey, "Filter", "hlp");
    EXPECT_EQ(GetFileFilter(kSettings), "chm|PDF|txt");
    Put(HKEY_LOCAL_MACHINE, kFilterKey, "Filter", std::string("htm\0junk", 8));
    Put(HKEY_LOCAL_MACHINE, kFilterKey, "Other", std::string(600, 'x'));
    EXPECT_EQ(GetFileFilter(kSettings), "htm");
}

TEST(BrowseSettingsTest, RegKeyClassAndKeyPaths) {
    test::CTempPrefix prefix;
    EXPECT_EQ(MakeSettingsKeyPath(kSettings + "\\"), kSettings);
    EXPECT_EQ(MakeSettingsKeyPath("A\\\x95\x5c"), "A\\\x95\x5c");
    // What a read gives: the value, after "-" when the read fails (the value then cleared).
    auto read = [](const CSettingsRegKey& key, const std::string& strSub, const char* pszName) {
        std::string value = "stale";
        return (key.ReadString(strSub, pszName, value) == 0 ? "" : "-") + value;
    };
    CSettingsRegKey key(kSettings, HKEY_CURRENT_USER);
    EXPECT_EQ(read(key, "USER\\Temp\\AddTarget", "CurrentFolder"), "-");
    EXPECT_EQ(key.WriteString("USER\\X", "V", "text", false), -1);  // no key, no create
    EXPECT_EQ(key.WriteString("USER\\X", "V", "text", true), 0);
    EXPECT_EQ(read(key, "USER\\X", "V"), "text");
    EXPECT_EQ(read(key, "USER\\X", "Missing"), "-");
    // A DWORD is read as its bytes, up to the first NUL; the key itself without a subkey.
    Put(HKEY_CURRENT_USER, kSettings + "\\USER\\X", "D", std::string("AB\0\0", 4), REG_DWORD);
    EXPECT_EQ(read(key, "USER\\X", "D"), "AB");
    Put(HKEY_CURRENT_USER, kSettings, "Top", "t");
    EXPECT_EQ(read(key, "", "Top"), "t");
    // A key path beyond 260 bytes opens nothing rather than a shortened one.
    CSettingsRegKey tooLong(kSettings + "\\" + std::string(260, 'k'), HKEY_CURRENT_USER);
    EXPECT_EQ(tooLong.WriteString("", "V", "x", true), -1);
    EXPECT_EQ(read(tooLong, "", "V"), "-");
}

}  // namespace
}  // namespace tq
