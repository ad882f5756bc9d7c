// The registry of Registry.h on the system's registry calls. The system checks the access rights,
// the key paths and the deleted keys itself; this side adds what the interface promises beyond
// it: a name that is not well-formed code page 932 is refused (the system would turn it into
// another name), and a predefined root is never deleted. Values go through the narrow calls,
// which convert string data between code page 932 and the registry's UTF-16 as every narrow
// caller expects. Key paths are converted here and given to the wide calls: the narrow ones of
// Wine take no path longer than 260 characters, which Windows does.
#include "platform/win32/SystemApi.h"

#include <algorithm>
#include <memory>
#include <string>

#include "platform/Cp932.h"
#include "platform/Faults.h"
#include "platform/Registry.h"
#include "platform/Win32Error.h"

namespace tq {

class CRegistryKeyImpl {
public:
    explicit CRegistryKeyImpl(::HKEY h, bool bRoot) : m_h(h), m_bPredefinedRoot(bRoot) {}
    ~CRegistryKeyImpl() { ::RegCloseKey(m_h); }
    CRegistryKeyImpl(const CRegistryKeyImpl&) = delete;
    CRegistryKeyImpl& operator=(const CRegistryKeyImpl&) = delete;

    ::HKEY m_h;
    bool m_bPredefinedRoot;  // the key a predefined HKEY stands for
};

namespace {

// The system's handle of a predefined key: its number sign-extended to a pointer.
::HKEY SystemRoot(HKEY root) {
    return reinterpret_cast<::HKEY>(
        static_cast<intptr_t>(static_cast<int32_t>(static_cast<uint32_t>(root))));
}

bool IsRoot(HKEY root) {
    return root == HKEY_CLASSES_ROOT || root == HKEY_CURRENT_USER || root == HKEY_LOCAL_MACHINE ||
           root == HKEY_USERS;
}

// A value name the system may be given as it is.
int32_t CheckName(const std::string& strName) {
    return IsWellFormedCp932(strName) ? ERROR_SUCCESS : ERROR_INVALID_PARAMETER;
}

// A key path in UTF-16 for the wide calls. A key name has at most MAX_KEY_NAME characters, as
// Windows documents it; Wine would take one more.
int32_t WidePath(const std::string& strPath, std::u16string& wide) {
    if (Cp932ToUtf16(strPath, wide) != ERROR_SUCCESS) {
        return ERROR_INVALID_PARAMETER;
    }
    for (size_t start = 0; start <= wide.size();) {
        size_t end = std::min(wide.find(u'\\', start), wide.size());
        if (end - start > MAX_KEY_NAME) {
            return ERROR_INVALID_PARAMETER;
        }
        start = end + 1;
    }
    return ERROR_SUCCESS;
}

const wchar_t* Wide(const std::u16string& str) {
    return reinterpret_cast<const wchar_t*>(str.c_str());
}

int32_t CheckRootPath(HKEY root, const std::string& strSubKey, std::u16string& wide) {
    return !IsRoot(root) ? ERROR_INVALID_HANDLE : WidePath(strSubKey, wide);
}

bool IsStringType(DWORD type) {
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

// The text of a string value as the registry holds it (UTF-16, with or without a terminating
// NUL) in code page 932, byte for byte as a narrow caller wrote it: the narrow query would add a
// NUL to a text stored without one. A character without a code page 932 form becomes the
// system's default character, as in the narrow calls.
std::string StringFromRegistry(const std::string& raw) {
    const int cch = static_cast<int>(raw.size() / sizeof(wchar_t));
    const auto* pText = reinterpret_cast<const wchar_t*>(raw.data());
    std::string text;
    int n = cch > 0 ? ::WideCharToMultiByte(932, 0, pText, cch, nullptr, 0, nullptr, nullptr) : 0;
    if (n > 0) {
        text.resize(static_cast<size_t>(n));
        ::WideCharToMultiByte(932, 0, pText, cch, text.data(), n, nullptr, nullptr);
    }
    return text;
}

// The fault hook's "reg-create" comes, as in the emulation, only for a key that is not there yet:
// an existing key is only opened, which writes nothing.
int32_t CreateFault(::HKEY hRoot, const std::u16string& wide) {
    if (!IsFaultHookSet()) {
        return ERROR_SUCCESS;
    }
    ::HKEY h = nullptr;
    if (::RegOpenKeyExW(hRoot, Wide(wide), 0, KEY_QUERY_VALUE, &h) == ERROR_SUCCESS) {
        ::RegCloseKey(h);
        return ERROR_SUCCESS;
    }
    return RunFaultHook("reg-create", {});
}

int32_t MakeKey(int32_t err, ::HKEY h, bool bRoot, std::unique_ptr<CRegistryKeyImpl>& out) {
    if (err == ERROR_SUCCESS) {
        out = std::make_unique<CRegistryKeyImpl>(h, bRoot);
    }
    return err;
}

}  // namespace

CRegKey::CRegKey() = default;
CRegKey::~CRegKey() = default;
CRegKey::CRegKey(CRegKey&&) noexcept = default;
CRegKey& CRegKey::operator=(CRegKey&&) noexcept = default;

void CRegKey::Close() {
    m_pImpl.reset();
}

bool CRegKey::IsOpen() const {
    return m_pImpl != nullptr;
}

int32_t CRegKey::CheckAccess(uint32_t) const {
    return m_pImpl ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

int32_t CRegKey::Open(HKEY root, const std::string& strSubKey, uint32_t access) {
    ::HKEY h = nullptr;
    std::u16string wide;
    int32_t err = CheckRootPath(root, strSubKey, wide);
    if (err == ERROR_SUCCESS) {
        err = ::RegOpenKeyExW(SystemRoot(root), Wide(wide), 0, access, &h);
    }
    return MakeKey(err, h, strSubKey.empty(), m_pImpl);
}

int32_t CRegKey::Open(const CRegKey& parent, const std::string& strSubKey, uint32_t access) {
    if (!parent.m_pImpl) {
        return ERROR_INVALID_HANDLE;
    }
    ::HKEY h = nullptr;
    std::u16string wide;
    int32_t err = WidePath(strSubKey, wide);
    if (err == ERROR_SUCCESS) {
        err = ::RegOpenKeyExW(parent.m_pImpl->m_h, Wide(wide), 0, access, &h);
    }
    return MakeKey(err, h, parent.m_pImpl->m_bPredefinedRoot && strSubKey.empty(), m_pImpl);
}

int32_t CRegKey::Create(HKEY root, const std::string& strSubKey, uint32_t access,
                        uint32_t* pDisposition) {
    ::HKEY h = nullptr;
    DWORD dwDisposition = 0;
    std::u16string wide;
    int32_t err = CheckRootPath(root, strSubKey, wide);
    if (err == ERROR_SUCCESS) {
        err = CreateFault(SystemRoot(root), wide);
    }
    if (err == ERROR_SUCCESS) {
        err = ::RegCreateKeyExW(SystemRoot(root), Wide(wide), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                access, nullptr, &h, &dwDisposition);
    }
    if (err == ERROR_SUCCESS && pDisposition != nullptr) {
        *pDisposition = dwDisposition;
    }
    return MakeKey(err, h, strSubKey.empty(), m_pImpl);
}

int32_t CRegKey::QueryValue(const std::string& strName, uint32_t& type, std::string& data) const {
    if (int32_t err = CheckAccess(KEY_QUERY_VALUE); err != ERROR_SUCCESS) {
        return err;
    }
    std::u16string name;
    if (Cp932ToUtf16(strName, name) != ERROR_SUCCESS) {
        return ERROR_INVALID_PARAMETER;
    }
    // The size first; a value that grows in between is asked again.
    DWORD dwType = 0, cb = 0;
    std::string raw;
    int32_t err = ::RegQueryValueExW(m_pImpl->m_h, Wide(name), nullptr, &dwType, nullptr, &cb);
    while (err == ERROR_SUCCESS) {
        raw.resize(cb);
        BYTE byte = 0;  // a buffer even for an empty value, so that the data is read
        err = ::RegQueryValueExW(m_pImpl->m_h, Wide(name), nullptr, &dwType,
                                 cb > 0 ? reinterpret_cast<BYTE*>(raw.data()) : &byte, &cb);
        if (err == ERROR_SUCCESS) {
            raw.resize(cb);
            type = dwType;
            data = IsStringType(dwType) ? StringFromRegistry(raw) : std::move(raw);
            return ERROR_SUCCESS;
        }
        if (err == ERROR_MORE_DATA) {
            err = ERROR_SUCCESS;
        }
    }
    return err;
}

int32_t CRegKey::SetValue(const std::string& strName, uint32_t type, const void* pData,
                          uint32_t cbData) {
    if (int32_t err = CheckAccess(KEY_SET_VALUE); err != ERROR_SUCCESS) {
        return err;
    }
    if (pData == nullptr && cbData > 0) {
        return ERROR_NOACCESS;  // as RegSetValueExA answers, before the fault hook sees a write
    }
    int32_t err = CheckName(strName);
    if (err == ERROR_SUCCESS) {
        err = RunFaultHook("reg-set", {});
    }
    return err != ERROR_SUCCESS ? err
                                : ::RegSetValueExA(m_pImpl->m_h, strName.c_str(), 0, type,
                                                   static_cast<const BYTE*>(pData), cbData);
}

int32_t CRegKey::DeleteValue(const std::string& strName) {
    if (int32_t err = CheckAccess(KEY_SET_VALUE); err != ERROR_SUCCESS) {
        return err;
    }
    int32_t err = CheckName(strName);
    if (err == ERROR_SUCCESS) {
        err = RunFaultHook("reg-delete-value", {});
    }
    return err != ERROR_SUCCESS ? err : ::RegDeleteValueA(m_pImpl->m_h, strName.c_str());
}

int32_t CRegKey::Flush() const {
    if (!m_pImpl) {
        return ERROR_INVALID_HANDLE;
    }
    const int32_t err = RunFaultHook("reg-flush", {});
    return err != ERROR_SUCCESS ? err : ::RegFlushKey(m_pImpl->m_h);
}

int32_t CRegKey::DeleteSubKey(const std::string& strSubKey) {
    if (!m_pImpl) {
        return ERROR_INVALID_HANDLE;
    }
    std::u16string wide;
    int32_t err = WidePath(strSubKey, wide);
    if (err == ERROR_SUCCESS && strSubKey.empty() && m_pImpl->m_bPredefinedRoot) {
        err = ERROR_ACCESS_DENIED;
    }
    if (err == ERROR_SUCCESS) {
        err = RunFaultHook("reg-delete-key", {});
    }
    return err != ERROR_SUCCESS ? err : ::RegDeleteKeyW(m_pImpl->m_h, Wide(wide));
}

int32_t CRegKey::EnumKey(uint32_t index, std::string& strName) const {
    if (int32_t err = CheckAccess(KEY_ENUMERATE_SUB_KEYS); err != ERROR_SUCCESS) {
        return err;
    }
    // A key name has at most 255 characters, each at most two bytes in code page 932.
    char szName[2 * MAX_KEY_NAME + 2];
    DWORD cchName = sizeof szName;
    int32_t err =
        ::RegEnumKeyExA(m_pImpl->m_h, index, szName, &cchName, nullptr, nullptr, nullptr, nullptr);
    if (err == ERROR_SUCCESS) {
        strName.assign(szName, cchName);
    }
    return err;
}

int32_t CRegKey::EnumValue(uint32_t index, std::string& strName, uint32_t& type,
                           std::string& data) const {
    if (int32_t err = CheckAccess(KEY_QUERY_VALUE); err != ERROR_SUCCESS) {
        return err;
    }
    // The name only; the data is read as QueryValue reads it.
    std::string name(2 * MAX_VALUE_NAME + 2, '\0');
    DWORD cchName = static_cast<DWORD>(name.size());
    int32_t err = ::RegEnumValueA(m_pImpl->m_h, index, name.data(), &cchName, nullptr, nullptr,
                                  nullptr, nullptr);
    if (err == ERROR_SUCCESS) {
        name.resize(cchName);
        err = QueryValue(name, type, data);
    }
    if (err == ERROR_SUCCESS) {
        strName = std::move(name);
    }
    return err;
}

int32_t CRegKey::QueryInfo(uint32_t* pSubKeys, uint32_t* pMaxSubKeyLen, uint32_t* pValues,
                           uint32_t* pMaxValueNameLen, uint32_t* pMaxValueLen) const {
    if (int32_t err = CheckAccess(KEY_QUERY_VALUE); err != ERROR_SUCCESS) {
        return err;
    }
    DWORD info[5] = {};
    int32_t err = ::RegQueryInfoKeyA(m_pImpl->m_h, nullptr, nullptr, nullptr, &info[0], &info[1],
                                     nullptr, &info[2], &info[3], &info[4], nullptr, nullptr);
    uint32_t* out[5] = {pSubKeys, pMaxSubKeyLen, pValues, pMaxValueNameLen, pMaxValueLen};
    for (size_t i = 0; err == ERROR_SUCCESS && i < 5; ++i) {
        if (out[i] != nullptr) {
            *out[i] = info[i];
        }
    }
    return err;
}

int32_t RegDeleteKey(HKEY root, const std::string& strSubKey) {
    CRegKey key;
    int32_t err = key.Open(root, "", 0);
    return err != ERROR_SUCCESS ? err : key.DeleteSubKey(strSubKey);
}

int32_t RegDeleteTree(HKEY root, const std::string& strSubKey) {
    std::u16string wide;
    int32_t err = CheckRootPath(root, strSubKey, wide);
    if (err == ERROR_SUCCESS && strSubKey.empty()) {
        err = ERROR_ACCESS_DENIED;  // a predefined root stays
    }
    if (err == ERROR_SUCCESS) {
        err = RunFaultHook("reg-delete-key", {});
    }
    return err != ERROR_SUCCESS ? err : ::RegDeleteTreeW(SystemRoot(root), Wide(wide));
}

// The system's registry has no transactions for these calls: each write takes effect at once,
// as on Windows, and a batch only marks where the writes of one step begin and end.
CRegistryBatch::CRegistryBatch() = default;
CRegistryBatch::~CRegistryBatch() = default;

int32_t CRegistryBatch::Commit() {
    if (m_bDone) {
        return ERROR_INVALID_HANDLE;
    }
    m_bDone = true;
    return ERROR_SUCCESS;
}

}  // namespace tq
