#include "frame/Exports.h"

#include <new>
#include <string>
#include <vector>

#include "dialogs/DialogProvider.h"
#include "frame/ClassFactory.h"
#include "frame/EditStatus.h"
#include "frame/ErrorTable.h"
#include "manager/CtrlFile.h"
#include "platform/ComModule.h"
#include "platform/NamedMutex.h"
#include "platform/Win32Error.h"
#include "resources/ErrorCodes.h"

using namespace tq;

HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID rclsid, REFIID riid, void** ppv) {
    return GetClassObject({&GetCtrlFileMgrFactory()}, rclsid, riid, ppv);
}

HRESULT STDAPICALLTYPE DllCanUnloadNow() {
    return CanUnloadNow(GetModuleCount(), {&GetCtrlFileMgrFactory()});
}

HRESULT STDAPICALLTYPE DllRegisterServer() {
    // The module registers the file it was loaded from; a failed entry leaves the others.
    try {
        std::string strModule;
        if (GetModuleFileName(reinterpret_cast<const void*>(&DllRegisterServer), strModule) ==
            ERROR_SUCCESS) {
            RegisterCtrlFileMgr(strModule);
        }
    } catch (const std::bad_alloc&) {
    }
    return S_OK;
}

int32_t VXCSTM_BaseInfoToControl(const char* pszKeyPath) {
    try {
        // A conversion is an editor for its whole run: it must not rewrite the files under an
        // automation object that has them loaded, nor run twice at once. A mutex this process
        // may not make (another user's editor holds it) keeps nobody apart, so the conversion
        // stops as an edit does.
        CNamedMutex mutex;
        if (mutex.Create(kEditMutexName, true) != ERROR_SUCCESS || !mutex.IsOwner()) {
            return TQE_EDITING;
        }
        int32_t lResult = TQE_REG_READ;
        {
            CCtrlFile ctrlFile;
            if (pszKeyPath != nullptr && ctrlFile.OpenProductKey(pszKeyPath) == 0) {
                lResult = ctrlFile.Load();
                if (lResult == 0) {
                    lResult = ctrlFile.Save();
                }
            }
            // The control-file object goes before the mutex is released: an editor that starts
            // the moment the mutex is free then finds the lock file gone and takes it itself.
        }
        mutex.Release();
        return lResult;
    } catch (const std::bad_alloc&) {
        // Nothing may escape to the caller; the conversion did not happen, as if cancelled.
        return TQE_CANCELLED;
    }
}

int32_t VXCSTM_GetStatus(const char* pszKeyPath) {
    try {
        CCtrlFile ctrlFile;
        if (pszKeyPath == nullptr || ctrlFile.OpenProductKey(pszKeyPath) != 0) {
            return EDITSTATUS_UNKNOWN;
        }
        return ProbeEditStatus(ctrlFile);
    } catch (const std::bad_alloc&) {
        return EDITSTATUS_UNKNOWN;
    }
}

void VXCSTM_SetAddTargets(const char* pszPaths) {
    try {
        std::vector<std::string> paths;
        for (const char* p = pszPaths; p != nullptr && *p != '\0'; p += paths.back().size() + 1) {
            paths.emplace_back(p);
        }
        SetInitialAddTargets(std::move(paths));
    } catch (const std::bad_alloc&) {
        SetInitialAddTargets({});
    }
}
