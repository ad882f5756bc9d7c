// Runs the built tqreg on private prefixes.
#include <string>
#include <tuple>
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
    // tqreg with --prefix of the given prefix (this test's by default).
    test::CToolRun Tqreg(std::vector<std::string> args, const std::string& prefix = "") {
        if (args.empty() || args[0] != "--prefix") {
            args.insert(args.begin(), {"--prefix", prefix.empty() ? m_prefix.GetDir() : prefix});
        }
        return test::RunTool("tqreg", args);
    }
    CTempPrefix m_prefix;
};

TEST_F(TqregTest, HelpAndBadCommandLines) {
    struct Case {
        std::vector<std::string> args;
        int exit;
        const char* text;  // in standard output for 0, else in standard error
    } cases[] = {
        {{"--help"}, 0, "usage: tqreg [--prefix DIR] COMMAND"},
        {{"query", "HKCU", "--help"}, 0, "usage: tqreg"},
        {{}, 2, "no command given"},
        {{"frob"}, 2, "unknown command frob"},
        {{"--prefix"}, 2, "--prefix needs a folder"},
        {{"import"}, 2, "import takes one FILE.reg"},
        {{"query"}, 2, "query takes KEY"},
        {{"set", "HKCU\\A", "v", "REG_SZ"}, 2, "set takes KEY VALUE TYPE DATA"},
        {{"set", "HKCU\\A", "v", "REG_QWORD", "1"}, 2, "TYPE is REG_SZ"},
        {{"set", "HKCU\\A", "v", "REG_DWORD", "4294967296"}, 2, "REG_DWORD data"},
        {{"set", "HKCU\\A", "v", "REG_DWORD", "12x"}, 2, "REG_DWORD data"},
        {{"set", "HKCU\\A", "v", "REG_BINARY", "abc"}, 2, "pairs of hex digits"},
        {{"query", "SOFTWARE\\A"}, 2, "a key begins with HKEY_LOCAL_MACHINE"},
        {{"delete", "HKCU\\A", "v", "w"}, 2, "delete takes KEY [VALUE]"},
    };
    for (const auto& c : cases) {
        test::CToolRun run = Tqreg(c.args);
        SCOPED_TRACE(c.args.empty() ? "(none)" : c.args[0]);
        EXPECT_EQ(c.exit, run.m_nExit) << run.m_strErr;
        EXPECT_NE(std::string::npos, (c.exit == 0 ? run.m_strOut : run.m_strErr).find(c.text));
        if (c.exit == 2) {
            EXPECT_EQ(0u, run.m_strErr.find("tqreg: ")) << run.m_strErr;
        }
    }
    CRegKey key;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, key.Open(HKEY_CURRENT_USER, "A", KEY_READ));
}

TEST_F(TqregTest, SetQueryAndDeleteConvertJapaneseText) {
    // "表示" is 0x95 0x5C 0x8E 0xA6 in code page 932: its first byte pair ends in a backslash.
    const std::string hyouji = "\xE8\xA1\xA8\xE7\xA4\xBA", namae = "\xE5\x90\x8D\xE5\x89\x8D";
    const std::string atai = "\xE5\x80\xA4", key = "HKCU\\Software\\" + hyouji;
    ASSERT_EQ(0, Tqreg({"set", key, namae, "REG_SZ", atai}).m_nExit);
    ASSERT_EQ(0, Tqreg({"set", key, "", "REG_EXPAND_SZ", "%WINDIR%"}).m_nExit);
    CRegKey k;
    ASSERT_EQ(ERROR_SUCCESS, k.Open(HKEY_CURRENT_USER, "Software\\\x95\x5C\x8E\xA6", KEY_READ));
    uint32_t type = 0;
    std::string data;
    ASSERT_EQ(ERROR_SUCCESS, k.QueryValue("\x96\xBC\x91\x4F", type, data));  // "名前"
    EXPECT_EQ(REG_SZ, type);
    EXPECT_EQ(std::string("\x92\x6C\0", 3), data);  // "値" with its NUL

    EXPECT_EQ(key + "\n    " + namae + "    REG_SZ    " + atai + "\n",
              Tqreg({"query", key, namae}).m_strOut);
    EXPECT_EQ("HKCU\\Software\n\nHKCU\\Software\\" + hyouji + "\n",
              Tqreg({"query", "HKCU\\Software"}).m_strOut);
    EXPECT_EQ(key + "\n    (Default)    REG_EXPAND_SZ    %WINDIR%\n    " + namae +
                  "    REG_SZ    " + atai + "\n",
              Tqreg({"query", key}).m_strOut);

    EXPECT_EQ(0, Tqreg({"delete", key, namae}).m_nExit);
    test::CToolRun run = Tqreg({"query", key, namae});
    EXPECT_EQ(1, run.m_nExit);
    EXPECT_EQ("tqreg: " + key + " " + namae + ": not found (error 2)\n", run.m_strErr);
    EXPECT_EQ(0, Tqreg({"delete", "HKCU\\Software"}).m_nExit);
    run = Tqreg({"query", key});
    EXPECT_EQ(1, run.m_nExit);
    EXPECT_EQ("tqreg: " + key + ": not found (error 2)\n", run.m_strErr);
    EXPECT_EQ(1, Tqreg({"delete", "HKCU\\Software"}).m_nExit);
}

TEST_F(TqregTest, SetEveryTypeThenExport) {
    const std::string key = "HKEY_LOCAL_MACHINE\\SOFTWARE\\T";
    for (auto [name, type, data] : {std::tuple{"sz", "REG_SZ", "a \"b\" \\c"},
                                    {"expand", "REG_EXPAND_SZ", "%X%"},
                                    {"dword", "REG_DWORD", "0x1F"},
                                    {"decimal", "REG_DWORD", "4294967295"},
                                    {"bin", "REG_BINARY", "0a,1B ff"},
                                    {"multi", "REG_MULTI_SZ", "a\\0b"}}) {
        ASSERT_EQ(0, Tqreg({"set", key, name, type, data}).m_nExit) << name;
    }
    test::CToolRun run = Tqreg({"export", "hklm\\SOFTWARE\\T"});
    EXPECT_EQ(0, run.m_nExit) << run.m_strErr;
    EXPECT_EQ(
        "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\T]\r\n\"bin\"=hex:0a,1b,ff\r\n"
        "\"decimal\"=dword:ffffffff\r\n\"dword\"=dword:0000001f\r\n"
        "\"expand\"=hex(2):25,58,25,00\r\n\"multi\"=hex(7):61,00,62,00,00\r\n"
        "\"sz\"=\"a \\\"b\\\" \\\\c\"\r\n\r\n",
        run.m_strOut);
    EXPECT_EQ(key + "\n    multi    REG_MULTI_SZ    a\\0b\n",
              Tqreg({"query", key, "multi"}).m_strOut);
    EXPECT_EQ(key + "\n    bin    REG_BINARY    0A1BFF\n", Tqreg({"query", key, "bin"}).m_strOut);
    // The UTF-16 form, written to a file, imports into another registry as the same keys.
    const std::string wide = m_prefix.Path("wide.reg");
    ASSERT_EQ(0, Tqreg({"export", key, "--unicode", wide}).m_nExit);
    EXPECT_EQ("\xFF\xFE", test::ReadLinuxFile(wide).substr(0, 2));
    CTempPrefix other;
    ASSERT_EQ(0, Tqreg({"import", wide}, other.GetDir()).m_nExit);
    EXPECT_EQ(run.m_strOut, Tqreg({"export", key}, other.GetDir()).m_strOut);
}

// Each failure names what failed on standard error, exits 1 and changes nothing.
TEST_F(TqregTest, FailuresNameWhatFailed) {
    CTempPrefix damaged;
    test::WriteLinuxFile(damaged.Path("registry/machine.db"), "not a hive");
    const std::string bad = m_prefix.Path("bad.reg"), missing = m_prefix.Path("missing.reg");
    test::WriteLinuxFile(bad,
                         "REGEDIT4\r\n[HKEY_CURRENT_USER\\Imported]\r\n\"A\"=\"fine\"\r\n"
                         "\"B\"=dword:xyz\r\n");
    const struct {
        std::vector<std::string> args;
        std::string err;
    } cases[] = {
        {{"import", bad}, bad + ":4: dword: needs 1 to 8 hex digits"},
        {{"query", "HKCU\\Imported"}, "HKCU\\Imported: not found (error 2)"},
        {{"import", missing}, missing + ": no such file"},
        {{"set", "HKCU\\A", "caf\xC3\xA9", "REG_SZ", "x"},
         "caf\xC3\xA9: has no code page 932 form"},
        {{"--prefix", damaged.GetDir(), "query", "HKLM\\SOFTWARE"},
         "HKLM\\SOFTWARE: the registry hive is damaged or not a hive (error 1009)"},
    };
    for (const auto& c : cases) {
        test::CToolRun run = Tqreg(c.args);
        EXPECT_EQ(1, run.m_nExit) << c.err;
        EXPECT_EQ("tqreg: " + c.err + "\n", run.m_strErr);
    }
    EXPECT_EQ("not a hive", test::ReadLinuxFile(damaged.Path("registry/machine.db")));
}

}  // namespace
}  // namespace tq
