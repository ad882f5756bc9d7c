#include "controlfile/CtrlWriter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <regex>

#include "../../fuzz/ReaderOracle.h"
#include "CtrlTestUtil.h"
#include "controlfile/CtrlDate.h"
#include "platform/File.h"
#include "platform/Win32Error.h"
#include "resources/ErrorCodes.h"

namespace tq {
namespace {

using test::ParseAndValidate;

const std::string kSample =
    "OutputLog = log.txt\r\nSelectAllDB = NO\r\nBlankSources = yes\r\nAddID = yes\r\n"
    "DivideNoBookmark = TRUE\r\n"
    "Group1 = \"Top\"\r\nGroup2 = \"1@Sub\"\r\nGroup3 = \"Unused\"\r\nGroup4 = \"1@Sub2\"\r\n"
    "FamilyOfGroup1-2 = \"Fam\"\r\nFamilyOfGroup4 = \"fam\"\r\nDefaultGroup = 4\r\n"
    "SelectOffGroups = 4,2\r\n"
    "QueryListFile = dropped\r\n"
    "[Fixed]\r\nPublicName = Fixed DB\r\nGroup = 2\r\nFAQ = NEC\r\nBlankSource = NO\r\n"
    "Doc = \"a.chm\"\r\nSkipDoc = s\r\nRootPath3 = r3\r\nRegKey = k0\r\nRegEntry = \"\"\r\n"
    "RegKey3 = k3\r\nDate = 2004/3/15 14:05:09\r\n"
    "###\r\n[Sel]~\r\nGroup = 4\r\nDoc = x\r\n"
    "###\r\n[Free]\r\nGroup = 1\r\nGroup = 1\r\nDoc = y\r\nDate = 13/1/2004 1:1:1\r\n";

TEST(CtrlWriterTest, BothFormsByteForByte) {
    CCtrlModel model;
    ASSERT_EQ(ParseAndValidate(model, kSample).m_lResult, 0);
    const std::string header =
        ":*** Trellisquest ControlFile ***\r\nOutputLog = \"log.txt\"\r\n"
        "SelectAllDB = Disable\r\nBlankSources = TRUE\r\nAddID = TRUE\r\nDivideNoBookmark = "
        "TRUE\r\n"
        "\r\n:--- Group Information ---\r\n";
    const std::string fixed =
        "\r\n:--- Database Information ---\r\n"
        "[Fixed]\r\nPublicName = \"Fixed DB\"\r\nGroup = 2\r\nFAQ = \"NEC\"\r\n"
        "BlankSource = FALSE\r\nDoc = \"a.chm\"\r\nSkipDoc = \"s\"\r\nRootPath3 = \"r3\"\r\n"
        "RegKey = \"k0\"\r\nRegKey3 = \"k3\"\r\nRegEntry = \"\"\r\n"
        "Date = \"3/15/2004 14:5:9\"\r\n\r\n";
    const std::string free = "[Free]\r\nGroup = 1\r\nGroup = 1\r\nDoc = \"y\"\r\n\r\n\r\n";
    // The builder's form keeps the group ids and leaves the deselected databases out.
    EXPECT_EQ(
        CCtrlWriter(model).Render(false),
        header +
            "Group1 = \"Top\"\r\nGroup2 = \"1@Sub\"\r\nGroup3 = \"Unused\"\r\n"
            "Group4 = \"1@Sub2\"\r\nFamilyOfGroup1-2 = \"Fam\"\r\nFamilyOfGroup4 = \"fam\"\r\n"
            "DefaultGroup = 4\r\nSelectOffGroups = 2,4\r\n" +
            fixed + free);
    EXPECT_EQ(CCtrlWriter(model).Render(true),
              header +
                  "Group1 = \"Top\"\r\nGroup2 = \"1@Sub\"\r\nGroup3 = \"1@Sub2\"\r\n"
                  "FamilyOfGroup1-3 = \"fam\"\r\nDefaultGroup = 3\r\nSelectOffGroups = 2,3\r\n" +
                  fixed +
                  "\r\n### Selection Type Databases ###\r\n[Sel]~\r\nGroup = 3\r\nDoc = \"x\"\r\n"
                  "\r\n\r\n### Free Type Databases ###\r\n" +
                  free);
    CCtrlModel empty;
    EXPECT_EQ(CCtrlWriter(empty).Render(true),
              ":*** Trellisquest ControlFile ***\r\n\r\n:--- Group Information ---\r\n"
              "\r\n:--- Database Information ---\r\n\r\n");
}

// The kinds the separators give, as the writer shows them: separator lines only before a
// database.
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
    struct {
        std::string m_text;
        std::string m_databases;  // the database part, each database shown as "D"
    } cases[] = {{dbs(2), "DD\r\n"},
                 {"###\r\n" + dbs(2), sel + "DD\r\n"},
                 {dbs(1) + "###\r\n" + dbs(2) + "###\r\n", "D" + sel + "DD\r\n"},
                 {dbs(1) + "###\r\n###\r\n" + dbs(1), "D" + sel + free + "D\r\n"},
                 {"###\r\n" + dbs(1) + "###\r\n" + dbs(1), sel + "D\r\n" + free + "D\r\n"},
                 {dbs(1) + "### Selection Type Databases ###\r\n" + dbs(1) + "###   \r\n" + dbs(1) +
                      "###\r\n" + dbs(1),  // a third separator changes nothing
                  "D" + sel + "D\r\n" + free + "DD\r\n"},
                 {"###\r\n###\r\n" + dbs(1), sel + free + "D\r\n"},
                 {"###x\r\n" + dbs(1), sel + "D\r\n"}};
    const std::regex database("\\[D\\d+\\]\r\nGroup = 1\r\nDoc = \"x\"\r\n\r\n");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.m_text);
        CCtrlModel model;
        ASSERT_EQ(ParseAndValidate(model, "Group1=G\r\n" + c.m_text).m_lResult, 0);
        std::string out = CCtrlWriter(model).Render(true);
        out = std::regex_replace(out.substr(out.find("Database Information ---\r\n") + 26),
                                 database, "D");
        EXPECT_EQ(out, c.m_databases);
        EXPECT_EQ(CCtrlWriter(model).Render(false).find("###"), std::string::npos);
    }
}

TEST(CtrlWriterTest, FamilyRuns) {
    struct {
        std::string m_families;
        std::string m_expected;
    } cases[] = {{"FamilyOfGroup3-5 = Manuals\r\n", "FamilyOfGroup3-5 = \"Manuals\"\r\n"},
                 {"FamilyOfGroup2 = M\r\nFamilyOfGroup4 = M\r\n",
                  "FamilyOfGroup2 = \"M\"\r\nFamilyOfGroup4 = \"M\"\r\n"},
                 {"FamilyOfGroup1-2 = A\r\nFamilyOfGroup3-4 = B\r\n",
                  "FamilyOfGroup1-2 = \"A\"\r\nFamilyOfGroup3-4 = \"B\"\r\n"},
                 {"FamilyOfGroup1-6 = A\r\n", "FamilyOfGroup1-6 = \"A\"\r\n"}};
    std::string groups;
    std::string section = "[D]\r\nDoc=x\r\n";
    for (int id = 1; id <= 6; ++id) {
        groups += "Group" + std::to_string(id) + " = g" + std::to_string(id) + "\r\n";
        section += "Group = " + std::to_string(id) + "\r\n";
    }
    for (const auto& c : cases) {
        SCOPED_TRACE(c.m_families);
        CCtrlModel model;
        ASSERT_EQ(ParseAndValidate(model, groups + c.m_families + section).m_lResult, 0);
        std::string out = CCtrlWriter(model).Render(true);
        size_t start = out.find("FamilyOfGroup");
        size_t end = out.find("\r\n\r\n:--- Database");
        EXPECT_EQ(out.substr(start, end + 2 - start), c.m_expected);
    }
}

TEST(CtrlWriterTest, UnusedGroupIsDroppedAndLaterIdsMoveDown) {
    CCtrlModel model;
    ASSERT_EQ(ParseAndValidate(model,
                               "Group1=A\r\nGroup2=B\r\nGroup3=C\r\nDefaultGroup=2\r\n"
                               "SelectOffGroups=2\r\nFamilyOfGroup2=F\r\n"
                               "[D]\r\nGroup=3\r\nGroup=1\r\nDoc=x\r\n")
                  .m_lResult,
              0);
    std::string out = CCtrlWriter(model).Render(true);
    const size_t start = out.find("Group Information ---\r\n") + 23;
    EXPECT_EQ(out.substr(start, out.find("[D]") - start),
              "Group1 = \"A\"\r\nGroup2 = \"C\"\r\n\r\n:--- Database Information ---\r\n");
    EXPECT_NE(out.find("[D]\r\nGroup = 2\r\nGroup = 1\r\n"), std::string::npos) << out;
    EXPECT_EQ(model.m_groupSet.GetDefault(), -1);
}

TEST(CtrlWriterTest, TopLevelNamesThatWouldReadBackOtherwiseAreMarked) {
    CCtrlModel model;
    ASSERT_EQ(ParseAndValidate(model,
                               "Group1 = \"@12@x\"\r\nGroup2 = \"@@y\"\r\n"
                               "Group3 = \"@ z\"\r\nGroup4 = \"1@ w\"\r\n"
                               "Group5 = \"1x@v\"\r\nGroup12 = \"A\"\r\n"
                               "[D]\r\nDoc=x\r\nGroup=1\r\nGroup=2\r\nGroup=3\r\n"
                               "Group=4\r\nGroup=5\r\nGroup=12\r\n")
                  .m_lResult,
              0);
    EXPECT_EQ(model.m_groupSet.FindGroup(1)->GetName(), "12@x");
    std::string out = CCtrlWriter(model).Render(true);
    EXPECT_NE(out.find("Group1 = \"@12@x\"\r\nGroup2 = \"1@ w\"\r\nGroup3 = \"@@y\"\r\n"
                       "Group4 = \"@ z\"\r\nGroup5 = \"1x@v\"\r\nGroup6 = \"A\"\r\n"),
              std::string::npos)
        << out;
    CCtrlModel again;
    ASSERT_EQ(ParseAndValidate(again, out).m_lResult, 0);
    EXPECT_TRUE(again.m_groupSet.Equals(model.m_groupSet));
}

// ---- Replacing the file -------------------------------------------------------------------

class CtrlWriterFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(ParseAndValidate(m_model, kSample).m_lResult, 0);
        test::WriteLinuxFile(m_prefix.Path("base.ctl"), "old");
        ASSERT_EQ(m_held.Open(m_strTarget, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING), 0);
    }
    void TearDown() override { SetFileFaultHook(nullptr); }
    std::string Target() const { return test::ReadLinuxFile(m_prefix.Path("base.ctl")); }
    int32_t Write(CFile* pHeld = nullptr) {
        return CCtrlWriter(m_model).Write(m_strTarget, true, pHeld);
    }

    test::CTempPrefix m_prefix;
    CCtrlModel m_model;
    std::string m_strTarget = test::WinPath(m_prefix.Path("base.ctl"));
    CFile m_held;  // the target, open without delete sharing
};

TEST_F(CtrlWriterFileTest, ReplacesTheTargetAndLeavesNoNewFile) {
    m_held.Close();
    EXPECT_EQ(CCtrlWriter(m_model).Write(m_strTarget, false), 0);
    EXPECT_EQ(Target(), CCtrlWriter(m_model).Render(false));
    EXPECT_FALSE(test::LinuxFileExists(m_prefix.Path("base.ctl.NEW")));
}

TEST_F(CtrlWriterFileTest, EveryFailureKeepsTheOldFile) {
    // Held without delete sharing by someone else: the new file stays beside the target.
    EXPECT_EQ(Write(), TQE_BASE_UPDATE);
    EXPECT_EQ(Target(), "old");
    EXPECT_TRUE(test::LinuxFileExists(m_prefix.Path("base.ctl.NEW")));
    m_held.Close();
    for (const char* pszOp : {"open", "write", "flush", "close", "rename"}) {
        SCOPED_TRACE(pszOp);
        std::string op = pszOp;
        SetFileFaultHook([op](const char* pszCall, const std::string& strPath) {
            return op == pszCall && (strPath.ends_with(".NEW") || op == "rename") ? ERROR_DISK_FULL
                                                                                  : 0;
        });
        EXPECT_EQ(Write(), TQE_BASE_UPDATE);
        SetFileFaultHook(nullptr);
        EXPECT_EQ(Target(), "old");
    }
    CFile locker;
    ASSERT_EQ(locker.Open(m_strTarget + ".NEW", GENERIC_WRITE, FILE_SHARE_READ, CREATE_ALWAYS), 0);
    EXPECT_EQ(Write(), TQE_BASE_UPDATE);
    EXPECT_EQ(Target(), "old");
}

TEST_F(CtrlWriterFileTest, HeldFileIsClosedForTheRenameAndOpenedAgain) {
    std::string expected = CCtrlWriter(m_model).Render(true);
    EXPECT_EQ(Write(&m_held), 0);
    ASSERT_TRUE(m_held.IsOpen());
    std::string text(expected.size() + 1, '\0');
    uint32_t cbRead = 0;
    ASSERT_EQ(m_held.Read(text.data(), static_cast<uint32_t>(text.size()), cbRead), 0);
    EXPECT_EQ(text.substr(0, cbRead), expected);
    // Other writers stay locked out.
    CFile writer;
    EXPECT_EQ(
        writer.Open(m_strTarget, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING),
        ERROR_SHARING_VIOLATION);
}

TEST_F(CtrlWriterFileTest, HeldFileAfterAFailedRenameOrReopen) {
    SetFileFaultHook([](const char* pszCall, const std::string&) {
        return std::string(pszCall) == "rename" ? ERROR_SHARING_VIOLATION : 0;
    });
    EXPECT_EQ(Write(&m_held), TQE_BASE_UPDATE);
    EXPECT_TRUE(m_held.IsOpen());
    EXPECT_EQ(Target(), "old");
    std::string target = m_strTarget;
    SetFileFaultHook([target](const char* pszCall, const std::string& strPath) {
        return std::string(pszCall) == "open" && strPath == target ? ERROR_ACCESS_DENIED : 0;
    });
    EXPECT_EQ(Write(&m_held), TQE_BASE_OPEN);
    SetFileFaultHook(nullptr);
    EXPECT_FALSE(m_held.IsOpen());
    EXPECT_EQ(Target(), CCtrlWriter(m_model).Render(true));
}

// ---- Round trips ----------------------------------------------------------------------------

// Generates a valid control file with random groups, databases and values, written the way
// people write them (any case, quoted or not, comments, lines the writer drops).
class CFileGenerator {
public:
    explicit CFileGenerator(uint32_t seed) : m_seed(seed) {}

    std::string Generate() {
        std::string t = ":hand-written\r\n";
        t += Next(2) ? "outputlog = " + Value() + "\r\n" : "";
        t += Next(2) ? "SelectAllDB = no\r\n" : "";
        t += Next(2) ? "blanksources = Yes\r\n" : "";
        t += Next(2) ? "AddID = TRUE\r\n" : "";
        t += Next(2) ? "DivideNoBookmark = yes\r\n" : "";
        const int nGroups = static_cast<int>(Next(12));
        for (int id = 1; id <= nGroups; ++id) {
            int parent = id > 1 && Next(2) ? static_cast<int>(1 + Next(id - 1)) : 0;
            t += "Group" + N(id) + " = \"" + (parent ? N(parent) + "@" : "") + "g" + N(id) +
                 Word() + "\"\r\n";
        }
        for (int id = 1; id <= nGroups; ++id) {
            if (Next(4) == 0) {
                int last = std::min(nGroups, id + static_cast<int>(Next(3)));
                t += "FamilyOfGroup" + N(id) + "-" + N(last) + " = fam" + N(Next(2)) + "\r\n";
                id = last;
            }
        }
        if (nGroups > 0 && Next(2)) {
            t += "DefaultGroup = " + N(1 + Next(nGroups)) + "\r\n";
            t += "SelectOffGroups = " + N(1 + Next(nGroups)) + "\r\n";
        }
        for (int i = 0, nDbs = static_cast<int>(Next(8)), nSeparators = 0; i < nDbs; ++i) {
            if (nSeparators < 2 && Next(4) == 0) {
                t += "###\r\n";
                ++nSeparators;
            }
            t += "[db" + N(i) + Word() + (Next(3) == 0 ? "]~\r\n" : "]\r\n");
            t += Next(2) ? "PublicName = " + Value() + "\r\n" : "";
            for (uint32_t g = 0, n = 1 + Next(3); g < n; ++g) {
                t += "group = " + N(nGroups > 0 ? 1 + Next(nGroups) : 1) + "\r\n";
            }
            for (uint32_t d = 0, n = 1 + Next(3); d < n; ++d) {
                t += "Doc = " + Value() + "\r\n";
            }
            t += Next(2) ? "SkipDoc = " + Value() + "\r\n" : "";
            t += Next(3) == 0 ? "FAQ = " + std::string(Next(2) ? "vaio" : "Hitachi") + "\r\n" : "";
            t += Next(3) == 0 ? "BlankSource = " + std::string(Next(2) ? "no" : "True") + "\r\n"
                              : "";
            for (const std::string key : {"Reg", "Exe"}) {
                if (Next(2)) {
                    std::string slot = Next(2) ? N(1 + Next(9)) : "";
                    t += key + "Key" + slot + " = " + Value() + "\r\n";
                    t +=
                        (key == "Reg" ? "Root" : key) + "OrgPath" + slot + " = " + Value() + "\r\n";
                    t += key == "Reg"
                             ? "RegEntry" + slot + " = " + (Next(2) ? "\"\"" : Value()) + "\r\n"
                             : "";
                }
            }
            if (uint32_t n = Next(11); n < 10) {
                t += "RootPath" + (n ? N(n) : "") + " = " + Value() + "\r\n";
            }
            t += Next(2) ? "Date = " + N(1 + Next(12)) + "/" + N(1 + Next(28)) + "/" +
                               N(1890 + Next(200)) + " " + N(Next(24)) + ":" + N(Next(60)) + ":" +
                               N(Next(60)) + "\r\n"
                         : "";
            t += Next(4) == 0 ? "QueryListFile = dropped\r\n" : "";
        }
        return nGroups == 0 ? "Group1 = only\r\n" + t : t;
    }

private:
    static std::string N(uint32_t n) { return std::to_string(n); }
    static std::string N(int n) { return std::to_string(n); }
    uint32_t Next(uint32_t n) {
        m_seed = m_seed * 1103515245u + 12345u;
        return (m_seed >> 8) % n;
    }
    // Pieces of names and values: ASCII, double-byte characters whose second byte is a
    // backslash or a letter, inner quotes and blanks.
    std::string Word() {
        static const char* const kPieces[] = {"a",        "Z",  "\x95\x5C", "\x83\x41",
                                              "\x82\x61", " x", "_1"};
        std::string s;
        for (uint32_t i = 0, n = Next(3); i < n; ++i) {
            s += kPieces[Next(7)];
        }
        return s;
    }
    std::string Value() {
        std::string core = "v" + Word() + (Next(5) == 0 ? "\"q\"" : "") + Word();
        const uint32_t quoting = Next(3);
        return quoting == 0 ? core : quoting == 1 ? "\"" + core + "\"" : "\" " + core + " \"";
    }

    uint32_t m_seed;
};

// The path of group names from the top, which survives renumbering.
std::string GroupPath(const CCtrlGroup* g) {
    std::string s;
    for (; g != nullptr && g->GetId() > 0; g = g->GetParent()) {
        s = g->GetName() + "/" + s;
    }
    return s;
}

template <class T, class... F>
void ExpectSameFields(const T& x, const T& y, F T::*... fields) {
    auto same = [](const auto& a, const auto& b) { EXPECT_EQ(b, a); };
    (same(x.*fields, y.*fields), ...);
}

// What a model written in full form and read again must keep.
void ExpectKeptByTheFullForm(CCtrlModel& a) {
    const CCtrlGroup* pDefault = a.m_groupSet.FindGroup(a.m_groupSet.GetDefault());
    std::string strDefault =
        pDefault != nullptr && CCtrlGroupSet::IsInUse(pDefault) ? GroupPath(pDefault) : "";
    CCtrlModel b;
    ASSERT_EQ(ParseAndValidate(b, CCtrlWriter(a).Render(true)).m_lResult, 0);
    using M = CCtrlModel;
    ExpectSameFields(a, b, &M::m_strOutputLog, &M::m_dwSelectAllDisabled, &M::m_dwBlankSources,
                     &M::m_dwAddID, &M::m_dwDivideNoBookmark, &M::m_nFixedCount,
                     &M::m_nSelectionCount, &M::m_nFreeCount);
    // Only groups in use survive; the default follows its group or becomes none.
    const CCtrlGroup* pDefaultAfter = b.m_groupSet.FindGroup(b.m_groupSet.GetDefault());
    EXPECT_EQ(pDefaultAfter != nullptr ? GroupPath(pDefaultAfter) : "", strDefault);
    EXPECT_TRUE(b.m_groupSet.Equals(a.m_groupSet));
    ASSERT_EQ(b.GetDBCount(), a.GetDBCount());
    for (size_t i = 0; i < a.GetDBCount(); ++i) {
        const CCtrlDatabase& x = *a.GetDatabase(i);
        const CCtrlDatabase& y = *b.GetDatabase(i);
        using D = CCtrlDatabase;
        ExpectSameFields(x, y, &D::m_strName, &D::m_strPublicName, &D::m_docs, &D::m_skipDocs,
                         &D::m_regKey, &D::m_regEntry, &D::m_exeKey, &D::m_rootPath, &D::m_exePath,
                         &D::m_rootOrgPath, &D::m_exeOrgPath, &D::m_dwState);
        uint32_t dwBlank = x.m_dwAttributes & DBATTR_BLANK_TRUE
                               ? DBATTR_BLANK_TRUE
                               : x.m_dwAttributes & DBATTR_BLANK_FALSE;
        EXPECT_EQ(y.m_dwAttributes, (x.m_dwAttributes & DBATTR_FAQ_MASK) | dwBlank);
        EXPECT_EQ(y.m_date.IsWritable(), x.m_date.IsWritable());
        if (x.m_date.IsWritable()) {
            EXPECT_EQ(FormatCtrlDate(y.m_date), FormatCtrlDate(x.m_date));
        }
        ASSERT_EQ(y.m_groups.size(), x.m_groups.size());
        for (size_t g = 0; g < x.m_groups.size(); ++g) {
            EXPECT_EQ(GroupPath(y.m_groups[g]), GroupPath(x.m_groups[g]));
            EXPECT_EQ(y.m_groups[g]->GetFamily(), x.m_groups[g]->GetFamily());
            EXPECT_EQ(y.m_groups[g]->IsSelectOff(), x.m_groups[g]->IsSelectOff());
        }
    }
}

// The reader's fuzz corpus and generated files: each form is written back byte for byte, and
// the full form keeps the model of a generated file.
TEST(CtrlWriterRoundTripTest, GeneratedAndCorpusFilesKeepTheirModel) {
    std::vector<test::CCorpusFile> files = test::ReadCorpus("reader");
    EXPECT_GT(files.size(), 10u);
    for (uint32_t seed = 1; seed <= 300; ++seed) {
        files.push_back({"seed " + std::to_string(seed), CFileGenerator(seed).Generate()});
    }
    for (const auto& file : files) {
        SCOPED_TRACE(file.m_strName + "\n" + file.m_strBytes);
        EXPECT_EQ(fuzz::CheckReader(file.m_strBytes), "");
        if (file.m_strName.starts_with("seed ")) {
            CCtrlModel model;
            ASSERT_EQ(ParseAndValidate(model, file.m_strBytes).m_lResult, 0);
            ExpectKeptByTheFullForm(model);
        }
    }
}

}  // namespace
}  // namespace tq
