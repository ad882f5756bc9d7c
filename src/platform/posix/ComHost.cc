#include "platform/ComHost.h"

#include <dlfcn.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <map>
#include <mutex>

#include "platform/Cp932.h"
#include "platform/Path.h"
#include "platform/posix/Prefix.h"
#include "platform/Registry.h"
#include "platform/Win32Error.h"

namespace tq {

namespace {

void SetDetail(std::string* pstrDetail, std::string strText) {
    if (pstrDetail != nullptr) {
        *pstrDetail = std::move(strText);
    }
}

// The default value of a key under HKEY_CLASSES_ROOT, as a string without its terminating NUL.
int32_t ReadClassesDefault(const std::string& strKey, std::string& strValue) {
    CRegKey key;
    int32_t err = key.Open(HKEY_CLASSES_ROOT, strKey, KEY_QUERY_VALUE);
    if (err != ERROR_SUCCESS) {
        return err;
    }
    uint32_t type = REG_NONE;
    std::string data;
    err = key.QueryValue("", type, data);
    if (err != ERROR_SUCCESS) {
        return err;
    }
    if (type != REG_SZ && type != REG_EXPAND_SZ) {
        return ERROR_FILE_NOT_FOUND;
    }
    while (!data.empty() && data.back() == '\0') {
        data.pop_back();
    }
    strValue = std::move(data);
    return ERROR_SUCCESS;
}

// The Linux path of a module file registered in either form.
int32_t ModuleLinuxPath(const std::string& strRegistered, std::string& strLinux) {
    if (!strRegistered.empty() && strRegistered[0] == '/') {
        return Cp932ToUtf8(strRegistered, strLinux);
    }
    return ResolvePath(strRegistered, strLinux);
}

// Loads a module once for the life of the process: objects and class factories handed out
// live in it, and the host cannot know when the last of them is gone.
HRESULT LoadModule(const std::string& strPath, void*& hModule, std::string* pstrDetail) {
    static std::mutex s_mutex;
    static std::map<std::string, void*> s_modules;
    std::lock_guard<std::mutex> lock(s_mutex);
    auto it = s_modules.find(strPath);
    if (it != s_modules.end()) {
        hModule = it->second;
        return S_OK;
    }
    // A module that carries its own copy of the platform layer finds its prefix through the
    // environment when it first needs it: it must find the host's machine, not the default one.
    setenv("TQ_PREFIX", CPrefix::Current().GetDir().c_str(), 1);
    struct stat st;
    if (stat(strPath.c_str(), &st) != 0) {
        SetDetail(pstrDetail, "module file not found: " + strPath);
        return HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND);
    }
    void* h = dlopen(strPath.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (h == nullptr) {
        const char* pszError = dlerror();
        SetDetail(pstrDetail, std::string("module does not load: ") + (pszError ? pszError : ""));
        return HRESULT_FROM_WIN32(ERROR_BAD_EXE_FORMAT);
    }
    s_modules.emplace(strPath, h);
    hModule = h;
    return S_OK;
}

// Whether a registry failure means "no such key" (a name the registry refuses names no key
// either), as opposed to a registry that cannot be read.
bool IsMissingKey(int32_t err) {
    return err == ERROR_FILE_NOT_FOUND || err == ERROR_INVALID_PARAMETER ||
           err == ERROR_BAD_PATHNAME;
}

}  // namespace

HRESULT CLSIDFromProgID(const std::string& progId, CLSID& clsid) {
    // A ProgID is one key name; a backslash would reach some other key.
    if (progId.empty() || FindChar(progId, '\\') != std::string::npos) {
        return CO_E_CLASSSTRING;
    }
    std::string strClsid;
    int32_t err = ReadClassesDefault(progId + "\\CLSID", strClsid);
    if (err != ERROR_SUCCESS) {
        return IsMissingKey(err) ? CO_E_CLASSSTRING : REGDB_E_READREGDB;
    }
    return GuidFromString(strClsid, clsid) ? S_OK : CO_E_CLASSSTRING;
}

namespace {

// The module that serves a ProgID, loaded (once per process) from its InProcServer32 entry.
HRESULT LoadClassModule(const std::string& progId, CLSID& clsid, void*& hModule,
                        std::string* pstrDetail) {
    HRESULT hr = CLSIDFromProgID(progId, clsid);
    if (FAILED(hr)) {
        SetDetail(pstrDetail, "no class registered under HKEY_CLASSES_ROOT\\" + progId);
        return hr;
    }
    std::string strServerKey = "CLSID\\" + GuidToString(clsid) + "\\InProcServer32";
    std::string strModule;
    int32_t err = ReadClassesDefault(strServerKey, strModule);
    if (err != ERROR_SUCCESS || strModule.empty()) {
        SetDetail(pstrDetail, "no module registered under HKEY_CLASSES_ROOT\\" + strServerKey);
        return err == ERROR_SUCCESS || IsMissingKey(err) ? REGDB_E_CLASSNOTREG : REGDB_E_READREGDB;
    }
    std::string strPath;
    if (ModuleLinuxPath(strModule, strPath) != ERROR_SUCCESS) {
        SetDetail(pstrDetail, "module path cannot be resolved: " + Cp932ToUtf8Lossy(strModule));
        return HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND);
    }
    return LoadModule(strPath, hModule, pstrDetail);
}

}  // namespace

HRESULT CreateObject(const std::string& progId, IDispatch** ppOut, std::string* pstrDetail) {
    if (ppOut == nullptr) {
        return E_POINTER;
    }
    CLSID clsid;
    void* hModule = nullptr;
    HRESULT hr = LoadClassModule(progId, clsid, hModule, pstrDetail);
    if (FAILED(hr)) {
        return hr;
    }
    auto pfnGetClassObject =
        reinterpret_cast<PFN_DllGetClassObject>(dlsym(hModule, "DllGetClassObject"));
    if (pfnGetClassObject == nullptr) {
        SetDetail(pstrDetail, "module does not export DllGetClassObject");
        return CO_E_ERRORINDLL;
    }
    CComPtr<IClassFactory> pFactory;
    hr = pfnGetClassObject(clsid, IID_IClassFactory, reinterpret_cast<void**>(pFactory.Receive()));
    if (FAILED(hr) || !pFactory) {
        SetDetail(pstrDetail, "the module has no class factory for " + GuidToString(clsid));
        return FAILED(hr) ? hr : E_UNEXPECTED;
    }
    IDispatch* pDispatch = nullptr;
    hr = pFactory->CreateInstance(nullptr, IID_IDispatch, reinterpret_cast<void**>(&pDispatch));
    if (FAILED(hr) || pDispatch == nullptr) {
        SetDetail(pstrDetail, "the class factory did not create the object");
        return FAILED(hr) ? hr : E_UNEXPECTED;
    }
    *ppOut = pDispatch;
    return S_OK;
}

HRESULT GetClassModuleExport(const std::string& progId, const std::string& strExport, void** ppfn,
                             std::string* pstrDetail) {
    if (ppfn == nullptr) {
        return E_POINTER;
    }
    CLSID clsid;
    void* hModule = nullptr;
    HRESULT hr = LoadClassModule(progId, clsid, hModule, pstrDetail);
    if (FAILED(hr)) {
        return hr;
    }
    void* pfn = dlsym(hModule, strExport.c_str());
    if (pfn == nullptr) {
        SetDetail(pstrDetail, "module does not export " + strExport);
        return HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND);
    }
    *ppfn = pfn;
    return S_OK;
}

HRESULT RegisterServerModule(const std::string& strModule, std::string* pstrDetail) {
    std::string strPath;
    if (strModule.empty() || ModuleLinuxPath(strModule, strPath) != ERROR_SUCCESS) {
        SetDetail(pstrDetail, "module path cannot be resolved: " + Cp932ToUtf8Lossy(strModule));
        return HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND);
    }
    void* hModule = nullptr;
    HRESULT hr = LoadModule(strPath, hModule, pstrDetail);
    if (FAILED(hr)) {
        return hr;
    }
    auto pfnRegister = reinterpret_cast<HRESULT (*)()>(dlsym(hModule, "DllRegisterServer"));
    if (pfnRegister == nullptr) {
        SetDetail(pstrDetail, "module does not export DllRegisterServer: " + strPath);
        return CO_E_ERRORINDLL;
    }
    return pfnRegister();
}

}  // namespace tq
