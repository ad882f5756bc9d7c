// What the files of every system share (File.h): the fault hook every operation asks first
// (Faults.h) and the order of a search.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Faults.h"
#include "platform/File.h"

namespace tq {

// A search of one folder on the system's own calls (one kind per system), and, for a search by
// name, the entries read whole and ordered.
class CFindFileImpl {
public:
    virtual ~CFindFileImpl() = default;
    // The folder's next entry that matches, as the system lists it; ERROR_NO_MORE_FILES at the
    // end. The names without a code page 932 form go to untranslatable.
    virtual int32_t ReadEntry(CFindData& data, std::vector<std::string>& untranslatable) = 0;
    // Gives the system's search back once a search by name has read the folder whole, so that
    // no folder stays open while the caller walks the entries.
    virtual void CloseSearch() = 0;

    EFindOrder m_order = EFindOrder::kByName;
    std::vector<CFindData> m_entries;
    size_t m_nNext = 0;
};

}  // namespace tq
