// Runs the built tqctl ($TQ_TOOLS_DIR/tqctl/tqctl) on files in private prefixes.

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "support/TestSupport.h"

namespace tq {
namespace {

// "▲警告：処理しませんでした。" and "■エラー：データベース名 [" in UTF-8.
const std::string kWarning =
    "\xe2\x96\xb2\xe8\xad\xa6\xe5\x91\x8a\xef\xbc\x9a\xe5\x87\xa6\xe7\x90\x86\xe3\x81\x97\xe3"
    "\x81\xbe\xe3\x81\x9b\xe3\x82\x93\xe3\x81\xa7\xe3\x81\x97\xe3\x81\x9f\xe3\x80\x82";
const std::string kDbNameError =
    "\xe2\x96\xa0\xe3\x82\xa8\xe3\x83\xa9\xe3\x83\xbc\xef\xbc\x9a\xe3\x83\x87\xe3\x83\xbc\xe3"
    "\x82\xbf\xe3\x83\x99\xe3\x83\xbc\xe3\x82\xb9\xe5\x90\x8d [";
// "表" in code page 932 (second byte 0x5C) and in UTF-8.
const std::string kHyouCp932 = "\x95\x5C";
const std::string kHyouUtf8 = "\xe8\xa1\xa8";

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t pos = 0;
    for (size_t nl; (nl = text.find('\n', pos)) != std::string::npos; pos = nl + 1) {
        lines.push_back(text.substr(pos, nl - pos));
    }
    return lines;
}

std::vector<std::string> FolderEntries(const std::string& dir) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir)) {
        names.push_back(e.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

class TqctlTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (access(test::ToolPath("tqctl").c_str(), X_OK) != 0) {
            FAIL() << "tqctl is not built at " << test::ToolPath("tqctl");
        }
        m_dir = m_prefix.Path("work");
        std::filesystem::create_directory(m_dir);
    }

    struct CRun {
        int m_nExit = -1;
        std::vector<std::string> m_out;
        std::string m_strErr;
    };

    // Runs tqctl in the work folder, with this test's prefix.
    CRun Tqctl(const std::vector<std::string>& args) {
        std::string cmd =
            "cd " + test::ShellQuote(m_dir) + " && " + test::ShellQuote(test::ToolPath("tqctl"));
        if (!args.empty() && args[0] != "--help") {
            cmd += " --prefix " + test::ShellQuote(m_prefix.GetDir());
        }
        for (const auto& a : args) {
            cmd += ' ' + test::ShellQuote(a);
        }
        cmd += " >" + test::ShellQuote(m_prefix.Path("out")) + " 2>" +
               test::ShellQuote(m_prefix.Path("err"));
        CRun run;
        int status = std::system(cmd.c_str());
        run.m_nExit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        run.m_out = Lines(test::ReadLinuxFile(m_prefix.Path("out")));
        run.m_strErr = test::ReadLinuxFile(m_prefix.Path("err"));
        return run;
    }

    void Write(const std::string& name, const std::string& text) {
        test::WriteLinuxFile(m_dir + "/" + name, text);
    }
    std::string Read(const std::string& name) { return test::ReadLinuxFile(m_dir + "/" + name); }

    test::CTempPrefix m_prefix;
    std::string m_dir;
};

TEST_F(TqctlTest, HelpAndBadCommandLines) {
    CRun help = Tqctl({"--help"});
    EXPECT_EQ(help.m_nExit, 0);
    ASSERT_FALSE(help.m_out.empty());
    EXPECT_EQ(help.m_out[0].find("usage: tqctl"), 0u);
    const std::vector<std::vector<std::string>> bad = {
        {}, {"frob"}, {"lint"}, {"lint", "a", "b"}, {"rewrite", "a"}, {"rewrite", "a", "b", "c"}};
    for (const auto& args : bad) {
        CRun run = Tqctl(args);
        EXPECT_EQ(run.m_nExit, 2) << (args.empty() ? "(none)" : args[0]);
        EXPECT_EQ(run.m_strErr.find("tqctl: "), 0u) << run.m_strErr;
        EXPECT_TRUE(run.m_out.empty());
    }
}

TEST_F(TqctlTest, LintPrintsEveryMessageFromTheFirstLineAndTheResult) {
    // The warning stands above the OutputLog line, which is not opened at all.
    Write("base.ctl", "QueryListFile = q\r\nOutputLog = \"" + m_dir + "/log.txt\"\r\n" +
                          "Group1 = G\r\n[" + kHyouCp932 + "]\r\nGroup = 1\r\nDoc = x\r\n" +
                          "Foo = 1\r\n[" + kHyouCp932 + "]\r\nGroup = 1\r\nDoc = y\r\n");
    CRun run = Tqctl({"lint", "base.ctl"});
    EXPECT_EQ(run.m_nExit, 1);
    ASSERT_EQ(run.m_out.size(), 4u);
    EXPECT_EQ(run.m_out[0], kWarning + "\"QueryListFile = q\"");
    EXPECT_EQ(run.m_out[1], kWarning + "[" + kHyouUtf8 + "] \xe3\x81\xae \"Foo = 1\"");
    EXPECT_EQ(run.m_out[2].find(kDbNameError + kHyouUtf8 + "]"), 0u) << run.m_out[2];
    EXPECT_EQ(run.m_out[3].find("-1046\t"), 0u);
    EXPECT_GT(run.m_out[3].size(), 6u);  // the code's message follows the tab
    EXPECT_EQ(FolderEntries(m_dir), std::vector<std::string>{"base.ctl"});
}

TEST_F(TqctlTest, LintOfAGoodFileAndOfAMissingOne) {
    Write("good.ctl", "Group1 = G\r\n[A]\r\nGroup = 1\r\nDoc = x\r\n");
    CRun run = Tqctl({"lint", "good.ctl"});
    EXPECT_EQ(run.m_nExit, 0);
    EXPECT_EQ(run.m_out, std::vector<std::string>{"0\t"});
    run = Tqctl({"lint", "missing.ctl"});
    EXPECT_EQ(run.m_nExit, 1);
    ASSERT_EQ(run.m_out.size(), 1u);
    EXPECT_EQ(run.m_out[0].find("-1006\t"), 0u);
}

TEST_F(TqctlTest, RewriteInBothForms) {
    const std::string text =
        "Group1 = G\r\nGroup2 = Unused\r\n[A]\r\nGroup = 1\r\nDoc = x\r\n"
        "###\r\n[B]~\r\nGroup=1\r\nDoc=y\r\n";
    const std::string head =
        ":*** Trellisquest ControlFile ***\r\n\r\n:--- Group Information ---\r\n"
        "Group1 = \"G\"\r\n";
    Write("base.ctl", text);
    CRun run = Tqctl({"rewrite", "base.ctl", "full.ctl"});
    EXPECT_EQ(run.m_nExit, 0);
    EXPECT_EQ(run.m_out, std::vector<std::string>{"0\t"});
    EXPECT_EQ(Read("full.ctl"), head +
                                    "\r\n:--- Database Information ---\r\n"
                                    "[A]\r\nGroup = 1\r\nDoc = \"x\"\r\n\r\n"
                                    "\r\n### Selection Type Databases ###\r\n"
                                    "[B]~\r\nGroup = 1\r\nDoc = \"y\"\r\n\r\n\r\n");
    run = Tqctl({"rewrite", "--builder", "base.ctl", "builder.ctl"});
    EXPECT_EQ(run.m_nExit, 0);
    EXPECT_EQ(Read("builder.ctl"), head +
                                       "Group2 = \"Unused\"\r\n"
                                       "\r\n:--- Database Information ---\r\n"
                                       "[A]\r\nGroup = 1\r\nDoc = \"x\"\r\n\r\n\r\n");
    // In place: the loaded file is let go for the replacement.
    run = Tqctl({"rewrite", "base.ctl", "base.ctl"});
    EXPECT_EQ(run.m_nExit, 0);
    EXPECT_EQ(Read("base.ctl"), Read("full.ctl"));
    EXPECT_EQ(FolderEntries(m_dir),
              (std::vector<std::string>{"base.ctl", "builder.ctl", "full.ctl"}));
}

TEST_F(TqctlTest, RewriteOfABadFileWritesNothing) {
    Write("bad.ctl", "[A] x\r\n");
    CRun run = Tqctl({"rewrite", "bad.ctl", "out.ctl"});
    EXPECT_EQ(run.m_nExit, 1);
    ASSERT_EQ(run.m_out.size(), 2u);
    EXPECT_EQ(run.m_out[1].find("-1007\t"), 0u);
    EXPECT_EQ(FolderEntries(m_dir), std::vector<std::string>{"bad.ctl"});
}

}  // namespace
}  // namespace tq
