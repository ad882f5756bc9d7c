// The module's entry points. The three plain functions are exported under their C++ names (the
// platform's standard decoration of exactly these parameter types), the others under the names
// every in-process server exports. VXCSTM_GetErrorString is declared in frame/ErrorTable.h.
#pragma once

#include <cstdint>

#include "platform/ComTypes.h"

extern "C" {
tq::HRESULT DllGetClassObject(tq::REFCLSID rclsid, tq::REFIID riid, void** ppv);
tq::HRESULT DllCanUnloadNow();
tq::HRESULT DllRegisterServer();
}

// Regenerates the control file from the base control file of the product whose registry key is
// pszKeyPath (below HKEY_LOCAL_MACHINE), without asking anything. -1043 while someone edits;
// otherwise the codes of loading and saving. Writes nothing when the control file already
// matches.
int32_t VXCSTM_BaseInfoToControl(const char* pszKeyPath);
// 0 free, 1 being edited, 2 locked by the index builder (or another user's editor), 4 unknown
// (the key or its values cannot be read).
int32_t VXCSTM_GetStatus(const char* pszKeyPath);
