// The columns of the file list's details view, in their order.
#pragma once

#include <cstdint>

namespace tq {

constexpr int32_t kColumnName = 0;
constexpr int32_t kColumnSize = 1;
constexpr int32_t kColumnType = 2;
constexpr int32_t kColumnModified = 3;
constexpr int32_t kColumnAttributes = 4;
constexpr int32_t kListColumnCount = 5;

enum class EColumnAlign { kLeft, kRight };

struct CListColumn {
    const char* m_pszHeading;  // code page 932
    EColumnAlign m_align;
    int32_t m_nWidth;  // pixels
};

// The column nColumn (0 to 4); nullptr for any other.
const CListColumn* GetListColumn(int32_t nColumn);

}  // namespace tq
