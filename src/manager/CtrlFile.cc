#include "manager/CtrlFile.h"

#include <new>

#include "controlfile/CtrlCompare.h"
#include "controlfile/CtrlPrepare.h"
#include "controlfile/CtrlReader.h"
#include "controlfile/CtrlWriter.h"
#include "controlfile/NameRules.h"
#include "manager/PendingGroupIds.h"
#include "manager/RebuildRequests.h"
#include "manager/SampleQuery.h"
#include "platform/Cp932.h"
#include "platform/Registry.h"
#include "platform/Win32Error.h"
#include "resources/ErrorCodes.h"
#include "resources/StringTable.h"

namespace tq {
namespace {

constexpr const char* kLockSuffix = ".lock";

bool FileExists(const std::string& strPath) {
    uint32_t attributes = 0;
    return GetFileAttributes(strPath, attributes) == ERROR_SUCCESS;
}

// Whether the builder indexed a database from the same sources as this one has.
bool SameSources(const CCtrlDatabase& db, const CCtrlDatabase& built) {
    return db.m_strName == built.m_strName && db.m_strDocListFile == built.m_strDocListFile &&
           db.m_docs == built.m_docs && db.m_skipDocs == built.m_skipDocs;
}

}  // namespace

CCtrlFile::CCtrlFile(ETextMemory eTexts) : CCtrlModel(eTexts) {}

CCtrlFile::~CCtrlFile() {
    CloseFiles();
}

void CCtrlFile::CloseFiles() {
    m_file.Close();
    if (m_lockFile.IsOpen()) {
        const std::string strPath = m_lockFile.GetPath();
        m_lockFile.Close();
        DeleteFile(strPath);
    }
    m_dwLoaded = 0;
}

int32_t CCtrlFile::OpenProductKey(const std::string& strPath) {
    return m_productKey.Open(strPath) == ERROR_SUCCESS ? TQ_OK : TQE_REG_READ;
}

void CCtrlFile::Reset() {
    Clear();
    m_strLoadedPath.clear();
}

int32_t CCtrlFile::ReadControlFolder(std::string& strFolder) const {
    if (m_productKey.GetString("Path", "Control", strFolder) != ERROR_SUCCESS) {
        return TQE_REG_READ;
    }
    AppendBackslash(strFolder);
    return TQ_OK;
}

// The control folder followed by the file name in "Builder" -> pszValue.
int32_t CCtrlFile::ReadFilePath(const char* pszValue, std::string& strPath) const {
    std::string strFolder;
    std::string strName;
    if (ReadControlFolder(strFolder) != TQ_OK ||
        m_productKey.GetString("Builder", pszValue, strName) != ERROR_SUCCESS) {
        return TQE_REG_READ;
    }
    strPath = strFolder + strName;
    return TQ_OK;
}

// Reads through pFile when given (a handle already open on the file), else through the
// object's own file.
int32_t CCtrlFile::LoadFile(const std::string& strPath, bool bWithLog, CFile* pFile) {
    m_strLoadedPath.clear();
    CCtrlReader reader(*this, bWithLog ? &m_logFile : nullptr);
    return reader.Load(pFile != nullptr ? *pFile : m_file, strPath, &m_strLoadedPath);
}

int32_t CCtrlFile::Load() {
    GetGroupSet().SetProductKey(&m_productKey);
    std::string strDataPath;
    if (m_productKey.GetString("Path", "DataPath", strDataPath) != ERROR_SUCCESS) {
        return TQE_REG_READ;
    }
    AppendBackslash(strDataPath);
    m_strDataPath = strDataPath;
    std::string strControlFolder;
    std::string strBasePath;
    std::string strControlPath;
    if (ReadControlFolder(strControlFolder) != TQ_OK ||
        ReadFilePath("BaseControlFile", strBasePath) != TQ_OK ||
        ReadFilePath("ControlFile", strControlPath) != TQ_OK) {
        return TQE_REG_READ;
    }
    // A log path without a drive in the file is taken from the control folder.
    m_logFile.SetControlFolder(strControlFolder);
    if (!FileExists(strControlPath)) {
        // The builder has no control file to work from: whatever it was asked before no
        // longer applies, and it must rebuild everything from the file the save will write.
        m_productKey.ResetBuilderRequest();
    }
    if (!m_lockFile.IsOpen()) {
        // Held without any sharing, so the builder (and every other process) cannot delete it
        // while this object lives. When another editor holds it already, this one goes on
        // without it: the editing mutex keeps editors apart, the lock only tells the builder.
        m_lockFile.Open(strBasePath + kLockSuffix, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_NONE,
                        CREATE_ALWAYS);
    }
    const int32_t lResult = LoadFile(strBasePath, true);
    m_dwLoaded = lResult == TQ_OK ? 1 : 0;
    if (lResult == TQ_OK) {
        // What a save that died after its base control file left undone. When the sample query
        // file cannot follow the renames now, their record stays for the next load or save.
        FollowPendingGroupIds(strControlPath);
        FinishPendingRenames();
    }
    return lResult;
}

// The index builder reads the control file with deletion denied, and the control file cannot be
// replaced meanwhile. A save of a modified model rewrites the base control file first; if the
// builder then stopped the control file's rewrite, the base control file would hold the change
// while what it asks of the builder (rebuild requests, the sample query file's new names) was
// lost with this object. So such a save first takes the control file: a handle with read and
// delete access that shares everything, held until the control file is rewritten. The builder
// cannot open the file while it is held, the save's own rename still can replace it, and a
// builder that holds the file already stops the save before anything is written.
int32_t CCtrlFile::ReserveControlFile(const std::string& strControlPath, CFile& reservation) const {
    const int32_t err =
        reservation.Open(strControlPath, GENERIC_READ | DELETE_ACCESS,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING);
    // A missing control file is written anew; nobody can hold it. Any other failure (the
    // builder holds it, access is denied) stops the save before anything is written: the
    // control file's replacement would fail the same way after the base control file.
    return err == ERROR_SUCCESS || err == ERROR_FILE_NOT_FOUND || err == ERROR_PATH_NOT_FOUND
               ? TQ_OK
               : TQE_BASE_UPDATE;
}

// Reads the control file into a second object (no log, no lock; through the reservation when
// the save holds one) and tells whether it already says what this model would write; when this
// model is to be written anyway, carries the builder's resolved paths over and writes the
// rebuild requests.
int32_t CCtrlFile::CompareWithControlFile(const std::string& strControlPath, CFile& reservation,
                                          bool& bEqual) {
    CCtrlFile onDisk(ETextMemory::kReadOnly);
    int32_t lResult =
        onDisk.LoadFile(strControlPath, false, reservation.IsOpen() ? &reservation : nullptr);
    if (lResult != TQ_OK) {
        return lResult;
    }
    bEqual = !IsModified() && CtrlModelsEqual(*this, onDisk);
    if (bEqual) {
        return TQ_OK;
    }
    if (!IsModified() && !CanWriteData()) {
        return TQE_NO_WRITE_PERMISSION;
    }
    RequestWhatTheBuilderLacks(onDisk);
    return WriteRebuildRequests(*this, m_productKey);
}

// The control file can lag behind the base control file: a save that died after writing the
// base control file took the marks that would have asked for its rebuilds along with it, and
// the next save, loaded from the base control file, has nothing marked. So whatever the
// builder's file lacks is asked for as those marks would have: a selected database that the
// file does not hold, or holds with other sources, is rebuilt; a database that left the file
// (removed, renamed, deselected) changes the structure. After a save that went through, every
// such database is marked already, so this adds nothing. A database not to be rebuilt keeps the
// RootPath and ExePath lists the builder resolved for it.
void CCtrlFile::RequestWhatTheBuilderLacks(const CCtrlFile& onDisk) {
    for (const auto& pDb : GetDatabases()) {
        CCtrlDatabase& db = *pDb;
        if (db.m_dwState & (DBSTATE_DESELECTED | DBSTATE_REBUILD)) {
            continue;
        }
        const int32_t found = onDisk.FindDBByPublicName(DBTYPE_ALL, db.m_strPublicName);
        const CCtrlDatabase* pBuilt =
            found < 0 ? nullptr : onDisk.GetDatabase(static_cast<size_t>(found));
        if (pBuilt == nullptr || !SameSources(db, *pBuilt)) {
            db.m_dwState |= DBSTATE_REBUILD;
        } else {
            db.m_rootPath = pBuilt->m_rootPath;
            db.m_exePath = pBuilt->m_exePath;
        }
    }
    for (const auto& pBuilt : onDisk.GetDatabases()) {
        if (!HasSelectedDatabaseNamed(pBuilt->m_strName)) {
            SetStructureChanged();
            return;
        }
    }
}

bool CCtrlFile::HasSelectedDatabaseNamed(std::string_view strName) const {
    for (size_t pos : FindNames(strName)) {
        const CCtrlDatabase& db = *GetDatabase(pos);
        if (!db.IsDeselected() && EqualsNoCase(db.m_strName, strName)) {
            return true;
        }
    }
    return false;
}

// The groups of a base control file that a save renumbered take the ids that save put aside for
// them, not those saved under the same numbers before. Once the control file is numbered so as
// well, those become the saved ids, so that the registry follows the builder's file again.
void CCtrlFile::FollowPendingGroupIds(const std::string& strControlPath) {
    if (!TakeUpPendingGroupIds(GetGroupSet(), m_productKey)) {
        return;
    }
    CCtrlFile onDisk(ETextMemory::kReadOnly);
    if (onDisk.LoadFile(strControlPath, false) != TQ_OK ||
        GroupTreeMark(onDisk.GetGroupSet()) != GroupTreeMark(GetGroupSet())) {
        return;
    }
    CRegistryBatch batch;
    if (GetGroupSet().SaveUniqueIds() == 0) {
        batch.Commit();
    }
}

std::string CCtrlFile::GetPendingRenamesPath() const {
    return PendingRenamesPath(m_strLoadedPath);
}

// A line added to the indexing log of the last load, when the file names one.
void CCtrlFile::LogNote(uint32_t id, const std::string& strFirst, const std::string* pSecond) {
    if (!GetSettings().m_strOutputLog.empty() && m_logFile.Resume()) {
        m_logFile.Message(id, &strFirst, pSecond);
        m_logFile.Close();
    }
}

// The record beside the loaded base control file. One that tells nothing is reported and goes,
// so that no later save builds on it; a later version's record is reported and left as it is.
EPendingState CCtrlFile::ReadPendingRenames(std::vector<CPendingRename>& renames) {
    const std::string strPath = GetPendingRenamesPath();
    const EPendingState state = tq::ReadPendingRenames(strPath, renames);
    if (state == EPendingState::kDamaged) {
        LogNote(IDS_LOG_RENAMES_DAMAGED, strPath);
        DeleteFile(strPath);
    } else if (state == EPendingState::kNewer) {
        LogNote(IDS_LOG_RENAMES_NEWER, strPath);
    }
    return state;
}

// Before the base control file is replaced: the previous names of this save's renames go to the
// record, after those still pending, so that whoever loads the files next can finish them.
int32_t CCtrlFile::RecordPendingRenames() {
    std::vector<CPendingRename> current;
    for (const auto& pDb : GetDatabases()) {
        if ((pDb->m_dwState & DBSTATE_NAME_CHANGED) && !pDb->m_strPrevName.empty()) {
            current.push_back({std::string(pDb->m_strPrevName), std::string(pDb->m_strName)});
        }
    }
    if (current.empty()) {
        return TQ_OK;
    }
    // The record is part of the base control file's update: when it cannot be read or
    // written, the base control file is not replaced either.
    std::vector<CPendingRename> renames;
    const EPendingState state = ReadPendingRenames(renames);
    if (state == EPendingState::kNewer) {
        return TQ_OK;  // not this version's to replace; the save goes on as without a record
    }
    if (state == EPendingState::kUnreadable) {
        return TQE_BASE_UPDATE;
    }
    renames.insert(renames.end(), current.begin(), current.end());
    return WritePendingRenames(GetPendingRenamesPath(), renames) == 0 ? TQ_OK : TQE_BASE_UPDATE;
}

// The sample query file follows this save's renames and those of the record, which then goes.
int32_t CCtrlFile::FinishPendingRenames() {
    RenameMap renamed = RenamedSinceSave(*this);
    std::vector<CPendingRename> pending;
    const EPendingState state = ReadPendingRenames(pending);
    if (state == EPendingState::kUnreadable) {
        return TQE_BASE_UPDATE;
    }
    if (state == EPendingState::kRead) {
        std::vector<CPendingRename> dropped;
        for (auto& [strOld, strNew] : ResolvePendingRenames(pending, *this, &dropped)) {
            renamed.emplace(strOld, strNew);
        }
        for (const auto& rename : dropped) {
            LogNote(IDS_LOG_RENAME_DROPPED, rename.m_strOld, &rename.m_strNew);
        }
    }
    if (AnyNameChanged(*this) || !renamed.empty()) {
        if (const int32_t lResult = RewriteSampleQueryFile(renamed, m_productKey);
            lResult != TQ_OK) {
            return lResult;
        }
    }
    // A record left behind would only be finished again, but the save that made it is not
    // done until it goes.
    if (state == EPendingState::kRead) {
        const int32_t err = DeleteFile(GetPendingRenamesPath());
        if (err != ERROR_SUCCESS && err != ERROR_FILE_NOT_FOUND) {
            return TQE_BASE_UPDATE;
        }
    }
    return TQ_OK;
}

// What a successful save leaves: nothing pending, and the selection as saved.
void CCtrlFile::EndSave() {
    ClearChanges();
    for (size_t pos = 0; pos < GetDBCount(); ++pos) {
        CCtrlDatabase& db = *GetDatabase(pos);
        if (db.IsDeselected()) {
            db.m_dwState |= DBSTATE_WAS_DESELECTED;
        } else {
            db.m_dwState &= ~DBSTATE_WAS_DESELECTED;
        }
        db.m_dwState &= ~DBSTATE_REBUILD;
        // The saved names are now the current ones. A later rename in this session must start
        // from them again, or the sample query file would never hear of it.
        if (!db.m_strPrevName.empty()) {
            ChangeNames(pos, [](CCtrlDatabase& changed) {
                changed.m_strPrevName.clear();
                return TQ_OK;
            });
        }
        db.m_strPrevPublicName.clear();
    }
}

// A modified model's part of a save, up to the base control file written: the consent, the
// control file's path and reservation, the record of renames and the ids put aside.
int32_t CCtrlFile::WriteBaseFile(EConsent consent, std::string& strControlPath,
                                 CFile& reservation) {
    if (!CanWriteData()) {
        return TQE_NO_WRITE_PERMISSION;
    }
    if (const int32_t lConsent = CheckConsent(consent); lConsent != TQ_OK) {
        return lConsent;
    }
    if (ReadFilePath("ControlFile", strControlPath) != TQ_OK) {
        return TQE_REG_READ;
    }
    int32_t lResult = ReserveControlFile(strControlPath, reservation);
    if (lResult == TQ_OK) {
        lResult = RecordPendingRenames();
    }
    if (lResult != TQ_OK) {
        return lResult;
    }
    // The numbers the base control file is about to get, and their groups' ids put aside
    // until the control file has the same numbers.
    RenumberGroups();
    // They reach the disk before the renumbered file, like the requests before the control
    // file: a power loss must not keep the new numbers and lose the ids put aside for them.
    if (PutAsidePendingGroupIds(GetGroupSet(), m_productKey) != ERROR_SUCCESS ||
        m_productKey.Flush() != ERROR_SUCCESS) {
        return TQE_REG_WRITE;
    }
    return CCtrlWriter(*this).Write(m_strLoadedPath, true, &m_file);
}

// A control file that is missing is written anew (by a user who may write, when nothing else
// changed); one that exists is read and compared, and bEqual tells that it needs no writing.
int32_t CCtrlFile::CheckControlFile(const std::string& strControlPath, CFile& reservation,
                                    bool& bEqual) {
    bEqual = false;
    if (FileExists(strControlPath)) {
        return CompareWithControlFile(strControlPath, reservation, bEqual);
    }
    return !IsModified() && !CanWriteData() ? TQE_NO_WRITE_PERMISSION : TQ_OK;
}

// The builder's part of a save: its requests, then its file, then the groups' ids.
int32_t CCtrlFile::WriteControlFile(const std::string& strControlPath) {
    // A save that left the base control file as it was puts its group ids aside only now, to be
    // flushed with the requests: a power loss that keeps the control file may take the ids saved
    // after it, and a product's first save has no ids from before. The next load saves them.
    if (!IsModified() && PutAsidePendingGroupIds(GetGroupSet(), m_productKey) != ERROR_SUCCESS) {
        return TQE_REG_WRITE;
    }
    // The builder hears of a new structure before its file shows one: the other way round, a
    // process that died between the two would leave the builder a new file and no word of it,
    // and the next save finds the files equal and writes nothing.
    if (IsStructureChanged() &&
        m_productKey.SetDWORD("Builder\\Request", "<REG>", 1) != ERROR_SUCCESS) {
        return TQE_REG_WRITE;
    }
    // The requests and <REG> reach the disk before the file they are about: the registry syncs
    // its commits only now and then, and a power loss could keep the new file and lose them.
    if (m_productKey.Flush() != ERROR_SUCCESS) {
        return TQE_REG_WRITE;
    }
    const int32_t lResult = CCtrlWriter(*this).Write(strControlPath, false);
    if (lResult != TQ_OK) {
        return lResult;
    }
    // Thousands of group ids go out in one registry transaction; a failure leaves the ids as
    // they were.
    CRegistryBatch batch;
    return GetGroupSet().SaveUniqueIds() != 0 || batch.Commit() != 0 ? TQE_REG_WRITE : TQ_OK;
}

int32_t CCtrlFile::Save(EConsent consent) {
    if (m_dwLoaded == 0) {
        return TQE_NOT_LOADED;
    }
    int32_t lResult = PrepareForSave(*this);
    if (lResult != TQ_OK) {
        return lResult;
    }
    std::string strControlPath;
    CFile reservation;
    if (IsModified()) {
        lResult = WriteBaseFile(consent, strControlPath, reservation);
    } else if (ReadFilePath("ControlFile", strControlPath) != TQ_OK) {
        lResult = TQE_REG_READ;
    }
    bool bEqual = false;
    if (lResult == TQ_OK) {
        lResult = CheckControlFile(strControlPath, reservation, bEqual);
    }
    if (lResult != TQ_OK || bEqual) {
        return lResult;
    }
    lResult = WriteControlFile(strControlPath);
    if (lResult == TQ_OK) {
        lResult = FinishPendingRenames();
    }
    if (lResult == TQ_OK) {
        EndSave();
    }
    return lResult;
}

int32_t CCtrlFile::GetBuilderLock() const {
    std::string strBasePath;
    if (ReadFilePath("BaseControlFile", strBasePath) != TQ_OK) {
        return TQE_REG_READ;
    }
    const std::string strLockPath = strBasePath + kLockSuffix;
    if (!FileExists(strLockPath)) {
        return 0;
    }
    // A holder opened it without delete sharing; a file nobody holds is left over from a
    // holder that died, and goes.
    return DeleteFile(strLockPath) == ERROR_SUCCESS ? 0 : 1;
}

bool CCtrlFile::CanWriteData() {
    try {
        if (!m_productKey.CheckWriteAccess()) {
            return false;
        }
        std::string strFolder;
        if (m_productKey.GetString("Path", "DataPath", strFolder) != ERROR_SUCCESS) {
            return false;
        }
        AppendBackslash(strFolder);
        std::string strTemp;
        if (GetTempFileName(strFolder, "", strTemp) != ERROR_SUCCESS) {
            return false;
        }
        CFile probe;
        const bool bWritable = probe.Open(strTemp, GENERIC_WRITE, FILE_SHARE_NONE, CREATE_ALWAYS,
                                          FILE_FLAG_DELETE_ON_CLOSE) == ERROR_SUCCESS;
        probe.Close();
        if (FileExists(strTemp)) {
            DeleteFile(strTemp);
        }
        return bWritable;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

}  // namespace tq
