// An editor's hold on one product: the editing mutex that keeps editors apart, the product key
// with its customize switch, the loaded control files, and the questions a change asks of the
// user (the confirmation of a save, of a removal). The automation object and tqctl's application
// commands edit through this class, and so do the dialogs, so that an editor follows the same
// rules whichever host it runs in. The questions go to the process's message box (the host's
// choice, platform/MessageBox.h), captioned with the product's display name; the model and the
// operations only take the answer.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "applications/AppliOperations.h"
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
    // Removes a user application after the user answers Yes to the question; a database that
    // cannot be removed is refused before anything is asked. 0 or an error code.
    int32_t RemoveAppli(int32_t index);

    CCtrlFile& GetCtrlFile() { return m_CtrlFile; }
    const CCtrlFile& GetCtrlFile() const { return m_CtrlFile; }
    CAppliOperations& GetAppli() { return m_appli; }

private:
    // Runs change without an answer first; when it needs one, asks the question of the string
    // table's text id and runs it again with the answer.
    int32_t WithConsent(uint32_t idQuestion, const std::function<int32_t(EConsent)>& change);

    CNamedMutex m_hMutex;  // open while this session owns the editing mutex
    CCtrlFile m_CtrlFile;
    CAppliOperations m_appli{m_CtrlFile};
    int32_t m_bMutexCreated = 0;
    int32_t m_bCustomize = 0;
};

}  // namespace tq
