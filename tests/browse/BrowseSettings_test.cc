// The browse settings: the current folder's fallbacks, the filter, values without a NUL.

#include "browse/BrowseSettings.h"

#include <gtest/gtest.h>

#include <tuple>

#include "browse/SettingsRegKey.h"
#include "platform/Registry.h"
#include "support/TestSupport.h"

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

// The raw data of a value; "-" when it cannot be read.
std::string Raw(HKEY root, const std::string& strKey, const std::string& strName) {
    CRegKey key;
    uint32_t type = 0;
    std::string data;
    bool bRead = key.Open(root, strKey, KEY_READ) == 0 && key.QueryValue(strName, type, data) == 0;
    return bRead ? data : "-";
}

TEST(BrowseSettingsTest, CurrentFolderFallbacks) {
    test::CTempPrefix prefix;
    const std::string kProgramFiles = "C:\\Program Files\\";
    const std::tuple<const char*, const char*, std::string> cases[] = {
        {nullptr, nullptr, kProgramFiles},
        {nullptr, "D:\\Machine", "D:\\Machine\\"},
        {nullptr, "", kProgramFiles},
        {"C:\\User\\", "D:\\Machine", "C:\\User\\"},
        {"C:\\User", nullptr, "C:\\User\\"},
        {"", "D:\\Machine", kProgramFiles},  // an empty value of the user is no fallback
        {"C:\\", nullptr, "C:\\"},
        {"C:\\\x95\x5c", nullptr, "C:\\\x95\x5c\\"}};  // "表" ends in the byte 0x5C
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
        EXPECT_EQ(Raw(HKEY_CURRENT_USER, kFolderKey, "CurrentFolder"), expected);
    }
    Put(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir",
        std::string("D:\\Apps\0", 8));
    RegDeleteTree(HKEY_CURRENT_USER, kSettings);
    EXPECT_EQ(GetCurrentFolder(kSettings), "D:\\Apps\\");
    SetCurrentFolder(kSettings, "C:\\Docs\\Manuals\\");
    EXPECT_EQ(Raw(HKEY_CURRENT_USER, kFolderKey, "CurrentFolder"), "C:\\Docs\\Manuals\\");
    EXPECT_EQ(GetCurrentFolder(kSettings), "C:\\Docs\\Manuals\\");
    EXPECT_EQ(Raw(HKEY_LOCAL_MACHINE, kFolderKey, "CurrentFolder"), "-");  // never the machine's
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
    EXPECT_EQ(MakeSettingsKeyPath(kSettings), kSettings);
    EXPECT_EQ(MakeSettingsKeyPath("A\\\x95\x5c"), "A\\\x95\x5c");
    CSettingsRegKey key(kSettings, HKEY_CURRENT_USER);
    std::string value = "stale";
    EXPECT_EQ(key.ReadString("USER\\Temp\\AddTarget", "CurrentFolder", value), -1);
    EXPECT_EQ(value, "");
    EXPECT_EQ(key.WriteString("USER\\X", "V", "text", false), -1);  // no key, no create
    EXPECT_EQ(key.WriteString("USER\\X", "V", "text", true), 0);
    EXPECT_EQ(key.ReadString("USER\\X", "V", value), 0);
    EXPECT_EQ(value, "text");
    EXPECT_EQ(key.ReadString("USER\\X", "Missing", value), -1);
    // A DWORD is read as its bytes, up to the first NUL; the key itself without a subkey.
    Put(HKEY_CURRENT_USER, kSettings + "\\USER\\X", "D", std::string("AB\0\0", 4), REG_DWORD);
    EXPECT_EQ(key.ReadString("USER\\X", "D", value), 0);
    EXPECT_EQ(value, "AB");
    Put(HKEY_CURRENT_USER, kSettings, "Top", "t");
    EXPECT_EQ(key.ReadString("", "Top", value), 0);
    EXPECT_EQ(value, "t");
    // A key path beyond 260 bytes opens nothing rather than a shortened one.
    CSettingsRegKey tooLong(kSettings + "\\" + std::string(260, 'k'), HKEY_CURRENT_USER);
    EXPECT_EQ(tooLong.WriteString("", "V", "x", true), -1);
    EXPECT_EQ(tooLong.ReadString("", "V", value), -1);
}

}  // namespace
}  // namespace tq
