#include "browse/FileListModel.h"

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

CFileListModel::CFileListModel() : CFileListModel(PlainProvider(), DefaultLocale()) {}

CFileListModel::CFileListModel(const CFileInfoProvider& provider, const CListLocale& locale)
    : m_provider(provider), m_locale(locale), m_log(LogToStandardError) {}

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
    if (!bForce && EqualsNoCase(strFolder, m_strFolder)) {
        return;
    }
    m_strFolder = strFolder;
    Fill();
}

void CFileListModel::Refresh() {
    Fill();
}

const CFileListItem* CFileListModel::GetItem(size_t nRow) const {
    return nRow < m_items.size() ? &m_items[nRow] : nullptr;
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

void CFileListModel::ClickHeader(int32_t nColumn) {
    m_nSortKey = NextSortKey(m_nSortKey, nColumn);
    Sort();
}

bool CFileListModel::HasSelectedFile() const {
    for (size_t nRow : m_selection.GetSelectedRows()) {
        // The toolkit may have given the selection a row count of its own.
        if (nRow < m_items.size() && !m_items[nRow].m_bFolder) {
            return true;
        }
    }
    return false;
}

std::vector<const CFileListItem*> CFileListModel::GetSelectedFiles() const {
    std::vector<const CFileListItem*> files;
    for (size_t nRow : m_selection.GetSelectedRows()) {
        if (nRow < m_items.size() && !m_items[nRow].m_bFolder) {
            files.push_back(&m_items[nRow]);
        }
    }
    return files;
}

bool CFileListModel::IsEnterForList() const {
    // One selected folder is the case the list opens; no selection at all, or only folders,
    // leaves nothing for the default button to add.
    return !HasSelectedFile();
}

void CFileListModel::Fill() {
    m_items.clear();
    m_selection.Reset(0);
    std::string strPattern = MakeListPattern(m_strFolder);
    if (strPattern.size() > kListPatternMax) {
        return;
    }
    std::string strFolder = strPattern.substr(0, strPattern.size() - 3);  // without "*.*"
    CFindFile find;
    CFindData entry;
    for (int32_t err = find.FindFirst(strPattern, entry); err == 0; err = find.FindNext(entry)) {
        EListEntry verdict = JudgeListEntry(strFolder, entry, m_filter);
        if (verdict == EListEntry::kKeep) {
            AddRow(strFolder, entry);
        } else if (verdict == EListEntry::kUnsafeName && m_log) {
            m_log("left out of the file list, its name cannot be used: " +
                  PrintablePath(strFolder + entry.m_strName));
        }
    }
    for (const std::string& strName : find.GetUntranslatableNames()) {
        if (m_log) {
            m_log("left out of the file list, its name has no code page 932 form: " +
                  PrintablePath(strFolder) + PrintablePath(strName, true));
        }
    }
    m_selection.Reset(m_items.size());
    Sort();
    m_selection.SelectFirst();
}

void CFileListModel::AddRow(const std::string& strFolder, const CFindData& entry) {
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
    m_items.push_back(std::move(item));
}

void CFileListModel::MakeDetails(CFileListItem& item) const {
    if (!item.m_bFolder) {
        item.m_strSizeText = FormatSizeText(item.m_nSize, m_locale);
    }
    item.m_strDateText = FormatDateText(item.m_nWriteTime, m_locale);
    item.m_bDetailsShown = true;
}

void CFileListModel::Sort() {
    std::vector<size_t> order = SortListItems(m_items, m_nSortKey);
    std::vector<CFileListItem> sorted;
    sorted.reserve(m_items.size());
    for (size_t nRow : order) {
        sorted.push_back(std::move(m_items[nRow]));
    }
    m_items = std::move(sorted);
    m_selection.Reorder(order);
}

}  // namespace tq
