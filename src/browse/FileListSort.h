// The orders of the file list. Sort keys come in pairs per column: 1 and 2 name, 3 and 4 size,
// 5 and 6 type, 7 and 8 modified, 9 and 10 attributes. The odd key puts folders first and
// sorts ascending (modified: newest first); the even key is its exact reverse.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "browse/FileListItem.h"

namespace tq {

constexpr int32_t kSortByName = 1;
constexpr int32_t kSortKeyCount = 10;

// <0 when a comes before b under the key, >0 when after, 0 when the key does not tell them
// apart. An unknown key is taken as the name key.
int CompareListItems(const CFileListItem& a, const CFileListItem& b, int32_t nSortKey);
// The order of the rows under the key: order[i] is the row that goes to place i. Rows that
// compare equal keep their order.
std::vector<size_t> SortListItems(const std::vector<CFileListItem>& items, int32_t nSortKey);

// A row's name and extension as the orders compare them, folded once per row rather than at
// every comparison.
struct CListSortText {
    std::string m_strName;
    std::string m_strExtension;
};
CListSortText MakeListSortText(const CFileListItem& item);

// The order of a sequence of rows whose first nSorted are in order under the key already and
// whose rest came later, in any order: order[i] is the place in sequence of the row that goes
// to place i. Rows that compare equal keep their places in sequence, so that taking in a folder
// piece by piece gives the order that sorting it whole gives. sequence holds indices of items;
// texts[i] is MakeListSortText(items[i]).
std::vector<size_t> MergeListItems(const std::vector<CFileListItem>& items,
                                   const std::vector<CListSortText>& texts,
                                   const std::vector<size_t>& sequence, size_t nSorted,
                                   int32_t nSortKey);
// The key after a click on the header of column nColumn (0 to 4): the column's odd key unless
// that is the current key, then its even key. Another column leaves the key as it is.
int32_t NextSortKey(int32_t nSortKey, int32_t nColumn);

}  // namespace tq
