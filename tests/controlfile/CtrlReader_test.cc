#include "controlfile/CtrlReader.h"

#include <gtest/gtest.h>

#include <array>
#include <regex>
#include <tuple>

#include "CtrlTestUtil.h"
#include "controlfile/CtrlLogFile.h"
#include "controlfile/CtrlWriter.h"
#include "platform/File.h"
#include "resources/ErrorCodes.h"
#include "resources/StringTable.h"

namespace tq {
namespace {

using fuzz::LoadText;
using test::Msg;
using test::ParseAndValidate;
using test::Section;

const std::string kGroup1 = "Group1 = \"G\"\r\n";
// "表": its second byte is the backslash.
const std::string kHyou = "\x95\x5C";
const std::string kNul(1, '\0');
constexpr int32_t kBad = TQE_BASE_INVALID;
constexpr int32_t kBadGroup = TQE_GROUP_INVALID;

struct CErrorCase {
    const char* m_pszName;
    std::string m_text;
    int32_t m_lResult;
    std::string m_message;
};
// The text ends in a bad line, which the message names.
CErrorCase Bad(const char* pszName, const std::string& before, const std::string& line,
               int32_t lResult = kBad) {
    return {pszName, before + line + "\r\n", lResult, Msg(1, line)};
}
// A bad line in database A, named with its database.
CErrorCase BadInA(const char* pszName, const std::string& line, int32_t lResult = kBad) {
    return {pszName, kGroup1 + "[A]\r\n" + line + "\r\n", lResult, Msg(2, "A", line)};
}

TEST(CtrlReaderTest, ErrorsGiveTheirCodeAndMessage) {
    const std::string inA = kGroup1 + "[A]\r\n";
    const CErrorCase cases[] = {
        Bad("section with text after it", "", "[Help] x"),
        {"section too short", "[]  \r\n", kBad, Msg(1, "[]")},
        Bad("deselect mark too short", "", "[]~"),
        Bad("bracket is a second byte", "", "[A\x81]"),
        Bad("long separator without end", "", "### Selection"),
        Bad("no equals sign", "", "OutputLog"),
        Bad("empty key", "", " = x"),
        Bad("quote in key", "", "A\"B = x"),
        Bad("empty value", inA, "PublicName="),
        Bad("open quote", "", "OutputLog = \"x"),
        Bad("closing quote is a second byte", "", "OutputLog = \"x\x81\""),
        Bad("equals inside a double-byte character", "", "Doc\x81=x"),
        Bad("value ends in a lead byte", inA, "Doc=x\x81"),
        Bad("NUL in a line", inA, "Doc=a" + kNul + "b"),
        Bad("comment not at the start", "", " :comment"),
        Bad("group number 0", "", "Group0 = \"A\""),
        Bad("group number 65536", "", "Group65536 = A"),
        Bad("group defined twice", kGroup1, "Group1 = \"2@B\"", kBadGroup),
        Bad("two top-level groups of one name", kGroup1, "Group2 = \"@G\"", TQE_GROUP_NAME_TWICE),
        Bad("group under itself", "", "Group5 = \"5@X\"", kBadGroup),
        Bad("two groups under each other", "Group1 = \"2@A\"\r\n", "Group2 = \"1@B\"", kBadGroup),
        {"select-off before its group", "SelectOffGroups = 1\r\n" + kGroup1, kBad,
         Msg(1, "SelectOffGroups = 1")},
        Bad("select-off empty item", kGroup1, "SelectOffGroups = 1,,1"),
        {"family before its group", "FamilyOfGroup1 = F\r\n" + kGroup1, kBadGroup,
         Msg(1, "FamilyOfGroup1 = F")},
        Bad("family range backwards", kGroup1, "FamilyOfGroup3-2 = F", kBadGroup),
        Bad("family range to a huge id", kGroup1, "FamilyOfGroup1-2000000000 = F", kBadGroup),
        Bad("family given twice", kGroup1 + "FamilyOfGroup1 = F\r\n", "FamilyOfGroup1 = F",
            TQE_FAMILY_TWICE),
        Bad("bad family name", kGroup1, "FamilyOfGroup1 = \"a/b\"", TQE_FAMILY_NAME),
        BadInA("database in a missing group", "Group = 2", kBadGroup),
        BadInA("bad FAQ", "FAQ = SONY"),
        BadInA("indexed suffix 10", "RootPath10 = x"),
        BadInA("indexed suffix 0", "RegKey0 = x"),
        {"placeholder left", "Group2 = \"1@B\"\r\n", kBad, Msg(12)},
        {"default group missing", kGroup1 + "DefaultGroup = 7\r\n" + Section("A"), kBad, Msg(12)},
        {"no group for DefaultGroup 0", "DefaultGroup = 0\r\n" + Section("A"), kBadGroup,
         Msg(2, "A", "Group = 1")},
        {"empty database name", kGroup1 + Section(" "), TQE_DBNAME_EMPTY, Msg(13, "")},
        {"reserved name", kGroup1 + Section("Resource"), TQE_DBNAME_RESERVED, Msg(13, "Resource")},
        {"0xDF, then a colon", kGroup1 + Section("\xDF:"), TQE_DBNAME_BAD_CHAR, Msg(13, "\xDF:")},
        {"half-width katakana", kGroup1 + Section("\xB1"), TQE_DBNAME_HALF_KANA, Msg(13, "\xB1")},
        {"name of 65 bytes", kGroup1 + Section(std::string(65, 'n')), TQE_DBNAME_TOO_LONG,
         Msg(13, std::string(65, 'n'))},
        {"later duplicate is named", kGroup1 + Section("Help") + Section("X") + Section("HELP"),
         TQE_DBNAME_TWICE, Msg(14, "HELP")},
        {"database in no group", inA + "Doc = x\r\n", kBadGroup, Msg(15, "A")},
        {"no documents", inA + "Group = 1\r\n", kBad, Msg(18, "A")},
        {"only an empty document", inA + "Group = 1\r\nDoc = \"\"\r\n", kBad, Msg(18, "A")},
        {"RootOrgPath without RegKey", kGroup1 + Section("A", "RootOrgPath2 = x\r\nRegKey = k\r\n"),
         kBad, Msg(19, "A")},
        {"RegEntry without RegKey", kGroup1 + Section("A", "RegEntry = \"\"\r\n"), kBad,
         Msg(21, "A")},
        {"ExeOrgPath without ExeKey", kGroup1 + Section("A", "ExeOrgPath = x\r\n"), kBad,
         Msg(20, "A")},
        {"validation walks from the last database",
         kGroup1 + Section("B", "ExeOrgPath = x\r\n") + "[A]\r\nGroup = 1\r\n", kBad,
         Msg(18, "A")}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.m_pszName);
        CCtrlModel model;
        test::CParseResult r = ParseAndValidate(model, c.m_text);
        EXPECT_EQ(r.m_lResult, c.m_lResult);
        EXPECT_EQ(r.m_messages, std::vector<std::string>{c.m_message});
    }
    // Warnings skip the line and go on.
    CCtrlModel model;
    const std::string warned = "ForbidIndexing = 1\r\nBlankSource = maybe\r\nPublicName = P\r\n";
    auto r = ParseAndValidate(model, "QueryListFile = q\r\n" + kGroup1 + Section("A", warned));
    EXPECT_EQ(r.m_lResult, 0);
    EXPECT_EQ(r.m_messages, (std::vector<std::string>{Msg(9, "QueryListFile = q"),
                                                      Msg(10, "A", "ForbidIndexing = 1")}));
    EXPECT_EQ(model.GetDatabase(0)->m_dwAttributes, 0u);
    EXPECT_EQ(model.GetDatabase(0)->m_strPublicName, "P");
}

// Each row: a section line, a key line, and "name|public name" as read, "~" when deselected.
TEST(CtrlReaderTest, SectionLinesKeySplittingAndQuoting) {
    const std::array<std::string, 3> cases[] = {
        {"[ Two ]", "PublicName=A=B", "Two|A=B"},
        {"[Three]~  \t", "PublicName = \"", "Three|~"},
        {"[" + kHyou + "]", "  PublicName \t=  \"  x y  \"  ", kHyou + "|x y"},
        {"[A]", "publicname = \"a\"b\"", "A|a\"b"},
        {"[A]", "PublicName = \"" + kHyou + "\"", "A|" + kHyou},
        {"[A]", "PublicName = \x81=", "A|\x81="}};
    for (const auto& [section, line, expected] : cases) {
        SCOPED_TRACE(section + line);
        CCtrlModel model;
        const std::string text = kGroup1 + section + "\r\nGroup=1\r\nDoc=x\r\n" + line + "\r\n";
        ASSERT_EQ(LoadText(model, text), 0);
        const CCtrlDatabase& db = *model.GetDatabase(0);
        const uint32_t dwOff = DBSTATE_WAS_DESELECTED | DBSTATE_DESELECTED;
        EXPECT_EQ(std::string(db.m_strName) + "|" + std::string(db.m_strPublicName) +
                      (db.m_dwState == dwOff ? "~"
                       : db.m_dwState == 0   ? ""
                                             : "?"),
                  expected);
    }
}

TEST(CtrlReaderTest, GlobalKeys) {
    CCtrlModel model;
    ASSERT_EQ(LoadText(model,
                       "outputlog = \"log.txt\"\r\nSelectAllDB = no\r\nBlankSources = Yes\r\n"
                       "ADDID = true\r\nDivideNoBookmark = \"TRUE\"\r\nDefaultGroup = 2x\r\n"
                       "Group1 = \"A\"\r\nGroup 2 = \"1@B\"\r\nGroup+3 = C\r\n"
                       "SelectOffGroups = 3, 1\r\nFamilyOfGroup1-3 = \"Fam\"\r\n" +
                           Section("D")),
              0);
    EXPECT_EQ(model.GetSettings().m_dwSelectAllDisabled + model.GetSettings().m_dwBlankSources +
                  model.GetSettings().m_dwAddID + model.GetSettings().m_dwDivideNoBookmark,
              4u);
    const CCtrlGroupSet& set = model.GetGroupSet();
    EXPECT_EQ(set.GetDefault(), 2);
    EXPECT_EQ(set.GetNextId(), 4);
    EXPECT_EQ(set.FindGroup(2)->GetParent(), set.FindGroup(1));
    std::vector<int32_t> ids;
    EXPECT_EQ(set.GetSelectOffGroups(ids), 2);
    EXPECT_EQ(ids, (std::vector<int32_t>{1, 3}));
    for (int id = 1; id <= 3; ++id) {
        EXPECT_EQ(set.FindGroup(id)->GetFamily(), "Fam");
    }
    // DefaultGroup may come before its group, and 0 means none.
    EXPECT_EQ(LoadText(model, "DefaultGroup = 1\r\n" + kGroup1 + Section("A")), 0);
    EXPECT_EQ(LoadText(model, "DefaultGroup = 0\r\n"), 0);
    EXPECT_EQ(model.GetGroupSet().GetNextId(), 1);  // no groups: the first new group gets 1
}

TEST(CtrlReaderTest, DatabaseKeysAndTextRules) {
    CCtrlModel model;
    ASSERT_EQ(
        LoadText(model, kGroup1 +
                            "Group2 = \"1@Sub\"\r\n[A]\r\nGroup = 2\r\nGroup = 1\r\nGroup = 2\r\n"
                            "FAQ = vaio\r\nFAQ = NEC\r\nDoc = d1\r\nRegKey3 = k3\r\n"
                            "RegEntry2 = \"\"\r\nRegKey2 = k2\r\nExeKey = e0\r\nExePath = p0\r\n"
                            "RootOrgPath3 = o3\r\nExeOrgPath = eo\r\nBlankSource = false\r\n"
                            "BlankSource = YES\r\nDocListFile = \"\"\r\n"),
        0);
    const CCtrlDatabase& db = *model.GetDatabase(0);
    ASSERT_EQ(db.m_groups.size(), 3u);
    EXPECT_EQ(db.m_groups[0]->GetId(), 2);
    EXPECT_EQ(db.m_groups[0]->GetRefCount(), 2);
    EXPECT_EQ(db.m_groups[1]->GetRefCount(), 1);
    EXPECT_EQ(db.m_dwAttributes, DBFAQ_HITACHI | DBATTR_BLANK_TRUE | DBATTR_BLANK_FALSE);
    using V = CtrlStringList;
    EXPECT_EQ(db.m_regKey, (V{"", "", "k2", "k3"}));
    EXPECT_EQ(db.m_regEntry, (V{"", "", "\n", ""}));  // padded to the RegKey list
    EXPECT_EQ(db.m_rootOrgPath, (V{"", "", "", "o3"}));
    EXPECT_EQ(db.m_exeKey, (V{"e0"}));
    EXPECT_EQ(db.m_exeOrgPath, (V{"eo"}));
}

TEST(CtrlReaderTest, LoadChecksListFilesAndRereadsTheHeldFile) {
    test::CTempPrefix prefix;
    test::WriteLinuxFile(prefix.Path("list.txt"), "x");
    std::string strBase = test::WinPath(prefix.Path("base.ctl"));
    const std::tuple<std::string, int32_t, std::vector<std::string>> cases[] = {
        {"DocListFile = list.txt\r\n", 0, {}},
        {"DocListFile = \"missing.txt\"\r\n", TQE_DOCLIST_OPEN, {Msg(17, "A", "missing.txt")}},
        {"PDFSkipTitleFile = nope\r\nDocListFile = nope2\r\n",
         TQE_DOCLIST_OPEN,
         {Msg(16, "A", "nope")}}};
    for (const auto& [extra, lResult, messages] : cases) {
        SCOPED_TRACE(extra);
        test::WriteLinuxFile(prefix.Path("base.ctl"), kGroup1 + Section("A", extra));
        CCtrlModel model;
        CCtrlLogCollector log;
        CFile file;
        std::string strLoaded;
        CCtrlReader reader(model, &log);
        EXPECT_EQ(reader.Load(file, strBase, &strLoaded), lResult);
        EXPECT_EQ(log.GetMessages(), messages);
        EXPECT_EQ(strLoaded, strBase);
        EXPECT_TRUE(file.IsOpen());
        // The paths stay as written.
        EXPECT_TRUE(model.GetDatabase(0)->m_strDocListFile.find(':') == std::string::npos);
        if (lResult == 0) {  // the held file is read again from its start
            ASSERT_EQ(reader.Load(file, strBase), 0);
            EXPECT_EQ(model.GetDBCount(), 1u);
        }
    }
    CCtrlModel model;
    CFile file;
    std::string strLoaded = "old";
    EXPECT_EQ(
        CCtrlReader(model, nullptr).Load(file, test::WinPath(prefix.Path("none.ctl")), &strLoaded),
        TQE_BASE_OPEN);
    EXPECT_TRUE(strLoaded.empty());
    EXPECT_FALSE(file.IsOpen());
    // A bad line read from disk fails the load: no model cut short at it.
    test::WriteLinuxFile(prefix.Path("base.ctl"), kGroup1 + Section("A", "FAQ = SONY\r\n"));
    EXPECT_EQ(CCtrlReader(model, nullptr).Load(file, strBase, &strLoaded), kBad);
    EXPECT_TRUE(strLoaded.empty());
}

TEST(CtrlReaderTest, LargeFilesAreReadAndWrittenInPiecesAsIfWhole) {
    // CR LF and double-byte pairs split by pieces, a line over a piece, a late 0x1A ending.
    std::string text = kGroup1;
    for (int i = 0; i < 30000; ++i) {
        text += "[D" + std::to_string(i) + "]\r\nGroup = 1\r\nDoc = \"" + kHyou +
                std::string(static_cast<size_t>(i % 97), 'x') + "\"\r\n";
    }
    text += "[Long]\nGroup=1\nDoc=" + std::string(3u << 20, 'y') + "\n";
    text += "[Last]\r\nGroup=1\r\nDoc=z";  // no line end
    test::CTempPrefix prefix;
    for (const std::string& tail : {std::string(), std::string("\x1A[broken")}) {
        test::WriteLinuxFile(prefix.Path("big.ctl"), text + tail);
        CCtrlModel fromFile;
        CFile file;
        ASSERT_EQ(CCtrlReader(fromFile, nullptr).Load(file, test::WinPath(prefix.Path("big.ctl"))),
                  0);
        CCtrlModel inMemory;
        ASSERT_EQ(LoadText(inMemory, text), 0);
        EXPECT_EQ(CCtrlWriter(fromFile).Render(false), CCtrlWriter(inMemory).Render(false));
        EXPECT_EQ(fromFile.GetDBCount(), 30002u);
        EXPECT_EQ(fromFile.GetDatabase(30000)->m_docs[0].size(), 3u << 20);
        EXPECT_EQ(fromFile.GetDatabase(30001)->m_docs[0], "z");
    }
    CCtrlModel model;
    ASSERT_EQ(LoadText(model, text), 0);
    ASSERT_EQ(CCtrlWriter(model).Write(test::WinPath(prefix.Path("new.ctl")), true), 0);
    EXPECT_EQ(test::ReadLinuxFile(prefix.Path("new.ctl")), CCtrlWriter(model).Render(true));
}

// 65,535 groups, each under the one before it: read, written, freed without recursion.
TEST(CtrlReaderTest, DeepGroupTree) {
    std::string text;
    for (int id = 1; id <= 65535; ++id) {
        text += "Group" + std::to_string(id) + " = \"" +
                (id > 1 ? std::to_string(id - 1) + "@" : "") + "g\"\n";
    }
    CCtrlModel model;
    ASSERT_EQ(LoadText(model, text + "[A]\nGroup=65535\nDoc=x\n"), 0);
    CCtrlModel again;
    EXPECT_EQ(LoadText(again, CCtrlWriter(model).Render(true)), 0);
    EXPECT_EQ(again.GetGroupSet().GetGroupCount(), 65535);
}

class CtrlLogFileFileTest : public ::testing::Test {
protected:
    std::string Log() const { return test::ReadLinuxFile(m_prefix.Path("log.txt")); }
    test::CTempPrefix m_prefix;
    const std::string m_strLog = test::WinPath(m_prefix.Path("log.txt"));
};

TEST_F(CtrlLogFileFileTest, StartLineMessagesAndClose) {
    CCtrlLogFile log;
    std::string line = "Doc=x";
    EXPECT_EQ(log.Message(IDS_LOG_BAD_LINE, &line), 0);  // not started: nothing written
    EXPECT_EQ(log.Start(""), 0);
    EXPECT_FALSE(log.IsEnabled());
    ASSERT_EQ(log.Start(m_strLog), 0);
    EXPECT_EQ(log.Message(IDS_LOG_BAD_LINE, &line), 1);
    // Each message is on the disk at once.
    std::string text = Log();
    std::regex start("OutputLogStart \\d{4}/\\d{1,2}/\\d{1,2} \\d{1,2}:\\d{1,2}:\\d{1,2}\r\n\r\n");
    std::smatch m;
    ASSERT_TRUE(std::regex_search(text, m, start)) << text;
    EXPECT_EQ(m.position(0), 0);
    EXPECT_EQ(text.substr(m.length(0)), FormatLogMessage(IDS_LOG_BAD_LINE, &line) + "\r\n");
    EXPECT_EQ(FormatLogMessage(IDS_LOG_BAD_LINE_IN, &line, &line).find('%'), std::string::npos);
    EXPECT_EQ(CCtrlLogCollector().Message(9999), 0);  // no such message: nothing kept
    // The log denies other writers while it is open.
    CFile other;
    EXPECT_NE(
        other.Open(m_strLog, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING), 0);
    log.Close();
    EXPECT_FALSE(log.IsEnabled());
    EXPECT_EQ(log.Message(IDS_LOG_BAD_LINE, &line), 0);
}

TEST_F(CtrlLogFileFileTest, TheReaderLogsFromTheOutputLogLineOnAndClosesAtTheEnd) {
    test::WriteLinuxFile(m_prefix.Path("base.ctl"),
                         "Unknown1 = a\r\nOutputLog = \"" + m_strLog +
                             "\"\r\nUnknown2 = b\r\nGroup1=G\r\n[A]\r\nGroup=1\r\n");
    CCtrlModel model;
    CCtrlLogFile log;
    CFile file;
    EXPECT_EQ(CCtrlReader(model, &log).Load(file, test::WinPath(m_prefix.Path("base.ctl"))),
              TQE_BASE_INVALID);
    EXPECT_FALSE(log.IsEnabled());
    std::string text = Log();
    EXPECT_EQ(text.substr(text.find("\r\n\r\n") + 4), test::Msg(IDS_LOG_SKIPPED, "Unknown2 = b") +
                                                          "\r\n" + test::Msg(IDS_LOG_NO_DOCS, "A") +
                                                          "\r\n");
}

}  // namespace
}  // namespace tq
