#include "browse/FileListSort.h"

#include <algorithm>
#include <numeric>
#include <string_view>

#include "browse/FileListColumns.h"
#include "platform/Cp932.h"

namespace tq {

namespace {

int CompareBytes(const std::string& a, const std::string& b) {
    int c = a.compare(b);
    return c < 0 ? -1 : c > 0 ? 1 : 0;
}

template <typename T>
int CompareNumbers(T a, T b) {
    return a < b ? -1 : a > b ? 1 : 0;
}

// The odd key's order (1, 3, 5, 7, 9), folders before files; names and extensions compared
// by compareNoCase(bExtension).
template <typename CompareNoCaseFn>
int CompareAscending(const CFileListItem& a, const CFileListItem& b, int32_t nColumn,
                     CompareNoCaseFn compareNoCase) {
    if (a.m_bFolder != b.m_bFolder) {
        return a.m_bFolder ? -1 : 1;
    }
    int c = 0;
    switch (nColumn) {
        case kColumnSize:
            c = a.m_bFolder ? 0 : CompareNumbers(a.m_nSize, b.m_nSize);
            break;
        case kColumnType:
            c = CompareBytes(a.m_strTypeName, b.m_strTypeName);
            break;
        case kColumnModified:
            c = CompareNumbers(b.m_nWriteTime, a.m_nWriteTime);  // newest first
            break;
        case kColumnAttributes:
            c = CompareBytes(a.m_strAttributes, b.m_strAttributes);
            break;
        default:
            break;
    }
    if (c == 0) {
        c = compareNoCase(false);
    }
    if (c == 0 && nColumn == kColumnName && !a.m_bFolder) {
        c = compareNoCase(true);
    }
    return c;
}

int32_t ValidSortKey(int32_t nSortKey) {
    return nSortKey < 1 || nSortKey > kSortKeyCount ? kSortByName : nSortKey;
}

}  // namespace

int CompareListItems(const CFileListItem& a, const CFileListItem& b, int32_t nSortKey) {
    nSortKey = ValidSortKey(nSortKey);
    int c = CompareAscending(a, b, (nSortKey - 1) / 2, [&](bool bExtension) {
        return bExtension ? CompareNoCase(a.m_strExtension, b.m_strExtension)
                          : CompareNoCase(a.m_strDisplayName, b.m_strDisplayName);
    });
    return nSortKey % 2 == 1 ? c : -c;
}

std::vector<size_t> SortListItems(const std::vector<CFileListItem>& items, int32_t nSortKey) {
    std::vector<CListSortText> texts;
    texts.reserve(items.size());
    for (const CFileListItem& item : items) {
        texts.push_back(MakeListSortText(item));
    }
    std::vector<size_t> sequence(items.size());
    std::iota(sequence.begin(), sequence.end(), size_t{0});
    return MergeListItems(items, texts, sequence, 0, nSortKey);
}

CListSortText MakeListSortText(const CFileListItem& item) {
    // The bytes of two folded names (single-byte letters upper-cased, double-byte characters as
    // they are) compare as CompareNoCase compares the names.
    return {ToUpperCp932(item.m_strDisplayName), ToUpperCp932(item.m_strExtension)};
}

std::vector<size_t> MergeListItems(const std::vector<CFileListItem>& items,
                                   const std::vector<CListSortText>& texts,
                                   const std::vector<size_t>& sequence, size_t nSorted,
                                   int32_t nSortKey) {
    nSortKey = ValidSortKey(nSortKey);
    const int32_t nColumn = (nSortKey - 1) / 2;
    const bool bAscending = nSortKey % 2 == 1;
    const auto before = [&](size_t a, size_t b) {
        const size_t nA = sequence[a];
        const size_t nB = sequence[b];
        int c = CompareAscending(items[nA], items[nB], nColumn, [&](bool bExtension) {
            return bExtension ? CompareBytes(texts[nA].m_strExtension, texts[nB].m_strExtension)
                              : CompareBytes(texts[nA].m_strName, texts[nB].m_strName);
        });
        return (bAscending ? c : -c) < 0;
    };
    nSorted = std::min(nSorted, sequence.size());
    std::vector<size_t> later(sequence.size() - nSorted);
    std::iota(later.begin(), later.end(), nSorted);
    std::stable_sort(later.begin(), later.end(), before);
    std::vector<size_t> sorted(nSorted);
    std::iota(sorted.begin(), sorted.end(), size_t{0});
    // std::merge takes the first range's row among equals: the earlier place in sequence.
    std::vector<size_t> order(sequence.size());
    std::merge(sorted.begin(), sorted.end(), later.begin(), later.end(), order.begin(), before);
    return order;
}

int32_t NextSortKey(int32_t nSortKey, int32_t nColumn) {
    if (nColumn < 0 || nColumn >= kListColumnCount) {
        return nSortKey;
    }
    int32_t nOdd = 2 * nColumn + 1;
    return nSortKey == nOdd ? nOdd + 1 : nOdd;
}

}  // namespace tq
