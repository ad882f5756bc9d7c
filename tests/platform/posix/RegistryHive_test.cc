#include <sqlite3.h>
#include <sys/stat.h>

#include <algorithm>
#include <tuple>

#include "../../../fuzz/RegFileOracle.h"
#include "gtest/gtest.h"
#include "platform/RegistryFixture.h"
#include "platform/posix/Prefix.h"
#include "platform/posix/RegFile.h"

// What the registry of the Linux emulation adds to the system's: its hive files, their
// permissions and damage, batches that commit as one transaction, and the .reg importer.
namespace tq {
namespace {

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
        {"\"Bin\"=hex:00,100\r\n", 6, "bad byte \"100\""},
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
