// tqctl check, add-app and edit-app on the demo product, end to end: the files go through the
// real topic-filter library, the results are looked at with tqctl list and in both control
// files, and bad input leaves the files as they were.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "TqctlFixture.h"
#include "frame/EditStatus.h"
#include "platform/NamedMutex.h"
#include "tqfltr2/TopicTestFiles.h"

namespace tq {
namespace {

const std::string kCancelled = "-1001\t操作をキャンセルしました\n";
const std::string kControlChar = "アプリケーション名に制御文字は使用できません。\n";
const std::string kUnusable = "指定したアプリケーション名は使用できません。\n";
const std::string kExists = "同じ名前のアプリケーションが既に登録されています。\n";
const std::string kNoTargets = "検索対象ファイルを指定してください。\n";

class TqctlAppsTest : public TqctlDemoTest {
protected:
    void SetUp() override {
        TqctlDemoTest::SetUp();
        std::filesystem::create_directories(Docs("dir.chm"));
        for (const auto& [name, data] :
             {std::pair<std::string, std::string>{"a.txt", "searchable words\n"},
              {"b.htm", "<html><body><p>A topic</p></body></html>"},
              {"c.txt", "more words\n"},
              {"blank.txt", " \r\n"},
              {"new\nline.txt", "words with a control character in their name"},
              {"topics.hlp", test::BuildHelpFile(64).m_strData},
              {"cut.pdf", test::BuildPdf({test::PdfTextPage("x")}).substr(0, 90)}}) {
            test::WriteLinuxFile(Docs(name), data);
        }
    }
    std::string Docs(const std::string& name) const {
        return m_prefix.Path("drives/c/Docs/" + name);
    }
    test::CToolRun Apps(std::vector<std::string> args, const std::string& strEnv = "") {
        args.insert(args.begin(), "--yes");
        return Demo(args, "", strEnv);
    }
    std::string Base() const {
        return Cp932ToUtf8Lossy(test::ReadLinuxFile(ControlDir() + "/BaseControl.ini"));
    }
    std::string Control() const { return Cp932ToUtf8Lossy(test::ReadLinuxFile(ControlIni())); }

    // The section of a database in a control file, up to the next one, without blank lines.
    static std::string Section(const std::string& text, const std::string& name) {
        size_t start = text.find("[" + name + "]");
        if (start == std::string::npos) {
            return "";
        }
        std::string section = text.substr(start, text.find("\r\n[", start + 1) - start);
        while (section.size() > 2 && section.ends_with("\r\n\r\n")) {
            section.resize(section.size() - 2);
        }
        return section;
    }
    // The section in both control files, and the group line of the user application.
    void ExpectSaved(const std::string& name, const std::vector<std::string>& docs) {
        std::string section =
            "[" + name + "]\r\nPublicName = \"" + name + "\"\r\nGroup = 4\r\nGroup = 6\r\n";
        for (const std::string& doc : docs) {
            section += "Doc = \"C:\\Docs\\" + doc + " > " + name + "\"\r\n";
        }
        EXPECT_EQ(Section(Base(), name), section);
        EXPECT_EQ(Section(Control(), name), section);
        EXPECT_NE(Base().find("Group6 = \"4@" + name + "\""), std::string::npos) << Base();
    }

    // Adds "Manuals Plus" with a.txt, b.htm and topics.hlp (and refused and duplicate files).
    test::CToolRun AddManuals() {
        return Apps({"add-app", " Manuals Plus ", Docs("topics.hlp"), Docs("blank.txt"),
                     Docs("b.htm"), Docs("a.txt"), Docs("A.TXT"), Docs("cut.pdf")});
    }
};

TEST_F(TqctlAppsTest, CheckPrintsTheLibrarysAnswerPerFile) {
    test::CToolRun run = Apps({"check", Docs("a.txt"), Docs("blank.txt"), Docs("dir.chm"),
                               Docs("missing.pdf"), Docs("readme.doc")});
    EXPECT_EQ(run.m_nExit, 0) << run.m_strErr;
    EXPECT_EQ(run.m_strOut, "1\t" + Docs("a.txt") + "\n0\t" + Docs("blank.txt") + "\n-1\t" +
                                Docs("dir.chm") + "\n-1\t" + Docs("missing.pdf") + "\n-1572\t" +
                                Docs("readme.doc") + "\n");
    EXPECT_EQ(Apps({"check"}).m_nExit, 2);

    // Without the library every file is refused, with a clear word why, and nothing crashes.
    run = Apps({"check", Docs("a.txt")}, "TQ_TQFLTR2_DIR=" + m_prefix.Path("none"));
    EXPECT_EQ(run.m_nExit, 0);
    EXPECT_EQ(run.m_strOut, "-4\t" + Docs("a.txt") + "\n");
    EXPECT_NE(run.m_strErr.find("libtqfltr2.so cannot be used"), std::string::npos) << run.m_strErr;
}

TEST_F(TqctlAppsTest, AddAppAddsTheAcceptedFilesInSortedOrder) {
    test::CToolRun run = AddManuals();
    ASSERT_EQ(run.m_nExit, 0) << run.m_strOut << run.m_strErr;
    EXPECT_EQ(run.m_strOut, "2\n");
    // Several files were given: the refused ones are listed one per line.
    EXPECT_NE(run.m_strErr.find("blank.txt\ncut.pdf\n"), std::string::npos) << run.m_strErr;
    EXPECT_EQ(Apps({"list", "3"}).m_strOut, "3\t1\t1\t1\t私のメモ\n3\t2\t1\t1\tManuals Plus\n");
    ExpectSaved("Manuals Plus", {"a.txt", "b.htm", "topics.hlp"});
}

TEST_F(TqctlAppsTest, AddAppRefusalsChangeNothing) {
    ASSERT_EQ(AddManuals().m_nExit, 0);
    const std::string strBase = Base(), strControl = Control();
    const std::string kNoTopics =
        "指定したファイルには検索に必要な情報が含まれていないか、\nファイルが保護されていて"
        "情報を取得できないため、\n検索対象ファイルに追加できません。\n";
    const std::string c = Docs("c.txt");
    struct {
        std::vector<std::string> args;  // after add-app
        std::string out;
        std::string err = "";
    } cases[] = {
        {{"a\tb", c}, kControlChar},
        {{"Name\x1f", c}, kControlChar},
        {{" 　 ", c}, "アプリケーション名を入力してください。\n"},
        {{"　アプリケーション ", c}, kUnusable},
        {{"manuals plus", c}, kExists},
        {{"用語辞書", c}, kExists},
        {{"製品マニュアル", c}, kUnusable},
        {{std::string(257, 'n'), c}, kUnusable},
        {{"Fresh", Docs("blank.txt")}, kNoTargets, kNoTopics},
        {{"Fresh", Docs("new\nline.txt")}, kNoTargets, kNoTopics},
        {{"Fresh", Docs("dir.chm")}, kNoTargets, kNoTopics},
        {{"Fresh", Docs(std::string(300, 'x') + ".txt")}, kNoTargets, kNoTopics},
        {{"Fresh", Docs("x.doc"), Docs("gone.txt")}, kNoTargets, "x.doc\ngone.txt\n"},
    };
    for (const auto& k : cases) {
        std::vector<std::string> args = {"add-app"};
        args.insert(args.end(), k.args.begin(), k.args.end());
        test::CToolRun run = Apps(args);
        SCOPED_TRACE(k.args[0]);
        EXPECT_EQ(run.m_nExit, 1);
        EXPECT_EQ(run.m_strOut, k.out);
        EXPECT_EQ(run.m_strErr, k.err);
    }
    // The question answered No: nothing is written.
    test::CToolRun no = Apps({"--no", "add-app", "Fresh", c});
    EXPECT_EQ(no.m_nExit, 1);
    EXPECT_EQ(no.m_strOut, kCancelled);
    EXPECT_EQ(Apps({"add-app", "Only"}).m_nExit, 2);
    {
        // Another editor holds the product.
        CNamedMutex editor;
        ASSERT_EQ(editor.Create(kEditMutexName, true), 0);
        EXPECT_EQ(Apps({"add-app", "Fresh", c}).m_strOut, "-1043\t編集中です\n");
        EXPECT_EQ(Apps({"edit-app", "3", "2", "--name", "N"}).m_nExit, 1);
    }
    EXPECT_EQ(Base(), strBase);
    EXPECT_EQ(Control(), strControl);
}

TEST_F(TqctlAppsTest, EditAppRenamesRemovesAndAdds) {
    ASSERT_EQ(AddManuals().m_nExit, 0);
    test::CToolRun run = Apps({"edit-app", "3", "2", "--name", " Renamed ", "--remove",
                               Docs("a.txt"), "--add", Docs("c.txt"), "--add", Docs("blank.txt"),
                               "--remove", "c:\\docs\\B.HTM", "--add", Docs("b.htm")});
    ASSERT_EQ(run.m_nExit, 0) << run.m_strOut << run.m_strErr;
    EXPECT_EQ(run.m_strOut, "0\t\n");
    EXPECT_NE(run.m_strErr.find("blank.txt\n"), std::string::npos) << run.m_strErr;
    EXPECT_EQ(Apps({"list", "3"}).m_strOut, "3\t1\t1\t1\t私のメモ\n3\t2\t1\t1\tRenamed\n");
    // b.htm went away and came back: it keeps its place; c.txt is appended. The documents
    // follow the new public name when saved.
    ExpectSaved("Renamed", {"b.htm", "topics.hlp", "c.txt"});

    // Nothing changed counts as cancelled; a change of case is a change.
    run = Apps({"edit-app", "3", "2", "--name", "Renamed"});
    EXPECT_EQ(run.m_nExit, 1);
    EXPECT_EQ(run.m_strOut, kCancelled);
    EXPECT_EQ(Apps({"edit-app", "3", "2", "--name", "RENAMED"}).m_strOut, "0\t\n");
    EXPECT_NE(Base().find("PublicName = \"RENAMED\""), std::string::npos);
}

TEST_F(TqctlAppsTest, EditAppRefusalsChangeNothing) {
    ASSERT_EQ(AddManuals().m_nExit, 0);
    const std::string strBase = Base();
    const std::string kBadNumber = "-1563\tデータベース番号が不適切です\n";
    struct {
        std::vector<std::string> args;  // after edit-app
        int exit;
        std::string out;
    } cases[] = {
        {{"3", "2", "--name", "ユーザーズマニュアル"}, 1, kExists},
        {{"3", "2", "--name", "製品マニュアル"}, 1, kUnusable},
        {{"3", "2", "--name", "x\ty"}, 1, kControlChar},
        {{"3", "2", "--remove", Docs("a.txt"), "--remove", Docs("b.htm"), "--remove",
          Docs("topics.hlp")},
         1,
         kNoTargets},
        {{"3", "2", "--remove", Docs("zzz.txt")}, 1, "-1567\t指定した文書名は登録されていません\n"},
        {{"1", "1", "--name", "x"}, 1, "-1576\tこのデータベースを操作することはできません\n"},
        {{"3", "9"}, 1, kBadNumber},
        {{"3", "0"}, 1, kBadNumber},
        {{"5", "1"}, 1, "-1565\tデータベースタイプの指定が不適切です\n"},
        {{"3", "2", "--bogus", "x"}, 2, ""},
        {{"3", "2", "--name"}, 2, ""},
        {{"3"}, 2, ""},
    };
    for (const auto& k : cases) {
        std::vector<std::string> args = {"edit-app"};
        args.insert(args.end(), k.args.begin(), k.args.end());
        test::CToolRun run = Apps(args);
        SCOPED_TRACE(testing::PrintToString(k.args));
        EXPECT_EQ(run.m_nExit, k.exit);
        EXPECT_EQ(run.m_strOut, k.out);
    }
    EXPECT_EQ(Base(), strBase);
}

}  // namespace
}  // namespace tq
