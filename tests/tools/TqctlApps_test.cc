// tqctl check, add-app and edit-app on the demo product in a private prefix, end to end: the
// files go through the real topic-filter library, the results are looked at with tqctl list
// and in both control files, and bad input leaves the files as they were.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "frame/EditStatus.h"
#include "platform/Cp932.h"
#include "platform/NamedMutex.h"
#include "platform/RegFile.h"
#include "support/TestSupport.h"
#include "tqfltr2/TopicTestFiles.h"

namespace tq {
namespace {

namespace fs = std::filesystem;

std::string ToolPath() {
    if (const char* dir = std::getenv("TQ_TOOLS_DIR")) {
        return std::string(dir) + "/tqctl/tqctl";
    }
    char self[4096] = {};
    ssize_t n = readlink("/proc/self/exe", self, sizeof(self) - 1);
    std::string exe(self, n > 0 ? static_cast<size_t>(n) : 0);
    return exe.substr(0, exe.rfind("/tests/")) + "/tools/tqctl/tqctl";
}

std::string Quote(const std::string& s) {
    std::string q = "'";
    for (char c : s) {
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return q + "'";
}

std::string Utf8(const std::string& strCp932) {
    return Cp932ToUtf8Lossy(strCp932);
}

struct CRun {
    int m_nExit = -1;
    std::string m_strOut;
    std::string m_strErr;
};

class TqctlAppsTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (access(ToolPath().c_str(), X_OK) != 0) {
            GTEST_SKIP() << "tqctl is not built at " << ToolPath();
        }
        ASSERT_EQ(test::InstallDemoProduct(m_prefix), 0);
        fs::create_directories(Docs("dir.chm"));
        test::WriteLinuxFile(Docs("a.txt"), "searchable words\n");
        test::WriteLinuxFile(Docs("b.htm"), "<html><body><p>A topic</p></body></html>");
        test::WriteLinuxFile(Docs("c.txt"), "more words\n");
        test::WriteLinuxFile(Docs("blank.txt"), " \r\n");
        test::WriteLinuxFile(Docs("new\nline.txt"), "words with a control character in their name");
        test::WriteLinuxFile(Docs("topics.hlp"), test::BuildHelpFile(64).m_strData);
        test::WriteLinuxFile(Docs("cut.pdf"),
                             test::BuildPdf({test::PdfTextPage("x")}).substr(0, 90));
        ASSERT_EQ(Tqctl({"register"}).m_nExit, 0);  // for tqctl list
    }

    std::string Docs(const std::string& name) const {
        return m_prefix.Path("drives/c/Docs/" + name);
    }
    std::string ControlDir() const {
        return m_prefix.Path("drives/c/Program Files/Trellisquest/Control");
    }
    std::string Base() const {
        return Utf8(test::ReadLinuxFile(ControlDir() + "/BaseControl.ini"));
    }
    std::string Control() const {
        std::string path = ControlDir() + "/Control.ini";
        return test::LinuxFileExists(path) ? Utf8(test::ReadLinuxFile(path)) : "";
    }

    CRun Tqctl(const std::vector<std::string>& args, const std::string& strEnv = "") {
        std::string cmd = strEnv + " " + Quote(ToolPath()) + " --prefix " +
                          Quote(m_prefix.GetDir()) + " --product Demo --yes";
        for (const auto& a : args) {
            cmd += ' ' + Quote(a);
        }
        cmd += " </dev/null >" + Quote(m_prefix.Path("out")) + " 2>" + Quote(m_prefix.Path("err"));
        CRun run;
        int status = std::system(cmd.c_str());
        run.m_nExit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        run.m_strOut = test::ReadLinuxFile(m_prefix.Path("out"));
        run.m_strErr = test::ReadLinuxFile(m_prefix.Path("err"));
        return run;
    }

    // The section of a database in a control file, up to the next one.
    static std::string Section(const std::string& text, const std::string& name) {
        size_t start = text.find("[" + name + "]");
        if (start == std::string::npos) {
            return "";
        }
        size_t end = text.find("\r\n[", start + 1);
        std::string section = text.substr(start, end == std::string::npos ? end : end - start);
        while (section.size() > 2 && section.ends_with("\r\n\r\n")) {
            section.resize(section.size() - 2);
        }
        return section;
    }

    // Adds "Manuals Plus" with a.txt, b.htm and topics.hlp (and refused and duplicate files).
    CRun AddManuals() {
        return Tqctl({"add-app", " Manuals Plus ", Docs("topics.hlp"), Docs("blank.txt"),
                      Docs("b.htm"), Docs("a.txt"), Docs("A.TXT"), Docs("cut.pdf")});
    }

    test::CTempPrefix m_prefix;
};

TEST_F(TqctlAppsTest, CheckPrintsTheLibrarysAnswerPerFile) {
    CRun run = Tqctl({"check", Docs("a.txt"), Docs("blank.txt"), Docs("dir.chm"),
                      Docs("missing.pdf"), Docs("readme.doc")});
    EXPECT_EQ(run.m_nExit, 0) << run.m_strErr;
    EXPECT_EQ(run.m_strOut, "1\t" + Docs("a.txt") + "\n0\t" + Docs("blank.txt") + "\n-1\t" +
                                Docs("dir.chm") + "\n-1\t" + Docs("missing.pdf") + "\n-1572\t" +
                                Docs("readme.doc") + "\n");
    EXPECT_EQ(Tqctl({"check"}).m_nExit, 2);

    // Without the library every file is refused, with a clear word why, and nothing crashes.
    CRun missing = Tqctl({"check", Docs("a.txt")}, "TQ_TQFLTR2_DIR=" + m_prefix.Path("none"));
    EXPECT_EQ(missing.m_nExit, 0);
    EXPECT_EQ(missing.m_strOut, "-4\t" + Docs("a.txt") + "\n");
    EXPECT_NE(missing.m_strErr.find("libtqfltr2.so cannot be used"), std::string::npos)
        << missing.m_strErr;
}

TEST_F(TqctlAppsTest, AddAppAddsTheAcceptedFilesInSortedOrder) {
    CRun run = AddManuals();
    ASSERT_EQ(run.m_nExit, 0) << run.m_strOut << run.m_strErr;
    EXPECT_EQ(run.m_strOut, "2\n");
    // Several files were given: the refused ones are listed one per line.
    EXPECT_NE(run.m_strErr.find("blank.txt\ncut.pdf\n"), std::string::npos) << run.m_strErr;

    CRun list = Tqctl({"list", "3"});
    EXPECT_EQ(list.m_strOut, "3\t1\t1\t1\t私のメモ\n3\t2\t1\t1\tManuals Plus\n");
    const std::string kSection =
        "[Manuals Plus]\r\nPublicName = \"Manuals Plus\"\r\nGroup = 4\r\nGroup = 6\r\n"
        "Doc = \"C:\\Docs\\a.txt > Manuals Plus\"\r\n"
        "Doc = \"C:\\Docs\\b.htm > Manuals Plus\"\r\n"
        "Doc = \"C:\\Docs\\topics.hlp > Manuals Plus\"\r\n";
    EXPECT_EQ(Section(Base(), "Manuals Plus"), kSection);
    EXPECT_EQ(Section(Control(), "Manuals Plus"), kSection);
    EXPECT_NE(Base().find("Group6 = \"4@Manuals Plus\""), std::string::npos) << Base();
}

TEST_F(TqctlAppsTest, AddAppRefusalsChangeNothing) {
    ASSERT_EQ(AddManuals().m_nExit, 0);
    const std::string strBase = Base();
    const std::string strControl = Control();
    const std::string kNoTopics =
        "指定したファイルには検索に必要な情報が含まれていないか、\nファイルが保護されていて"
        "情報を取得できないため、\n検索対象ファイルに追加できません。\n";
    struct {
        std::string name;
        std::vector<std::string> files;
        std::string out;
        std::string err;
    } cases[] = {
        {"a\tb", {Docs("c.txt")}, "アプリケーション名に制御文字は使用できません。\n", ""},
        {"Name\x1f", {Docs("c.txt")}, "アプリケーション名に制御文字は使用できません。\n", ""},
        {" 　 ", {Docs("c.txt")}, "アプリケーション名を入力してください。\n", ""},
        {"　アプリケーション ",
         {Docs("c.txt")},
         "指定したアプリケーション名は使用できません。\n",
         ""},
        {"manuals plus",
         {Docs("c.txt")},
         "同じ名前のアプリケーションが既に登録されています。\n",
         ""},
        {"用語辞書", {Docs("c.txt")}, "同じ名前のアプリケーションが既に登録されています。\n", ""},
        {"製品マニュアル", {Docs("c.txt")}, "指定したアプリケーション名は使用できません。\n", ""},
        {std::string(257, 'n'),
         {Docs("c.txt")},
         "指定したアプリケーション名は使用できません。\n",
         ""},
        {"Fresh", {Docs("blank.txt")}, "検索対象ファイルを指定してください。\n", kNoTopics},
        {"Fresh", {Docs("new\nline.txt")}, "検索対象ファイルを指定してください。\n", kNoTopics},
        {"Fresh", {Docs("dir.chm")}, "検索対象ファイルを指定してください。\n", kNoTopics},
        {"Fresh",
         {Docs(std::string(300, 'x') + ".txt")},
         "検索対象ファイルを指定してください。\n",
         kNoTopics},
        {"Fresh",
         {Docs("x.doc"), Docs("gone.txt")},
         "検索対象ファイルを指定してください。\n",
         "x.doc\ngone.txt\n"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = {"add-app", c.name};
        args.insert(args.end(), c.files.begin(), c.files.end());
        CRun run = Tqctl(args);
        EXPECT_EQ(run.m_nExit, 1) << c.name;
        EXPECT_EQ(run.m_strOut, c.out) << c.name;
        EXPECT_EQ(run.m_strErr, c.err) << c.name;
    }
    // The question answered No: nothing is written.
    CRun no = Tqctl({"--no", "add-app", "Fresh", Docs("c.txt")});
    EXPECT_EQ(no.m_nExit, 1);
    EXPECT_EQ(no.m_strOut, "-1001\t操作をキャンセルしました\n");
    EXPECT_EQ(Tqctl({"add-app", "Only"}).m_nExit, 2);
    {
        // Another editor holds the product.
        CNamedMutex editor;
        ASSERT_EQ(editor.Create(kEditMutexName, true), 0);
        EXPECT_EQ(Tqctl({"add-app", "Fresh", Docs("c.txt")}).m_strOut,
                  "-1043\t" + std::string("編集中です\n"));
        EXPECT_EQ(Tqctl({"edit-app", "3", "2", "--name", "N"}).m_nExit, 1);
    }
    EXPECT_EQ(Base(), strBase);
    EXPECT_EQ(Control(), strControl);
}

TEST_F(TqctlAppsTest, EditAppRenamesRemovesAndAdds) {
    ASSERT_EQ(AddManuals().m_nExit, 0);
    CRun run = Tqctl({"edit-app", "3", "2", "--name", " Renamed ", "--remove", Docs("a.txt"),
                      "--add", Docs("c.txt"), "--add", Docs("blank.txt"), "--remove",
                      "c:\\docs\\B.HTM", "--add", Docs("b.htm")});
    ASSERT_EQ(run.m_nExit, 0) << run.m_strOut << run.m_strErr;
    EXPECT_EQ(run.m_strOut, "0\t\n");
    EXPECT_NE(run.m_strErr.find("blank.txt\n"), std::string::npos) << run.m_strErr;
    EXPECT_EQ(Tqctl({"list", "3"}).m_strOut, "3\t1\t1\t1\t私のメモ\n3\t2\t1\t1\tRenamed\n");
    // b.htm went away and came back: it keeps its place; c.txt is appended. The documents
    // follow the new public name when saved.
    const std::string kSection =
        "[Renamed]\r\nPublicName = \"Renamed\"\r\nGroup = 4\r\nGroup = 6\r\n"
        "Doc = \"C:\\Docs\\b.htm > Renamed\"\r\n"
        "Doc = \"C:\\Docs\\topics.hlp > Renamed\"\r\n"
        "Doc = \"C:\\Docs\\c.txt > Renamed\"\r\n";
    EXPECT_EQ(Section(Base(), "Renamed"), kSection);
    EXPECT_EQ(Section(Control(), "Renamed"), kSection);
    EXPECT_NE(Base().find("Group6 = \"4@Renamed\""), std::string::npos);

    // Nothing changed counts as cancelled; a change of case is a change.
    CRun same = Tqctl({"edit-app", "3", "2", "--name", "Renamed"});
    EXPECT_EQ(same.m_nExit, 1);
    EXPECT_EQ(same.m_strOut, "-1001\t操作をキャンセルしました\n");
    EXPECT_EQ(Tqctl({"edit-app", "3", "2", "--name", "RENAMED"}).m_strOut, "0\t\n");
    EXPECT_NE(Base().find("PublicName = \"RENAMED\""), std::string::npos);
}

TEST_F(TqctlAppsTest, EditAppRefusalsChangeNothing) {
    ASSERT_EQ(AddManuals().m_nExit, 0);
    const std::string strBase = Base();
    struct {
        std::vector<std::string> args;
        int exit;
        std::string out;
    } cases[] = {
        {{"3", "2", "--name", "ユーザーズマニュアル"},
         1,
         "同じ名前のアプリケーションが既に登録されています。\n"},
        {{"3", "2", "--name", "製品マニュアル"},
         1,
         "指定したアプリケーション名は使用できません。\n"},
        {{"3", "2", "--name", "x\ty"}, 1, "アプリケーション名に制御文字は使用できません。\n"},
        {{"3", "2", "--remove", Docs("a.txt"), "--remove", Docs("b.htm"), "--remove",
          Docs("topics.hlp")},
         1,
         "検索対象ファイルを指定してください。\n"},
        {{"3", "2", "--remove", Docs("zzz.txt")}, 1, "-1567\t指定した文書名は登録されていません\n"},
        {{"1", "1", "--name", "x"}, 1, "-1576\tこのデータベースを操作することはできません\n"},
        {{"3", "9"}, 1, "-1563\tデータベース番号が不適切です\n"},
        {{"3", "0"}, 1, "-1563\tデータベース番号が不適切です\n"},
        {{"5", "1"}, 1, "-1565\tデータベースタイプの指定が不適切です\n"},
        {{"3", "2", "--bogus", "x"}, 2, ""},
        {{"3", "2", "--name"}, 2, ""},
        {{"3"}, 2, ""},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = {"edit-app"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        CRun run = Tqctl(args);
        EXPECT_EQ(run.m_nExit, c.exit) << c.args[0] << " " << (c.args.size() > 2 ? c.args[2] : "");
        EXPECT_EQ(run.m_strOut, c.out);
    }
    EXPECT_EQ(Base(), strBase);
}

}  // namespace
}  // namespace tq
