// What the files of every system share (File.h): the fault hook every operation asks first
// (Faults.h) and the order of a search.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Faults.h"
#include "platform/File.h"

namespace tq {

// The entries of a search, in the order NTFS lists a folder: "." and ".." first, then the names
// ignoring case.
class CFindFileImpl {
public:
    std::vector<CFindData> m_entries;
    size_t m_nNext = 0;
};

// The end of FindFirst: orders the entries found and hands out the first, or answers
// ERROR_FILE_NOT_FOUND when there is none.
int32_t TakeFirstFound(CFindFileImpl& found, CFindData& data);

}  // namespace tq
