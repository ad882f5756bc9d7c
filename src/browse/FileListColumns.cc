#include "browse/FileListColumns.h"

namespace tq {

namespace {

const CListColumn kColumns[kListColumnCount] = {
    {"\x96\xbc\x91\x4f", EColumnAlign::kLeft, 220},                 // 名前
    {"\x83\x54\x83\x43\x83\x59", EColumnAlign::kRight, 60},         // サイズ
    {"\x8e\xed\x97\xde", EColumnAlign::kLeft, 90},                  // 種類
    {"\x8d\x58\x90\x56\x93\xfa\x8e\x9e", EColumnAlign::kLeft, 90},  // 更新日時
    {"\x91\xae\x90\xab", EColumnAlign::kRight, 40},                 // 属性
};

}  // namespace

const CListColumn* GetListColumn(int32_t nColumn) {
    if (nColumn < 0 || nColumn >= kListColumnCount) {
        return nullptr;
    }
    return &kColumns[nColumn];
}

}  // namespace tq
