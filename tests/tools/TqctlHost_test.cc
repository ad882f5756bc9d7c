// tqctl as the component's host: the demo product installed in a private prefix, the friendly
// commands, script mode through the built module, bad input, and an object kept alive by a
// script on a pipe while other tqctl processes run.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "platform/Cp932.h"
#include "platform/RegFile.h"
#include "support/TestSupport.h"

namespace tq {
namespace {

namespace fs = std::filesystem;

// samples/demo of this source tree.
std::string Cp932(const char* pszUtf8) {
    std::string out;
    Utf8ToCp932(pszUtf8, out);
    return out;
}

struct CRun {
    int m_nExit = -1;
    std::string m_strOut;
    std::string m_strErr;
};

class TqctlHostTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (access(test::ToolPath("tqctl").c_str(), X_OK) != 0) {
            FAIL() << "tqctl is not built at " << test::ToolPath("tqctl");
        }
        ASSERT_EQ(test::InstallDemoProduct(m_prefix), 0);
        ASSERT_EQ(Tqctl({"register"}).m_nExit, 0);
    }

    // tqctl with this test's prefix and the demo product; stdin from a file when given.
    CRun Tqctl(const std::vector<std::string>& args, const std::string& strInput = "") {
        std::string cmd = test::ShellQuote(test::ToolPath("tqctl")) + " --prefix " +
                          test::ShellQuote(m_prefix.GetDir()) + " --product Demo";
        for (const auto& a : args) {
            cmd += ' ' + test::ShellQuote(a);
        }
        test::WriteLinuxFile(m_prefix.Path("in"), strInput);
        cmd += " <" + test::ShellQuote(m_prefix.Path("in")) + " >" +
               test::ShellQuote(m_prefix.Path("out")) + " 2>" +
               test::ShellQuote(m_prefix.Path("err"));
        CRun run;
        int status = std::system(cmd.c_str());
        run.m_nExit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        run.m_strOut = test::ReadLinuxFile(m_prefix.Path("out"));
        run.m_strErr = test::ReadLinuxFile(m_prefix.Path("err"));
        return run;
    }
    CRun Script(const std::string& strScript, std::vector<std::string> options = {}) {
        options.push_back("script");
        return Tqctl(options, strScript);
    }
    std::string ControlDir() const {
        return m_prefix.Path("drives/c/Program Files/Trellisquest/Control");
    }

    test::CTempPrefix m_prefix;
};

TEST_F(TqctlHostTest, TheDemoProductListsConvertsAndReportsItsStatus) {
    CRun list = Tqctl({"list"});
    EXPECT_EQ(list.m_nExit, 0) << list.m_strErr;
    EXPECT_EQ(list.m_strOut,
              "1\t1\t1\t1\tTrellisquest ヘルプ\n"
              "2\t1\t1\t1\tユーザーズマニュアル\n"
              "2\t2\t1\t1\tリリースノート\n"
              "2\t3\t0\t0\t用語辞書\n"
              "3\t1\t1\t1\t私のメモ\n");
    EXPECT_EQ(Tqctl({"list", "2"}).m_strOut.substr(0, 2), "2\t");
    CRun bad = Tqctl({"list", "4"});
    EXPECT_EQ(bad.m_nExit, 1);
    EXPECT_EQ(bad.m_strOut, "-1565\tデータベースタイプの指定が不適切です\n");

    EXPECT_FALSE(test::LinuxFileExists(ControlDir() + "/Control.ini"));
    CRun convert = Tqctl({"convert"});
    EXPECT_EQ(convert.m_nExit, 0) << convert.m_strOut << convert.m_strErr;
    EXPECT_EQ(convert.m_strOut, "0\t\n");
    std::string control = test::ReadLinuxFile(ControlDir() + "/Control.ini");
    EXPECT_NE(control.find(Cp932("[RelNotes]")), std::string::npos);
    // The deselected dictionary is not in the builder's file.
    EXPECT_EQ(control.find("Dictionary"), std::string::npos);
    EXPECT_EQ(Tqctl({"status"}).m_strOut, "0\n");

    // A selection change is saved only when the question is answered Yes.
    CRun refused = Tqctl({"--no", "deselect", "2", "1"});
    EXPECT_EQ(refused.m_nExit, 1);
    EXPECT_EQ(refused.m_strOut, "-1001\t操作をキャンセルしました\n");
    EXPECT_NE(refused.m_strErr.find("選択した内容をTrellisquestに反映します。"), std::string::npos);
    CRun done = Tqctl({"--yes", "deselect", "2", "1"});
    EXPECT_EQ(done.m_nExit, 0) << done.m_strOut;
    EXPECT_EQ(done.m_strOut, "0\t\n");
    EXPECT_EQ(Tqctl({"list", "2"}).m_strOut.substr(0, 7), "2\t1\t0\t1");
    EXPECT_EQ(test::ReadLinuxFile(ControlDir() + "/Control.ini").find("[Manual]"),
              std::string::npos);
    EXPECT_EQ(Tqctl({"select", "1", "1"}).m_strOut,
              "-1576\tこのデータベースを操作することはできません\n");
    // Removing a user application asks with mode 0's wording after the removal's own question.
    CRun removed = Tqctl({"--yes", "remove", "3", "1"});
    EXPECT_EQ(removed.m_nExit, 0) << removed.m_strOut;
    EXPECT_NE(removed.m_strErr.find("編集した内容をTrellisquestに反映します。"), std::string::npos);
    EXPECT_EQ(Tqctl({"list", "3"}).m_strOut, "");
}

TEST_F(TqctlHostTest, ErrorMessagesComeFromTheModule) {
    EXPECT_EQ(Tqctl({"error", "-1043"}).m_strOut, "編集中です\n");
    EXPECT_EQ(Tqctl({"error", "-1034"}).m_strOut, "\n");
    EXPECT_EQ(Tqctl({"error", "5"}).m_strOut, "\n");
    EXPECT_EQ(Tqctl({"--raw", "error", "-1043"}).m_strOut, Cp932("編集中です") + "\n");
    EXPECT_EQ(Tqctl({"error", "x"}).m_nExit, 2);
}

TEST_F(TqctlHostTest, ScriptCallsEveryKindOfMember) {
    CRun run = Script(
        "# not ready yet\n"
        "Status\n"
        "EnableCustomize\n"
        "DBGetPublicName 1 1\n"
        "GetDBCount 7\n"
        "ErrorString\n"
        "SetProductKey \"NoSuchProduct\"\n"
        "EnableCustomize\n"
        "SetProductKey \"Demo\"\n"
        "getdbcount 9\n"
        "ErrorCode\n"
        "Load\n"
        "GetDBCount 0\n"
        "DBGetPublicName 3 1\n"
        "DBIsInstalledAppli 2 3\n"
        "DBIsSelected 0 0\n"
        "DBIsSelected 4 1\n"
        "DBIsSelected -1 1\n"
        "DBSetSelected 1 1 FALSE\n"
        "RemoveDB 2 1\n"
        "put Status 1\n"
        "OpenAddAppDialog\n"
        "Save \"x\"\n",
        {"--no"});
    EXPECT_EQ(run.m_nExit, 0) << run.m_strErr;
    EXPECT_EQ(run.m_strOut,
              "-1008\t-1008\n"
              "FALSE\t-1008\n"
              "\t-1008\n"
              "0\t-1008\n"
              "レジストリからの情報取得に失敗しました\t-1008\n"
              "FALSE\t-1008\n"
              "FALSE\t-1008\n"
              "TRUE\t0\n"
              "0\t-1565\n"
              "-1565\t-1565\n"
              "0\t0\n"
              "5\t0\n"
              "私のメモ\t0\n"
              "0\t0\n"
              "-1563\t-1563\n"
              "-1565\t-1565\n"
              "-1565\t-1565\n"
              "-1576\t-1576\n"
              "-1576\t-1576\n"
              "EXCEPTION\t61837\t読み取り専用ﾌﾟﾛﾊﾟﾃｨには書き込めません。\n"
              "-1001\t-1001\n"
              "0\t0\n");
    // Nothing was asked: the model was not modified.
    EXPECT_EQ(run.m_strErr, "");
}

TEST_F(TqctlHostTest, ScriptSaveModesChooseTheQuestion) {
    // Each save is refused, so the deselection keeps the model modified and every save asks.
    CRun run = Script(
        "SetProductKey \"Demo\"\nLoad\nDBSetSelected 2 2 FALSE\n"
        "Save \"1\"\nSave \"01\"\nSave \"x\"\nSave I2:1\nSave 1\nSave REF:1\nSave EMPTY\n",
        {"--no"});
    EXPECT_EQ(run.m_nExit, 0) << run.m_strErr;
    const std::string selected = "選択した内容をTrellisquestに反映します。";
    const std::string edited = "編集した内容をTrellisquestに反映します。";
    std::vector<std::string> asked;
    for (size_t pos = 0; (pos = run.m_strErr.find("内容をTrellisquest", pos)) != std::string::npos;
         ++pos) {
        asked.push_back(run.m_strErr.compare(pos - 12, 12, "選択した") == 0 ? "112" : "110");
    }
    EXPECT_EQ(asked, (std::vector<std::string>{"112", "112", "110", "112", "112", "110", "110"}))
        << run.m_strErr;
    EXPECT_NE(run.m_strErr.find(selected), std::string::npos);
    EXPECT_NE(run.m_strErr.find(edited), std::string::npos);
}

TEST_F(TqctlHostTest, BadInputGetsClearErrors) {
    struct Case {
        const char* script;
        int exit;
        const char* out;  // standard output
        const char* err;  // in standard error
    } cases[] = {
        {"Status\nNoSuchMember 1\nStatus\n", 1,
         "-1008\t-1008\n0x80020006\tDISP_E_UNKNOWNNAME: unknown name: line 2: NoSuchMember\n", ""},
        {"DBIsSelected 1\n", 1,
         "0x8002000E\tDISP_E_BADPARAMCOUNT: invalid number of parameters: line 1: DBIsSelected\n",
         ""},
        {"DBIsSelected 1 \"two\"\n", 1,
         "0x80020005\tDISP_E_TYPEMISMATCH: type mismatch: line 1: DBIsSelected argument 2\n", ""},
        {"Status\nGetDBCount \"open\nStatus\n", 2, "-1008\t-1008\n",
         "script line 2: unterminated string"},
        {"Status\nGetDBCount 1x\nStatus\n", 2, "-1008\t-1008\n",
         "script line 2: cannot read the argument 1x"},
        {"put Status\n", 2, "", "script line 1: put needs exactly one value"},
        {"Save I2:70000\n", 2, "", "script line 1: not a 16-bit integer"},
        {"Load(\n", 2, "", "script line 1: not a member name"},
    };
    for (const Case& c : cases) {
        CRun run = Script(c.script);
        EXPECT_EQ(run.m_nExit, c.exit) << c.script;
        EXPECT_EQ(run.m_strOut, c.out) << c.script;
        EXPECT_NE(run.m_strErr.find(c.err), std::string::npos) << c.script << run.m_strErr;
    }
    struct Usage {
        std::vector<std::string> args;
    } usages[] = {{{"select", "1"}},    {{"remove", "a", "b"}}, {{"list", "1", "2"}},
                  {{"save", "1", "2"}}, {{"status", "x"}},      {{"--bogus", "status"}}};
    for (const Usage& u : usages) {
        EXPECT_EQ(Tqctl(u.args).m_nExit, 2) << u.args[0];
    }
}

TEST_F(TqctlHostTest, AModuleThatIsGoneIsReportedNotCrashedOn) {
    CRun reg = Tqctl({"register", "/nonexistent/libtqcstm.so"});
    EXPECT_EQ(reg.m_nExit, 1);
    EXPECT_EQ(reg.m_strOut.substr(0, 11), "0x8007007E\t") << reg.m_strOut;
    CRegFileError error;
    ASSERT_EQ(ImportRegText("REGEDIT4\r\n\r\n[HKEY_CLASSES_ROOT\\CLSID\\"
                            "{FE1B0AC2-7074-11D5-99A1-00C04FB9CD98}\\InProcServer32]\r\n"
                            "@=\"Z:\\\\nonexistent\\\\libtqcstm.so\"\r\n",
                            "moved.reg", error),
              0);
    for (const char* command : {"list", "status", "convert", "script"}) {
        CRun run = Tqctl({command});
        EXPECT_EQ(run.m_nExit, 1) << command;
        EXPECT_NE(run.m_strOut.find("0x8007007E\t"), std::string::npos) << command << run.m_strOut;
        EXPECT_NE(run.m_strOut.find("nonexistent"), std::string::npos) << command;
    }
}

TEST_F(TqctlHostTest, AScriptOnAPipeKeepsItsObjectWhileOtherProgramsRun) {
    ASSERT_EQ(Tqctl({"convert"}).m_nExit, 0);
    const std::string strOut = m_prefix.Path("pipe-out");
    std::string cmd = test::ShellQuote(test::ToolPath("tqctl")) + " --prefix " +
                      test::ShellQuote(m_prefix.GetDir()) + " script - >" +
                      test::ShellQuote(strOut) + " 2>&1";
    FILE* pipe = popen(cmd.c_str(), "w");
    ASSERT_NE(pipe, nullptr);
    std::fputs("SetProductKey \"Demo\"\nLoad\n", pipe);
    std::fflush(pipe);
    for (int i = 0; i < 3000 && test::ReadLinuxFile(strOut) != "TRUE\t0\n0\t0\n"; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(test::ReadLinuxFile(strOut), "TRUE\t0\n0\t0\n");

    EXPECT_EQ(Tqctl({"status"}).m_strOut, "1\n");
    CRun convert = Tqctl({"convert"});
    EXPECT_EQ(convert.m_nExit, 1);
    EXPECT_EQ(convert.m_strOut, "-1043\t編集中です\n");
    EXPECT_EQ(Tqctl({"list"}).m_strOut, "-1043\t編集中です\n");
    EXPECT_EQ(Script("SetProductKey \"Demo\"\nLoad\nStatus\n").m_strOut,
              "TRUE\t0\n-1043\t-1043\n1\t0\n");

    std::fputs("Status\n", pipe);
    EXPECT_EQ(pclose(pipe), 0);
    EXPECT_EQ(test::ReadLinuxFile(strOut), "TRUE\t0\n0\t0\n1\t0\n");
    EXPECT_EQ(Tqctl({"status"}).m_strOut, "0\n");
    EXPECT_EQ(Tqctl({"convert"}).m_strOut, "0\t\n");
}

}  // namespace
}  // namespace tq
