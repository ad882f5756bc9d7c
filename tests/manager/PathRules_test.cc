#include "manager/PathRules.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <tuple>

#include "controlfile/CtrlDatabase.h"
#include "platform/Path.h"
#include "platform/Registry.h"
#include "support/TestSupport.h"

namespace tq {
namespace {

// "表" is 0x95 0x5C: its second byte is the backslash.
const std::string kHyou = "\x95\x5C";

std::string Outcome(bool bDone, const std::string& out) {
    return (bDone ? "" : "!") + out;
}

using CRow = std::pair<std::string, std::string>;

// Registry and files of a private prefix: C: holds WINDOWS, system32 and Program Files.
class PathRulesPrefixTest : public testing::Test {
protected:
    void SetUp() override {
        SetString(kWindowsKey, "ProgramFilesDir", "C:\\Program Files");
        std::filesystem::create_directories(m_prefix.Path("drives/c/Apps/Sub"));
        test::WriteLinuxFile(m_prefix.Path("drives/c/Apps/tool.exe"), "MZ");
        test::WriteLinuxFile(m_prefix.Path("drives/c/WINDOWS/a.hlp"), "?_");
    }
    static void SetString(const std::string& strKey, const std::string& strName,
                          const std::string& strValue, HKEY root = HKEY_LOCAL_MACHINE) {
        CRegKey key;
        ASSERT_EQ(key.Create(root, strKey, KEY_ALL_ACCESS), 0);
        ASSERT_EQ(key.SetString(strName, strValue), 0);
    }
    static std::string RegKey(const std::string& strKey, const std::string& strEntry = "") {
        std::string out = "untouched";
        return Outcome(ResolveRegKeyFolder(strKey, strEntry, out), out);
    }
    static inline const std::string kWindowsKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
    static inline const std::string kLM = "HKEY_LOCAL_MACHINE\\Software\\";
    test::CTempPrefix m_prefix;
};

TEST_F(PathRulesPrefixTest, RegKeyAndExeKeyFolders) {
    SetString("Software\\X", "InstalledDir", "C:\\Apps\\");
    SetString("Software\\X", "InstalledDir", "C:\\User", HKEY_CURRENT_USER);
    SetString("X", "InstalledDir", "C:\\Classes", HKEY_CLASSES_ROOT);
    SetString("Software\\None", "Other", "C:\\Apps");
    // A RegEntry names the value; "" in the file is the default value.
    SetString("Software\\Entry", "", "C:\\Apps\\tool.exe");
    SetString("Software\\Entry", "Dir", "C:\\Apps\\Sub\\");
    SetString("Software\\Entry", "Gone", "C:\\Apps\\gone.exe");
    SetString("Software\\Entry", "InstalledDir", "C:\\Ignored");
    // The key, its RegEntry, the folder.
    const std::tuple<std::string, std::string, const char*> keys[] = {
        {kLM + "X", "", "C:\\Apps"},
        {"HKEY_CURRENT_USER\\Software\\X", "", "C:\\User"},
        {"HKEY_CLASSES_ROOT\\X", "", "C:\\Classes"},
        {"HKLM\\Software\\X", "", "!untouched"},
        {kLM + "Missing", "", "!untouched"},
        {kLM + "None", "", "!untouched"},  // none of the value names
        {kLM + "Entry", kEmptyRegEntry, "C:\\Apps"},
        {kLM + "Entry", "Dir", "C:\\Apps\\Sub"},
        {kLM + "Entry", "Gone", "C:\\Apps\\gone.exe"},  // not an existing file: taken as a folder
        {kLM + "Entry", "Missing", "!untouched"}};
    for (const auto& [key, entry, folder] : keys) {
        EXPECT_EQ(RegKey(key, entry), folder) << key << " " << entry;
    }
    // The value names are tried in order: each added one comes first.
    const std::pair<const char*, const char*> order[] = {{"InstallPath", "C:\\IP"},
                                                         {"Path", "C:\\P\\"},
                                                         {"InstalledPath", "C:\\Path\\tool.exe"},
                                                         {"InstalledDir", "C:\\Installed\\"},
                                                         {"RootPath", "C:\\Root\\index.txt"}};
    const char* const folders[] = {"C:\\IP", "C:\\P", "C:\\Path", "C:\\Installed", "C:\\Root"};
    for (size_t i = 0; i < std::size(order); ++i) {
        SetString("Software\\Order", order[i].first, order[i].second);
        EXPECT_EQ(RegKey(kLM + "Order"), folders[i]) << order[i].first;
    }
    // How the values spell their folders.
    const std::pair<const char*, CRow> spellings[] = {
        {"InstalledDir", {"C:\\", "C:\\"}},
        {"InstalledDir", {"C:\\" + kHyou, "C:\\" + kHyou}},  // no backslash to remove
        {"InstalledPath", {"\\tool.exe", ""}},  // the search starts at the second character
        {"InstalledPath", {"C:\\" + kHyou + "tool.exe", "C:\\"}},
        {"RootPath", {"\\\\srv\\share\\a.txt", "\\\\srv\\share"}}};
    int n = 0;
    for (const auto& [name, c] : spellings) {
        const std::string key = "Spell" + std::to_string(n++);
        SetString("Software\\" + key, name, c.first);
        EXPECT_EQ(RegKey(kLM + key), c.second) << testing::PrintToString(c.first);
    }
    // An ExeKey's default value is a program; its folder is the answer.
    const CRow exes[] = {{"C:\\Apps\\tool.exe", "C:\\Apps"},
                         {"C:\\Apps\\\\tool.exe", "C:\\Apps"},  // a doubled backslash goes as well
                         {"C:\\tool.exe", "C:\\"},
                         {"C:\\" + kHyou + "\\tool.exe", "C:\\" + kHyou},
                         {"tool.exe", ""}};
    for (const CRow& c : exes) {
        const std::string key = "Exe" + std::to_string(n++);
        SetString("Software\\" + key, "", c.first);
        std::string out;
        EXPECT_TRUE(ResolveExeKeyFolder(kLM + key, out));
        EXPECT_EQ(out, c.second) << testing::PrintToString(c.first);
    }
}

TEST_F(PathRulesPrefixTest, ExpandPathMacro) {
    const std::string windows = GetWindowsDirectory();  // "C:\\WINDOWS", as the machine spells it
    const CRow cases[] = {{"<WINDOWS>\\HELP\\A.HLP", windows + "\\HELP\\A.HLP"},
                          {"<SYSTEM>\\x.dll", GetSystemDirectory() + "\\x.dll"},
                          {"<Program Files>..\\Common\\B.CHM", "C:\\Common\\B.CHM"},
                          {"<windows>..\\", "C:"},
                          {"<SYSTEM>..\\..\\x", "C:\\x"},
                          {"<SYSTEM>..\\..\\..\\x", "\\x"},
                          {"<WINDOWS>", windows},
                          {"C:\\<WINDOWS>", "!C:\\<WINDOWS>"},
                          {"<WINDOWS", "!<WINDOWS"},
                          {"<WINDOWSX>\\a", "!<WINDOWSX>\\a"},
                          {"", "!"}};
    for (const CRow& c : cases) {
        std::string out = "untouched";
        EXPECT_EQ(Outcome(ExpandPathMacro(c.first, out), out), c.second) << c.first;
    }
}

TEST_F(PathRulesPrefixTest, PathTypeUniversalAndTemporaryPaths) {
    EXPECT_EQ(GetPathType("C:\\Apps\\missing.exe"), PATH_NONE);
    EXPECT_EQ(GetPathType("C:\\Apps"), PATH_FOLDER);
    EXPECT_EQ(GetPathType("C:\\Apps\\tool.exe"), PATH_FILE);
    CFindData find;
    EXPECT_EQ(GetPathType("c:\\APPS\\TOOL.EXE", &find), PATH_FILE);
    EXPECT_EQ(find.m_strName, "tool.exe");
    EXPECT_EQ(find.m_nSize, 2u);
    std::string temp;
    ASSERT_TRUE(MakeTempName("C:\\Apps", temp));
    EXPECT_EQ(temp.rfind("C:\\Apps\\TQ", 0), 0u) << temp;
    EXPECT_EQ(GetPathType(temp), PATH_NONE);  // only the name is kept
    temp = "untouched";
    EXPECT_FALSE(MakeTempName("C:\\Missing", temp));
    EXPECT_EQ(temp, "untouched");
    std::filesystem::create_directories(m_prefix.Path("share/docs"));
    if (!test::AddDrive('N', DRIVE_REMOTE, m_prefix.Path("share"), "\\\\server\\share")) {
        GTEST_SKIP() << "universal names need a remote drive, which this test machine cannot add";
    }
    const CRow universal[] = {{"N:\\docs\\a.chm", "\\\\server\\share\\docs\\a.chm"},
                              {"n:\\docs", "\\\\server\\share\\docs"},
                              {"C:\\Apps\\tool.exe", "!C:\\Apps\\tool.exe"},
                              {"N:docs", "!N:docs"}};
    for (const CRow& c : universal) {
        std::string path = c.first;
        EXPECT_EQ(Outcome(ToUniversalPath(path), path), c.second) << c.first;
    }
}

TEST_F(PathRulesPrefixTest, IsInstalledAppliThroughItsOutcomes) {
    SetString("Software\\Here", "InstalledDir", "C:\\Apps");
    SetString("Software\\Gone", "InstalledDir", "C:\\Gone");
    SetString("Software\\Exe", "", "C:\\Apps\\tool.exe");
    SetString("Software\\ExeGone", "", "C:\\Gone\\tool.exe");
    const std::string here = kLM + "Here", gone = kLM + "Gone", missing = kLM + "Missing";
    const std::string exe = kLM + "Exe", exeGone = kLM + "ExeGone";
    // 'R' RegKey, 'O' RootOrgPath, 'E' ExeKey, 'X' ExeOrgPath, 'D' Doc.
    const std::tuple<const char*, int32_t, std::vector<std::pair<char, std::string>>> cases[] = {
        {"RegKey folder exists", 1, {{'R', gone}, {'R', here}}},
        {"RootOrgPath folder", 1, {{'R', gone}, {'O', "C:\\Apps"}}},
        {"RootOrgPath is a file", 0, {{'R', gone}, {'O', "C:\\Apps\\tool.exe"}}},
        {"RegKeys fail, documents exist",
         0,
         {{'R', missing}, {'R', gone}, {'D', "C:\\Apps\\tool.exe > App"}}},
        {"empty RegKey slots are skipped", 1, {{'R', ""}, {'R', ""}}},
        {"ExeKey folder exists", 1, {{'R', gone}, {'E', exe}}},
        {"ExeOrgPath folder", 1, {{'E', exeGone}, {'X', "C:\\Apps\\Sub"}}},
        {"a document exists", 1, {{'D', "C:\\Gone\\x.chm"}, {'D', "C:\\Apps\\tool.exe > App"}}},
        {"through a macro", 1, {{'D', "<WINDOWS>\\a.hlp > App"}}},
        {"cut at | and >", 1, {{'D', "C:\\Apps\\tool.exe  |topic > App"}}},
        {"no document exists", 0, {{'D', "C:\\Gone\\x.chm > App"}}},
        {"placeholders only", 1, {{'D', "C:\\Gone\\x.DMY > App"}}},
        {"relative documents are not looked for", 1, {{'D', "x.chm"}, {'D', "ab"}}},
        {"nothing at all", 1, {}}};
    for (const auto& [pszName, nInstalled, entries] : cases) {
        CCtrlDatabase db;
        for (const auto& [list, value] : entries) {
            CtrlStringList& l = list == 'R'   ? db.m_regKey
                                : list == 'O' ? db.m_rootOrgPath
                                : list == 'E' ? db.m_exeKey
                                : list == 'X' ? db.m_exeOrgPath
                                              : db.m_docs;
            l.emplace_back(value);
        }
        EXPECT_EQ(IsInstalledAppli(db), nInstalled) << pszName;
    }
}

}  // namespace
}  // namespace tq
