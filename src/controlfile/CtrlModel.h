// The model of one control file: the global settings, the databases in file order (fixed, then
// selection-type, then free-type) and the group tree. The control-file object builds on it; the
// reader fills it, the writer turns it back into text.
#pragma once

#include <cstdint>
#include <memory>
#include <memory_resource>
#include <string>
#include <vector>

#include "controlfile/CtrlDatabase.h"
#include "controlfile/CtrlGroupSet.h"

namespace tq {

// Where a model's texts live. An editable model takes them from a pool that reuses what an edit
// frees; a model only read and looked at (the builder's file, read back to be compared) takes
// them from a buffer that only grows, so that dropping the model frees no text one by one.
enum class ETextMemory { kEditable, kReadOnly };

class CCtrlModel {
public:
    explicit CCtrlModel(ETextMemory eTexts = ETextMemory::kEditable);
    CCtrlModel(const CCtrlModel&) = delete;
    CCtrlModel& operator=(const CCtrlModel&) = delete;

    // Done before every read: frees the databases and groups, clears the global flags, the
    // counts, the output log path, the removed names and the structure-changed flag. The
    // modified flag stays.
    void Clear();

    CCtrlDatabase* GetDatabase(size_t index) const { return m_databases[index].get(); }
    size_t GetDBCount() const { return m_databases.size(); }
    // Appends a new, empty record at the end and returns it.
    CCtrlDatabase* AppendDatabase();

private:
    // Declared before the databases, so that it outlives them. Clear() replaces it, handing
    // its memory back whole.
    ETextMemory m_eTexts;
    std::unique_ptr<std::pmr::memory_resource> m_pPool;

public:
    std::string m_strOutputLog;
    uint32_t m_dwSelectAllDisabled = 0;
    uint32_t m_dwBlankSources = 0;
    uint32_t m_dwDivideNoBookmark = 0;
    uint32_t m_dwAddID = 0;
    std::vector<std::unique_ptr<CCtrlDatabase>> m_databases;
    CCtrlGroupSet m_groupSet;
    uint32_t m_dwStructureChanged = 0;
    uint32_t m_dwModified = 0;
    std::vector<std::string> m_removedNames;
    uint32_t m_nFixedCount = 0;
    uint32_t m_nSelectionCount = 0;
    uint32_t m_nFreeCount = 0;
};

}  // namespace tq
