#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <tuple>

#include "browse/FileListColumns.h"
#include "browse/FileListModel.h"
#include "browse/FileListSort.h"
#include "browse/FileListTexts.h"
#include "browse/ListEntryRules.h"
#include "browse/PaneRules.h"
#include "support/TestSupport.h"

namespace tq {
namespace {

// The desktop's conventions on a clock of the test's own: second n is on day n / 86400 + 1 of
// January 1970, whatever the host's time zone.
struct CTestLocale : CDefaultListLocale {
    CListDateTime ToLocalTime(int64_t s) const override {
        const int n = static_cast<int>(s);
        return {1970, 1, n / 86400 + 1, n / 3600 % 24, n / 60 % 60, n % 60};
    }
};

// Two bars admit names without an extension, a trailing bar adds nothing; 252 'n's make a path
// of 260 bytes; 0x95 0x5C and 0x83 0x5C are double-byte characters, 0x83 alone is no character.
TEST(FileListTest, FilterAndKeptEntries) {
    using E = EListEntry;
    constexpr uint32_t D = FILE_ATTRIBUTE_DIRECTORY, H = FILE_ATTRIBUTE_HIDDEN,
                       S = kFileAttributeSystem;
    const std::tuple<const char*, std::string, uint32_t, EListEntry> cases[] = {
        {"chm|hlp|pdf", "manual.Chm", 0, E::kKeep},
        {"chm|hlp|pdf", "readme.doc", 0, E::kFiltered},
        {"chm||pdf", "noext", 0, E::kKeep},
        {"chm|", "noext", 0, E::kFiltered},
        {"chm", "a.pdf.chm", 0, E::kKeep},
        {"\x95\x5c", "x.\x95\x5c", 0, E::kKeep},
        {"", "anything.xyz", 0, E::kKeep},
        {"chm", "folder.doc", D, E::kKeep},
        {"chm", ".hidden.chm", H, E::kHidden},
        {"", ".git", D | H, E::kHidden},
        {"", ".", D, E::kDots},
        {"", "sys", D | S, E::kSystemFolder},
        {"", "sys.txt", S, E::kKeep},
        {"", std::string(252, 'n'), 0, E::kKeep},
        {"", std::string(253, 'n'), 0, E::kTooLong},
        {"", "a|b.chm", 0, E::kUnsafeName},
        {"", "tab\there", 0, E::kUnsafeName},
        {"", "\x83\x5c.txt", 0, E::kKeep},
        {"", "\x83", 0, E::kUnsafeName}};
    for (const auto& [pszFilter, name, attributes, expected] : cases) {
        CFileFilter filter;
        filter.AddExtensions(pszFilter);
        CFindData entry{name, attributes, 0, 0};
        EXPECT_EQ(JudgeListEntry("C:\\docs\\", entry, filter), expected) << pszFilter << name;
    }
}

TEST(FileListTest, DetailTexts) {
    CTestLocale locale;
    std::string strSizes;
    for (uint64_t n : {0ull, 1ull, 1023ull, 1024ull, 1048576ull, 1022975ull, 1022976ull,
                       4294967296ull, 10737418240ull}) {
        strSizes += FormatSizeText(n, locale) + " ";
    }
    EXPECT_EQ(strSizes, "0KB 1KB 1KB 2KB 1,025KB 999KB 1,000KB 4,194,305KB 10,485,761KB ");
    EXPECT_EQ(FormatDateText(86400 + 3 * 3600 + 5 * 60 + 59, locale), "1970/01/02 3:05");
    EXPECT_EQ(FormatAttributeText(0), "");
    EXPECT_EQ(
        FormatAttributeText(FILE_ATTRIBUTE_ARCHIVE | kFileAttributeSystem | FILE_ATTRIBUTE_HIDDEN |
                            FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY),
        "RHSA");
    struct : CTestLocale {
        int32_t GetGroupSize() const override { return 0; }
    } plain;
    EXPECT_EQ(FormatSizeText(1048576, plain), "1025KB");
}

CFileListItem Item(const std::string& name, bool folder, uint64_t size, int64_t time,
                   const char* type = "", const char* attributes = "") {
    const std::string extension = folder ? "" : std::string(ExtensionOf(name));
    return {"", name, extension, folder, type, size, time, attributes, 0, false, "", ""};
}

TEST(FileListTest, TheTenOrdersAndHeaderClicks) {
    const std::vector<CFileListItem> items = {
        Item("b.txt", false, 10, 300, "TXT", "A"),  Item("Sub", true, 0, 100, "F", ""),
        Item("a.pdf", false, 30, 200, "PDF", "RA"), Item("A.chm", false, 20, 400, "CHM", "A"),
        Item("base", true, 0, 500, "F", "H"),       Item("c", false, 20, 300, "TXT", "A")};
    const std::tuple<int32_t, const char*> cases[] = {
        {1, "base Sub A.chm a.pdf b.txt c"}, {2, "c b.txt a.pdf A.chm Sub base"},
        {3, "base Sub b.txt A.chm c a.pdf"}, {4, "a.pdf c A.chm b.txt Sub base"},
        {5, "base Sub A.chm a.pdf b.txt c"}, {6, "c b.txt a.pdf A.chm Sub base"},
        {7, "base Sub A.chm b.txt c a.pdf"}, {8, "a.pdf c b.txt A.chm Sub base"},
        {9, "Sub base A.chm b.txt c a.pdf"}, {10, "a.pdf c b.txt A.chm base Sub"},
        {0, "base Sub A.chm a.pdf b.txt c"}};
    for (const auto& [key, expected] : cases) {
        std::string names;
        const std::vector<size_t> order = SortListItems(items, key);
        for (size_t row : order) {
            names += (names.empty() ? "" : " ") + items[row].m_strDisplayName;
        }
        EXPECT_EQ(names, expected) << "key " << key;
        // The sort folds each name once; its order must stay the one of the two-row comparison.
        for (size_t i = 1; i < items.size(); ++i) {
            EXPECT_LE(CompareListItems(items[order[i - 1]], items[order[i]], key), 0) << key << i;
        }
    }
    const std::tuple<int32_t, int32_t, int32_t> clicks[] = {
        {1, 0, 2},  {2, 0, 1},  {1, 3, 7}, {7, 3, 8}, {8, 3, 7},
        {10, 4, 9}, {9, 4, 10}, {4, 2, 5}, {3, 5, 3}, {3, -1, 3}};
    for (const auto& [key, column, expected] : clicks) {
        EXPECT_EQ(NextSortKey(key, column), expected) << key << " " << column;
    }
    EXPECT_EQ(GetListColumn(5), nullptr);
    // Names shown alike (their extensions hidden) are ordered by extension.
    std::vector<CFileListItem> twins = {Item("m.txt", false, 1, 1), Item("m.chm", false, 1, 1)};
    twins[0].m_strDisplayName = twins[1].m_strDisplayName = "m";
    EXPECT_EQ(SortListItems(twins, 1), (std::vector<size_t>{1, 0}));
}

struct FileListFillTest : ::testing::Test {
    void Make(const std::string& relative, uint64_t size = 0) {
        std::string path = m_prefix.Path("drives/c/" + relative);
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        if (relative.back() != '/') {
            test::WriteLinuxFile(path, "");
            std::filesystem::resize_file(path, size);
        }
    }
    test::CTempPrefix m_prefix;
    CTestLocale m_locale;
    CPlainFileInfoProvider m_provider;
    CFileListModel m_list{m_provider, m_locale};
};

TEST_F(FileListFillTest, RowsOfAFolder) {
    if (!test::HostTakesAnyFileName()) {
        GTEST_SKIP() << "the folder holds names that only a Linux file system takes";
    }
    for (const char* name :
         {"docs/Sub/", "docs/.git/", "docs/manual.Chm", "docs/readme.doc", "docs/.hidden.chm",
          "docs/a|b.chm", "docs/esc\x1b[2J.chm", "docs/noext", "docs/\xff.chm"}) {
        Make(name, 1048576);
    }
    Make("docs/big.pdf", 10737418240ull);  // sparse
    std::filesystem::create_symlink("nowhere.chm", m_prefix.Path("drives/c/docs/broken.chm"));
    std::vector<std::string> log;
    m_list.SetLogSink([&](const std::string& line) { log.push_back(line); });
    m_list.SetFilter("chm|pdf");
    m_list.ShowFolder("C:\\docs", true);
    std::string rows;
    for (size_t n = 0; n < m_list.GetRowCount(); ++n) {
        rows += m_list.GetItem(n)->m_strPath + "|" + m_list.GetCellText(n, 1) + ";";
    }
    EXPECT_EQ(rows,
              "C:\\docs\\Sub\\|;C:\\docs\\big.pdf|;C:\\docs\\broken.chm|;C:\\docs\\manual.Chm|;");
    EXPECT_EQ(m_list.GetLongestNameRow(), 2u);  // broken.chm, the first of the two longest
    ASSERT_EQ(log.size(), 3u);
    std::sort(log.begin(), log.end());  // told as the folder lists them
    EXPECT_NE(log[0].find("C:\\docs\\a|b.chm"), std::string::npos);
    EXPECT_NE(log[1].find("C:\\docs\\esc\\x1B[2J.chm"), std::string::npos);
    EXPECT_NE(log[2].find("no code page 932 form: C:\\docs\\\\xFF.chm"), std::string::npos);
    // The detail texts come with the details view; the order stays with the next folder.
    m_list.SetView(kViewDetails);
    EXPECT_EQ(m_list.GetCellText(1, kColumnSize), "10,485,761KB");
    EXPECT_EQ(m_list.GetCellText(3, kColumnType), "CHM \x83\x74\x83\x40\x83\x43\x83\x8b");
    EXPECT_EQ(m_list.GetCellText(0, kColumnSize), "");
    m_list.ClickHeader(kColumnName);
    m_list.ShowFolder("C:\\DOCS\\", false);  // the same folder: no new fill
    EXPECT_EQ(m_list.GetItem(0)->m_strDisplayName, "manual.Chm");
    m_list.SetFilter("doc");
    m_list.Refresh();
    EXPECT_EQ(m_list.GetRowCount(), 5u);
    EXPECT_EQ(m_list.GetItem(0)->m_strDisplayName, "readme.doc");
    EXPECT_TRUE(m_list.GetItem(0)->m_bDetailsShown);
}

// Enter is the list's unless a file is selected (no row read beyond the list's end).
TEST_F(FileListFillTest, SelectionAndEnter) {
    Make("d/f1.txt");
    Make("d/Folder/");
    m_list.ShowFolder("C:\\d\\", false);
    ASSERT_EQ(m_list.GetRowCount(), 2u);  // Folder, f1.txt
    CListSelection& selection = m_list.GetSelection();
    // The dialog's Add reads the selection through the const list: the same one.
    EXPECT_EQ(&static_cast<const CFileListModel&>(m_list).GetSelection(), &selection);
    // Enter with Add enabled as the selection has it: the one folder opens, files are added.
    using L = EListEnter;
    const std::tuple<size_t, std::vector<size_t>, bool, L> cases[] = {
        {2, {}, false, L::kClearSelection},
        {2, {0}, false, L::kOpenFolder},
        {2, {0, 1}, true, L::kAdd},
        {2, {1}, true, L::kAdd},
        {5, {4}, false, L::kClearSelection}};
    for (const auto& [count, selected, hasFile, enter] : cases) {
        selection.Reset(count);
        for (size_t row : selected) {
            selection.SetSelected(row, true);
        }
        EXPECT_EQ(m_list.IsEnterForList(), !hasFile) << selected.size();
        EXPECT_EQ(m_list.GetSelectedFiles().size(), hasFile ? 1u : 0u) << selected.size();
        std::string folder;
        EXPECT_EQ(DecideListEnter(m_list, m_list.HasSelectedFile(), folder), enter);
        EXPECT_EQ(folder, enter == L::kOpenFolder ? "C:\\d\\Folder\\" : "");
    }
    selection.SetFocusRow(1);
    selection.SetFocusRow(5);  // beyond the rows: the focus mark stays
    EXPECT_EQ(selection.GetFocusRow(), 1);
    for (const std::string& folder : {std::string("C:\\d\\f1.txt"), std::string("C:\\missing\\"),
                                      "C:\\" + std::string(255, 'x'), std::string("Q:\\")}) {
        m_list.ShowFolder(folder, true);
        m_list.ClearSelection();
        EXPECT_EQ(m_list.GetRowCount(), 0u) << folder;
        EXPECT_EQ(selection.GetFocusRow(), CListSelection::kNone) << folder;
    }
}

// A folder read in pieces ends in the order of a fill in one go, under whichever key, with
// header clicks halfway; a row the user selected while it was read stays selected, and only a
// fill with nothing selected ends with the first row selected.
TEST_F(FileListFillTest, PiecesEndAsAWholeFill) {
    for (int i = 0; i < 24; ++i) {
        Make("p/" + std::to_string(i * 7 % 24) + (i % 5 == 0 ? "/" : ".TXT"), i % 4);
    }
    Make("q/other.txt");
    // The rows' names, the selected ones marked.
    const auto rows = [this] {
        std::string text;
        for (size_t n = 0; n < m_list.GetRowCount(); ++n) {
            text += m_list.GetItem(n)->m_strDisplayName +
                    (m_list.GetSelection().IsSelected(n) ? "* " : " ");
        }
        return text;
    };
    const std::tuple<size_t, int32_t, bool> cases[] = {
        {1, 1, false}, {7, 1, true}, {5, 2, false}, {3, 3, true}, {30, 4, false}};
    for (const auto& [piece, column, select] : cases) {
        m_list.ShowFolder("C:\\p\\", true);
        m_list.ClickHeader(column);
        m_list.ClearSelection();
        std::string expected = " " + rows();
        ASSERT_TRUE(m_list.StartFolder("C:\\p\\", true));
        EXPECT_EQ(m_list.GetRowCount(), 0u);
        size_t pieces = 0;
        bool picked = false;
        for (bool more = true; more; ++pieces) {
            more = m_list.FillMore(piece, {});
            EXPECT_EQ(m_list.IsFilling(), more);
            if (!picked && m_list.GetRowCount() > 0) {
                picked = true;
                const std::string first = " " + m_list.GetItem(0)->m_strDisplayName + " ";
                if (select) {
                    m_list.GetSelection().SetSelected(0, true);
                }
                const std::string marked =
                    select ? first : expected.substr(0, expected.find(' ', 1) + 1);
                expected.replace(expected.find(marked), marked.size(),
                                 marked.substr(0, marked.size() - 1) + "* ");
            }
            if (pieces == 0 && more) {  // the other order and back
                m_list.ClickHeader(column);
                m_list.ClickHeader(column);
            }
        }
        EXPECT_GE(pieces, 24 / piece) << piece;
        EXPECT_EQ(" " + rows(), expected) << piece << " " << column;
    }
    // Another folder drops the fill under way.
    ASSERT_TRUE(m_list.StartFolder("C:\\p\\", true));
    m_list.FillMore(2, {});
    m_list.ShowFolder("C:\\q\\", false);
    EXPECT_FALSE(m_list.IsFilling());
    EXPECT_EQ(rows(), "other.txt* ");
}

}  // namespace
}  // namespace tq
