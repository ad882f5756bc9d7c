#include "controlfile/CtrlWriter.h"

#include <gtest/gtest.h>

#include <regex>

#include "../../fuzz/ReaderOracle.h"
#include "CtrlTestUtil.h"
#include "platform/Faults.h"
#include "platform/File.h"
#include "platform/Win32Error.h"
#include "resources/ErrorCodes.h"

namespace tq {
namespace {

using fuzz::LoadText;

const std::string kSample =
    "OutputLog = log.txt\r\nSelectAllDB = NO\r\nBlankSources = yes\r\nAddID = yes\r\n"
    "DivideNoBookmark = TRUE\r\n"
    "Group1 = \"Top\"\r\nGroup2 = \"1@Sub\"\r\nGroup3 = \"Unused\"\r\nGroup4 = \"1@Sub2\"\r\n"
    "FamilyOfGroup1-2 = \"Fam\"\r\nFamilyOfGroup4 = \"fam\"\r\nDefaultGroup = 4\r\n"
    "SelectOffGroups = 4,2\r\n"
    "QueryListFile = dropped\r\n"
    "[Fixed]\r\nPublicName = Fixed DB\r\nGroup = 2\r\nFAQ = NEC\r\nBlankSource = NO\r\n"
    "Doc = \"a.chm\"\r\nSkipDoc = s\r\nRootPath3 = r3\r\nRegKey = k0\r\nRegEntry = \"\"\r\n"
    "RegKey3 = k3\r\nRegEntry3 = \"\"\r\nDate = 2004/3/15 14:05:09\r\n"
    "###\r\n[Sel]~\r\nGroup = 4\r\nFAQ = vaio\r\nDoc = x\r\n"
    "###\r\n[Free]\r\nGroup = 1\r\nGroup = 1\r\nDoc = y\r\nDate = 13/1/2004 1:1:1\r\n";

TEST(CtrlWriterTest, BothFormsByteForByte) {
    CCtrlModel model;
    ASSERT_EQ(LoadText(model, kSample), 0);
    const std::string header =
        ":*** Trellisquest ControlFile ***\r\nOutputLog = \"log.txt\"\r\nSelectAllDB = Disable\r\n"
        "BlankSources = TRUE\r\nAddID = TRUE\r\nDivideNoBookmark = TRUE\r\n"
        "\r\n:--- Group Information ---\r\n";
    const std::string fixed =
        "\r\n:--- Database Information ---\r\n"
        "[Fixed]\r\nPublicName = \"Fixed DB\"\r\nGroup = 2\r\nFAQ = \"NEC\"\r\n"
        "BlankSource = FALSE\r\nDoc = \"a.chm\"\r\nSkipDoc = \"s\"\r\nRootPath3 = \"r3\"\r\n"
        "RegKey = \"k0\"\r\nRegKey3 = \"k3\"\r\nRegEntry = \"\"\r\nRegEntry3 = \"\"\r\n"
        "Date = \"3/15/2004 14:5:9\"\r\n\r\n";
    const std::string free = "[Free]\r\nGroup = 1\r\nGroup = 1\r\nDoc = \"y\"\r\n\r\n\r\n";
    // The builder's form keeps the group ids and leaves the deselected databases out.
    EXPECT_EQ(
        CCtrlWriter(model).Render(false),
        header + "Group1 = \"Top\"\r\nGroup2 = \"1@Sub\"\r\nGroup3 = \"Unused\"\r\n" +
            "Group4 = \"1@Sub2\"\r\nFamilyOfGroup1-2 = \"Fam\"\r\nFamilyOfGroup4 = \"fam\"\r\n"
            "DefaultGroup = 4\r\nSelectOffGroups = 2,4\r\n" +
            fixed + free);
    EXPECT_EQ(CCtrlWriter(model).Render(true),
              header +
                  "Group1 = \"Top\"\r\nGroup2 = \"1@Sub\"\r\nGroup3 = \"1@Sub2\"\r\n"
                  "FamilyOfGroup1-3 = \"fam\"\r\nDefaultGroup = 3\r\nSelectOffGroups = 2,3\r\n" +
                  fixed +
                  "\r\n### Selection Type Databases ###\r\n[Sel]~\r\nGroup = 3\r\n"
                  "FAQ = \"VAIO\"\r\nDoc = \"x\"\r\n"
                  "\r\n\r\n### Free Type Databases ###\r\n" +
                  free);
}

// The kinds the separators give; separator lines are written only before a database.
TEST(CtrlWriterTest, SeparatorsGiveTheKindsAndAreWrittenOnlyBeforeADatabase) {
    int nNext = 0;
    auto dbs = [&nNext](int n) {
        std::string s;
        for (int i = 0; i < n; ++i) {
            s += "[D" + std::to_string(nNext++) + "]\r\nGroup=1\r\nDoc=x\r\n";
        }
        return s;
    };
    const std::string sel = "\r\n### Selection Type Databases ###\r\n";
    const std::string free = "### Free Type Databases ###\r\n";
    // The text, and the database part written for it, each database shown as "D".
    const std::pair<std::string, std::string> cases[] = {
        {"###\r\n" + dbs(2), sel + "DD\r\n"},
        {dbs(1) + "###\r\n" + dbs(2) + "###\r\n", "D" + sel + "DD\r\n"},
        {dbs(1) + "### Selection Type Databases ###\r\n" + dbs(1) + "###   \r\n" + dbs(1) +
             "###\r\n" + dbs(1),  // a third separator changes nothing
         "D" + sel + "D\r\n" + free + "DD\r\n"},
        {"###x\r\n" + dbs(1), sel + "D\r\n"}};
    const std::regex database("\\[D\\d+\\]\r\nGroup = 1\r\nDoc = \"x\"\r\n\r\n");
    for (const auto& [text, databases] : cases) {
        SCOPED_TRACE(text);
        CCtrlModel model;
        ASSERT_EQ(LoadText(model, "Group1=G\r\n" + text), 0);
        std::string out = CCtrlWriter(model).Render(true);
        out = std::regex_replace(out.substr(out.find("Database Information ---\r\n") + 26),
                                 database, "D");
        EXPECT_EQ(out, databases);
        EXPECT_EQ(CCtrlWriter(model).Render(false).find("###"), std::string::npos);
    }
}

TEST(CtrlWriterTest, TopLevelNamesThatWouldReadBackOtherwiseAreMarked) {
    CCtrlModel model;
    ASSERT_EQ(LoadText(model,
                       "Group1 = \"@12@x\"\r\nGroup2 = \"@@y\"\r\nGroup3 = \"@ z\"\r\n"
                       "Group4 = \"1@ w\"\r\nGroup5 = \"1x@v\"\r\nGroup12 = \"A\"\r\n"
                       "[D]\r\nDoc=x\r\nGroup=1\r\nGroup=2\r\nGroup=3\r\nGroup=4\r\n"
                       "Group=5\r\nGroup=12\r\n"),
              0);
    EXPECT_EQ(model.GetGroupSet().FindGroup(1)->GetName(), "12@x");
    std::string out = CCtrlWriter(model).Render(true);
    EXPECT_NE(out.find("Group1 = \"@12@x\"\r\nGroup2 = \"1@ w\"\r\nGroup3 = \"@@y\"\r\n"
                       "Group4 = \"@ z\"\r\nGroup5 = \"1x@v\"\r\nGroup6 = \"A\"\r\n"),
              std::string::npos)
        << out;
    CCtrlModel again;
    ASSERT_EQ(LoadText(again, out), 0);
    EXPECT_TRUE(again.GetGroupSet().Equals(model.GetGroupSet()));
}

TEST(CtrlWriterFileTest, HeldFileIsClosedForTheRenameAndOpenedAgainOrLeftAfterAFailure) {
    test::CTempPrefix prefix;
    CCtrlModel model;
    ASSERT_EQ(LoadText(model, kSample), 0);
    const std::string strTarget = test::WinPath(prefix.Path("base.ctl"));
    auto target = [&prefix] { return test::ReadLinuxFile(prefix.Path("base.ctl")); };
    test::WriteLinuxFile(prefix.Path("base.ctl"), "old");
    CFile held;  // the target, open without delete sharing
    ASSERT_EQ(held.Open(strTarget, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING), 0);
    auto write = [&] { return CCtrlWriter(model).Write(strTarget, true, &held); };
    std::string expected = CCtrlWriter(model).Render(true);
    EXPECT_EQ(write(), 0);
    ASSERT_TRUE(held.IsOpen());
    EXPECT_FALSE(test::LinuxFileExists(prefix.Path("base.ctl.NEW")));
    std::string text(expected.size() + 1, '\0');
    uint32_t cbRead = 0;
    ASSERT_EQ(held.Read(text.data(), static_cast<uint32_t>(text.size()), cbRead), 0);
    EXPECT_EQ(text.substr(0, cbRead), expected);
    // Other writers stay locked out.
    CFile writer;
    EXPECT_EQ(
        writer.Open(strTarget, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING),
        ERROR_SHARING_VIOLATION);
    // A failed rename keeps the old file held; a failed reopen leaves it closed.
    held.Close();  // (no writer gets past the held file, also not this test's)
    test::WriteLinuxFile(prefix.Path("base.ctl"), "old");
    ASSERT_EQ(held.Open(strTarget, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING), 0);
    SetFaultHook([](const char* pszCall, const std::string&) {
        return std::string(pszCall) == "rename" ? ERROR_SHARING_VIOLATION : 0;
    });
    EXPECT_EQ(write(), TQE_BASE_UPDATE);
    EXPECT_TRUE(held.IsOpen());
    EXPECT_EQ(target(), "old");
    SetFaultHook([&strTarget](const char* pszCall, const std::string& strPath) {
        return std::string(pszCall) == "open" && strPath == strTarget ? ERROR_ACCESS_DENIED : 0;
    });
    EXPECT_EQ(write(), TQE_BASE_OPEN);
    SetFaultHook(nullptr);
    EXPECT_FALSE(held.IsOpen());
    EXPECT_EQ(target(), CCtrlWriter(model).Render(true));
}

// The reader's fuzz corpus: each form is written back byte for byte.
TEST(CtrlWriterRoundTripTest, CorpusFilesAreWrittenBackByteForByte) {
    const std::vector<test::CCorpusFile> files = test::ReadCorpus("reader");
    EXPECT_GT(files.size(), 10u);
    for (const auto& file : files) {
        EXPECT_EQ(fuzz::CheckReader(file.m_strBytes), "") << file.m_strName;
    }
}

}  // namespace
}  // namespace tq
