// The component's one class: its identifiers, the class factory that makes CCtrlFileMgr
// objects, and the registration a host needs to find the module by ProgID.
#pragma once

#include <cstdint>
#include <string>

#include "frame/CtrlFileMgrIds.h"
#include "platform/ComModule.h"
#include "platform/ComTypes.h"

namespace tq {

// The module's count of live objects and server locks, which decides whether it may unload.
CModuleCount& GetModuleCount();
// The module's factory: a static object that lives as long as the module.
CClassFactory& GetCtrlFileMgrFactory();

// Writes the class's entries under HKEY_CLASSES_ROOT:
//   <ProgID>                          = <ProgID>
//   <ProgID>\CLSID                    = {CLSID}
//   CLSID\{CLSID}                     = <ProgID>
//   CLSID\{CLSID}\ProgID              = <ProgID>
//   CLSID\{CLSID}\InProcServer32      = strModulePath
// Every entry is tried; the result is the first registry error, or 0.
int32_t RegisterCtrlFileMgr(const std::string& strModulePath);

}  // namespace tq
