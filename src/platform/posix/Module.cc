#include "platform/Module.h"

#include <dlfcn.h>
#include <limits.h>
#include <link.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/ComModule.h"
#include "platform/ComTypes.h"
#include "platform/Cp932.h"
#include "platform/Path.h"
#include "platform/Win32Error.h"
#include "platform/posix/Prefix.h"

namespace tq {

CModule::~CModule() {
    Unload();
}

int32_t CModule::Load(const std::string& strLinuxPath, std::string* pstrDetail) {
    Unload();
    struct stat st;
    if (strLinuxPath.empty() || stat(strLinuxPath.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) {
        if (pstrDetail != nullptr) {
            *pstrDetail = "module file not found: " + strLinuxPath;
        }
        return ERROR_MOD_NOT_FOUND;
    }
    // RTLD_NOW: a module that lacks a library it needs fails here, not at its first call.
    void* h = dlopen(strLinuxPath.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (h == nullptr) {
        if (pstrDetail != nullptr) {
            const char* pszError = dlerror();
            *pstrDetail = std::string("module does not load: ") + (pszError ? pszError : "");
        }
        return ERROR_BAD_EXE_FORMAT;
    }
    m_hModule = h;
    return ERROR_SUCCESS;
}

void CModule::Unload() {
    if (m_hModule != nullptr) {
        dlclose(m_hModule);
        m_hModule = nullptr;
    }
}

void* CModule::GetProcAddress(const char* pszName) const {
    if (m_hModule == nullptr || pszName == nullptr) {
        return nullptr;
    }
    return dlsym(m_hModule, pszName);
}

std::string GetModuleFolder(const void* pAddress) {
    Dl_info info{};
    link_map* pMap = nullptr;
    if (dladdr1(pAddress, &info, reinterpret_cast<void**>(&pMap), RTLD_DL_LINKMAP) == 0 ||
        pMap == nullptr) {
        return {};
    }
    // The loader knows the main program only by the name it was started with: a bare name
    // found on PATH, or a name relative to a working directory since left, would resolve
    // against the current directory. The kernel knows its real file.
    char szReal[PATH_MAX];
    std::string strFile;
    if (pMap->l_name[0] == '\0') {
        ssize_t n = readlink("/proc/self/exe", szReal, sizeof szReal - 1);
        if (n <= 0) {
            return {};
        }
        strFile.assign(szReal, static_cast<size_t>(n));
    } else if (realpath(pMap->l_name, szReal) != nullptr) {
        strFile = szReal;
    } else {
        return {};
    }
    size_t slash = strFile.rfind('/');
    if (slash == std::string::npos) {
        return {};
    }
    return slash == 0 ? std::string("/") : strFile.substr(0, slash);
}

int32_t GetModuleFileName(const void* pAddressInModule, std::string& strPath) {
    Dl_info info;
    if (dladdr(pAddressInModule, &info) == 0 || info.dli_fname == nullptr ||
        info.dli_fname[0] == '\0') {
        return ERROR_INVALID_HANDLE;
    }
    // The loader keeps the name it was given; the registration wants the file itself.
    char real[PATH_MAX];
    if (realpath(info.dli_fname, real) == nullptr) {
        return ERROR_INVALID_HANDLE;
    }
    return ToWindowsPath(real, strPath);
}

std::string GetLibraryFileName(const std::string& strName) {
    return "lib" + strName + ".so";
}

int32_t GetModuleLoadPath(const std::string& strRegistered, std::string& strPath) {
    if (!strRegistered.empty() && strRegistered[0] == '/') {
        return Cp932ToUtf8(strRegistered, strPath);
    }
    return ResolvePath(strRegistered, strPath);
}

void ShareMachineWithModules() {
    setenv("TQ_PREFIX", CPrefix::Current().GetDir().c_str(), 1);
}

int32_t UseMachine(const std::string& strDir) {
    int32_t err = CPrefix::Use(strDir);
    if (err == ERROR_SUCCESS) {
        ShareMachineWithModules();
    }
    return err;
}

}  // namespace tq
