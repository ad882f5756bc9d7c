// The file list: the filter, which entries become rows, the detail texts (64-bit sizes too),
// the ten orders and the header clicks, the Enter decision and the selection, and fills from
// folders of a private prefix.

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "browse/FileListColumns.h"
#include "browse/FileListModel.h"
#include "browse/FileListSort.h"
#include "browse/FileListTexts.h"
#include "browse/ListEntryRules.h"
#include "platform/Cp932.h"
#include "support/TestSupport.h"

namespace tq {
namespace {

// Groups by three with ','; day n after 1970-01-01 shows as "1/1/(n+1)".
class CTestLocale : public CListLocale {
public:
    std::string GetThousandsSeparator() const override { return ","; }
    int32_t GetGroupSize() const override { return 3; }
    CListDateTime ToLocalTime(int64_t s) const override {
        return {1970,
                1,
                static_cast<int>(s / 86400 + 1),
                static_cast<int>(s / 3600 % 24),
                static_cast<int>(s / 60 % 60),
                static_cast<int>(s % 60)};
    }
    std::string FormatShortDate(const CListDateTime& t) const override {
        return std::to_string(t.m_nMonth) + "/" + std::to_string(t.m_nDay);
    }
    std::string FormatTimeNoSeconds(const CListDateTime& t) const override {
        return std::to_string(t.m_nHour) + "h" + std::to_string(t.m_nMinute);
    }
};

TEST(FileListTest, FilterAndKeptEntries) {
    const std::string kFolder = "C:\\docs\\";
    constexpr uint32_t D = FILE_ATTRIBUTE_DIRECTORY, H = FILE_ATTRIBUTE_HIDDEN;
    struct {
        const char* filter;
        std::string name;
        uint32_t attributes;
        EListEntry expected;
    } cases[] = {
        {"chm|hlp|pdf", "manual.Chm", 0, EListEntry::kKeep},
        {"chm|hlp|pdf", "readme.doc", 0, EListEntry::kFiltered},
        {"chm|hlp|pdf", "noext", 0, EListEntry::kFiltered},
        {"chm||pdf", "noext", 0, EListEntry::kKeep},  // two bars admit names without one
        {"chm|", "noext", 0, EListEntry::kFiltered},  // a trailing bar adds nothing
        {"chm", "a.pdf.chm", 0, EListEntry::kKeep},
        {"\x95\x5c", "x.\x95\x5c", 0, EListEntry::kKeep},
        {"", "anything.xyz", 0, EListEntry::kKeep},
        {"chm", "folder.doc", D, EListEntry::kKeep},
        {"chm", ".hidden.chm", H, EListEntry::kHidden},
        {"", ".git", D | H, EListEntry::kHidden},
        {"", ".", D, EListEntry::kDots},
        {"", "..", D, EListEntry::kDots},
        {"", "sys", D | kFileAttributeSystem, EListEntry::kSystemFolder},
        {"", "sys.txt", kFileAttributeSystem, EListEntry::kKeep},
        {"", std::string(252, 'n'), 0, EListEntry::kKeep},  // 260 bytes
        {"", std::string(253, 'n'), 0, EListEntry::kTooLong},
        {"", "a|b.chm", 0, EListEntry::kUnsafeName},
        {"", "say \"hi\"", 0, EListEntry::kUnsafeName},
        {"", "a>b", 0, EListEntry::kUnsafeName},
        {"", "tab\there", 0, EListEntry::kUnsafeName},
        {"", "back\\slash", 0, EListEntry::kUnsafeName},
        {"", "\x83\x5c.txt", 0, EListEntry::kKeep},  // "ソ" ends in the byte 0x5C
        {"", "\x83", 0, EListEntry::kUnsafeName},    // a lead byte without its trail byte
    };
    for (const auto& c : cases) {
        CFileFilter filter;
        filter.AddExtensions(c.filter);
        CFindData entry{c.name, c.attributes, 0, 0};
        EXPECT_EQ(JudgeListEntry(kFolder, entry, filter), c.expected) << c.filter << " " << c.name;
    }
}

TEST(FileListTest, DetailTexts) {
    CTestLocale locale;
    struct {
        uint64_t size;
        const char* expected;
    } sizes[] = {
        {0, "0KB"},
        {1, "1KB"},
        {1023, "1KB"},
        {1024, "2KB"},
        {1048576, "1,025KB"},
        {1022975, "999KB"},
        {1022976, "1,000KB"},
        {4294967296ull, "4,194,305KB"},    // 4 GiB: the whole 64-bit size
        {10737418240ull, "10,485,761KB"},  // 10 GiB
    };
    for (const auto& c : sizes) {
        EXPECT_EQ(FormatSizeText(c.size, locale), c.expected) << c.size;
    }
    EXPECT_EQ(FormatDateText(86400 + 3 * 3600 + 5 * 60 + 59, locale), "1/2 3h5");
    EXPECT_EQ(FormatAttributeText(0), "");
    EXPECT_EQ(
        FormatAttributeText(FILE_ATTRIBUTE_ARCHIVE | kFileAttributeSystem | FILE_ATTRIBUTE_HIDDEN |
                            FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY),
        "RHSA");
    // A locale without groups puts no separator in.
    struct : CTestLocale {
        int32_t GetGroupSize() const override { return 0; }
    } plain;
    EXPECT_EQ(FormatSizeText(1048576, plain), "1025KB");
    CDefaultListLocale japanese;
    EXPECT_EQ(japanese.FormatShortDate({2026, 2, 7, 9, 5, 1}) + " " +
                  japanese.FormatTimeNoSeconds({2026, 2, 7, 9, 5, 1}),
              "2026/02/07 9:05");
}

CFileListItem Item(const char* name, bool folder, uint64_t size, int64_t time, const char* type,
                   const char* attributes) {
    CFileListItem item;
    item.m_strDisplayName = name;
    item.m_bFolder = folder;
    item.m_nSize = size;
    item.m_nWriteTime = time;
    item.m_strTypeName = type;
    item.m_strAttributes = attributes;
    item.m_strExtension = folder ? "" : std::string(ExtensionOf(name));
    return item;
}

TEST(FileListTest, TheTenOrders) {
    const std::vector<CFileListItem> items = {
        Item("b.txt", false, 10, 300, "TXT", "A"),  Item("Sub", true, 0, 100, "F", ""),
        Item("a.pdf", false, 30, 200, "PDF", "RA"), Item("A.chm", false, 20, 400, "CHM", "A"),
        Item("base", true, 0, 500, "F", "H"),       Item("c", false, 20, 300, "TXT", "A"),
    };
    struct {
        int32_t key;
        const char* expected;  // display names in order
    } cases[] = {
        {1, "base Sub A.chm a.pdf b.txt c"}, {2, "c b.txt a.pdf A.chm Sub base"},
        {3, "base Sub b.txt A.chm c a.pdf"}, {4, "a.pdf c A.chm b.txt Sub base"},
        {5, "base Sub A.chm a.pdf b.txt c"}, {6, "c b.txt a.pdf A.chm Sub base"},
        {7, "base Sub A.chm b.txt c a.pdf"}, {8, "a.pdf c b.txt A.chm Sub base"},
        {9, "Sub base A.chm b.txt c a.pdf"}, {10, "a.pdf c b.txt A.chm base Sub"},
        {0, "base Sub A.chm a.pdf b.txt c"},  // an unknown key sorts by name
    };
    for (const auto& c : cases) {
        std::string names;
        for (size_t row : SortListItems(items, c.key)) {
            names += (names.empty() ? "" : " ") + items[row].m_strDisplayName;
        }
        EXPECT_EQ(names, c.expected) << "key " << c.key;
    }
}

// The sort folds each name once; its order must stay the one CompareListItems gives, for names
// mixing letter cases, double-byte characters (trail bytes that are letters or 0x5C),
// half-width kana and a lead byte cut off at the end.
TEST(FileListTest, SortAgreesWithTheComparisonOfTwoRows) {
    const char* kParts[] = {"a", "B", "b", "\x82\x60", "\x82\x61", "\x83\x5c", "\xb1", "z", "\x82"};
    std::mt19937 random(13);
    std::vector<CFileListItem> items;
    for (int i = 0; i < 300; ++i) {
        std::string name;
        for (int n = 0, count = 1 + static_cast<int>(random() % 3); n < count; ++n) {
            name += kParts[random() % std::size(kParts)];
        }
        name += i % 2 ? ".chm" : ".CHM";
        CFileListItem item;
        item.m_bFolder = i % 7 == 0;
        item.m_strExtension = item.m_bFolder ? "" : std::string(ExtensionOf(name));
        item.m_strDisplayName = std::move(name);
        item.m_nSize = random() % 3;
        item.m_nWriteTime = static_cast<int64_t>(random() % 3);
        items.push_back(std::move(item));
    }
    for (int32_t key = 1; key <= kSortKeyCount; ++key) {
        std::vector<size_t> order = SortListItems(items, key);
        for (size_t i = 1; i < order.size(); ++i) {
            int c = CompareListItems(items[order[i - 1]], items[order[i]], key);
            EXPECT_TRUE(c < 0 || (c == 0 && order[i - 1] < order[i]))
                << "key " << key << " at " << i;
        }
    }
}

TEST(FileListTest, HeaderClicksAndColumns) {
    struct {
        int32_t key, column, expected;
    } cases[] = {{1, 0, 2},  {2, 0, 1},  {1, 3, 7}, {7, 3, 8}, {8, 3, 7},
                 {10, 4, 9}, {9, 4, 10}, {4, 2, 5}, {3, 5, 3}, {3, -1, 3}};
    for (const auto& c : cases) {
        EXPECT_EQ(NextSortKey(c.key, c.column), c.expected) << c.key << " " << c.column;
    }
    std::string widths;
    std::string headings;
    for (int32_t n = 0; n < kListColumnCount; ++n) {
        widths += std::to_string(GetListColumn(n)->m_nWidth) + " ";
        headings += Cp932ToUtf8Lossy(GetListColumn(n)->m_pszHeading) + " ";
    }
    EXPECT_EQ(widths, "220 60 90 90 40 ");
    EXPECT_EQ(headings, "名前 サイズ 種類 更新日時 属性 ");
    EXPECT_EQ(GetListColumn(1)->m_align, EColumnAlign::kRight);
    EXPECT_EQ(GetListColumn(4)->m_align, EColumnAlign::kRight);
    EXPECT_EQ(GetListColumn(5), nullptr);
}

class FileListFillTest : public ::testing::Test {
protected:
    void Make(const std::string& relative, uint64_t size = 0) {
        std::string path = m_prefix.Path("drives/c/" + relative);
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        if (relative.back() == '/') {
            return;
        }
        test::WriteLinuxFile(path, "");
        std::filesystem::resize_file(path, size);
    }

    test::CTempPrefix m_prefix;
    CTestLocale m_locale;
    CPlainFileInfoProvider m_provider;
};

TEST_F(FileListFillTest, RowsOfAFolder) {
    for (const char* name :
         {"docs/Sub/", "docs/.git/", "docs/manual.Chm", "docs/readme.doc", "docs/.hidden.chm",
          "docs/a|b.chm", "docs/esc\x1b[2J.chm", "docs/noext", "docs/\xff.chm"}) {
        Make(name, 1048576);
    }
    Make("docs/big.pdf", 10737418240ull);  // sparse
    std::filesystem::create_symlink("nowhere.chm", m_prefix.Path("drives/c/docs/broken.chm"));
    CFileListModel list(m_provider, m_locale);
    std::vector<std::string> log;
    list.SetLogSink([&](const std::string& line) { log.push_back(line); });
    list.SetFilter("chm|pdf");
    list.ShowFolder("C:\\docs", true);
    std::string rows;
    for (size_t n = 0; n < list.GetRowCount(); ++n) {
        rows += list.GetItem(n)->m_strPath + "|" + list.GetCellText(n, 1) + ";";
    }
    EXPECT_EQ(rows,
              "C:\\docs\\Sub\\|;C:\\docs\\big.pdf|;C:\\docs\\broken.chm|;C:\\docs\\manual.Chm|;");
    ASSERT_EQ(log.size(), 3u);
    EXPECT_NE(log[0].find("C:\\docs\\a|b.chm"), std::string::npos);
    EXPECT_NE(log[1].find("C:\\docs\\esc\\x1B[2J.chm"), std::string::npos);
    EXPECT_NE(log[2].find("no code page 932 form: C:\\docs\\\\xFF.chm"), std::string::npos);
    // The detail texts come with the details view; the order stays with the next folder.
    list.SetView(kViewDetails);
    EXPECT_EQ(list.GetCellText(1, kColumnSize), "10,485,761KB");
    EXPECT_EQ(list.GetCellText(3, kColumnSize), "1,025KB");
    EXPECT_EQ(list.GetCellText(3, kColumnType), "CHM \x83\x74\x83\x40\x83\x43\x83\x8b");
    EXPECT_EQ(list.GetCellText(0, kColumnSize), "");
    list.ClickHeader(kColumnName);
    list.ShowFolder("C:\\DOCS\\", false);  // the same folder: no new fill
    EXPECT_EQ(list.GetItem(0)->m_strDisplayName, "manual.Chm");
    list.SetFilter("doc");
    list.Refresh();
    EXPECT_EQ(list.GetRowCount(), 5u);
    EXPECT_EQ(list.GetItem(0)->m_strDisplayName, "readme.doc");
    EXPECT_TRUE(list.GetItem(0)->m_bDetailsShown);
}

TEST_F(FileListFillTest, SelectionAndEnter) {
    Make("d/f1.txt");
    Make("d/f2.txt");
    Make("d/Folder/");
    CFileListModel list(m_provider, m_locale);
    list.ShowFolder("C:\\d\\", false);
    ASSERT_EQ(list.GetRowCount(), 3u);  // Folder, f1.txt, f2.txt
    CListSelection& selection = list.GetSelection();
    EXPECT_EQ(selection.GetSelectedRows(), std::vector<size_t>{0});
    EXPECT_EQ(selection.GetFocusRow(), 0);
    struct {
        std::vector<size_t> selected;
        bool hasFile;
    } cases[] = {{{}, false}, {{0}, false}, {{1}, true}, {{0, 2}, true}, {{1, 2}, true}};
    for (const auto& c : cases) {
        selection.Reset(3);
        for (size_t row : c.selected) {
            selection.SetSelected(row, true);
        }
        EXPECT_EQ(list.HasSelectedFile(), c.hasFile) << c.selected.size();
        EXPECT_EQ(list.IsEnterForList(), !c.hasFile) << c.selected.size();
    }
    // A selection of more rows than the list has reads no row that is not there.
    selection.Reset(5);
    selection.SetSelected(4, true);
    EXPECT_FALSE(list.HasSelectedFile());
    selection.Reset(3);
    selection.SetSelected(1, true);
    selection.SetSelected(2, true);
    // Sorting carries the selection with its rows.
    list.ClickHeader(kColumnName);  // f2.txt f1.txt Folder, with f1 and f2 selected
    EXPECT_EQ(selection.GetSelectedRows(), (std::vector<size_t>{0, 1}));
    list.ClearSelection();
    EXPECT_EQ(selection.GetSelectedCount(), 0u);
    EXPECT_EQ(selection.GetFocusRow(), 0);
    // Folders that give no rows: nothing selected, and clearing marks nothing.
    for (const std::string& folder : {std::string("C:\\d\\f1.txt"), std::string("C:\\missing\\"),
                                      "C:\\" + std::string(255, 'x'), std::string("Q:\\")}) {
        list.ShowFolder(folder, true);
        list.ClearSelection();
        EXPECT_EQ(list.GetRowCount(), 0u) << folder;
        EXPECT_EQ(selection.GetFocusRow(), CListSelection::kNone) << folder;
        EXPECT_TRUE(list.IsEnterForList());
    }
}

}  // namespace
}  // namespace tq
