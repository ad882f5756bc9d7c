// The Windows API, as the Win32 side of the platform layer and the automation types see it.
//
// The headers of the platform layer declare their own names in namespace tq with the values of
// the Windows definitions (the Win32 error numbers, the registry, file and drive constants, the
// COM result codes, functions named after the Win32 calls they stand for), so that the code above
// reads the same on both systems. The system headers define many of those names as macros,
// which would rewrite the declarations and every use of them (ERROR_SUCCESS into 0L, DeleteFile
// into DeleteFileA). This header includes, once, every system header the Win32 side needs and
// then takes back the macros of the names the project declares itself. The Win32 side calls
// the system through the explicit narrow names (CreateFileA, RegOpenKeyExA ...) and passes the
// project's constants, which have the system's values.
//
// A file that needs more of the system includes it before any header of the project; every
// other file reaches the system only through this header.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif

// windows.h first: the others build on it.
#include <windows.h>

#include <ole2.h>
#include <oleauto.h>
#include <winnetwk.h>

// Win32 error numbers (Win32Error.h, Registry.h, Cp932.h, NamedMutex.h, Environment.h ...).
#undef ERROR_SUCCESS
#undef ERROR_FILE_NOT_FOUND
#undef ERROR_PATH_NOT_FOUND
#undef ERROR_ACCESS_DENIED
#undef ERROR_INVALID_HANDLE
#undef ERROR_NOT_ENOUGH_MEMORY
#undef ERROR_INVALID_DATA
#undef ERROR_NOT_SAME_DEVICE
#undef ERROR_NO_MORE_FILES
#undef ERROR_WRITE_FAULT
#undef ERROR_READ_FAULT
#undef ERROR_SHARING_VIOLATION
#undef ERROR_HANDLE_EOF
#undef ERROR_NOT_SUPPORTED
#undef ERROR_FILE_EXISTS
#undef ERROR_INVALID_PARAMETER
#undef ERROR_DISK_FULL
#undef ERROR_INSUFFICIENT_BUFFER
#undef ERROR_INVALID_NAME
#undef ERROR_MOD_NOT_FOUND
#undef ERROR_PROC_NOT_FOUND
#undef ERROR_NEGATIVE_SEEK
#undef ERROR_DIR_NOT_EMPTY
#undef ERROR_BAD_PATHNAME
#undef ERROR_ALREADY_EXISTS
#undef ERROR_BAD_EXE_FORMAT
#undef ERROR_ENVVAR_NOT_FOUND
#undef ERROR_FILENAME_EXCED_RANGE
#undef ERROR_MORE_DATA
#undef ERROR_NOACCESS
#undef ERROR_DIRECTORY
#undef ERROR_NO_MORE_ITEMS
#undef ERROR_NOT_OWNER
#undef ERROR_BADDB
#undef ERROR_BADKEY
#undef ERROR_CANTOPEN
#undef ERROR_CANTREAD
#undef ERROR_CANTWRITE
#undef ERROR_KEY_DELETED
#undef ERROR_NO_UNICODE_TRANSLATION
#undef ERROR_BAD_DEVICE
#undef ERROR_UNSUPPORTED_TYPE
#undef ERROR_NOT_CONNECTED

// Registry (Registry.h).
#undef HKEY_CLASSES_ROOT
#undef HKEY_CURRENT_USER
#undef HKEY_LOCAL_MACHINE
#undef HKEY_USERS
#undef REG_NONE
#undef REG_SZ
#undef REG_EXPAND_SZ
#undef REG_BINARY
#undef REG_DWORD
#undef REG_MULTI_SZ
#undef KEY_QUERY_VALUE
#undef KEY_SET_VALUE
#undef KEY_CREATE_SUB_KEY
#undef KEY_ENUMERATE_SUB_KEYS
#undef KEY_READ
#undef KEY_WRITE
#undef KEY_ALL_ACCESS
#undef REG_CREATED_NEW_KEY
#undef REG_OPENED_EXISTING_KEY
#undef RegDeleteKey
#undef RegDeleteTree

// Files, paths and drives (File.h, Path.h).
#undef GENERIC_READ
#undef GENERIC_WRITE
#undef DELETE
#undef FILE_SHARE_READ
#undef FILE_SHARE_WRITE
#undef FILE_SHARE_DELETE
#undef CREATE_NEW
#undef CREATE_ALWAYS
#undef OPEN_EXISTING
#undef OPEN_ALWAYS
#undef TRUNCATE_EXISTING
#undef FILE_FLAG_DELETE_ON_CLOSE
#undef FILE_ATTRIBUTE_READONLY
#undef FILE_ATTRIBUTE_HIDDEN
#undef FILE_ATTRIBUTE_DIRECTORY
#undef FILE_ATTRIBUTE_ARCHIVE
#undef FILE_ATTRIBUTE_NORMAL
#undef INVALID_FILE_ATTRIBUTES
#undef FILE_BEGIN
#undef FILE_CURRENT
#undef FILE_END
#undef MAX_PATH
#undef DRIVE_UNKNOWN
#undef DRIVE_NO_ROOT_DIR
#undef DRIVE_REMOVABLE
#undef DRIVE_FIXED
#undef DRIVE_REMOTE
#undef DRIVE_CDROM
#undef GetFileAttributes
#undef DeleteFile
#undef MoveFile
#undef CreateDirectory
#undef RemoveDirectory
#undef GetTempFileName
#undef GetFullPathName
#undef GetCurrentDirectory
#undef SetCurrentDirectory
#undef GetLogicalDriveStrings
#undef GetDriveType
#undef GetWindowsDirectory
#undef GetSystemDirectory
#undef WNetGetUniversalName

// The process and its modules (Environment.h, ComModule.h, MessageBox.h), the string table.
#undef GetEnvironmentVariable
#undef SetEnvironmentVariable
#undef GetModuleFileName
#undef IDOK
#undef IDYES
#undef IDNO
#undef LoadString

// Automation (ComTypes.h, Unknown.h, Variant.h).
#undef S_OK
#undef S_FALSE
#undef E_NOTIMPL
#undef E_NOINTERFACE
#undef E_POINTER
#undef E_FAIL
#undef E_UNEXPECTED
#undef E_OUTOFMEMORY
#undef E_INVALIDARG
#undef DISP_E_UNKNOWNINTERFACE
#undef DISP_E_MEMBERNOTFOUND
#undef DISP_E_PARAMNOTFOUND
#undef DISP_E_TYPEMISMATCH
#undef DISP_E_UNKNOWNNAME
#undef DISP_E_NONAMEDARGS
#undef DISP_E_BADVARTYPE
#undef DISP_E_EXCEPTION
#undef DISP_E_OVERFLOW
#undef DISP_E_BADINDEX
#undef DISP_E_BADPARAMCOUNT
#undef DISP_E_PARAMNOTOPTIONAL
#undef CLASS_E_NOAGGREGATION
#undef CLASS_E_CLASSNOTAVAILABLE
#undef REGDB_E_READREGDB
#undef REGDB_E_CLASSNOTREG
#undef CO_E_CLASSSTRING
#undef CO_E_DLLNOTFOUND
#undef CO_E_ERRORINDLL
#undef SUCCEEDED
#undef FAILED
#undef HRESULT_FROM_WIN32
#undef REFIID
#undef REFCLSID
#undef IID_NULL
#undef VARIANT_TRUE
#undef VARIANT_FALSE
#undef VARIANT_NOVALUEPROP
#undef VARIANT_ALPHABOOL
#undef DISPATCH_METHOD
#undef DISPATCH_PROPERTYGET
#undef DISPATCH_PROPERTYPUT
#undef DISPATCH_PROPERTYPUTREF
#undef DISPID_UNKNOWN
#undef DISPID_VALUE
#undef DISPID_PROPERTYPUT
#undef LOCALE_USER_DEFAULT
