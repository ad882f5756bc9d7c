// Creating an automation object by ProgID, as a host does with CoCreateInstance:
//
//   HKCR\<ProgID>\CLSID                    default value: the class identifier "{...}"
//   HKCR\CLSID\{...}\InProcServer32        default value: the module file
//
// The module is loaded once and stays loaded for the life of the process (objects and their
// class factories live in it), its DllGetClassObject gives the class factory, and the factory
// makes the object. The module file may be named by its Linux path ("/usr/lib/...") or by a
// Windows path ("Z:\usr\lib\...", "C:\Program Files\...") resolved through the prefix's drives.
//
// Our modules share the host's platform library. A module that links its own copy of the
// platform layer picks its prefix from TQ_PREFIX when it first needs one, so CreateObject sets
// TQ_PREFIX to the host's current prefix to make the two agree.
#pragma once

#include <string>

#include "platform/ComTypes.h"
#include "platform/Unknown.h"

namespace tq {

// Results, with *ppOut set only on success:
//   CO_E_CLASSSTRING        the ProgID is not registered, or its CLSID is not a "{...}" string
//   REGDB_E_CLASSNOTREG     the class has no InProcServer32 entry
//   HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND)   the module file does not exist
//   HRESULT_FROM_WIN32(ERROR_BAD_EXE_FORMAT)  the file exists but does not load as a module
//   CO_E_ERRORINDLL         the module does not export DllGetClassObject
//   E_POINTER               ppOut is null
//   anything DllGetClassObject or CreateInstance answers (CLASS_E_CLASSNOTAVAILABLE ...)
// pstrDetail, when given, receives a one-line English account of a failure (the key or file
// concerned, the loader's message) for the host to show.
HRESULT CreateObject(const std::string& progId, IDispatch** ppOut,
                     std::string* pstrDetail = nullptr);

// A plain exported function of the module that serves a ProgID, found and loaded as
// CreateObject finds and loads it (so both reach the same module instance): the failures of
// CreateObject's module steps, or HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND) when the module has
// no such export. *ppfn is set only on success.
HRESULT GetClassModuleExport(const std::string& progId, const std::string& strExport, void** ppfn,
                             std::string* pstrDetail = nullptr);

// What an installer does with a module file (regsvr32): loads it (a Linux path or a Windows
// path) and calls its DllRegisterServer. The module's result, HRESULT_FROM_WIN32 of
// ERROR_MOD_NOT_FOUND or ERROR_BAD_EXE_FORMAT, or CO_E_ERRORINDLL without that export.
HRESULT RegisterServerModule(const std::string& strModule, std::string* pstrDetail = nullptr);

// The class identifier registered for a ProgID (first step of CreateObject).
HRESULT CLSIDFromProgID(const std::string& progId, CLSID& clsid);

}  // namespace tq
