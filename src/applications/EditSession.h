// An editor's hold on one product: the editing mutex that keeps editors apart, the product key
// with its customize switch, the loaded control files, and the save with its question. The
// automation object and tqctl's application commands edit through this class, and so do the
// dialogs, so that an editor follows the same rules whichever host it runs in.
#pragma once

#include <cstdint>
#include <string>

#include "manager/CtrlFile.h"
#include "platform/NamedMutex.h"
#include "resources/ErrorCodes.h"

namespace tq {

constexpr const char* kEditMutexName = "TrellisquestCustomize.Mutex";

// What a save asks about a modified model.
constexpr int32_t SAVEMODE_EDITED = 0;    // the databases were edited
constexpr int32_t SAVEMODE_SELECTED = 1;  // only their selection changed

class CEditSession {
public:
    CEditSession() = default;
    // Lets the product go: the files close before the mutex is released, so that an editor
    // that starts the moment the mutex is free finds the base control file unheld (else its
    // save cannot replace it) and takes the lock file itself (else this session would delete
    // the lock file under it).
    ~CEditSession();
    CEditSession(const CEditSession&) = delete;
    CEditSession& operator=(const CEditSession&) = delete;

    // Opens the product key (a path below HKEY_LOCAL_MACHINE) and reads its customize switch.
    // 0 or TQE_REG_READ.
    int32_t OpenProductKey(const std::string& strPath);
    // Whether user applications may be added, edited and removed (known after OpenProductKey):
    // 0 or TQE_CUSTOMIZE_OFF.
    int32_t CheckCustomize() const { return m_bCustomize ? 0 : TQE_CUSTOMIZE_OFF; }
    bool IsCustomizeEnabled() const { return m_bCustomize != 0; }

    // Takes the editing mutex, once per session. Whoever else holds it, in this process or
    // another, is editing; a mutex that cannot be made at all cannot keep editors apart either,
    // so this session does not edit. 0 or TQE_EDITING.
    int32_t TakeMutex();
    bool HoldsMutex() const { return m_hMutex.IsOpen(); }
    // Takes the mutex (unless held already) and loads the control files. 0 or an error code.
    int32_t Load();
    // Everything an editor of user applications does before its change: the mutex, the product
    // key, the customize switch and the load, stopping at the first failure. 0 or its code.
    int32_t Open(const std::string& strPath);
    // Saves a loaded model; a modified one only after the user answers Yes to the question of
    // the mode (SAVEMODE_SELECTED, anything else counts as SAVEMODE_EDITED). 0 or an error
    // code (TQE_CANCELLED for No).
    int32_t Save(int32_t lMode);

    CCtrlFile& GetCtrlFile() { return m_CtrlFile; }
    const CCtrlFile& GetCtrlFile() const { return m_CtrlFile; }

private:
    CNamedMutex m_hMutex;  // open while this session owns the editing mutex
    CCtrlFile m_CtrlFile;
    int32_t m_bMutexCreated = 0;
    int32_t m_bCustomize = 0;
};

}  // namespace tq
