// The registry: hierarchical keys with typed values; on Windows the system's, on Linux kept in
// SQLite hive files of the prefix. Semantics follow the Win32 registry calls the component uses:
//  - key and value names compare without regard to ASCII case (double-byte characters whole);
//  - value data is kept byte for byte (a REG_SZ written without a terminating NUL reads back
//    without one; on Windows the system keeps the NUL that follows the counted bytes in the
//    writer's memory, as NT does, and string data is converted to and from its UTF-16);
//  - every call is its own SQLite transaction, so another process sees it at once;
//  - a hive the user may not write answers ERROR_ACCESS_DENIED on every write, reads still work;
//  - deleting a key that has subkeys fails with ERROR_ACCESS_DENIED, as on Windows;
//  - out-parameters are left untouched on failure.
// Names are code page 932; the empty value name is the key's default value. Tests make the writes
// fail through Faults.h.
//
// Key paths: components are separated by "\" (searched whole-character, so the second byte of
// a double-byte character is never a separator). A leading "\" or an empty component inside
// the path gives ERROR_BAD_PATHNAME, as on Windows NT; trailing "\" are ignored. A component
// longer than MAX_KEY_NAME characters, a value name longer than MAX_VALUE_NAME bytes and a name
// that is not well-formed code page 932 give ERROR_INVALID_PARAMETER (Windows would turn a broken
// double-byte sequence into a default character and reach another key).
// A handle whose key was deleted meanwhile answers ERROR_KEY_DELETED.
// Access is checked as on Windows: queries need KEY_QUERY_VALUE, writes KEY_SET_VALUE,
// enumeration of subkeys KEY_ENUMERATE_SUB_KEYS; opening a key of a read-only hive with write
// access gives ERROR_ACCESS_DENIED.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace tq {

// Registry errors beyond the common set in Win32Error.h.
constexpr int32_t ERROR_BAD_PATHNAME = 161;
constexpr int32_t ERROR_UNSUPPORTED_TYPE = 1630;

enum class HKEY : uint32_t {
    ClassesRoot = 0x80000000u,
    CurrentUser = 0x80000001u,
    LocalMachine = 0x80000002u,
    Users = 0x80000003u,
};
constexpr HKEY HKEY_CLASSES_ROOT = HKEY::ClassesRoot;
constexpr HKEY HKEY_CURRENT_USER = HKEY::CurrentUser;
constexpr HKEY HKEY_LOCAL_MACHINE = HKEY::LocalMachine;
constexpr HKEY HKEY_USERS = HKEY::Users;

constexpr uint32_t REG_NONE = 0;
constexpr uint32_t REG_SZ = 1;
constexpr uint32_t REG_EXPAND_SZ = 2;
constexpr uint32_t REG_BINARY = 3;
constexpr uint32_t REG_DWORD = 4;
constexpr uint32_t REG_MULTI_SZ = 7;

constexpr uint32_t KEY_QUERY_VALUE = 0x0001;
constexpr uint32_t KEY_SET_VALUE = 0x0002;
constexpr uint32_t KEY_CREATE_SUB_KEY = 0x0004;
constexpr uint32_t KEY_ENUMERATE_SUB_KEYS = 0x0008;
constexpr uint32_t KEY_READ = 0x20019;
constexpr uint32_t KEY_WRITE = 0x20006;
constexpr uint32_t KEY_ALL_ACCESS = 0xF003F;

constexpr uint32_t REG_CREATED_NEW_KEY = 1;
constexpr uint32_t REG_OPENED_EXISTING_KEY = 2;

// Largest key name component and value name, in bytes, as on Windows.
constexpr size_t MAX_KEY_NAME = 255;
constexpr size_t MAX_VALUE_NAME = 16383;

class CRegistryKeyImpl;

// An open registry key (the handle of RegOpenKeyEx). Closed by its destructor.
class CRegKey {
public:
    CRegKey();
    ~CRegKey();
    CRegKey(CRegKey&&) noexcept;
    CRegKey& operator=(CRegKey&&) noexcept;
    CRegKey(const CRegKey&) = delete;
    CRegKey& operator=(const CRegKey&) = delete;

    // RegOpenKeyEx: ERROR_FILE_NOT_FOUND when the key does not exist.
    int32_t Open(HKEY root, const std::string& strSubKey, uint32_t access);
    // Opens a subkey of this key.
    int32_t Open(const CRegKey& parent, const std::string& strSubKey, uint32_t access);
    // RegCreateKeyEx: creates missing keys along the path; disposition gets
    // REG_CREATED_NEW_KEY or REG_OPENED_EXISTING_KEY.
    int32_t Create(HKEY root, const std::string& strSubKey, uint32_t access,
                   uint32_t* pDisposition = nullptr);
    void Close();
    bool IsOpen() const;

    // RegQueryValueEx. With pData null only type and size are reported. With a buffer too small
    // ERROR_MORE_DATA, *pcbData = the size needed and *pType = the type (as Windows reports
    // them); the buffer is left untouched. pType/pcbData may be null; pData without pcbData
    // gives ERROR_INVALID_PARAMETER.
    int32_t QueryValue(const std::string& strName, uint32_t* pType, uint8_t* pData,
                       uint32_t* pcbData) const;
    // Convenience forms built on QueryValue. QueryDword answers ERROR_UNSUPPORTED_TYPE unless
    // the value is a REG_DWORD of 4 bytes.
    int32_t QueryValue(const std::string& strName, uint32_t& type, std::string& data) const;
    int32_t QueryDword(const std::string& strName, uint32_t& value) const;
    // RegSetValueEx: the bytes are stored exactly as given.
    int32_t SetValue(const std::string& strName, uint32_t type, const void* pData, uint32_t cbData);
    int32_t SetString(const std::string& strName, const std::string& strValue);  // REG_SZ + NUL
    int32_t SetDword(const std::string& strName, uint32_t value);
    // RegDeleteValue.
    int32_t DeleteValue(const std::string& strName);
    // RegFlushKey: what was written to the key's hive reaches the disk before this returns, so
    // that a power loss cannot take it (a crash of the process never does).
    int32_t Flush() const;
    // RegDeleteKey of a direct or deeper subkey ("" = this key itself); ERROR_ACCESS_DENIED
    // while it has subkeys, and for a predefined root.
    int32_t DeleteSubKey(const std::string& strSubKey);
    // RegEnumKeyEx: subkeys in alphabetical order ignoring case; ERROR_NO_MORE_ITEMS past the end.
    int32_t EnumKey(uint32_t index, std::string& strName) const;
    // RegEnumValue: values in alphabetical order ignoring case.
    int32_t EnumValue(uint32_t index, std::string& strName, uint32_t& type,
                      std::string& data) const;
    // RegQueryInfoKey: counts and longest lengths (bytes, without the NUL).
    int32_t QueryInfo(uint32_t* pSubKeys, uint32_t* pMaxSubKeyLen, uint32_t* pValues,
                      uint32_t* pMaxValueNameLen, uint32_t* pMaxValueLen) const;

private:
    int32_t CheckAccess(uint32_t right) const;

    std::unique_ptr<CRegistryKeyImpl> m_pImpl;
};

// RegDeleteKey from a root.
int32_t RegDeleteKey(HKEY root, const std::string& strSubKey);
// RegDeleteTree: the key with every key and value below it, in one transaction.
// ERROR_FILE_NOT_FOUND when it does not exist; a predefined root cannot be deleted.
int32_t RegDeleteTree(HKEY root, const std::string& strSubKey);

// Parses "HKEY_LOCAL_MACHINE", "HKLM", "HKEY_CURRENT_USER", "HKCU", "HKEY_CLASSES_ROOT", "HKCR",
// "HKEY_USERS", "HKU" (any case) at the start of a full key path; the rest (after one "\")
// goes to strRest. False for anything else.
bool ParseRootKey(const std::string& strFullPath, HKEY& root, std::string& strRest);
const char* RootKeyName(HKEY root);

// A batch of registry writes that commits as one transaction per hive (the .reg importer). The
// system's registry on Windows has no such transactions: there every write takes effect at once,
// and a batch only marks the writes of one step (Commit answers 0 once, then
// ERROR_INVALID_HANDLE).
// While a batch is open on this thread, every write of this thread goes into it, and reads of
// this thread see those writes. The batch holds each hive it wrote to (its lock in this process,
// SQLite's write lock for the others) until it commits or rolls back, so keep it short. A batch
// opened while another is open on the thread joins the outer one; abandoning the inner batch
// makes the outer Commit roll everything back.
class CRegistryBatch {
public:
    CRegistryBatch();
    ~CRegistryBatch();  // rolls back unless Commit() succeeded
    int32_t Commit();
    CRegistryBatch(const CRegistryBatch&) = delete;
    CRegistryBatch& operator=(const CRegistryBatch&) = delete;

private:
    bool m_bDone = false;
    bool m_bOuter = false;
};

}  // namespace tq
