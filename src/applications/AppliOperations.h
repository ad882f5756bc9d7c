// The application operations: adding, renaming and removing user applications (free-type
// databases), their documents and groups, selecting databases, and deriving a database's name
// from its public name. They work on a loaded control file through the members of its model,
// which keep the model's rules (the type counts, the lookups by name, the removed names); the
// reads by type and number are the model's own (CountDBs, GetDBIndex, FindDBByPublicName,
// GetPublicName, GetDocCount). Nothing here asks the user: an operation that needs consent takes
// it as an argument (manager/Consent.h). The members live in the files named below.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "manager/Consent.h"

namespace tq {

class CCtrlDatabase;
class CCtrlFile;
class CCtrlGroup;

// Results of MakeDBName.
constexpr int32_t DBNAME_NEW = 1;       // a name no database has
constexpr int32_t DBNAME_OWN = 2;       // the name of the excluded database itself
constexpr int32_t DBNAME_PREVIOUS = 3;  // the previous name of the excluded database

class CAppliOperations {
public:
    explicit CAppliOperations(CCtrlFile& file) : m_file(file) {}

    // ---- selection and kind (DBAddressing.cc) ----

    // Selects (selected != 0) or deselects a database; fixed databases refuse (TQE_DB_LOCKED).
    int32_t SetDBSelected(int32_t index, int32_t selected);
    // 0 for a free-type database (one the user may change); TQE_DB_LOCKED for the product's
    // own, TQE_DB_NUMBER for a bad index.
    int32_t CheckFreeType(int32_t index) const;

    // ---- applications (AppliEdit.cc) ----

    // Adds a database with this public name at the end of its type (0 and 3: free type).
    int32_t AddAppli(int32_t type, const std::string& strPublicName);
    // Gives a free-type database a new public name (and the database name derived from it).
    int32_t RenameAppli(int32_t index, const std::string& strPublicName);
    // Whether RenameAppli would take the name, changing nothing: its answer.
    int32_t CheckRenameAppli(int32_t index, const std::string& strPublicName) const;
    // Removes a free-type database, with its groups that nothing else uses, once the user has
    // consented (kPending: CONSENT_NEEDED, kRefused: TQE_CANCELLED, both after the database's
    // own checks and changing nothing).
    int32_t RemoveAppli(int32_t index, EConsent consent = EConsent::kGiven);

    // ---- documents (DocEntries.cc) ----

    // The path of document i as shown to the user; TQE_NUMBER for a bad i.
    int32_t GetDocDisplayPath(int32_t index, int32_t i, std::string& strPath) const;
    // The paths of all of the database's documents as shown to the user, in order.
    std::vector<std::string> GetDocDisplayPaths(int32_t index) const;
    // Adds a document entry (the path, " > " and the public name unless the path names its
    // database already). TQE_ALREADY_REGISTERED, TQE_CONTROL_CHAR.
    int32_t AddDoc(int32_t index, const std::string& strPath);
    // Removes the first entry whose path equals the path's; returns the position it had.
    // TQE_DOC_NOT_REGISTERED, TQE_CONTROL_CHAR.
    int32_t RemoveDoc(int32_t index, const std::string& strPath);

    // ---- groups (DBGroups.cc) ----

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

    // ---- database names (MakeDBName.cc) ----

    // The database name for a public name: unique among the databases' names and previous
    // names (excluding the database at excludeIndex, -1 for none) and not a plain file in the
    // data folder. DBNAME_NEW, DBNAME_OWN or DBNAME_PREVIOUS, or TQE_DB_FOLDER_CREATE when
    // even the last fallback, a temporary name in the data folder, cannot be made.
    int32_t MakeDBName(const std::string& strPublicName, int32_t excludeIndex,
                       std::string& strName) const;

private:
    int32_t RenameToNew(size_t pos, const std::string& strPublicName);
    CCtrlGroup* FindGroupToRename(const std::string* pParentName,
                                  const std::string& strOldName) const;
    int32_t CheckNameCandidate(const std::string& strName, int32_t excludeIndex) const;
    void ReleaseGroups(CCtrlDatabase& db);

    CCtrlFile& m_file;
};

}  // namespace tq
