// Modules of Module.h on LoadLibraryExA, GetProcAddress and GetModuleFileNameA.
#include "platform/win32/SystemApi.h"

#include <string>

#include "platform/ComModule.h"
#include "platform/Cp932.h"
#include "platform/File.h"
#include "platform/Module.h"
#include "platform/Path.h"
#include "platform/Win32Error.h"

namespace tq {

namespace {

// The file of the module that holds the code at pAddress, or "" when it lies in none.
std::string ModuleFileOf(const void* pAddress) {
    HMODULE h = nullptr;
    if (!::GetModuleHandleExA(
            GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
            static_cast<const char*>(pAddress), &h)) {
        return {};
    }
    std::string file(MAX_PATH, '\0');
    DWORD n = ::GetModuleFileNameA(h, file.data(), static_cast<DWORD>(file.size()));
    while (n == file.size()) {  // cut short: a longer buffer
        file.resize(2 * file.size());
        n = ::GetModuleFileNameA(h, file.data(), static_cast<DWORD>(file.size()));
    }
    file.resize(n);
    return file;
}

}  // namespace

CModule::~CModule() {
    Unload();
}

int32_t CModule::Load(const std::string& strGiven, std::string* pstrDetail) {
    Unload();
    // The loader searches a module's own folder for what it needs only on a full path.
    std::string strPath = strGiven;
    GetFullPathName(strGiven, strPath);
    DWORD attributes = ::GetFileAttributesA(strPath.c_str());
    if (strPath.empty() || attributes == INVALID_FILE_ATTRIBUTES ||
        (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        if (pstrDetail != nullptr) {
            *pstrDetail = "module file not found: " + strPath;
        }
        return ERROR_MOD_NOT_FOUND;
    }
    HMODULE h = ::LoadLibraryExA(strPath.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (h == nullptr) {
        if (pstrDetail != nullptr) {
            *pstrDetail = "module does not load: error " + std::to_string(::GetLastError());
        }
        return ERROR_BAD_EXE_FORMAT;
    }
    m_hModule = h;
    return ERROR_SUCCESS;
}

void CModule::Unload() {
    if (m_hModule != nullptr) {
        ::FreeLibrary(static_cast<HMODULE>(m_hModule));
        m_hModule = nullptr;
    }
}

void* CModule::GetProcAddress(const char* pszName) const {
    if (m_hModule == nullptr || pszName == nullptr) {
        return nullptr;
    }
    return reinterpret_cast<void*>(::GetProcAddress(static_cast<HMODULE>(m_hModule), pszName));
}

std::string GetModuleFolder(const void* pAddress) {
    std::string file = ModuleFileOf(pAddress);
    size_t slash = FindLastChar(file, '\\');
    return slash == std::string::npos ? std::string() : file.substr(0, slash);
}

int32_t GetModuleFileName(const void* pAddressInModule, std::string& strPath) {
    std::string file = ModuleFileOf(pAddressInModule);
    return file.empty() ? ERROR_INVALID_HANDLE : GetFullPathName(file, strPath);
}

std::string GetLibraryFileName(const std::string& strName) {
    return ToUpperCp932(strName) + ".dll";
}

int32_t GetModuleLoadPath(const std::string& strRegistered, std::string& strPath) {
    return ResolvePath(strRegistered, strPath);
}

void ShareMachineWithModules() {}

int32_t UseMachine(const std::string&) {
    return ERROR_NOT_SUPPORTED;
}

}  // namespace tq
