// The control-file object: finds the product's two control files through the registry, holds
// the base control file against other writers and the ".lock" file against the index builder,
// loads the model, and saves it (base control file, control file, rebuild requests, group ids,
// sample query file). The application operations that change the model are members too; they
// live in applications/.
#pragma once

#include <cstdint>
#include <string>

#include "controlfile/CtrlLogFile.h"
#include "controlfile/CtrlModel.h"
#include "manager/DBNameIndex.h"
#include "manager/GroupNameIndex.h"
#include "manager/PendingRenames.h"
#include "manager/ProductRegKey.h"
#include "platform/File.h"

namespace tq {

// Database types as callers address them.
constexpr int32_t DBTYPE_ALL = 0;
constexpr int32_t DBTYPE_FIXED = 1;
constexpr int32_t DBTYPE_SELECTION = 2;
constexpr int32_t DBTYPE_FREE = 3;

// Results of MakeDBName.
constexpr int32_t DBNAME_NEW = 1;       // a name no database has
constexpr int32_t DBNAME_OWN = 2;       // the name of the excluded database itself
constexpr int32_t DBNAME_PREVIOUS = 3;  // the previous name of the excluded database

class CCtrlFile : public CCtrlModel {
public:
    explicit CCtrlFile(ETextMemory eTexts = ETextMemory::kEditable);
    // Closes the files; a lock file this object holds is deleted.
    ~CCtrlFile();
    CCtrlFile(const CCtrlFile&) = delete;
    CCtrlFile& operator=(const CCtrlFile&) = delete;

    // ---- files (manager/CtrlFile.cc) ----

    // Opens the product key (a path below HKEY_LOCAL_MACHINE). 0 or TQE_REG_READ.
    int32_t OpenProductKey(const std::string& strPath);
    // The product key's path with its trailing backslash; empty while none is open.
    std::string GetProductKeyPath() const { return m_productKey.GetPath(); }
    CProductRegKey& GetProductKey() { return m_productKey; }

    // Reads the folder and file names from the registry, resets the builder's requests when
    // the control file is missing, takes the lock file (when nobody else holds it) and loads
    // the base control file, which stays open with other writers denied. 0 or an error code;
    // the object counts as loaded only after 0.
    int32_t Load();
    // Saves a loaded model. With a confirmation text the user is asked (Yes/No) before a
    // modified model is written; without one nobody is asked. 0 or an error code; after a
    // failure the flags stay, so a later save tries again.
    int32_t Save(const std::string* pConfirmation = nullptr);
    // Whether the index builder sees the files in use: 1 when the lock file exists and cannot
    // be deleted, 0 when it does not exist or was a stale one (then deleted), TQE_REG_READ.
    int32_t GetBuilderLock() const;
    // Whether this user may change the product's data: the registry below "Builder" and the
    // data folder must both be writable.
    bool CanWriteData();
    // Before every read: clears the model and forgets the loaded path.
    void Reset();
    // Lets the product's files go: closes the base control file and deletes the lock file this
    // object holds; the model stays, but it no longer counts as loaded. An editor calls this
    // before it gives up the editing mutex, so that the next editor finds the files free.
    void CloseFiles();

    bool IsLoaded() const { return m_dwLoaded != 0; }
    const std::string& GetLoadedPath() const { return m_strLoadedPath; }
    // The data folder, with its trailing backslash (known after Load).
    const std::string& GetDataPath() const { return m_strDataPath; }
    void SetDataPath(const std::string& strPath) { m_strDataPath = strPath; }

    // ---- databases (applications/DBAddressing.cc) ----

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
    // Selects (selected != 0) or deselects a database; fixed databases refuse (TQE_DB_LOCKED).
    int32_t SetDBSelected(int32_t index, int32_t selected);

    // ---- applications (applications/AppliEdit.cc) ----

    // Adds a database with this public name at the end of its type (0 and 3: free type).
    int32_t AddAppli(int32_t type, const std::string& strPublicName);
    // Gives a free-type database a new public name (and the database name derived from it).
    int32_t RenameAppli(int32_t index, const std::string& strPublicName);
    // Whether RenameAppli would take the name, changing nothing: its answer.
    int32_t CheckRenameAppli(int32_t index, const std::string& strPublicName) const;
    // Removes a free-type database, with its groups that nothing else uses. With bConfirm the
    // user is asked first (No: TQE_CANCELLED).
    int32_t RemoveAppli(int32_t index, bool bConfirm);
    // 0 for a free-type database (one the user may change); TQE_DB_LOCKED for the product's
    // own, TQE_DB_NUMBER for a bad index.
    int32_t CheckFreeType(int32_t index) const;

    // ---- documents (applications/DocEntries.cc) ----

    // The path of document i as shown to the user; TQE_NUMBER for a bad i.
    int32_t GetDocDisplayPath(int32_t index, int32_t i, std::string& strPath) const;
    // Adds a document entry (the path, " > " and the public name unless the path names its
    // database already). TQE_ALREADY_REGISTERED, TQE_CONTROL_CHAR.
    int32_t AddDoc(int32_t index, const std::string& strPath);
    // Removes the first entry whose path equals the path's; returns the position it had.
    // TQE_DOC_NOT_REGISTERED, TQE_CONTROL_CHAR.
    int32_t RemoveDoc(int32_t index, const std::string& strPath);

    // ---- groups (applications/DBGroups.cc) ----

    // Files a database under the group groupName below the top-level group *pParentName (or
    // at top level without one), creating the groups as needed.
    int32_t AddDBToGroup(int32_t index, const std::string& strGroupName,
                         const std::string* pParentName = nullptr);
    // Renames the group oldName below the top-level group *pParentName (or at top level).
    int32_t RenameGroup(const std::string* pParentName, const std::string& strOldName,
                        const std::string& strNewName);
    // Whether RenameGroup would succeed, changing nothing: its answer.
    int32_t CheckRenameGroup(const std::string* pParentName, const std::string& strOldName,
                             const std::string& strNewName) const;

    // ---- database names (applications/MakeDBName.cc) ----

    // The database name for a public name: unique among the databases' names and previous
    // names (excluding the database at excludeIndex, -1 for none) and not a plain file in the
    // data folder. DBNAME_NEW, DBNAME_OWN or DBNAME_PREVIOUS, or TQE_DB_FOLDER_CREATE when
    // even the last fallback, a temporary name in the data folder, cannot be made.
    int32_t MakeDBName(const std::string& strPublicName, int32_t excludeIndex,
                       std::string& strName) const;

    // The indexes follow the model by themselves after a load; code that edits the database
    // array or group names directly calls this.
    void InvalidateIndexes() const;

private:
    int32_t ReadControlFolder(std::string& strFolder) const;
    int32_t ReadFilePath(const char* pszValue, std::string& strPath) const;
    int32_t LoadFile(const std::string& strPath, bool bWithLog, CFile* pFile = nullptr);
    int32_t ReserveControlFile(const std::string& strControlPath, CFile& reservation) const;
    int32_t CompareWithControlFile(const std::string& strControlPath, CFile& reservation,
                                   bool& bEqual);
    void RequestWhatTheBuilderLacks(const CCtrlFile& onDisk);
    bool HasSelectedDatabaseNamed(std::string_view strName) const;
    void FollowPendingGroupIds(const std::string& strControlPath);
    std::string GetPendingRenamesPath() const;
    EPendingState ReadPendingRenames(std::vector<CPendingRename>& renames);
    int32_t RecordPendingRenames();
    int32_t FinishPendingRenames();
    void LogNote(uint32_t id, const std::string& strFirst, const std::string* pSecond = nullptr);
    void EndSave();
    std::string GetCaption() const;

    CCtrlGroup* FindGroupToRename(const std::string* pParentName,
                                  const std::string& strOldName) const;
    bool IsValidIndex(int32_t index) const;
    int32_t CheckNameCandidate(const std::string& strName, int32_t excludeIndex) const;
    void ReleaseGroups(CCtrlDatabase& db);

    CFile m_file;  // the base control file while loaded
    std::string m_strLoadedPath;
    std::string m_strDataPath;
    CProductRegKey m_productKey;
    CCtrlLogFile m_logFile;
    CFile m_lockFile;
    uint32_t m_dwLoaded = 0;

    mutable CDBNameIndex m_dbIndex;
    mutable CGroupNameIndex m_groupIndex;
};

}  // namespace tq
