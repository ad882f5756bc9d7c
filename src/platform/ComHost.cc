#include "platform/ComHost.h"

#include <map>
#include <memory>
#include <mutex>

#include "platform/Cp932.h"
#include "platform/Module.h"
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

// Loads a module once for the life of the process: objects and class factories handed out
// live in it, and the host cannot know when the last of them is gone.
HRESULT LoadModule(const std::string& strPath, const CModule*& pModule, std::string* pstrDetail) {
    static std::mutex s_mutex;
    // Never unloaded, and never destroyed either: a map destroyed at exit would leave the
    // modules it held unreachable, as if they had leaked.
    static auto& s_modules = *new std::map<std::string, std::unique_ptr<CModule>>;
    std::lock_guard<std::mutex> lock(s_mutex);
    auto it = s_modules.find(strPath);
    if (it != s_modules.end()) {
        pModule = it->second.get();
        return S_OK;
    }
    // A module that carries its own copy of the platform layer must find the host's machine.
    ShareMachineWithModules();
    auto module = std::make_unique<CModule>();
    int32_t err = module->Load(strPath, pstrDetail);
    if (err != ERROR_SUCCESS) {
        return HRESULT_FROM_WIN32(err);
    }
    pModule = s_modules.emplace(strPath, std::move(module)).first->second.get();
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
HRESULT LoadClassModule(const std::string& progId, CLSID& clsid, const CModule*& pModule,
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
    if (GetModuleLoadPath(strModule, strPath) != ERROR_SUCCESS) {
        SetDetail(pstrDetail, "module path cannot be resolved: " + Cp932ToUtf8Lossy(strModule));
        return HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND);
    }
    return LoadModule(strPath, pModule, pstrDetail);
}

}  // namespace

HRESULT CreateObject(const std::string& progId, IDispatch** ppOut, std::string* pstrDetail) {
    if (ppOut == nullptr) {
        return E_POINTER;
    }
    CLSID clsid;
    const CModule* pModule = nullptr;
    HRESULT hr = LoadClassModule(progId, clsid, pModule, pstrDetail);
    if (FAILED(hr)) {
        return hr;
    }
    auto pfnGetClassObject =
        reinterpret_cast<PFN_DllGetClassObject>(pModule->GetProcAddress("DllGetClassObject"));
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
    const CModule* pModule = nullptr;
    HRESULT hr = LoadClassModule(progId, clsid, pModule, pstrDetail);
    if (FAILED(hr)) {
        return hr;
    }
    void* pfn = pModule->GetProcAddress(strExport.c_str());
    if (pfn == nullptr) {
        SetDetail(pstrDetail, "module does not export " + strExport);
        return HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND);
    }
    *ppfn = pfn;
    return S_OK;
}

HRESULT RegisterServerModule(const std::string& strModule, std::string* pstrDetail) {
    std::string strPath;
    if (strModule.empty() || GetModuleLoadPath(strModule, strPath) != ERROR_SUCCESS) {
        SetDetail(pstrDetail, "module path cannot be resolved: " + Cp932ToUtf8Lossy(strModule));
        return HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND);
    }
    const CModule* pModule = nullptr;
    HRESULT hr = LoadModule(strPath, pModule, pstrDetail);
    if (FAILED(hr)) {
        return hr;
    }
    auto pfnRegister =
        reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(pModule->GetProcAddress("DllRegisterServer"));
    if (pfnRegister == nullptr) {
        SetDetail(pstrDetail, "module does not export DllRegisterServer: " + strPath);
        return CO_E_ERRORINDLL;
    }
    return pfnRegister();
}

}  // namespace tq
