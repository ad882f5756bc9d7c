// Runs the built tqreg ($TQ_TOOLS_DIR/tqreg/tqreg) on private prefixes.

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "platform/Registry.h"
#include "platform/Win32Error.h"
#include "support/TestSupport.h"

namespace tq {
namespace {

using test::CTempPrefix;

struct CRun {
    int m_nExit = -1;
    std::string m_strOut;
    std::string m_strErr;
};

class TqregTest : public ::testing::Test {
protected:
    CTempPrefix m_prefix;

    void SetUp() override {
        if (access(test::ToolPath("tqreg").c_str(), X_OK) != 0) {
            FAIL() << "tqreg is not built at " << test::ToolPath("tqreg");
        }
    }

    // Runs tqreg with --prefix of the given prefix (this test's by default).
    CRun Tqreg(const std::vector<std::string>& args, const std::string& prefix = "") {
        std::string cmd = test::ShellQuote(test::ToolPath("tqreg"));
        if (!args.empty() && args[0] != "--prefix") {
            cmd += " --prefix " + test::ShellQuote(prefix.empty() ? m_prefix.GetDir() : prefix);
        }
        for (const auto& a : args) {
            cmd += ' ' + test::ShellQuote(a);
        }
        cmd += " >" + test::ShellQuote(m_prefix.Path("out")) + " 2>" +
               test::ShellQuote(m_prefix.Path("err"));
        CRun run;
        int status = std::system(cmd.c_str());
        run.m_nExit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        run.m_strOut = test::ReadLinuxFile(m_prefix.Path("out"));
        run.m_strErr = test::ReadLinuxFile(m_prefix.Path("err"));
        return run;
    }
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
        {{"export"}, 2, "export takes KEY"},
        {{"query"}, 2, "query takes KEY"},
        {{"set", "HKCU\\A", "v", "REG_SZ"}, 2, "set takes KEY VALUE TYPE DATA"},
        {{"set", "HKCU\\A", "v", "REG_QWORD", "1"}, 2, "TYPE is REG_SZ"},
        {{"set", "HKCU\\A", "v", "REG_DWORD", "4294967296"}, 2, "REG_DWORD data"},
        {{"set", "HKCU\\A", "v", "REG_DWORD", "-1"}, 2, "REG_DWORD data"},
        {{"set", "HKCU\\A", "v", "REG_DWORD", "12x"}, 2, "REG_DWORD data"},
        {{"set", "HKCU\\A", "v", "REG_BINARY", "abc"}, 2, "pairs of hex digits"},
        {{"set", "HKCU\\A", "v", "REG_BINARY", "0g"}, 2, "pairs of hex digits"},
        {{"query", "SOFTWARE\\A"}, 2, "a key begins with HKEY_LOCAL_MACHINE"},
        {{"delete", "HKCU\\A", "v", "w"}, 2, "delete takes KEY [VALUE]"},
    };
    for (const auto& c : cases) {
        CRun run = Tqreg(c.args);
        std::string label = c.args.empty() ? "(none)" : c.args[0];
        EXPECT_EQ(c.exit, run.m_nExit) << label << run.m_strErr;
        const std::string& stream = c.exit == 0 ? run.m_strOut : run.m_strErr;
        EXPECT_NE(std::string::npos, stream.find(c.text)) << label << ": " << stream;
        if (c.exit == 2) {
            EXPECT_EQ(0u, run.m_strErr.find("tqreg: ")) << run.m_strErr;
        }
    }
    CRegKey key;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, key.Open(HKEY_CURRENT_USER, "A", KEY_READ));
}

// Terminal (UTF-8) forms of the Japanese names used below.
const std::string kHyoujiUtf8 = "\xE8\xA1\xA8\xE7\xA4\xBA";  // "表示"
const std::string kNamaeUtf8 = "\xE5\x90\x8D\xE5\x89\x8D";   // "名前"
const std::string kAtaiUtf8 = "\xE5\x80\xA4";                // "値"

TEST_F(TqregTest, SetQueryAndDeleteConvertJapaneseText) {
    // "表示" is 0x95 0x5C 0x8E 0xA6 in code page 932: its first byte pair ends in a backslash.
    const std::string key = "HKCU\\Software\\" + kHyoujiUtf8;
    ASSERT_EQ(0, Tqreg({"set", key, kNamaeUtf8, "REG_SZ", kAtaiUtf8}).m_nExit);
    ASSERT_EQ(0, Tqreg({"set", key, "", "REG_EXPAND_SZ", "%WINDIR%"}).m_nExit);
    CRegKey k;
    ASSERT_EQ(ERROR_SUCCESS, k.Open(HKEY_CURRENT_USER, "Software\\\x95\x5C\x8E\xA6", KEY_READ));
    uint32_t type = 0;
    std::string data;
    ASSERT_EQ(ERROR_SUCCESS, k.QueryValue("\x96\xBC\x91\x4F", type, data));  // "名前"
    EXPECT_EQ(REG_SZ, type);
    EXPECT_EQ(std::string("\x92\x6C\0", 3), data);  // "値" with its NUL

    CRun run = Tqreg({"query", key, kNamaeUtf8});
    EXPECT_EQ(0, run.m_nExit);
    EXPECT_EQ(key + "\n    " + kNamaeUtf8 + "    REG_SZ    " + kAtaiUtf8 + "\n", run.m_strOut);
    run = Tqreg({"query", "HKCU\\Software"});
    EXPECT_EQ("HKCU\\Software\n\nHKCU\\Software\\" + kHyoujiUtf8 + "\n", run.m_strOut);
    run = Tqreg({"query", key});
    EXPECT_EQ(key + "\n    (Default)    REG_EXPAND_SZ    %WINDIR%\n    " + kNamaeUtf8 +
                  "    REG_SZ    " + kAtaiUtf8 + "\n",
              run.m_strOut);

    EXPECT_EQ(0, Tqreg({"delete", key, kNamaeUtf8}).m_nExit);
    run = Tqreg({"query", key, kNamaeUtf8});
    EXPECT_EQ(1, run.m_nExit);
    EXPECT_EQ("tqreg: " + key + " " + kNamaeUtf8 + ": not found (error 2)\n", run.m_strErr);
    EXPECT_EQ(0, Tqreg({"delete", "HKCU\\Software"}).m_nExit);
    run = Tqreg({"query", key});
    EXPECT_EQ(1, run.m_nExit);
    EXPECT_EQ("tqreg: " + key + ": not found (error 2)\n", run.m_strErr);
    EXPECT_EQ(1, Tqreg({"delete", "HKCU\\Software"}).m_nExit);
}

TEST_F(TqregTest, SetEveryTypeThenExport) {
    const std::string key = "HKEY_LOCAL_MACHINE\\SOFTWARE\\T";
    ASSERT_EQ(0, Tqreg({"set", key, "sz", "REG_SZ", "a \"b\" \\c"}).m_nExit);
    ASSERT_EQ(0, Tqreg({"set", key, "expand", "REG_EXPAND_SZ", "%X%"}).m_nExit);
    ASSERT_EQ(0, Tqreg({"set", key, "dword", "REG_DWORD", "0x1F"}).m_nExit);
    ASSERT_EQ(0, Tqreg({"set", key, "decimal", "REG_DWORD", "4294967295"}).m_nExit);
    ASSERT_EQ(0, Tqreg({"set", key, "bin", "REG_BINARY", "0a,1B ff"}).m_nExit);
    ASSERT_EQ(0, Tqreg({"set", key, "multi", "REG_MULTI_SZ", "a\\0b"}).m_nExit);
    const std::string expected =
        "REGEDIT4\r\n"
        "\r\n"
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\T]\r\n"
        "\"bin\"=hex:0a,1b,ff\r\n"
        "\"decimal\"=dword:ffffffff\r\n"
        "\"dword\"=dword:0000001f\r\n"
        "\"expand\"=hex(2):25,58,25,00\r\n"
        "\"multi\"=hex(7):61,00,62,00,00\r\n"
        "\"sz\"=\"a \\\"b\\\" \\\\c\"\r\n"
        "\r\n";
    CRun run = Tqreg({"export", "hklm\\SOFTWARE\\T"});
    EXPECT_EQ(0, run.m_nExit) << run.m_strErr;
    EXPECT_EQ(expected, run.m_strOut);
    run = Tqreg({"query", key, "multi"});
    EXPECT_EQ(key + "\n    multi    REG_MULTI_SZ    a\\0b\n", run.m_strOut);
    run = Tqreg({"query", key, "bin"});
    EXPECT_EQ(key + "\n    bin    REG_BINARY    0A1BFF\n", run.m_strOut);
}

TEST_F(TqregTest, ImportWithAnErrorNamesFileAndLineAndImportsNothing) {
    const std::string file = m_prefix.Path("bad.reg");
    test::WriteLinuxFile(file,
                         "REGEDIT4\r\n"
                         "[HKEY_CURRENT_USER\\Imported]\r\n"
                         "\"A\"=\"fine\"\r\n"
                         "\"B\"=dword:xyz\r\n");
    CRun run = Tqreg({"import", file});
    EXPECT_EQ(1, run.m_nExit);
    EXPECT_EQ("tqreg: " + file + ":4: dword: needs 1 to 8 hex digits\n", run.m_strErr);
    EXPECT_EQ(1, Tqreg({"query", "HKCU\\Imported"}).m_nExit);
    run = Tqreg({"import", m_prefix.Path("missing.reg")});
    EXPECT_EQ(1, run.m_nExit);
    EXPECT_EQ("tqreg: " + m_prefix.Path("missing.reg") + ": no such file\n", run.m_strErr);
}

TEST_F(TqregTest, ImportExportImportThroughFilesInBothFormats) {
    const std::string source = m_prefix.Path("source.reg");
    test::WriteLinuxFile(source,
                         "REGEDIT4\r\n\r\n"
                         "[HKEY_CURRENT_USER\\Software\\\x95\x5C]\r\n"  // "表"
                         "\"\x96\xBC\"=\"\x92\x6C\"\r\n"                // "名"="値"
                         "\"Bin\"=hex:01,02\r\n"
                         "[HKEY_CURRENT_USER\\Software\\\x95\x5C\\Sub]\r\n"
                         "@=dword:00000003\r\n");
    ASSERT_EQ(0, Tqreg({"import", source}).m_nExit);
    const std::string ansi = m_prefix.Path("ansi.reg");
    const std::string wide = m_prefix.Path("wide.reg");
    ASSERT_EQ(0, Tqreg({"export", "HKCU\\Software", ansi}).m_nExit);
    ASSERT_EQ(0, Tqreg({"export", "HKCU\\Software", "--unicode", wide}).m_nExit);
    EXPECT_EQ("\xFF\xFE", test::ReadLinuxFile(wide).substr(0, 2));
    for (const std::string& file : {ansi, wide}) {
        CTempPrefix other;
        ASSERT_EQ(0, Tqreg({"import", file}, other.GetDir()).m_nExit) << file;
        EXPECT_EQ(test::ReadLinuxFile(ansi),
                  Tqreg({"export", "HKCU\\Software"}, other.GetDir()).m_strOut);
        EXPECT_EQ(test::ReadLinuxFile(wide),
                  Tqreg({"export", "HKCU\\Software", "--unicode"}, other.GetDir()).m_strOut);
    }
}

TEST_F(TqregTest, DamagedHiveAndTextWithoutCodePage932Form) {
    CTempPrefix damaged;
    test::WriteLinuxFile(damaged.Path("registry/machine.db"), "not a hive");
    CRun run = Tqreg({"query", "HKLM\\SOFTWARE"}, damaged.GetDir());
    EXPECT_EQ(1, run.m_nExit);
    EXPECT_EQ("tqreg: HKLM\\SOFTWARE: the registry hive is damaged or not a hive (error 1009)\n",
              run.m_strErr);
    EXPECT_EQ("not a hive", test::ReadLinuxFile(damaged.Path("registry/machine.db")));
    run = Tqreg({"set", "HKCU\\A", "caf\xC3\xA9", "REG_SZ", "x"});  // "café"
    EXPECT_EQ(1, run.m_nExit);
    EXPECT_EQ("tqreg: caf\xC3\xA9: has no code page 932 form\n", run.m_strErr);
}

}  // namespace
}  // namespace tq
