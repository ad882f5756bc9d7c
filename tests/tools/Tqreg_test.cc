// tqreg as a process on private prefixes: command lines, Japanese text, every type, files, damage.
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "platform/Registry.h"
#include "platform/Win32Error.h"
#include "support/TestSupport.h"

namespace tq {
namespace {

using test::CTempPrefix;

class TqregTest : public ::testing::Test {
protected:
    // tqreg with --prefix of this test's prefix unless the arguments name one.
    test::CToolRun Tqreg(std::vector<std::string> args) {
        if (args.empty() || args[0] != "--prefix") {
            args.insert(args.begin(), {"--prefix", m_prefix.GetDir()});
        }
        return test::RunTool("tqreg", args);
    }
    struct CStep {
        std::vector<std::string> args;
        int exit;
        std::string out;
        std::string err = "";  // a part of standard error
    };
    void Expect(const std::vector<CStep>& steps) {
        for (const CStep& s : steps) {
            test::CToolRun run = Tqreg(s.args);
            SCOPED_TRACE(testing::PrintToString(s.args));
            EXPECT_EQ(run.m_nExit, s.exit) << run.m_strErr;
            EXPECT_EQ(run.m_strOut, s.out);
            EXPECT_NE(run.m_strErr.find(s.err), std::string::npos) << run.m_strErr;
        }
    }
    CTempPrefix m_prefix;
};

TEST_F(TqregTest, HelpAndBadCommandLines) {
    EXPECT_EQ(0u, Tqreg({"--help"}).m_strOut.find("usage: tqreg [--prefix DIR] COMMAND"));
    EXPECT_EQ(0u, Tqreg({"query", "HKCU", "--help"}).m_strOut.find("usage: tqreg"));
    Expect({{{}, 2, "", "tqreg: no command given"},
            {{"frob"}, 2, "", "tqreg: unknown command frob"},
            {{"--prefix"}, 2, "", "tqreg: --prefix needs a folder"},
            {{"import"}, 2, "", "tqreg: import takes one FILE.reg"},
            {{"query"}, 2, "", "tqreg: query takes KEY"},
            {{"set", "HKCU\\A", "v", "REG_SZ"}, 2, "", "tqreg: set takes KEY VALUE TYPE DATA"},
            {{"set", "HKCU\\A", "v", "REG_QWORD", "1"}, 2, "", "TYPE is REG_SZ"},
            {{"set", "HKCU\\A", "v", "REG_DWORD", "4294967296"}, 2, "", "REG_DWORD data"},
            {{"set", "HKCU\\A", "v", "REG_DWORD", "12x"}, 2, "", "REG_DWORD data"},
            {{"set", "HKCU\\A", "v", "REG_BINARY", "abc"}, 2, "", "pairs of hex digits"},
            {{"query", "SOFTWARE\\A"}, 2, "", "a key begins with HKEY_LOCAL_MACHINE"},
            {{"delete", "HKCU\\A", "v", "w"}, 2, "", "tqreg: delete takes KEY [VALUE]"}});
    CRegKey key;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, key.Open(HKEY_CURRENT_USER, "A", KEY_READ));
}

TEST_F(TqregTest, SetQueryAndDeleteConvertJapaneseText) {
    // "表示" is 0x95 0x5C 0x8E 0xA6 in code page 932: its first byte pair ends in a backslash.
    const std::string namae = "名前", atai = "値", key = "HKCU\\Software\\表示";
    Expect({{{"set", key, namae, "REG_SZ", atai}, 0, ""},
            {{"set", key, "", "REG_EXPAND_SZ", "%WINDIR%"}, 0, ""}});
    CRegKey k;
    ASSERT_EQ(ERROR_SUCCESS, k.Open(HKEY_CURRENT_USER, "Software\\\x95\x5C\x8E\xA6", KEY_READ));
    uint32_t type = 0;
    std::string data;
    ASSERT_EQ(ERROR_SUCCESS, k.QueryValue("\x96\xBC\x91\x4F", type, data));  // "名前"
    EXPECT_EQ(REG_SZ, type);
    EXPECT_EQ(std::string("\x92\x6C\0", 3), data);  // "値" with its NUL
    const std::string notFound = ": not found (error 2)\n";
    Expect({{{"query", key, namae}, 0, key + "\n    名前    REG_SZ    値\n"},
            {{"query", "HKCU\\Software"}, 0, "HKCU\\Software\n\n" + key + "\n"},
            {{"query", key},
             0,
             key + "\n    (Default)    REG_EXPAND_SZ    %WINDIR%\n    名前    REG_SZ    値\n"},
            {{"delete", key, namae}, 0, ""},
            {{"query", key, namae}, 1, key + "\n", "tqreg: " + key + " 名前" + notFound},
            {{"delete", "HKCU\\Software"}, 0, ""},
            {{"query", key}, 1, "", "tqreg: " + key + notFound},
            {{"delete", "HKCU\\Software"}, 1, ""}});
}

TEST_F(TqregTest, SetEveryTypeThenExport) {
    const std::string key = "HKEY_LOCAL_MACHINE\\SOFTWARE\\T", wide = m_prefix.Path("wide.reg");
    const std::string exported =
        "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\T]\r\n\"bin\"=hex:0a,1b,ff\r\n"
        "\"decimal\"=dword:ffffffff\r\n\"dword\"=dword:0000001f\r\n"
        "\"expand\"=hex(2):25,58,25,00\r\n\"multi\"=hex(7):61,00,62,00,00\r\n"
        "\"sz\"=\"a \\\"b\\\" \\\\c\"\r\n\r\n";
    CTempPrefix other;  // the UTF-16 form, written to a file, imports there as the same keys
    Expect({{{"set", key, "sz", "REG_SZ", "a \"b\" \\c"}, 0, ""},
            {{"set", key, "expand", "REG_EXPAND_SZ", "%X%"}, 0, ""},
            {{"set", key, "dword", "REG_DWORD", "0x1F"}, 0, ""},
            {{"set", key, "decimal", "REG_DWORD", "4294967295"}, 0, ""},
            {{"set", key, "bin", "REG_BINARY", "0a,1B ff"}, 0, ""},
            {{"set", key, "multi", "REG_MULTI_SZ", "a\\0b"}, 0, ""},
            {{"export", "hklm\\SOFTWARE\\T"}, 0, exported},
            {{"query", key, "multi"}, 0, key + "\n    multi    REG_MULTI_SZ    a\\0b\n"},
            {{"query", key, "bin"}, 0, key + "\n    bin    REG_BINARY    0A1BFF\n"},
            {{"export", key, "--unicode", wide}, 0, ""},
            {{"--prefix", other.GetDir(), "import", wide}, 0, ""},
            {{"--prefix", other.GetDir(), "export", key}, 0, exported}});
    EXPECT_EQ("\xFF\xFE", test::ReadLinuxFile(wide).substr(0, 2));
}

// Each failure names what failed on standard error, exits 1 and changes nothing.
TEST_F(TqregTest, FailuresNameWhatFailed) {
    CTempPrefix damaged;
    test::WriteLinuxFile(damaged.Path("registry/machine.db"), "not a hive");
    const std::string bad = m_prefix.Path("bad.reg"), missing = m_prefix.Path("missing.reg");
    test::WriteLinuxFile(bad,
                         "REGEDIT4\r\n[HKEY_CURRENT_USER\\Imported]\r\n\"A\"=\"fine\"\r\n"
                         "\"B\"=dword:xyz\r\n");
    // Standard error begins with "tqreg: " (see HelpAndBadCommandLines).
    Expect({{{"import", bad}, 1, "", bad + ":4: dword: needs 1 to 8 hex digits\n"},
            {{"query", "HKCU\\Imported"}, 1, "", ": HKCU\\Imported: not found (error 2)\n"},
            {{"import", missing}, 1, "", missing + ": no such file\n"},
            {{"set", "HKCU\\A", "café", "REG_SZ", "x"}, 1, "", ": café: has no code page 932 form"},
            {{"--prefix", damaged.GetDir(), "query", "HKLM\\SOFTWARE"},
             1,
             "",
             ": HKLM\\SOFTWARE: the registry hive is damaged or not a hive (error 1009)\n"}});
    EXPECT_EQ("not a hive", test::ReadLinuxFile(damaged.Path("registry/machine.db")));
}

}  // namespace
}  // namespace tq
