#include "browse/FileListModel.h"

#include <cstdint>
#include <cstdio>

#include "browse/FileListColumns.h"
#include "browse/FileListTexts.h"
#include "browse/ListEntryRules.h"
#include "platform/Cp932.h"

namespace tq {

namespace {

void LogToStandardError(const std::string& strLine) {
    std::fprintf(stderr, "tqcstm: %s\n", Cp932ToUtf8Lossy(strLine).c_str());
}

// A path for the log, its control characters escaped (and, for a name that is not code page 932
// text, every byte beyond ASCII), so that no name can drive the terminal that shows it.
std::string PrintablePath(const std::string& strPath, bool bEscapeHigh = false) {
    std::string strOut;
    for (char c : strPath) {
        auto b = static_cast<uint8_t>(c);
        if (b < 0x20 || b == 0x7F || (bEscapeHigh && b >= 0x80)) {
            static const char kHex[] = "0123456789ABCDEF";
            strOut += std::string("\\x") + kHex[b >> 4] + kHex[b & 15];
        } else {
            strOut += c;
        }
    }
    return strOut;
}

const CPlainFileInfoProvider& PlainProvider() {
    static const CPlainFileInfoProvider s_provider;
    return s_provider;
}

const CDefaultListLocale& DefaultLocale() {
    static const CDefaultListLocale s_locale;
    return s_locale;
}

}  // namespace

// The search of the folder being filled, from its first entry to its last.
class CFileListModel::CReading {
public:
    explicit CReading(std::string strPattern) : m_strPattern(std::move(strPattern)) {}
    // The folder with its trailing "\", without the pattern's "*.*".
    std::string GetFolder() const { return m_strPattern.substr(0, m_strPattern.size() - 3); }
    int32_t Next(CFindData& entry) {
        if (!m_bStarted) {
            m_bStarted = true;
            return m_find.FindFirst(m_strPattern, entry, EFindOrder::kAsListed);
        }
        return m_find.FindNext(entry);
    }
    const std::vector<std::string>& GetUntranslatableNames() const {
        return m_find.GetUntranslatableNames();
    }

private:
    std::string m_strPattern;
    CFindFile m_find;
    bool m_bStarted = false;
};

CFileListModel::CFileListModel() : CFileListModel(PlainProvider(), DefaultLocale()) {}

CFileListModel::CFileListModel(const CFileInfoProvider& provider, const CListLocale& locale)
    : m_provider(provider), m_locale(locale), m_log(LogToStandardError) {}

CFileListModel::~CFileListModel() = default;

void CFileListModel::SetView(int32_t nView) {
    m_nView = nView;
    if (nView != kViewDetails) {
        return;
    }
    for (CFileListItem& item : m_items) {
        if (!item.m_bDetailsShown) {
            MakeDetails(item);
        }
    }
}

void CFileListModel::ShowFolder(const std::string& strFolder, bool bForce) {
    if (StartFolder(strFolder, bForce)) {
        FillMore(SIZE_MAX, {});
    }
}

void CFileListModel::Refresh() {
    ShowFolder(m_strFolder, true);
}

bool CFileListModel::IsShown(const std::string& strFolder) const {
    return EqualsNoCase(strFolder, m_strFolder);
}

bool CFileListModel::StartFolder(const std::string& strFolder, bool bForce) {
    if (!bForce && IsShown(strFolder)) {
        return false;
    }
    // Copied before the records go: the folder may be a record's path.
    m_strFolder = std::string(strFolder);
    m_items.clear();
    m_sortTexts.clear();
    m_rows.clear();
    m_selection.Reset(0);
    m_pReading.reset();
    std::string strPattern = MakeListPattern(m_strFolder);
    if (strPattern.size() <= kListPatternMax) {
        m_pReading = std::make_unique<CReading>(std::move(strPattern));
    }
    return true;
}

bool CFileListModel::FillMore(size_t nAtLeast, std::chrono::steady_clock::duration time) {
    if (m_pReading == nullptr) {
        return false;
    }
    const auto start = std::chrono::steady_clock::now();
    const std::string strFolder = m_pReading->GetFolder();
    CFindData entry;
    int32_t err = 0;
    for (size_t nRead = 1; (err = m_pReading->Next(entry)) == 0; ++nRead) {
        EListEntry verdict = JudgeListEntry(strFolder, entry, m_filter);
        if (verdict == EListEntry::kKeep) {
            AddItem(strFolder, entry);
        } else if (verdict == EListEntry::kUnsafeName && m_log) {
            m_log("left out of the file list, its name cannot be used: " +
                  PrintablePath(strFolder + entry.m_strName));
        }
        if (nRead >= nAtLeast && std::chrono::steady_clock::now() - start >= time) {
            break;
        }
    }
    OrderRows(m_rows.size());
    if (err != 0) {
        EndFill();
    }
    return IsFilling();
}

void CFileListModel::EndFill() {
    const std::string strFolder = m_pReading->GetFolder();
    for (const std::string& strName : m_pReading->GetUntranslatableNames()) {
        if (m_log) {
            m_log("left out of the file list, its name has no code page 932 form: " +
                  PrintablePath(strFolder) + PrintablePath(strName, true));
        }
    }
    m_pReading.reset();
    if (m_selection.GetSelectedCount() == 0) {
        m_selection.SelectFirst();
    }
}

const CFileListItem* CFileListModel::GetItem(size_t nRow) const {
    return nRow < m_rows.size() ? &m_items[m_rows[nRow]] : nullptr;
}

std::string CFileListModel::GetCellText(size_t nRow, int32_t nColumn) const {
    const CFileListItem* pItem = GetItem(nRow);
    if (pItem == nullptr) {
        return std::string();
    }
    if (nColumn == kColumnName) {
        return pItem->m_strDisplayName;
    }
    if (!pItem->m_bDetailsShown) {
        return std::string();
    }
    switch (nColumn) {
        case kColumnSize:
            return pItem->m_strSizeText;
        case kColumnType:
            return pItem->m_strTypeName;
        case kColumnModified:
            return pItem->m_strDateText;
        case kColumnAttributes:
            return pItem->m_strAttributes;
        default:
            return std::string();
    }
}

size_t CFileListModel::GetLongestNameRow() const {
    size_t nLongest = 0;
    for (size_t nRow = 1; nRow < m_rows.size(); ++nRow) {
        if (m_items[m_rows[nRow]].m_strDisplayName.size() >
            m_items[m_rows[nLongest]].m_strDisplayName.size()) {
            nLongest = nRow;
        }
    }
    return nLongest;
}

void CFileListModel::ClickHeader(int32_t nColumn) {
    m_nSortKey = NextSortKey(m_nSortKey, nColumn);
    OrderRows(0);
}

bool CFileListModel::HasSelectedFile() const {
    return !GetSelectedFiles().empty();
}

std::vector<const CFileListItem*> CFileListModel::GetSelectedFiles() const {
    std::vector<const CFileListItem*> files;
    for (size_t nRow : m_selection.GetSelectedRows()) {
        // The toolkit may have given the selection a row count of its own.
        const CFileListItem* pItem = GetItem(nRow);
        if (pItem != nullptr && !pItem->m_bFolder) {
            files.push_back(pItem);
        }
    }
    return files;
}

bool CFileListModel::IsEnterForList() const {
    // One selected folder is the case the list opens; no selection at all, or only folders,
    // leaves nothing for the default button to add.
    return !HasSelectedFile();
}

void CFileListModel::AddItem(const std::string& strFolder, const CFindData& entry) {
    CFileListItem item;
    item.m_bFolder = (entry.m_nAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    item.m_strPath = strFolder + entry.m_strName + (item.m_bFolder ? "\\" : "");
    item.m_strDisplayName = m_provider.GetDisplayName(item.m_strPath);
    if (!item.m_bFolder) {
        item.m_strExtension = std::string(ExtensionOf(entry.m_strName));
        item.m_nSize = entry.m_nSize;
    }
    item.m_strTypeName = m_provider.GetTypeName(item.m_strPath, item.m_bFolder);
    item.m_nWriteTime = entry.m_nWriteTime;
    item.m_strAttributes = FormatAttributeText(entry.m_nAttributes);
    item.m_nIcon = m_provider.GetIconIndex(item.m_strPath, item.m_bFolder, 0);
    if (m_nView == kViewDetails) {
        MakeDetails(item);
    }
    m_sortTexts.push_back(MakeListSortText(item));
    m_items.push_back(std::move(item));
}

void CFileListModel::MakeDetails(CFileListItem& item) const {
    if (!item.m_bFolder) {
        item.m_strSizeText = FormatSizeText(item.m_nSize, m_locale);
    }
    item.m_strDateText = FormatDateText(item.m_nWriteTime, m_locale);
    item.m_bDetailsShown = true;
}

void CFileListModel::OrderRows(size_t nSorted) {
    if (nSorted == m_items.size()) {
        return;
    }
    std::vector<size_t> sequence = m_rows;
    for (size_t nItem = m_rows.size(); nItem < m_items.size(); ++nItem) {
        sequence.push_back(nItem);
    }
    const std::vector<size_t> order =
        MergeListItems(m_items, m_sortTexts, sequence, nSorted, m_nSortKey);
    m_selection.AddRows(sequence.size() - m_rows.size());
    m_selection.Reorder(order);
    m_rows.resize(sequence.size());
    for (size_t nRow = 0; nRow < order.size(); ++nRow) {
        m_rows[nRow] = sequence[order[nRow]];
    }
}

}  // namespace tq
