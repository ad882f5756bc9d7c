// tqctl and tqreg as processes: exit statuses, printed texts, files left, clear errors.
#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>
#include <string>
#include <tuple>
#include <vector>

#include "../../fuzz/ScriptOracle.h"
#include "frame/EditStatus.h"
#include "platform/Cp932.h"
#include "platform/NamedMutex.h"
#include "platform/Registry.h"
#include "platform/Win32Error.h"
#include "support/TestSupport.h"
#include "tqfltr2/TopicTestFiles.h"

namespace tq {
namespace {

using test::CToolRun;
using Args = std::vector<std::string>;

const std::string kCancelled = "-1001\t操作をキャンセルしました\n";

class TqctlTest : public ::testing::Test {
protected:
    CToolRun Tqctl(Args args, const std::string& strInput = "", const std::string& strEnv = "",
                   const char* pszTool = "tqctl") {
        args.insert(args.begin(), {"--prefix", m_prefix.GetDir()});
        return test::RunTool(pszTool, args, strInput, strEnv);
    }
    CToolRun Demo(Args args, const std::string& strInput = "") {
        args.insert(args.begin(), {"--product", "Demo"});
        return Tqctl(args, strInput, "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM");
    }
    struct CStep {
        Args args;
        int exit;
        std::string out;
        std::string err = "", in = "";  // a part of standard error; standard input
    };
    // How a step runs: as tqctl with the demo product named (lint and rewrite take no notice).
    virtual CToolRun Run(const Args& args, const std::string& strInput) {
        return Demo(args, strInput);
    }
    void Expect(const std::vector<CStep>& steps) {
        for (const CStep& s : steps) {
            CToolRun run = Run(s.args, s.in);
            SCOPED_TRACE(testing::PrintToString(s.args) + s.in);
            EXPECT_EQ(run.m_nExit, s.exit) << run.m_strErr;
            EXPECT_EQ(run.m_strOut, s.out);
            EXPECT_NE(run.m_strErr.find(s.err), std::string::npos) << run.m_strErr;
        }
    }
    std::string Work(const std::string& name) const { return m_prefix.Path("work/" + name); }

    test::CTempPrefix m_prefix;
};

class TqctlDemoTest : public TqctlTest {
protected:
    void SetUp() override {
        ASSERT_EQ(test::InstallDemoProduct(m_prefix), 0);
        ASSERT_EQ(Demo({"register"}).m_nExit, 0);
    }
    std::string Saved(const std::string& name) const {  // a control file of the product
        return Cp932ToUtf8Lossy(test::ReadLinuxFile(
            m_prefix.Path("drives/c/Program Files/Trellisquest/Control/" + name)));
    }

    const std::string kAskSelected = "選択した内容をTrellisquestに反映します。";
    const std::string kAskEdited = "編集した内容をTrellisquestに反映します。";
};

TEST_F(TqctlTest, LintAndRewritePrintMessagesAndResults) {
    const std::string hyou = "\x95\x5C";  // "表" in code page 932: its second byte is 0x5C
    test::WriteLinuxFile(Work("base.ctl"), "QueryListFile = q\r\nOutputLog = \"" + Work("log.txt") +
                                               "\"\r\n" + "Group1 = G\r\n[" + hyou +
                                               "]\r\nGroup = 1\r\nDoc = x\r\n[" + hyou +
                                               "]\r\nGroup = 1\r\nDoc = y\r\n");
    const std::string good = Work("good.ctl");
    test::WriteLinuxFile(good, "Group1 = G\r\nGroup2 = Unused\r\n[A]\r\nGroup = 1\r\nDoc = x\r\n");
    test::WriteLinuxFile(Work("bad.ctl"), "[A] x\r\n");
    Expect({{{"lint", Work("base.ctl")},
             1,
             "▲警告：処理しませんでした。\"QueryListFile = q\"\n"
             "■エラー：データベース名 [表] が重複しています\n"
             "-1046\tデータベース名を重複して指定しています\n"},
            {{"lint", good}, 0, "0\t\n"},
            {{"rewrite", good, Work("full.ctl")}, 0, "0\t\n"},
            {{"rewrite", "--builder", good, good}, 0, "0\t\n"},
            {{"rewrite", Work("bad.ctl"), Work("out.ctl")},
             1,
             "■エラー：記述が間違っています。\"[A] x\"\n"
             "-1007\tベースコントロールファイルの記述が不適切です\n"}});
    // The bytes of each form are the writer's to test; here each file got its form (in place too).
    const std::string full = test::ReadLinuxFile(Work("full.ctl"));
    EXPECT_TRUE(full.starts_with(":*** Trellisquest") && full.find("Unused") == std::string::npos);
    EXPECT_NE(test::ReadLinuxFile(good).find("Group2 = \"Unused\"\r\n"), std::string::npos);
    EXPECT_FALSE(test::LinuxFileExists(Work("log.txt")) || test::LinuxFileExists(Work("out.ctl")));
}

TEST_F(TqctlDemoTest, TheDemoProductListsConvertsAndReportsItsStatus) {
    const std::string kCategory2 = "2\t2\t1\t1\tリリースノート\n2\t3\t0\t0\t用語辞書\n";
    Expect({{{"list"},
             0,
             "1\t1\t1\t1\tTrellisquest ヘルプ\n2\t1\t1\t1\tユーザーズマニュアル\n" + kCategory2 +
                 "3\t1\t1\t1\t私のメモ\n"},
            {{"convert"}, 0, "0\t\n"},
            {{"status"}, 0, "0\n"},
            // A selection change is saved only when the question is answered Yes.
            {{"--no", "deselect", "2", "1"}, 1, kCancelled, kAskSelected},
            {{"--yes", "deselect", "2", "1"}, 0, "0\t\n"},
            {{"list", "2"}, 0, "2\t1\t0\t1\tユーザーズマニュアル\n" + kCategory2},
            // Without a display the dialogs are cancelled.
            {{"--no", "edit", "3", "1"}, 1, kCancelled, "edit-application dialog was not shown"},
            // Removing a user application asks with mode 0's wording after its own question.
            {{"--yes", "remove", "3", "1"}, 0, "0\t\n", kAskEdited},
            {{"list", "3"}, 0, ""},
            {{"error", "-1043"}, 0, "編集中です\n"},
            {{"--raw", "error", "-1043"}, 0, "\x95\xD2\x8F\x57\x92\x86\x82\xC5\x82\xB7\n"}});
    EXPECT_EQ(Saved("Control.ini").find("[Manual]"), std::string::npos);  // the deselection saved
}

TEST_F(TqctlDemoTest, ScriptCallsEveryKindOfMember) {
    CToolRun run = Demo({"--no", "script"},
                        "# not ready yet\nStatus\nEnableCustomize\nErrorString\n"
                        "SetProductKey \"NoSuchProduct\"\nEnableCustomize\nSetProductKey \"Demo\"\n"
                        "getdbcount 9\nErrorCode\nLoad\nGetDBCount 0\nDBGetPublicName 3 1\n"
                        "DBIsInstalledAppli 2 3\nput Status 1\nOpenAddAppDialog\nSave \"x\"\n");
    EXPECT_EQ(run.m_nExit, 0) << run.m_strErr;
    EXPECT_EQ(run.m_strOut,
              "-1008\t-1008\nFALSE\t-1008\nレジストリからの情報取得に失敗しました\t-1008\n"
              "FALSE\t-1008\nFALSE\t-1008\nTRUE\t0\n0\t-1565\n-1565\t-1565\n0\t0\n5\t0\n"
              "私のメモ\t0\n0\t0\n"
              "EXCEPTION\t61837\t読み取り専用ﾌﾟﾛﾊﾟﾃｨには書き込めません。\n"
              "-1001\t-1001\n0\t0\n");
    // Nothing was asked (the model was not modified); the wizard says why it was not shown.
    EXPECT_EQ(run.m_strErr,
              "tqcstm: the add-application wizard was not shown (no display); answered as "
              "cancelled\n");
    // Each save is refused, so the deselection keeps the model modified and every save asks.
    run = Demo({"--no", "script"},
               "SetProductKey \"Demo\"\nLoad\nDBSetSelected 2 2 FALSE\nSave \"1\"\n"
               "Save \"01\"\nSave \"x\"\nSave I2:1\nSave 1\nSave REF:1\nSave EMPTY\n");
    EXPECT_EQ(run.m_nExit, 0) << run.m_strErr;
    auto asked = [](const std::string& q) {
        return "[Trellisquest デモ] " + q +
               "\nよろしいですか？\n反映にはしばらく時間がかかることがあります。 -> No\n";
    };
    const std::string S = asked(kAskSelected), E = asked(kAskEdited);
    EXPECT_EQ(run.m_strErr, S + S + E + S + S + E + E);
}

TEST_F(TqctlDemoTest, BadInputGetsClearErrors) {
    const Args script = {"script"};
    Expect({{script, 1,
             "-1008\t-1008\n0x80020006\tDISP_E_UNKNOWNNAME: unknown name: line 2: NoSuchMember\n",
             "", "Status\nNoSuchMember 1\nStatus\n"},
            {script, 2, "-1008\t-1008\n", "script line 2: unterminated string",
             "Status\nGetDBCount \"open\nStatus\n"},
            {{}, 2, "", "tqctl: "}});
}

TEST_F(TqctlDemoTest, AModuleThatIsGoneIsReportedNotCrashedOn) {
    CToolRun reg = Demo({"register", "/nonexistent/libtqcstm.so"});
    EXPECT_EQ(reg.m_nExit, 1);
    EXPECT_EQ(reg.m_strOut.substr(0, 11), "0x8007007E\t") << reg.m_strOut;
    CRegKey server;  // the module moved away after registering
    ASSERT_EQ(server.Open(HKEY_CLASSES_ROOT,
                          "CLSID\\{FE1B0AC2-7074-11D5-99A1-00C04FB9CD98}\\InProcServer32",
                          KEY_ALL_ACCESS),
              0);
    ASSERT_EQ(server.SetString("", "Z:\\nonexistent\\libtqcstm.so"), 0);
    for (const char* command : {"list", "status", "convert", "script"}) {
        CToolRun run = Demo({command});
        EXPECT_EQ(run.m_nExit, 1) << command;
        EXPECT_NE(run.m_strOut.find("0x8007007E\t"), std::string::npos) << command << run.m_strOut;
        EXPECT_NE(run.m_strOut.find("nonexistent"), std::string::npos) << command;
    }
}

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
              {"topics.hlp", test::BuildHelpFile(64)},
              {"cut.pdf", test::BuildPdf({test::PdfTextPage("x")}).substr(0, 90)}}) {
            test::WriteLinuxFile(Docs(name), data);
        }
        // "Manuals Plus" with a.txt, b.htm and topics.hlp (and refused and duplicate files).
        CToolRun run =
            Demo({"--yes", "add-app", " Manuals Plus ", Docs("topics.hlp"), Docs("blank.txt"),
                  Docs("b.htm"), Docs("a.txt"), Docs("A.TXT"), Docs("cut.pdf")});
        ASSERT_EQ(run.m_nExit, 0) << run.m_strOut << run.m_strErr;
        EXPECT_EQ(run.m_strOut, "2\n");
        // Several files were given: the refused ones are listed one per line.
        EXPECT_NE(run.m_strErr.find("blank.txt\ncut.pdf\n"), std::string::npos) << run.m_strErr;
    }
    std::string Docs(const std::string& name) const {
        return m_prefix.Path("drives/c/Docs/" + name);
    }
};

TEST_F(TqctlAppsTest, CheckPrintsTheLibrarysAnswerPerFile) {
    Expect({{{"check", Docs("a.txt"), Docs("blank.txt"), Docs("dir.chm"), Docs("missing.pdf"),
              Docs("readme.doc")},
             0,
             "1\t" + Docs("a.txt") + "\n0\t" + Docs("blank.txt") + "\n-1\t" + Docs("dir.chm") +
                 "\n-1\t" + Docs("missing.pdf") + "\n-1572\t" + Docs("readme.doc") + "\n"}});
    // Without the library every file is refused, with a clear word why, and nothing crashes.
    CToolRun run = Tqctl({"--product", "Demo", "check", Docs("a.txt")}, "",
                         "TQ_TQFLTR2_DIR=" + m_prefix.Path("none"));
    EXPECT_EQ(run.m_nExit, 0);
    EXPECT_EQ(run.m_strOut, "-4\t" + Docs("a.txt") + "\n");
    EXPECT_NE(run.m_strErr.find("libtqfltr2.so cannot be used"), std::string::npos) << run.m_strErr;
}

TEST_F(TqctlAppsTest, AddAndEditSaveAndRefusalsChangeNothing) {
    const std::string strBase = Saved("BaseControl.ini");
    {
        CNamedMutex editor;  // another editor holds the product
        ASSERT_EQ(editor.Create(kEditMutexName, true), 0);
        Expect({{{"--yes", "add-app", "Fresh", Docs("c.txt")}, 1, "-1043\t編集中です\n"}});
    }
    Expect({{{"list", "3"}, 0, "3\t1\t1\t1\t私のメモ\n3\t2\t1\t1\tManuals Plus\n"},
            {{"--yes", "add-app", "Fresh", Docs("x.doc"), Docs("gone.txt")},
             1,
             "検索対象ファイルを指定してください。\n",
             "x.doc\ngone.txt\n"},
            {{"--no", "add-app", "Fresh", Docs("c.txt")}, 1, kCancelled},
            // Nothing changed counts as cancelled.
            {{"--yes", "edit-app", "3", "2", "--name", "Manuals Plus"}, 1, kCancelled}});
    EXPECT_EQ(Saved("BaseControl.ini"), strBase);
    Expect({{{"--yes", "edit-app", "3", "2", "--name", " Renamed ", "--remove", Docs("a.txt"),
              "--add", Docs("c.txt"), "--add", Docs("blank.txt"), "--remove", "c:\\docs\\B.HTM",
              "--add", Docs("b.htm")},
             0,
             "0\t\n",
             "blank.txt\n"},
            {{"list", "3"}, 0, "3\t1\t1\t1\t私のメモ\n3\t2\t1\t1\tRenamed\n"}});
    // b.htm went away and came back: it keeps its place; c.txt is appended. The documents
    // follow the new public name into the builder's file.
    EXPECT_NE(Saved("Control.ini")
                  .find("Doc = \"C:\\Docs\\b.htm > Renamed\"\r\nDoc = \"C:\\Docs\\topics.hlp > "
                        "Renamed\"\r\nDoc = \"C:\\Docs\\c.txt > Renamed\"\r\n\r\n"),
              std::string::npos)
        << Saved("Control.ini");
}

class TqregTest : public TqctlTest {
protected:
    CToolRun Run(const Args& args, const std::string&) override {
        return Tqctl(args, "", "", "tqreg");
    }
};

TEST_F(TqregTest, SetQueryDeleteAndExportConvertJapaneseTextAndEveryType) {
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
            {{"query", key},
             0,
             key + "\n    (Default)    REG_EXPAND_SZ    %WINDIR%\n    名前    REG_SZ    値\n"},
            {{"delete", key, namae}, 0, ""},
            {{"query", key, namae}, 1, key + "\n", "tqreg: " + key + " 名前" + notFound},
            {{"delete", "HKCU\\Software"}, 0, ""},
            {{"query", key}, 1, "", "tqreg: " + key + notFound},
            {{"delete", "HKCU\\Software"}, 1, ""}});
    const std::string hklm = "HKEY_LOCAL_MACHINE\\SOFTWARE\\T", wide = m_prefix.Path("wide.reg");
    const std::string exported =
        "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\T]\r\n\"bin\"=hex:0a,1b,ff\r\n"
        "\"decimal\"=dword:ffffffff\r\n\"dword\"=dword:0000001f\r\n"
        "\"expand\"=hex(2):25,58,25,00\r\n\"multi\"=hex(7):61,00,62,00,00\r\n"
        "\"sz\"=\"a \\\"b\\\" \\\\c\"\r\n\r\n";
    Expect({{{"set", hklm, "sz", "REG_SZ", "a \"b\" \\c"}, 0, ""},
            {{"set", hklm, "expand", "REG_EXPAND_SZ", "%X%"}, 0, ""},
            {{"set", hklm, "dword", "REG_DWORD", "0x1F"}, 0, ""},
            {{"set", hklm, "decimal", "REG_DWORD", "4294967295"}, 0, ""},
            {{"set", hklm, "bin", "REG_BINARY", "0a,1B ff"}, 0, ""},
            {{"set", hklm, "multi", "REG_MULTI_SZ", "a\\0b"}, 0, ""},
            {{"export", "hklm\\SOFTWARE\\T"}, 0, exported},
            {{"export", hklm, "--unicode", wide}, 0, ""}});
    EXPECT_EQ("\xFF\xFE", test::ReadLinuxFile(wide).substr(0, 2));
}

// A bad command line exits 2, any other failure 1, naming what failed and changing nothing.
TEST_F(TqregTest, BadCommandLinesAndFailuresNameWhatFailed) {
    const std::string bad = m_prefix.Path("bad.reg"), missing = m_prefix.Path("missing.reg");
    test::WriteLinuxFile(bad,
                         "REGEDIT4\r\n[HKEY_CURRENT_USER\\Imported]\r\n\"A\"=\"fine\"\r\n"
                         "\"B\"=dword:xyz\r\n");
    Expect({{{"set", "HKCU\\A", "v", "REG_QWORD", "1"}, 2, "", "TYPE is REG_SZ"},
            {{"set", "HKCU\\A", "v", "REG_DWORD", "4294967296"}, 2, "", "REG_DWORD data"},
            {{"set", "HKCU\\A", "v", "REG_BINARY", "abc"}, 2, "", "pairs of hex digits"},
            {{"import", bad}, 1, "", bad + ":4: dword: needs 1 to 8 hex digits\n"},
            {{"import", missing}, 1, "", missing + ": no such file\n"},
            {{"set", "HKCU\\A", "café", "REG_SZ", "x"}, 1, "", ": café: has no code page 932 form"},
            {{"query", "HKCU\\A"}, 1, "", ": HKCU\\A: not found (error 2)\n"}});
}

// The parser's fuzz corpus and the lines fuzzing found, through the fuzz target's oracle.
TEST(ScriptCorpusTest, EveryCorpusFileAndTheLinesFuzzingFoundKeepTheParserSound) {
    const auto files = test::ReadCorpus("script");
    for (const auto& file : files) {
        size_t nRefused = 0;
        EXPECT_EQ(fuzz::CheckScript(file.m_strBytes, &nRefused), "") << file.m_strName;
        EXPECT_EQ(file.m_strName.rfind("bad_", 0) == 0, nRefused > 0) << file.m_strName;
    }
    EXPECT_GT(files.size(), 15u);
    std::string strLongRefs = "Call ";
    for (int i = 0; i < 200000; ++i) {
        strLongRefs += i % 2 ? "REF:" : "ref:";
    }
    // What, raw mode, the line, refused, the values parsed (arguments and the referents of REF:)
    // and the code page 932 text of the first value when a string.
    const std::tuple<const char*, bool, std::string, bool, size_t, std::string> cases[] = {
        // Code page 932 bytes with no UTF-16 form used to become an EMPTY argument in raw mode.
        {"raw byte 0xFF", true, "ey \"ct\xFF\"", true, 0, ""},
        {"raw unassigned double-byte code", true, "Call \"\x85\x40\"", true, 0, ""},
        // In raw mode a second byte 0x5C used to escape: "表" was unterminated, "表示" lost it.
        {"raw 0x5C second byte before the quote", true, "Call \"\x95\x5C\"", false, 1, "\x95\x5C"},
        {"raw 0x5C second byte inside", true, "Call \"\x95\x5C\x8E\xA6\"", false, 1,
         "\x95\x5C\x8E\xA6"},
        {"raw escaped backslash after it", true, "Call \"\x95\x5C\\\\\" 1", false, 2, "\x95\x5C\\"},
        {"UTF-8 text keeps its bytes", false, "Call \"\xE8\xA1\xA8\\\"\"", false, 1, "\x95\x5C\""},
        // A chain of REF: prefixes used to recurse once per prefix, copying the rest each time.
        {"200000 REF: prefixes", false, strLongRefs + "7", false, 200001, ""},
    };
    for (const auto& [pszWhat, bRaw, strLine, bRefusedAsked, nValues, strText] : cases) {
        SCOPED_TRACE(pszWhat);
        tqctl::CHost host(std::cout, std::cerr);
        host.GetOptions().m_bRaw = bRaw;
        bool bRefused = false;
        EXPECT_EQ(fuzz::CheckScriptLine(host, strLine, bRefused), "");
        EXPECT_EQ(bRefused, bRefusedAsked);
        tqctl::CScriptLine line;
        std::string strError, strFirst;
        if (!bRefused && tqctl::ParseScriptLine(host, strLine, line, strError)) {
            EXPECT_EQ(line.m_values.size(), nValues);
            if (!strText.empty()) {
                ASSERT_EQ(line.m_values.at(0).vt, VT_BSTR);
                BstrToCp932(line.m_values[0].bstrVal, strFirst);
                EXPECT_EQ(strFirst, strText);
            }
        }
    }
}

TEST_F(TqctlTest, ShotDrawsEveryWidgetAndBadInputWritesNothing) {
    const std::string folder = m_prefix.Path("drives/c/docs"), shots = m_prefix.Path("shots");
    std::filesystem::create_directories(folder + "/Volume 1");
    test::WriteLinuxFile(folder + "/guide.chm", "x");
    test::WriteLinuxFile(folder + "/readme.txt", "Read me first.\r\n");
    const std::string kept = shots + "/kept.png", kOffscreen = "QT_QPA_PLATFORM=offscreen";
    test::WriteLinuxFile(kept, "the picture made before");
    const struct {
        Args args;
        int exit;
        std::string err;  // a part of standard error
        std::string env = "QT_QPA_PLATFORM=offscreen";
    } cases[] = {
        {{"filelist", folder, shots + "/filelist.png"}, 0, ""},
        {{"details", folder, shots + "/details.png"}, 0, ""},
        {{"location", folder, shots + "/location.png"}, 0, ""},
        {{"location-open", folder, shots + "/location-open.png"}, 0, ""},
        {{"wait", folder, shots + "/wait.png"}, 0, ""},
        {{"report", folder, shots + "/report.png"}, 0, ""},
        {{"frob", folder, shots + "/frob.png"}, 2, "tqctl: no widget frob"},
        {{"filelist", "", shots + "/y.png"}, 1, "has no Windows form"},
        {{"filelist", folder, shots + "/none/z.png"}, 1, "cannot write"},
        // The picture (about 11 KB) is larger than the 4 or 8 KB the process may write.
        {{"details", folder, kept}, 1, "cannot write", "trap '' XFSZ; ulimit -f 8; " + kOffscreen},
    };
    for (const auto& c : cases) {
        Args args = {"shot"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        CToolRun run = Tqctl(args, "", c.env);
        SCOPED_TRACE(c.args[0] + " " + c.args.back() + ": " + run.m_strErr);
        EXPECT_EQ(run.m_nExit, c.exit);
        EXPECT_NE(run.m_strErr.find(c.err), std::string::npos);
        const std::string png = test::ReadLinuxFile(c.args.back());
        if (c.exit == 0) {  // a whole PNG picture
            EXPECT_TRUE(png.starts_with("\x89PNG\r\n\x1a\n") &&
                        png.ends_with("IEND\xAE\x42\x60\x82"));
        } else if (c.args.back() != kept) {
            EXPECT_FALSE(test::LinuxFileExists(c.args.back()));
        }
    }
    EXPECT_EQ(test::ReadLinuxFile(kept), "the picture made before");
    // Six pictures and the kept one: no temporary file is left behind.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(shots), {}), 7);
}

}  // namespace
}  // namespace tq
