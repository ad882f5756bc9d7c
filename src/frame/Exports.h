// The module's entry points. The three plain functions are exported under their C++ names (the
// platform's standard decoration of exactly these parameter types), the others under the names
// every in-process server exports.
#pragma once

#include <cstdint>

#include "platform/ComTypes.h"

// The system calls them with its standard convention for such entry points (stdcall on 32-bit
// Windows).
extern "C" {
tq::HRESULT STDAPICALLTYPE DllGetClassObject(tq::REFCLSID rclsid, tq::REFIID riid, void** ppv);
tq::HRESULT STDAPICALLTYPE DllCanUnloadNow();
tq::HRESULT STDAPICALLTYPE DllRegisterServer();
}

// Regenerates the control file from the base control file of the product whose registry key is
// pszKeyPath (below HKEY_LOCAL_MACHINE), without asking anything. -1043 while someone edits;
// otherwise the codes of loading and saving. Writes nothing when the control file already
// matches.
int32_t VXCSTM_BaseInfoToControl(const char* pszKeyPath);
// 0 free, 1 being edited, 2 locked by the index builder (or another user's editor), 4 unknown
// (the key or its values cannot be read).
int32_t VXCSTM_GetStatus(const char* pszKeyPath);
// The message of a code (code page 932). Returns the bytes the message needs with its
// terminating zero (also for a null buffer: the size query) and copies it when the buffer is
// large enough; when it is not, the buffer holds an empty string. Returns 0 when the code has no
// message: for code >= 0 the buffer gets an empty string, for an unknown negative code it stays
// as it was. The buffer is written only when size is at least 1.
uint32_t VXCSTM_GetErrorString(int32_t code, char* buffer, uint32_t size);
// The files the next add wizard (OpenAddAppDialog) opens with, for a host that was handed them
// (dropped on its window): checked into the wizard's target list as files dropped on that list
// are; those that cannot be targets are left out with a note that says which and why. Windows
// paths in code page 932, each
// ended by a zero byte, the list by a second one; null or an empty list forgets them. The next
// wizard takes them, also one that cannot be shown.
void VXCSTM_SetAddTargets(const char* pszPaths);
