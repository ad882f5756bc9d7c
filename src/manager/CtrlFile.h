// The control-file object: finds the product's two control files through the registry, holds
// the base control file against other writers and the ".lock" file against the index builder,
// loads the model, and saves it (base control file, control file, rebuild requests, group ids,
// sample query file). The operations that change the model are those of
// applications/AppliOperations.h; the user is asked by the edit session
// (applications/EditSession.h), never here.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "controlfile/CtrlLogFile.h"
#include "controlfile/CtrlModel.h"
#include "manager/Consent.h"
#include "manager/PendingRenames.h"
#include "manager/ProductRegKey.h"
#include "platform/File.h"

namespace tq {

class CCtrlFile : public CCtrlModel {
public:
    explicit CCtrlFile(ETextMemory eTexts = ETextMemory::kEditable);
    // Closes the files; a lock file this object holds is deleted.
    ~CCtrlFile();
    CCtrlFile(const CCtrlFile&) = delete;
    CCtrlFile& operator=(const CCtrlFile&) = delete;

    // Opens the product key (a path below HKEY_LOCAL_MACHINE). 0 or TQE_REG_READ.
    int32_t OpenProductKey(const std::string& strPath);
    // The product key's path with its trailing backslash; empty while none is open.
    std::string GetProductKeyPath() const { return m_productKey.GetPath(); }
    CProductRegKey& GetProductKey() { return m_productKey; }
    const CProductRegKey& GetProductKey() const { return m_productKey; }

    // Reads the folder and file names from the registry, resets the builder's requests when
    // the control file is missing, takes the lock file (when nobody else holds it) and loads
    // the base control file, which stays open with other writers denied. 0 or an error code;
    // the object counts as loaded only after 0.
    int32_t Load();
    // Saves a loaded model. A modified model is written only with the user's consent: kPending
    // stops with CONSENT_NEEDED once the checks before writing have passed (the caller asks and
    // saves again with the answer), kRefused gives TQE_CANCELLED. An unmodified model needs no
    // consent. 0 or an error code; after a failure the flags stay, so a later save tries again.
    int32_t Save(EConsent consent = EConsent::kGiven);
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

private:
    int32_t ReadControlFolder(std::string& strFolder) const;
    int32_t ReadFilePath(const char* pszValue, std::string& strPath) const;
    int32_t LoadFile(const std::string& strPath, bool bWithLog, CFile* pFile = nullptr);
    int32_t WriteBaseFile(EConsent consent, std::string& strControlPath, CFile& reservation);
    int32_t ReserveControlFile(const std::string& strControlPath, CFile& reservation) const;
    int32_t CheckControlFile(const std::string& strControlPath, CFile& reservation, bool& bEqual);
    int32_t CompareWithControlFile(const std::string& strControlPath, CFile& reservation,
                                   bool& bEqual);
    int32_t WriteControlFile(const std::string& strControlPath);
    void RequestWhatTheBuilderLacks(const CCtrlFile& onDisk);
    bool HasSelectedDatabaseNamed(std::string_view strName) const;
    void FollowPendingGroupIds(const std::string& strControlPath);
    std::string GetPendingRenamesPath() const;
    EPendingState ReadPendingRenames(std::vector<CPendingRename>& renames);
    int32_t RecordPendingRenames();
    int32_t FinishPendingRenames();
    void LogNote(uint32_t id, const std::string& strFirst, const std::string* pSecond = nullptr);
    void EndSave();

    CFile m_file;  // the base control file while loaded
    std::string m_strLoadedPath;
    std::string m_strDataPath;
    CProductRegKey m_productKey;
    CCtrlLogFile m_logFile;
    CFile m_lockFile;
    uint32_t m_dwLoaded = 0;
};

}  // namespace tq
