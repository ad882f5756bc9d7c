// The paths of Path.h on the system's calls. A path of the system is the Windows path itself, so
// resolving one only makes it full and checks what the interface promises of it.
#include "platform/win32/SystemApi.h"

#include <string>

#include "platform/Cp932.h"
#include "platform/File.h"
#include "platform/Path.h"
#include "platform/PathShared.h"
#include "platform/Win32Error.h"

namespace tq {

namespace {

int32_t LastError() {
    return static_cast<int32_t>(::GetLastError());
}

// A folder the system names into a buffer of MAX_PATH, or "" when it cannot.
template <typename Fn>
std::string SystemFolder(Fn fn) {
    char szPath[MAX_PATH + 1] = {};
    UINT n = fn(szPath, static_cast<UINT>(sizeof szPath));
    return n > 0 && n < sizeof szPath ? std::string(szPath, n) : std::string();
}

}  // namespace

int32_t ResolvePath(const std::string& strWinPath, std::string& strPath) {
    std::string full;
    if (int32_t err = GetFullPathName(strWinPath, full); err != ERROR_SUCCESS) {
        return err;
    }
    if (full.size() > MAX_PATH - 1) {
        return ERROR_FILENAME_EXCED_RANGE;
    }
    strPath = full;
    return ERROR_SUCCESS;
}

int32_t ToWindowsPath(const std::string& strPath, std::string& strWinPath) {
    return GetFullPathName(strPath, strWinPath);
}

int32_t GetFullPathName(const std::string& strPath, std::string& strFull) {
    // A path the system would read with a default character in it names another file.
    if (strPath.empty() || !IsWellFormedCp932(strPath)) {
        return ERROR_INVALID_NAME;
    }
    std::string full(MAX_PATH, '\0');
    DWORD n =
        ::GetFullPathNameA(strPath.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (n >= full.size()) {
        full.resize(n);
        n = ::GetFullPathNameA(strPath.c_str(), static_cast<DWORD>(full.size()), full.data(),
                               nullptr);
    }
    if (n == 0 || n >= full.size()) {
        return n == 0 ? LastError() : ERROR_FILENAME_EXCED_RANGE;
    }
    full.resize(n);
    strFull = std::move(full);
    return ERROR_SUCCESS;
}

std::string GetCurrentDirectory() {
    std::string cwd(MAX_PATH, '\0');
    DWORD n = ::GetCurrentDirectoryA(static_cast<DWORD>(cwd.size()), cwd.data());
    if (n >= cwd.size()) {
        cwd.resize(n);
        n = ::GetCurrentDirectoryA(static_cast<DWORD>(cwd.size()), cwd.data());
    }
    cwd.resize(n < cwd.size() ? n : 0);
    if (!EndsWithBackslash(cwd)) {
        cwd += '\\';
    }
    return cwd;
}

int32_t SetCurrentDirectory(const std::string& strPath) {
    uint32_t attributes = INVALID_FILE_ATTRIBUTES;
    DWORD dw = ::GetFileAttributesA(strPath.c_str());
    if (dw == INVALID_FILE_ATTRIBUTES) {
        return LastError();
    }
    attributes = dw;
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        return ERROR_DIRECTORY;
    }
    return ::SetCurrentDirectoryA(strPath.c_str()) ? ERROR_SUCCESS : LastError();
}

std::string GetLogicalDriveStrings() {
    char szDrives[4 * 26 + 2] = {};
    DWORD n = ::GetLogicalDriveStringsA(sizeof szDrives, szDrives);
    return n > 0 && n < sizeof szDrives ? std::string(szDrives, n + 1) : std::string(2, '\0');
}

uint32_t GetDriveType(const std::string& strRoot) {
    return ::GetDriveTypeA(strRoot.empty() ? nullptr : strRoot.c_str());
}

std::string GetWindowsDirectory() {
    return SystemFolder([](char* p, UINT n) { return ::GetWindowsDirectoryA(p, n); });
}

std::string GetSystemDirectory() {
    return SystemFolder([](char* p, UINT n) { return ::GetSystemDirectoryA(p, n); });
}

int32_t WNetGetUniversalName(const std::string& strPath, uint32_t bufferSize,
                             std::string& strUniversal, uint32_t& required) {
    std::string buffer(bufferSize, '\0');
    DWORD cb = bufferSize;
    DWORD err =
        ::WNetGetUniversalNameA(strPath.c_str(), UNIVERSAL_NAME_INFO_LEVEL, buffer.data(), &cb);
    if (err == ERROR_MORE_DATA) {
        required = cb;
    } else if (err == ERROR_SUCCESS) {
        strUniversal =
            reinterpret_cast<const UNIVERSAL_NAME_INFOA*>(buffer.data())->lpUniversalName;
    }
    return static_cast<int32_t>(err);
}

}  // namespace tq
