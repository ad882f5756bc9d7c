#include "platform/Registry.h"

#include <sqlite3.h>
#include <sys/stat.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

#include "../../fuzz/RegFileOracle.h"
#include "gtest/gtest.h"
#include "platform/Win32Error.h"
#include "platform/posix/Prefix.h"
#include "platform/posix/RegFile.h"
#include "support/TestSupport.h"

namespace tq {
namespace {

using test::CTempPrefix;

const std::string kTestKey = "SOFTWARE\\Orbanworks\\Test";
using Codes = std::vector<int32_t>;  // the answers of several calls, in the order made

class RegistryTest : public ::testing::Test {
protected:
    CTempPrefix m_prefix;

    CRegKey MakeKey(const std::string& sub = "") {
        CRegKey key;
        EXPECT_EQ(ERROR_SUCCESS,
                  key.Create(HKEY_LOCAL_MACHINE, sub.empty() ? kTestKey : kTestKey + "\\" + sub,
                             KEY_ALL_ACCESS));
        return key;
    }
};

std::string ReadString(HKEY root, const std::string& path, const std::string& name) {
    CRegKey key;
    uint32_t type = 0;
    std::string data;
    if (key.Open(root, path, KEY_READ) != ERROR_SUCCESS ||
        key.QueryValue(name, type, data) != ERROR_SUCCESS) {
        return "<missing>";
    }
    return data;
}

std::vector<std::string> SubKeys(const CRegKey& key) {
    std::vector<std::string> names;
    std::string name;
    while (key.EnumKey(static_cast<uint32_t>(names.size()), name) == ERROR_SUCCESS) {
        names.push_back(name);
    }
    return names;
}

TEST_F(RegistryTest, KeyPathRules) {
    const std::string k255(255, 'k');
    // path, answer, subkeys of the test key afterwards
    const std::tuple<std::string, int32_t, std::vector<std::string>> cases[] = {
        {"Trailing\\", ERROR_SUCCESS, {"Trailing"}},
        {k255, ERROR_SUCCESS, {k255}},
        {k255 + "k", ERROR_INVALID_PARAMETER, {}},
        {"Bad\x81", ERROR_INVALID_PARAMETER, {}},  // lead byte at the end
    };
    for (const auto& [path, expected, keysAfter] : cases) {
        SCOPED_TRACE(path);
        CTempPrefix prefix;
        CRegKey base = MakeKey(), key;
        EXPECT_EQ(expected, key.Create(HKEY_LOCAL_MACHINE, kTestKey + "\\" + path, KEY_ALL_ACCESS));
        EXPECT_EQ(keysAfter, SubKeys(base));
        EXPECT_EQ(expected, key.Open(base, path, KEY_READ));
    }
}

TEST_F(RegistryTest, ValueNamesIgnoreCaseKeepFirstSpellingAndHaveALimit) {
    CRegKey key = MakeKey();
    ASSERT_EQ(ERROR_SUCCESS, key.SetDword("Name", 1));
    ASSERT_EQ(ERROR_SUCCESS, key.SetDword("NAME", 2));
    std::string name, data;
    uint32_t type = 0, v = 0;
    ASSERT_EQ(ERROR_SUCCESS, key.EnumValue(0, name, type, data));
    EXPECT_EQ("Name", name);
    EXPECT_EQ(std::string("\2\0\0\0", 4), data);
    EXPECT_EQ(ERROR_NO_MORE_ITEMS, key.EnumValue(1, name, type, data));
    EXPECT_EQ(ERROR_SUCCESS, key.SetDword(std::string(MAX_VALUE_NAME, 'v'), 1));
    EXPECT_EQ(ERROR_INVALID_PARAMETER, key.SetDword(std::string(MAX_VALUE_NAME + 1, 'v'), 1));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, key.QueryDword(std::string(MAX_VALUE_NAME + 1, 'v'), v));
    EXPECT_EQ(ERROR_SUCCESS, key.DeleteValue("name"));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, key.DeleteValue("name"));
    ASSERT_EQ(ERROR_SUCCESS, key.SetValue("Binary", REG_BINARY, "\0\1\xFF\0", 4));
    uint32_t cb = 2;
    uint8_t buf[2] = {0xCC, 0xCC};  // too short: the size needed comes back, the buffer is kept
    EXPECT_EQ(ERROR_MORE_DATA, key.QueryValue("Binary", &type, buf, &cb));
    EXPECT_EQ((std::vector<uint32_t>{4, REG_BINARY, 0xCC}),
              (std::vector<uint32_t>{cb, type, buf[0]}));
    CRegKey reader;  // the handle's access rights are checked
    ASSERT_EQ(ERROR_SUCCESS, reader.Open(HKEY_LOCAL_MACHINE, kTestKey, KEY_READ));
    EXPECT_EQ(ERROR_ACCESS_DENIED, reader.SetDword("V", 1));
}

TEST_F(RegistryTest, DeleteKeyRules) {
    CRegKey base = MakeKey();
    MakeKey("Parent\\Child");
    EXPECT_EQ(ERROR_ACCESS_DENIED, base.DeleteSubKey("Parent"));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, base.DeleteSubKey("Missing"));
    EXPECT_EQ(ERROR_SUCCESS, base.DeleteSubKey("PARENT\\child"));
    EXPECT_EQ(ERROR_SUCCESS, base.DeleteSubKey("Parent"));
    EXPECT_EQ(Codes(3, ERROR_ACCESS_DENIED),  // the roots themselves
              (Codes{RegDeleteKey(HKEY_LOCAL_MACHINE, ""), RegDeleteKey(HKEY_CLASSES_ROOT, ""),
                     RegDeleteTree(HKEY_CURRENT_USER, "")}));
    MakeKey("Tree\\A\\B");
    ASSERT_EQ(ERROR_SUCCESS, MakeKey("Tree\\C").SetDword("V", 1));
    EXPECT_EQ(ERROR_SUCCESS, RegDeleteTree(HKEY_LOCAL_MACHINE, kTestKey + "\\tree"));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegDeleteTree(HKEY_LOCAL_MACHINE, kTestKey + "\\Tree"));
    CRegKey self = MakeKey("Self");
    EXPECT_EQ(ERROR_SUCCESS, self.DeleteSubKey(""));  // deletes the key itself
    EXPECT_TRUE(SubKeys(base).empty());
    MakeKey("Self");  // a new key of the same name is another key
    EXPECT_EQ(ERROR_KEY_DELETED, self.SetDword("V", 2));
}

TEST_F(RegistryTest, BatchCommitsAllOrNothing) {
    {
        CRegistryBatch batch;
        {
            CRegistryBatch inner;  // joins the outer batch
            ASSERT_EQ(ERROR_SUCCESS, MakeKey("InBatch").SetDword("W", 2));
            EXPECT_EQ(ERROR_SUCCESS, inner.Commit());
        }
        EXPECT_EQ(ERROR_SUCCESS, batch.Commit());
        EXPECT_EQ(ERROR_INVALID_HANDLE, batch.Commit());
    }
    EXPECT_EQ(std::string("\2\0\0\0", 4),
              ReadString(HKEY_LOCAL_MACHINE, kTestKey + "\\InBatch", "W"));
    CRegKey probe;
    {
        CRegistryBatch batch;  // in two hives, with an abandoned inner batch: everything goes
        ASSERT_EQ(ERROR_SUCCESS, MakeKey("InBatch").SetDword("X", 3));
        ASSERT_EQ(ERROR_SUCCESS, probe.Create(HKEY_CURRENT_USER, "InBatch", KEY_ALL_ACCESS));
        { CRegistryBatch inner; }
        EXPECT_NE(ERROR_SUCCESS, batch.Commit());
    }
    EXPECT_EQ("<missing>", ReadString(HKEY_LOCAL_MACHINE, kTestKey + "\\InBatch", "X"));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, probe.Open(HKEY_CURRENT_USER, "InBatch", 0));
}

TQ_CHILD_MAIN(RegWriteMany) {  // TAG COUNT: a subkey and a value per step
    CRegKey key;
    int32_t err = key.Create(HKEY_CURRENT_USER, "Many", KEY_ALL_ACCESS);
    for (int i = 0; err == ERROR_SUCCESS && i < std::stoi(args.at(1)); ++i) {
        // Create reads before it writes: the transaction that does both must not lose a race.
        CRegKey sub;
        err = sub.Create(HKEY_CURRENT_USER, "Many\\" + args.at(0) + std::to_string(i), KEY_READ);
        if (err == ERROR_SUCCESS) {
            err = key.SetDword(args.at(0) + std::to_string(i), static_cast<uint32_t>(i));
        }
    }
    return err == ERROR_SUCCESS ? 0 : 1;
}

TEST_F(RegistryTest, TwoProcessesWriting500ValuesEachLoseNone) {
    pid_t a = test::StartChild("RegWriteMany", {"a", "500"});
    pid_t b = test::StartChild("RegWriteMany", {"b", "500"});
    EXPECT_EQ(0, test::WaitChild(a));
    EXPECT_EQ(0, test::WaitChild(b));
    CRegKey key;
    uint32_t values = 0, subKeys = 0, v = 0;
    ASSERT_EQ(ERROR_SUCCESS, key.Open(HKEY_CURRENT_USER, "Many", KEY_READ));
    ASSERT_EQ(ERROR_SUCCESS, key.QueryInfo(&subKeys, nullptr, &values, nullptr, nullptr));
    EXPECT_EQ(1000u, values);
    EXPECT_EQ(1000u, subKeys);
    EXPECT_EQ(ERROR_SUCCESS, key.QueryDword("b499", v));
    EXPECT_EQ(499u, v);
}

// As an unprivileged user on root's hives: answers the number of the first failed check, or 0.
TQ_CHILD_MAIN(RegReadOnlyProbe) {
    CRegKey key;
    uint32_t type = 0, disposition = 0;
    std::string data;
    const bool checks[] = {
        key.Open(HKEY_LOCAL_MACHINE, kTestKey, KEY_READ) == ERROR_SUCCESS,
        key.QueryValue("V", type, data) == ERROR_SUCCESS && data == std::string("v\0", 2),
        ReadString(HKEY_CURRENT_USER, "U", "W") == std::string("w\0", 2),
        key.EnumKey(0, data) == ERROR_SUCCESS && data == "Sub",
        key.Create(HKEY_LOCAL_MACHINE, kTestKey, KEY_READ, &disposition) == ERROR_SUCCESS,
        key.Open(HKEY_LOCAL_MACHINE, kTestKey, KEY_SET_VALUE) == ERROR_ACCESS_DENIED,
        key.Create(HKEY_LOCAL_MACHINE, kTestKey, KEY_WRITE) == ERROR_ACCESS_DENIED,
        key.Create(HKEY_LOCAL_MACHINE, kTestKey + "\\New", KEY_READ) == ERROR_ACCESS_DENIED,
        RegDeleteKey(HKEY_LOCAL_MACHINE, kTestKey + "\\Sub") == ERROR_ACCESS_DENIED,
        RegDeleteTree(HKEY_LOCAL_MACHINE, kTestKey) == ERROR_ACCESS_DENIED,
    };
    const bool* failed = std::find(std::begin(checks), std::end(checks), false);
    return failed == std::end(checks) ? 0 : static_cast<int>(failed - checks) + 1;
}

TEST_F(RegistryTest, UnwritableHivesRefuseEveryWriteWhileReadsWork) {
    if (!test::CanDropPrivileges()) {
        GTEST_SKIP() << "cannot drop to an unprivileged user, so the denial cannot be made real";
    }
    CRegKey key = MakeKey(), user;
    ASSERT_EQ(ERROR_SUCCESS, key.SetString("V", "v"));
    MakeKey("Sub");
    ASSERT_EQ(ERROR_SUCCESS, user.Create(HKEY_CURRENT_USER, "U", KEY_ALL_ACCESS));
    ASSERT_EQ(ERROR_SUCCESS, user.SetString("W", "w"));
    // Close this process's connections: the reader must manage when nobody has the hive open.
    ASSERT_EQ(ERROR_SUCCESS, CPrefix::Use(m_prefix.GetDir()));
    std::string before = test::ReadLinuxFile(m_prefix.Path("registry/machine.db"));
    EXPECT_EQ(0, test::RunChild("RegReadOnlyProbe", {}, {true, ""}));
    EXPECT_EQ(before, test::ReadLinuxFile(m_prefix.Path("registry/machine.db")));
    ASSERT_EQ(ERROR_SUCCESS, key.Open(HKEY_LOCAL_MACHINE, kTestKey, KEY_SET_VALUE));
    EXPECT_EQ(ERROR_SUCCESS, key.SetString("V", "v2"));
}

TEST_F(RegistryTest, DamagedOrUnopenableHiveGivesAnErrorOnEveryCallAndStaysAsItIs) {
    CTempPrefix prefix;  // no connection to the new prefix's hive yet
    const std::string path = prefix.Path("registry/machine.db");
    sqlite3* db = nullptr;  // another program's database in the hive's place
    ASSERT_EQ(SQLITE_OK, sqlite3_open(path.c_str(), &db));
    ASSERT_EQ(SQLITE_OK, sqlite3_exec(db, "CREATE TABLE t(x); INSERT INTO t VALUES(1);", nullptr,
                                      nullptr, nullptr));
    sqlite3_close(db);
    const std::string foreign = test::ReadLinuxFile(path);
    CRegKey key;
    EXPECT_EQ(Codes(4, ERROR_BADDB), (Codes{key.Open(HKEY_LOCAL_MACHINE, "SOFTWARE", KEY_READ),
                                            key.Create(HKEY_LOCAL_MACHINE, "X", KEY_ALL_ACCESS),
                                            RegDeleteTree(HKEY_CLASSES_ROOT, "X"),
                                            key.Open(HKEY_LOCAL_MACHINE, "", KEY_READ)}));
    EXPECT_EQ(foreign, test::ReadLinuxFile(path));
    EXPECT_FALSE(test::LinuxFileExists(path + "-wal"));
    EXPECT_EQ(ERROR_SUCCESS, key.Create(HKEY_CURRENT_USER, "X", KEY_ALL_ACCESS));  // others work
    CTempPrefix folder;
    ::mkdir(folder.Path("registry/machine.db").c_str(), 0755);
    EXPECT_EQ(Codes(2, ERROR_CANTOPEN), (Codes{key.Open(HKEY_LOCAL_MACHINE, "", KEY_READ),
                                               key.Create(HKEY_LOCAL_MACHINE, "A", KEY_READ)}));
}

// Every kind of line the importer knows; "表示"'s second byte 0x5C is no escape nor separator.
const std::string kSource =
    "REGEDIT4\r\n"
    "\r\n"
    "; a comment\r\n"
    "[HKEY_CURRENT_USER\\Software\\T]\r\n"
    "@=\"default\"\r\n"
    "\"Path\"=\"C:\\\\Program Files\\\\A \\\"quoted\\\"\"\r\n"
    "\"\x95\x5C\x8E\xA6\"=\"\x95\x5C\x8E\xA6\"\r\n"
    "\"Count\"=dword:0000000A\r\n"
    "  \"Bin\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,16,\\\r\n"
    "    17,18,19,1a,1b,1c,1d,1e,1f,20\r\n"
    "\"Expand\"=hex(2):25,57,49,4e,44,49,52,25,00\r\n"
    "\"Multi\"=hex(7):61,00,62,00,00\r\n"
    "\"NoNul\"=hex(1):61,62\r\n"
    "\"None\"=hex(0):\r\n"
    "\"Gone\"=-\r\n"
    "[HKEY_CURRENT_USER\\Software\\T\\\x95\x5C]\r\n"
    "\"Sub\"=dword:ffffffff\r\n"
    "[-HKEY_CURRENT_USER\\Software\\Old]\r\n"
    "[hklm\\SOFTWARE\\T]\r\n"
    "\"Short\"=dword:1\r\n";

std::string Export(HKEY root, const std::string& key, bool bUnicode) {
    std::string out;
    CRegFileError error;
    EXPECT_EQ(ERROR_SUCCESS, ExportRegText(root, key, bUnicode, out, error)) << error.Format();
    return out;
}

int32_t Import(const std::string& text, CRegFileError& error) {
    return ImportRegText(text, "test.reg", error);
}

class RegFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        CRegKey key;
        ASSERT_EQ(ERROR_SUCCESS, key.Create(HKEY_CURRENT_USER, "Software\\T", KEY_ALL_ACCESS));
        ASSERT_EQ(ERROR_SUCCESS, key.SetDword("Gone", 1));
        ASSERT_EQ(ERROR_SUCCESS,
                  key.Create(HKEY_CURRENT_USER, "Software\\Old\\Deep", KEY_ALL_ACCESS));
    }
    CTempPrefix m_prefix;
};

TEST_F(RegFileTest, ImportStoresEveryKindOfValueByteForByteAndExportWritesItBack) {
    CRegFileError imported;
    ASSERT_EQ(ERROR_SUCCESS, Import(kSource, imported)) << imported.Format();
    CRegKey key;
    uint32_t v = 0;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, key.Open(HKEY_CURRENT_USER, "Software\\Old", KEY_READ));
    ASSERT_EQ(ERROR_SUCCESS, key.Open(HKEY_LOCAL_MACHINE, "SOFTWARE\\T", KEY_READ));
    EXPECT_EQ(ERROR_SUCCESS, key.QueryDword("short", v));
    EXPECT_EQ(1u, v);
    EXPECT_EQ(
        "REGEDIT4\r\n\r\n"
        "[HKEY_CURRENT_USER\\Software\\T]\r\n"
        "@=\"default\"\r\n"
        "\"Bin\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,16,\\\r\n"
        "  17,18,19,1a,1b,1c,1d,1e,1f,20\r\n"
        "\"Count\"=dword:0000000a\r\n"
        "\"Expand\"=hex(2):25,57,49,4e,44,49,52,25,00\r\n"
        "\"Multi\"=hex(7):61,00,62,00,00\r\n"
        "\"None\"=hex(0):\r\n"
        "\"NoNul\"=hex(1):61,62\r\n"
        "\"Path\"=\"C:\\\\Program Files\\\\A \\\"quoted\\\"\"\r\n"
        "\"\x95\x5C\x8E\xA6\"=\"\x95\x5C\x8E\xA6\"\r\n\r\n"
        "[HKEY_CURRENT_USER\\Software\\T\\\x95\x5C]\r\n"
        "\"Sub\"=dword:ffffffff\r\n\r\n",
        Export(HKEY_CURRENT_USER, "Software\\T", false));
}

TEST_F(RegFileTest, AFileWithAnErrorImportsNothingAndNamesTheLine) {
    const std::string head =
        "REGEDIT4\r\n"
        "[-HKEY_CURRENT_USER\\Software\\Old]\r\n"
        "[HKEY_CURRENT_USER\\Software\\T]\r\n"
        "\"Gone\"=-\r\n"
        "\"New\"=\"stored before the error\"\r\n";
    const std::string before = Export(HKEY_CURRENT_USER, "Software", false);
    const std::tuple<std::string, uint32_t, const char*> cases[] = {
        // tail, line, message part
        {"\"Bin\"=hex:00,0g\r\n", 6, "bad byte \"0g\""},
        {"\"A\"=\"unknown \\n escape\"\r\n", 6, "unknown escape"},
        {"\"A=\"x\"\r\n", 6, "expected ="},
        {"\r\n[HKEY_NOWHERE\\X]\r\n", 7, "unknown root key"},
        {"[HKEY_CURRENT_USER\\X\r\n", 6, "must end with ]"},
        {"[-HKEY_CURRENT_USER\\X]\r\n\"A\"=\"x\"\r\n", 7, "outside a [KEY]"},
        {"\"Bin\"=hex:00,\\\r\n  01,\\\r\n  zz\r\n\"X\"=dword:1\r\n", 6, "bad byte \"zz\""},
        {"[HKEY_CURRENT_USER\\\\Bad]\r\n", 6, "error 161"},
        {"[HKEY_CURRENT_USER\\Bad\x81\x20]\r\n", 6, "error 87"},     // 0x81 0x20 is no character
        {"[HKEY_CURRENT_USER\\Bad\x81]\r\n", 6, "must end with ]"},  // 0x81 0x5D is one character
    };
    for (const auto& [tail, line, message] : cases) {
        SCOPED_TRACE(tail);
        CRegFileError error;
        EXPECT_NE(ERROR_SUCCESS, Import(head + tail, error));
        EXPECT_EQ(line, error.m_nLine);
        EXPECT_NE(std::string::npos, error.m_strMessage.find(message)) << error.m_strMessage;
        EXPECT_EQ("test.reg:" + std::to_string(line) + ": " + error.m_strMessage, error.Format());
        EXPECT_EQ(before, Export(HKEY_CURRENT_USER, "Software", false));
    }
}

// A deep tree's export ran out of stack: the import stops at 512 levels, the export errs.
TEST(RegFileWholeTest, KeysDeeperThan512LevelsAreRefusedNotWalked) {
    CTempPrefix prefix;
    std::string deep = "k";  // 1000 levels; its first 1025 bytes are 513
    for (int i = 1; i < 1000; ++i) {
        deep += "\\k";
    }
    CRegFileError error;
    EXPECT_EQ(ERROR_INVALID_DATA,
              Import("REGEDIT4\r\n[HKEY_CURRENT_USER\\" + deep.substr(0, 1025) + "]\r\n", error));
    EXPECT_NE(std::string::npos, error.m_strMessage.find("at most 512 levels"));
    CRegKey key;
    ASSERT_EQ(ERROR_SUCCESS, key.Create(HKEY_CURRENT_USER, "deep\\" + deep, KEY_ALL_ACCESS));
    std::string out = "untouched";
    EXPECT_EQ(ERROR_INVALID_DATA, ExportRegText(HKEY_CURRENT_USER, "deep", true, out, error));
    EXPECT_NE(std::string::npos, error.m_strMessage.find("more than 512 levels deep"));
    EXPECT_EQ("untouched", out);
}

TEST(RegFileWholeTest, FilesOnDisk) {
    CTempPrefix prefix;
    const std::string path = prefix.Path("in.reg"), out = prefix.Path("out.reg");
    CRegFileError error;  // (a bad line and a missing file are tqreg's tests)
    EXPECT_EQ(ERROR_ACCESS_DENIED, ImportRegFile(prefix.GetDir(), error));
    // A version 5.00 file may also come as code page 932 text.
    test::WriteLinuxFile(path, "Windows Registry Editor Version 5.00\n[HKCU\\F]\n\"V\"=dword:2\n");
    ASSERT_EQ(ERROR_SUCCESS, ImportRegFile(path, error)) << error.Format();
    test::WriteLinuxFile(out, "old");
    ASSERT_EQ(ERROR_SUCCESS, ExportRegFile(HKEY_CURRENT_USER, "F", false, out, error));
    EXPECT_EQ(Export(HKEY_CURRENT_USER, "F", false), test::ReadLinuxFile(out));
    EXPECT_FALSE(test::LinuxFileExists(out + ".NEW"));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, ExportRegFile(HKEY_CURRENT_USER, "Missing", false, out, error));
    EXPECT_NE(std::string::npos, error.m_strMessage.find("Missing"));
    EXPECT_EQ(Export(HKEY_CURRENT_USER, "F", false), test::ReadLinuxFile(out));  // kept
    EXPECT_EQ(ERROR_CANTWRITE,
              ExportRegFile(HKEY_CURRENT_USER, "F", false, prefix.Path("no/dir/x.reg"), error));
}

// Replays fuzz/corpus/regfile through the fuzz oracle: bad_* files are refused, others imported.
TEST(RegFileCorpusTest, EveryCorpusFileKeepsTheImporterSound) {
    CTempPrefix prefix;
    fuzz::CRegFileOracle oracle;
    ASSERT_EQ(ERROR_SUCCESS, oracle.Init());
    const auto files = test::ReadCorpus("regfile");
    size_t nRefused = 0;
    for (const auto& file : files) {
        int32_t lImport = -1;
        EXPECT_EQ(oracle.Check(file.m_strBytes, &lImport), "") << file.m_strName;
        bool bBad = file.m_strName.rfind("bad_", 0) == 0;
        EXPECT_EQ(bBad, lImport != ERROR_SUCCESS) << file.m_strName << " gave " << lImport;
        nRefused += lImport != ERROR_SUCCESS;
    }
    EXPECT_GT(files.size(), 20u);
    EXPECT_GT(nRefused, 10u);
}

}  // namespace
}  // namespace tq
