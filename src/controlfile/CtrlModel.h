// The model of one control file: the global settings, the databases in file order (fixed, then
// selection-type, then free-type) and the group tree. The model keeps its own rules, so that no
// caller has to: the three type counts always split the database list, the lookups by name follow
// every change made through its members, and a saved database that leaves the list leaves its
// name among the removed names. The reader fills it, the writer turns it back into text, the
// control-file object (manager/) loads and saves it, and the application operations
// (applications/) change it.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <memory_resource>
#include <string>
#include <string_view>
#include <vector>

#include "controlfile/CtrlDatabase.h"
#include "controlfile/CtrlGroupSet.h"
#include "controlfile/DBNameIndex.h"
#include "controlfile/GroupNameIndex.h"

namespace tq {

// Database types as callers address them.
constexpr int32_t DBTYPE_ALL = 0;
constexpr int32_t DBTYPE_FIXED = 1;
constexpr int32_t DBTYPE_SELECTION = 2;
constexpr int32_t DBTYPE_FREE = 3;

// Where a model's texts live. An editable model takes them from a pool that reuses what an edit
// frees; a model only read and looked at (the builder's file, read back to be compared) takes
// them from a buffer that only grows, so that dropping the model frees no text one by one.
enum class ETextMemory { kEditable, kReadOnly };

// The global lines of a control file: the indexing log and the four switches.
struct CCtrlSettings {
    std::string m_strOutputLog;
    uint32_t m_dwSelectAllDisabled = 0;
    uint32_t m_dwBlankSources = 0;
    uint32_t m_dwDivideNoBookmark = 0;
    uint32_t m_dwAddID = 0;
};

class CCtrlModel {
public:
    using CDatabaseList = std::vector<std::unique_ptr<CCtrlDatabase>>;

    explicit CCtrlModel(ETextMemory eTexts = ETextMemory::kEditable);
    CCtrlModel(const CCtrlModel&) = delete;
    CCtrlModel& operator=(const CCtrlModel&) = delete;

    // Done before every read: frees the databases and groups, clears the settings, the counts,
    // the removed names and the structure-changed flag. The modified flag stays.
    void Clear();

    // ---- the databases ----

    CCtrlDatabase* GetDatabase(size_t index) const { return m_databases[index].get(); }
    size_t GetDBCount() const { return m_databases.size(); }
    const CDatabaseList& GetDatabases() const { return m_databases; }
    uint32_t GetFixedCount() const { return m_nFixedCount; }
    uint32_t GetSelectionCount() const { return m_nSelectionCount; }
    uint32_t GetFreeCount() const { return m_nFreeCount; }

    bool IsValidIndex(int32_t index) const;
    // Number of databases of a type (0 all, 1 fixed, 2 selection, 3 free); TQE_DB_TYPE.
    int32_t CountDBs(int32_t type) const;
    // Index in the whole list of database `number` (0-based) of a type; TQE_DB_NUMBER,
    // TQE_DB_TYPE.
    int32_t GetDBIndex(int32_t type, int32_t number) const;
    // Number within the type (the index for type 0) of the first database of that type whose
    // public name equals the name, ignoring case. TQE_DB_TYPE; TQE_DBNAME_NOT_FOUND.
    int32_t FindDBByPublicName(int32_t type, std::string_view strName) const;
    // The public name; empty for an index out of range.
    std::string GetPublicName(int32_t index) const;
    // Number of documents; TQE_DB_NUMBER for an index out of range.
    int32_t GetDocCount(int32_t index) const;

    // Positions, in increasing order, of the databases whose public name / whose name or
    // previous name equals the text, ignoring case.
    const std::vector<size_t>& FindPublicNames(std::string_view text) const;
    const std::vector<size_t>& FindNames(std::string_view text) const;
    // Whether a group anywhere in the tree bears the name, ignoring case.
    bool HasGroupNamed(std::string_view name) const;

    // A new, empty record at the end of its type's databases (type 0 counts as free type), for
    // a reader that fills it in place.
    CCtrlDatabase* AppendDatabase(int32_t type);
    // Puts a filled record at the end of its type's databases; returns its index.
    size_t InsertDatabase(int32_t type, std::unique_ptr<CCtrlDatabase> pDb);
    // Takes the database at index out of the list and hands it over. One that was in the saved
    // file (not new) leaves its saved name among the removed names.
    std::unique_ptr<CCtrlDatabase> RemoveDatabase(size_t index);
    // Lets change set any of the names of the database at index (name, previous name, public
    // name) and returns change's answer; the lookups follow. During the change the database
    // is not found by name.
    int32_t ChangeNames(size_t index, const std::function<int32_t(CCtrlDatabase&)>& change);

    // ---- the groups ----

    const CCtrlGroupSet& GetGroupSet() const { return m_groupSet; }
    // For a reader, a writer and a save; groups are added and renamed through the members
    // below, so that the lookups by name follow.
    CCtrlGroupSet& GetGroupSet() { return m_groupSet; }
    // A new group below the group nParentId (0: top level): its id, or the negative code.
    int32_t AddGroup(int32_t nParentId, const std::string& strName);
    int32_t RenameGroup(CCtrlGroup* pGroup, const std::string& strName);
    // Drops the groups nothing uses and numbers the others 1, 2, ... in preorder.
    void RenumberGroups();

    // ---- settings and changes ----

    const CCtrlSettings& GetSettings() const { return m_settings; }
    CCtrlSettings& GetSettings() { return m_settings; }
    // The control file must be written again / the index builder must hear of a new structure.
    bool IsModified() const { return m_dwModified != 0; }
    bool IsStructureChanged() const { return m_dwStructureChanged != 0; }
    void SetModified() { m_dwModified = 1; }
    void SetStructureChanged() { m_dwStructureChanged = 1; }
    // Names of saved databases removed since the load, in order of removal.
    const std::vector<std::string>& GetRemovedNames() const { return m_removedNames; }
    // What a save leaves: neither flag, no removed names.
    void ClearChanges();

private:
    std::unique_ptr<CCtrlDatabase> NewDatabase() const;
    size_t PlaceDatabase(int32_t type, std::unique_ptr<CCtrlDatabase> pDb);

    // Declared before the databases, so that it outlives them. Clear() replaces it, handing
    // its memory back whole.
    ETextMemory m_eTexts;
    std::unique_ptr<std::pmr::memory_resource> m_pPool;

    CCtrlSettings m_settings;
    CDatabaseList m_databases;
    CCtrlGroupSet m_groupSet;
    uint32_t m_dwStructureChanged = 0;
    uint32_t m_dwModified = 0;
    std::vector<std::string> m_removedNames;
    uint32_t m_nFixedCount = 0;
    uint32_t m_nSelectionCount = 0;
    uint32_t m_nFreeCount = 0;

    mutable CDBNameIndex m_dbIndex;
    mutable CGroupNameIndex m_groupIndex;
};

}  // namespace tq
