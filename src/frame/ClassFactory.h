// The component's one class: its identifiers, the class factory that makes CCtrlFileMgr
// objects, and the registration a host needs to find the module by ProgID.
#pragma once

#include <cstdint>
#include <string>

#include "platform/ComModule.h"
#include "platform/ComTypes.h"

namespace tq {

// {FE1B0AC2-7074-11D5-99A1-00C04FB9CD98}
constexpr CLSID CLSID_CtrlFileMgr = {
    0xFE1B0AC2, 0x7074, 0x11D5, {0x99, 0xA1, 0x00, 0xC0, 0x4F, 0xB9, 0xCD, 0x98}};
constexpr const char* kCtrlFileMgrProgID = "OW.VXCtrlFileManager.1";

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
