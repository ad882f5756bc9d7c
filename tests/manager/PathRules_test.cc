#include "manager/PathRules.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "controlfile/CtrlDatabase.h"
#include "platform/Path.h"
#include "platform/Prefix.h"
#include "platform/Registry.h"
#include "platform/Win32Error.h"
#include "support/TestSupport.h"

namespace tq {
namespace {

// "表" is 0x95 0x5C: its second byte is the backslash. "ｱ" is the half-width katakana 0xB1.
const std::string kHyou = "\x95\x5C";
const std::string kHalfA = "\xB1";

// Strings every rule must survive: empty, broken double-byte, a lead byte at the end, over
// MAX_PATH, macro and root fragments.
const std::string kNastyInputs[] = {
    "",
    "\x95",
    "\\",
    "C:",
    "<",
    "<SYSTEM>..",
    "<Program Files>..\\..\\..\\..",
    "HKEY_LOCAL_MACHINE\\",
    "C:\\" + kHyou,
    "\x95\\\x95",
    "\xFF\xFF\xFF",
    std::string(300, 'a'),
    "C:\\" + std::string(300, 'a'),
    std::string(150, '\x95') + "\\",
    std::string("a\0b", 3),
};

TEST(PathRulesTest, LastByteClassAndAppendBackslash) {
    struct Case {
        std::string in;
        int32_t cls;
        std::string appended;
    };
    const Case cases[] = {
        {"", 0, "\\"},
        {"C:\\", 1, "C:\\"},
        {"C:\\dir", 1, "C:\\dir\\"},
        {"C:\\" + kHyou, 3, "C:\\" + kHyou + "\\"},
        {kHyou + kHyou, 3, kHyou + kHyou + "\\"},
        {"\x95", 2, "\x95\\"},       // a lead byte at the end
        {kHalfA, 1, kHalfA + "\\"},  // half-width katakana are single-byte characters
        {"\x80\\", 3, "\x80\\\\"},   // 0x80 and 0xFD-0xFF start a pair as well
        {"\xFF\\", 3, "\xFF\\\\"},
        {"\xA0\\", 1, "\xA0\\"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.in));
        EXPECT_EQ(LastByteClass(c.in), c.cls);
        std::string s = c.in;
        AppendBackslash(s);
        EXPECT_EQ(s, c.appended);
    }
}

TEST(PathRulesTest, CheckDatabaseName) {
    std::string kana64;
    for (int i = 0; i < 32; ++i) {
        kana64 += "\x83\x41";  // "ア"
    }
    struct Case {
        std::string name;
        int32_t verdict;
    };
    const Case cases[] = {
        {"", DBNAME_EMPTY},
        {std::string(64, 'a'), DBNAME_OK},
        {std::string(65, 'a'), DBNAME_TOO_LONG},
        {kana64, DBNAME_OK},
        {kana64 + "a", DBNAME_TOO_LONG},
        {std::string(65, '\xB1'), DBNAME_TOO_LONG},  // the length is checked first
        {"Resource", DBNAME_RESERVED},
        {"Resources", DBNAME_OK},
        {kHyou, DBNAME_OK},       // second byte 0x5C is no backslash
        {"\x83\x7C", DBNAME_OK},  // "ポ": second byte 0x7C is no bar
        {kHalfA, DBNAME_HALF_KANA},
        {"abc" + kHalfA, DBNAME_HALF_KANA},
        {"\xA0", DBNAME_HALF_KANA},
        {"a\tb", DBNAME_BAD_CHAR},
        {"\x95", DBNAME_BAD_CHAR},        // lead byte at the end
        {"\x95\x30", DBNAME_BAD_CHAR},    // second byte below 0x40
        {kHalfA + "|", DBNAME_BAD_CHAR},  // forbidden characters come before katakana
        {kHalfA + "\x95", DBNAME_HALF_KANA},
        {"\x95\x30" + kHalfA, DBNAME_BAD_CHAR},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CheckDatabaseName(c.name), c.verdict) << testing::PrintToString(c.name);
    }
    for (char forbidden : std::string("\\/:,;*?\"<>|")) {
        EXPECT_EQ(CheckDatabaseName(std::string("ab") + forbidden), DBNAME_BAD_CHAR) << forbidden;
    }
}

TEST(PathRulesTest, SplitPath) {
    struct Case {
        std::string path, folder, file;
    };
    const Case cases[] = {
        {"C:\\dir\\file.txt", "C:\\dir\\", "file.txt"},
        {"C:file", "C:", "file"},
        {"dir/sub/f", "dir/sub/", "f"},
        {"\\\\server\\share\\a.chm", "\\\\server\\share\\", "a.chm"},
        {"C:\\dir\\" + kHyou, "C:\\dir\\", kHyou},  // its 0x5C is no separator
        {"", "", ""},
        {"\x95", "", "\x95"},
    };
    for (const Case& c : cases) {
        std::string folder = "old", file = "old";
        SplitPath(c.path, folder, file);
        EXPECT_EQ(folder, c.folder) << testing::PrintToString(c.path);
        EXPECT_EQ(file, c.file) << testing::PrintToString(c.path);
    }
}

// Registry and files of a private prefix: C: holds WINDOWS, system32 and Program Files.
class PathRulesPrefixTest : public testing::Test {
protected:
    void SetUp() override {
        SetString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion",
                  "ProgramFilesDir", "C:\\Program Files");
        std::filesystem::create_directories(m_prefix.Path("drives/c/Apps/Sub"));
        test::WriteLinuxFile(m_prefix.Path("drives/c/Apps/tool.exe"), "MZ");
        test::WriteLinuxFile(m_prefix.Path("drives/c/WINDOWS/a.hlp"), "?_");
    }
    static void SetString(HKEY root, const std::string& strKey, const std::string& strName,
                          const std::string& strValue) {
        CRegKey key;
        ASSERT_EQ(key.Create(root, strKey, KEY_ALL_ACCESS), 0);
        ASSERT_EQ(key.SetString(strName, strValue), 0);
    }

    test::CTempPrefix m_prefix;
};

TEST_F(PathRulesPrefixTest, RegKeyRootsAreTheFourLongNames) {
    SetString(HKEY_LOCAL_MACHINE, "Software\\X", "InstalledDir", "C:\\Apps\\");
    SetString(HKEY_CURRENT_USER, "Software\\X", "InstalledDir", "C:\\User");
    SetString(HKEY_USERS, "S-1\\X", "InstalledDir", "C:\\Users");
    SetString(HKEY_CLASSES_ROOT, "X", "InstalledDir", "C:\\Classes");
    struct Case {
        std::string regKey;
        bool ok;
        std::string folder;
    };
    const Case cases[] = {
        {"HKEY_LOCAL_MACHINE\\Software\\X", true, "C:\\Apps"},
        {"hkey_local_machine\\Software\\X", true, "C:\\Apps"},
        {"HKEY_CURRENT_USER\\Software\\X", true, "C:\\User"},
        {"HKEY_USERS\\S-1\\X", true, "C:\\Users"},
        {"HKEY_CLASSES_ROOT\\X", true, "C:\\Classes"},
        {"HKLM\\Software\\X", false, ""},
        {"HKEY_LOCAL_MACHINE\\Software\\Missing", false, ""},
        {"Software\\X", false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.regKey);
        std::string out = "untouched";
        EXPECT_EQ(ResolveRegKeyFolder(c.regKey, "", out), c.ok);
        EXPECT_EQ(out, c.ok ? c.folder : "untouched");
    }
}

TEST_F(PathRulesPrefixTest, RegKeyValuesAreTriedInOrder) {
    // Values from the i-th name on exist; the i-th is the one used.
    struct Value {
        const char* name;
        const char* data;
        const char* folder;
    };
    const Value values[] = {
        {"RootPath", "C:\\Root\\index.txt", "C:\\Root"},
        {"InstalledDir", "C:\\Installed\\", "C:\\Installed"},
        {"InstalledPath", "C:\\Path\\tool.exe", "C:\\Path"},
        {"Path", "C:\\P\\", "C:\\P"},
        {"InstallPath", "C:\\IP", "C:\\IP"},
    };
    for (size_t i = 0; i < std::size(values); ++i) {
        const std::string key = "Software\\Order" + std::to_string(i);
        for (size_t j = i; j < std::size(values); ++j) {
            SetString(HKEY_LOCAL_MACHINE, key, values[j].name, values[j].data);
        }
        std::string out;
        EXPECT_TRUE(ResolveRegKeyFolder("HKEY_LOCAL_MACHINE\\" + key, "", out));
        EXPECT_EQ(out, values[i].folder) << values[i].name;
    }
    SetString(HKEY_LOCAL_MACHINE, "Software\\None", "Other", "C:\\Apps");
    std::string out = "untouched";
    EXPECT_FALSE(ResolveRegKeyFolder("HKEY_LOCAL_MACHINE\\Software\\None", "", out));
    EXPECT_EQ(out, "untouched");
}

TEST_F(PathRulesPrefixTest, FolderSpellingsOfRegKeyValues) {
    struct Case {
        const char* name;
        std::string data;
        std::string folder;
    };
    const Case cases[] = {
        {"InstalledDir", "C:\\Apps\\", "C:\\Apps"},
        {"InstalledDir", "C:\\", "C:\\"},
        {"InstalledDir", "C:\\" + kHyou, "C:\\" + kHyou},  // no backslash to remove
        {"InstalledPath", "C:\\Apps\\tool.exe", "C:\\Apps"},
        {"InstalledPath", "tool.exe", ""},
        {"InstalledPath", "\\tool.exe", ""},  // the search starts at the second character
        {"InstalledPath", "C:\\" + kHyou + "tool.exe", "C:\\"},
        {"RootPath", "\\\\srv\\share\\a.txt", "\\\\srv\\share"},
    };
    int n = 0;
    for (const Case& c : cases) {
        const std::string key = "Software\\Spell" + std::to_string(n++);
        SetString(HKEY_LOCAL_MACHINE, key, c.name, c.data);
        std::string out;
        EXPECT_TRUE(ResolveRegKeyFolder("HKEY_LOCAL_MACHINE\\" + key, "", out));
        EXPECT_EQ(out, c.folder) << c.name << " " << testing::PrintToString(c.data);
    }
}

TEST_F(PathRulesPrefixTest, RegEntryNamesTheValue) {
    const std::string key = "HKEY_LOCAL_MACHINE\\Software\\Entry";
    SetString(HKEY_LOCAL_MACHINE, "Software\\Entry", "", "C:\\Apps\\tool.exe");
    SetString(HKEY_LOCAL_MACHINE, "Software\\Entry", "Dir", "C:\\Apps\\Sub\\");
    SetString(HKEY_LOCAL_MACHINE, "Software\\Entry", "Gone", "C:\\Apps\\gone.exe");
    SetString(HKEY_LOCAL_MACHINE, "Software\\Entry", "InstalledDir", "C:\\Ignored");
    struct Case {
        std::string entry;
        bool ok;
        std::string folder;
    };
    const Case cases[] = {
        {kEmptyRegEntry, true, "C:\\Apps"},  // "" in the file: the default value
        {"Dir", true, "C:\\Apps\\Sub"},
        {"Gone", true, "C:\\Apps\\gone.exe"},  // not an existing file: taken as a folder
        {"Missing", false, "untouched"},
    };
    for (const Case& c : cases) {
        std::string out = "untouched";
        EXPECT_EQ(ResolveRegKeyFolder(key, c.entry, out), c.ok) << c.entry;
        EXPECT_EQ(out, c.folder) << c.entry;
    }
}

TEST_F(PathRulesPrefixTest, ExeKeyFolder) {
    struct Case {
        std::string data;
        std::string folder;
    };
    const Case cases[] = {
        {"C:\\Apps\\tool.exe", "C:\\Apps"},
        {"C:\\Apps\\\\tool.exe", "C:\\Apps"},  // a doubled backslash goes as well
        {"C:\\tool.exe", "C:\\"},
        {"\\\\tool.exe", "\\"},
        {"C:\\" + kHyou + "\\tool.exe", "C:\\" + kHyou},
        {"tool.exe", ""},
    };
    int n = 0;
    for (const Case& c : cases) {
        const std::string key = "Software\\Exe" + std::to_string(n++);
        SetString(HKEY_LOCAL_MACHINE, key, "", c.data);
        std::string out;
        EXPECT_TRUE(ResolveExeKeyFolder("HKEY_LOCAL_MACHINE\\" + key, out));
        EXPECT_EQ(out, c.folder) << testing::PrintToString(c.data);
    }
}

TEST_F(PathRulesPrefixTest, ExpandPathMacro) {
    struct Case {
        std::string in;
        bool ok;
        std::string out;
    };
    const Case cases[] = {
        {"<WINDOWS>\\HELP\\A.HLP", true, "C:\\WINDOWS\\HELP\\A.HLP"},
        {"<SYSTEM>\\x.dll", true, "C:\\WINDOWS\\system32\\x.dll"},
        {"<program files>\\a", true, "C:\\Program Files\\a"},
        {"<Program Files>..\\Common\\B.CHM", true, "C:\\Common\\B.CHM"},
        {"<windows>..", true, "C:"},
        {"<windows>..\\", true, "C:"},
        {"<SYSTEM>..\\..\\x", true, "C:\\x"},
        {"<SYSTEM>..\\..\\..\\x", true, "\\x"},
        {"<WINDOWS>", true, "C:\\WINDOWS"},
        {"<WINDOWS>" + kHyou, true, "C:\\WINDOWS" + kHyou},
        {"C:\\<WINDOWS>", false, "C:\\<WINDOWS>"},
        {"<WINDOWS", false, "<WINDOWS"},
        {"<WINDOWSX>\\a", false, "<WINDOWSX>\\a"},
        {"<>", false, "<>"},
        {"", false, ""},
    };
    for (const Case& c : cases) {
        std::string out = "untouched";
        EXPECT_EQ(ExpandPathMacro(c.in, out), c.ok) << c.in;
        EXPECT_EQ(out, c.out) << c.in;
    }
}

TEST_F(PathRulesPrefixTest, ProgramFilesMacroNeedsTheRegistryValue) {
    std::string dir;
    EXPECT_EQ(GetProgramFilesDir(dir), 0);
    EXPECT_EQ(dir, "C:\\Program Files");
    SetString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir",
              "C:\\" + std::string(259, 'p'));
    std::string out;
    EXPECT_FALSE(ExpandPathMacro("<Program Files>\\a", out));  // 262 bytes: too long
    EXPECT_EQ(out, "<Program Files>\\a");
    CRegKey key;
    ASSERT_EQ(key.Open(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion",
                       KEY_ALL_ACCESS),
              0);
    ASSERT_EQ(key.DeleteValue("ProgramFilesDir"), 0);
    dir = "untouched";
    EXPECT_EQ(GetProgramFilesDir(dir), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(dir, "untouched");
    EXPECT_FALSE(ExpandPathMacro("<Program Files>\\a", out));
    EXPECT_EQ(out, "<Program Files>\\a");
}

TEST_F(PathRulesPrefixTest, GetPathTypeDescribesTheVeryEntry) {
    EXPECT_EQ(GetPathType(""), PATH_NONE);
    EXPECT_EQ(GetPathType("C:\\Apps\\missing.exe"), PATH_NONE);
    EXPECT_EQ(GetPathType("C:\\Apps"), PATH_FOLDER);
    EXPECT_EQ(GetPathType("C:\\Apps\\tool.exe"), PATH_FILE);
    CFindData find;
    EXPECT_EQ(GetPathType("c:\\APPS\\TOOL.EXE", &find), PATH_FILE);
    EXPECT_EQ(find.m_strName, "tool.exe");
    EXPECT_EQ(find.m_nSize, 2u);
    CFindData none;
    none.m_strName = "untouched";
    EXPECT_EQ(GetPathType("C:\\Apps\\missing", &none), PATH_NONE);
    EXPECT_EQ(none.m_strName, "untouched");
}

TEST_F(PathRulesPrefixTest, IsInstalledAppliThroughItsOutcomes) {
    SetString(HKEY_LOCAL_MACHINE, "Software\\Here", "InstalledDir", "C:\\Apps");
    SetString(HKEY_LOCAL_MACHINE, "Software\\Gone", "InstalledDir", "C:\\Gone");
    SetString(HKEY_LOCAL_MACHINE, "Software\\Exe", "", "C:\\Apps\\tool.exe");
    SetString(HKEY_LOCAL_MACHINE, "Software\\ExeGone", "", "C:\\Gone\\tool.exe");
    const std::string here = "HKEY_LOCAL_MACHINE\\Software\\Here";
    const std::string gone = "HKEY_LOCAL_MACHINE\\Software\\Gone";
    const std::string missing = "HKEY_LOCAL_MACHINE\\Software\\Missing";
    struct Case {
        const char* what;
        std::vector<std::string> regKey, rootOrg, exeKey, exeOrg, docs;
        int32_t installed;
    };
    const Case cases[] = {
        {"RegKey folder exists", {gone, here}, {}, {}, {}, {}, 1},
        {"RootOrgPath folder", {gone}, {"C:\\Apps"}, {}, {}, {}, 1},
        {"RootOrgPath is a file", {gone}, {"C:\\Apps\\tool.exe"}, {}, {}, {}, 0},
        {"RegKeys fail, documents exist",
         {missing, gone},
         {},
         {},
         {},
         {"C:\\Apps\\tool.exe > App"},
         0},
        {"empty RegKey slots are skipped", {"", ""}, {}, {}, {}, {}, 1},
        {"ExeKey folder exists", {gone}, {}, {"HKEY_LOCAL_MACHINE\\Software\\Exe"}, {}, {}, 1},
        {"ExeOrgPath folder",
         {},
         {},
         {"HKEY_LOCAL_MACHINE\\Software\\ExeGone"},
         {"C:\\Apps\\Sub"},
         {},
         1},
        {"ExeKey fails", {}, {}, {"HKEY_LOCAL_MACHINE\\Software\\ExeGone"}, {}, {}, 0},
        {"a document exists", {}, {}, {}, {}, {"C:\\Gone\\x.chm", "C:\\Apps\\tool.exe > App"}, 1},
        {"through a macro", {}, {}, {}, {}, {"<WINDOWS>\\a.hlp > App"}, 1},
        {"cut at | and >", {}, {}, {}, {}, {"C:\\Apps\\tool.exe  |topic > App"}, 1},
        {"no document exists", {}, {}, {}, {}, {"C:\\Gone\\x.chm > App"}, 0},
        {"placeholders only", {}, {}, {}, {}, {"C:\\Gone\\x.DMY > App"}, 1},
        {"relative documents are not looked for", {}, {}, {}, {}, {"x.chm", "ab"}, 1},
        {"nothing at all", {}, {}, {}, {}, {}, 1},
    };
    for (const Case& c : cases) {
        CCtrlDatabase db;
        db.m_regKey.assign(c.regKey.begin(), c.regKey.end());
        db.m_rootOrgPath.assign(c.rootOrg.begin(), c.rootOrg.end());
        db.m_exeKey.assign(c.exeKey.begin(), c.exeKey.end());
        db.m_exeOrgPath.assign(c.exeOrg.begin(), c.exeOrg.end());
        db.m_docs.assign(c.docs.begin(), c.docs.end());
        EXPECT_EQ(IsInstalledAppli(db), c.installed) << c.what;
    }
}

TEST_F(PathRulesPrefixTest, ToUniversalPathOnRemoteAndFixedDrives) {
    std::filesystem::create_directories(m_prefix.Path("share/docs"));
    ASSERT_EQ(CPrefix::Current().AddDrive(
                  {'N', DRIVE_REMOTE, m_prefix.Path("share"), "\\\\server\\share"}),
              0);
    struct Case {
        std::string in;
        bool ok;
        std::string out;
    };
    const Case cases[] = {
        {"N:\\docs\\a.chm", true, "\\\\server\\share\\docs\\a.chm"},
        {"n:\\docs", true, "\\\\server\\share\\docs"},
        {"C:\\Apps\\tool.exe", false, "C:\\Apps\\tool.exe"},
        {"N:docs", false, "N:docs"},
        {"1:\\x", false, "1:\\x"},
    };
    for (const Case& c : cases) {
        std::string path = c.in;
        EXPECT_EQ(ToUniversalPath(path), c.ok) << c.in;
        EXPECT_EQ(path, c.out) << c.in;
    }
}

TEST_F(PathRulesPrefixTest, FullPathsAndTemporaryNames) {
    const std::string saved = GetCurrentDirectory();
    ASSERT_EQ(SetCurrentDirectory("C:\\Apps"), 0);
    std::string path = "Sub\\..\\x.txt";
    EXPECT_TRUE(MakeFullPath(path));
    EXPECT_EQ(path, "C:\\Apps\\x.txt");
    ASSERT_EQ(SetCurrentDirectory(saved), 0);

    std::string temp;
    ASSERT_TRUE(MakeTempName("C:\\Apps", temp));
    EXPECT_EQ(temp.rfind("C:\\Apps\\TQ", 0), 0u) << temp;
    EXPECT_EQ(GetPathType(temp), PATH_NONE);  // only the name is kept
    temp = "untouched";
    EXPECT_FALSE(MakeTempName("C:\\Missing", temp));
    EXPECT_EQ(temp, "untouched");
}

TEST_F(PathRulesPrefixTest, EveryRuleTakesAnyByteString) {
    // Relative folders then name places inside the prefix.
    const std::string saved = GetCurrentDirectory();
    ASSERT_EQ(SetCurrentDirectory("C:\\Apps"), 0);
    CCtrlDatabase db;
    for (const std::string& s : kNastyInputs) {
        SCOPED_TRACE(testing::PrintToString(s));
        std::string out, folder, file;
        LastByteClass(s);
        std::string t = s;
        AppendBackslash(t);
        EXPECT_EQ(t.substr(0, s.size()), s);
        ResolveRegKeyFolder(s, s, out);
        ResolveRegKeyFolder(s, "", out);
        ResolveExeKeyFolder(s, out);
        ExpandPathMacro(s, out);
        CFindData find;
        GetPathType(s, &find);
        CheckDatabaseName(s);
        t = s;
        ToUniversalPath(t);
        SplitPath(s, folder, file);
        EXPECT_EQ(folder + file, s);
        t = s;
        MakeFullPath(t);
        MakeTempName(s, out);
        db.m_regKey = {CtrlString(s)};
        db.m_regEntry = {CtrlString(s)};
        db.m_rootOrgPath = {CtrlString(s)};
        db.m_exeKey = {CtrlString(s)};
        db.m_exeOrgPath = {CtrlString(s)};
        IsInstalledAppli(db);
        db = CCtrlDatabase();
        db.m_docs = {CtrlString(s), CtrlString("C:\\" + s), CtrlString("<WINDOWS>" + s)};
        IsInstalledAppli(db);
    }
    SetCurrentDirectory(saved);
}

}  // namespace
}  // namespace tq
