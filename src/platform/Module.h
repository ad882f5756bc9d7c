// Loading a module at run time and finding its exports (LoadLibrary / GetProcAddress /
// FreeLibrary), and the folder a module was loaded from (GetModuleFileName of the module that
// holds a given function), so that a component can load the libraries it ships beside itself.
#pragma once

#include <cstdint>
#include <string>

namespace tq {

class CModule {
public:
    CModule() = default;
    // Unloads the module.
    ~CModule();
    CModule(const CModule&) = delete;
    CModule& operator=(const CModule&) = delete;

    // Loads the module file at a path of the system (a Linux path on Linux), resolving all of its
    // imports at once. 0,
    // ERROR_MOD_NOT_FOUND (no such file) or ERROR_BAD_EXE_FORMAT (the file does not load as a
    // module); pstrDetail, when given, receives the loader's account of a failure. A module
    // already held is unloaded first.
    int32_t Load(const std::string& strPath, std::string* pstrDetail = nullptr);
    void Unload();
    bool IsLoaded() const { return m_hModule != nullptr; }
    // The address of an export, or nullptr when the module has none of that name.
    void* GetProcAddress(const char* pszName) const;

private:
    void* m_hModule = nullptr;
};

// The folder (without a trailing slash) of the executable or shared library that holds the code
// at pAddress, as the system names it (a Linux path on Linux); empty when the loader does not
// know it.
std::string GetModuleFolder(const void* pAddress);

// The file name of the library the build calls strName (lower case): "libNAME.so" on Linux,
// "NAME.dll" in upper case on Windows, as the product names its modules.
std::string GetLibraryFileName(const std::string& strName);

// The path Load takes for a module file as a registration names it: on Linux a Linux path as it
// is or a Windows path resolved through the prefix's drives, on Windows the Windows path.
int32_t GetModuleLoadPath(const std::string& strRegistered, std::string& strPath);

// Hands the machine this process works on to the modules it loads from now on that carry their
// own copy of this layer and pick their machine when they first need it: on Linux the current
// prefix (TQ_PREFIX); on Windows every module already sees the one system.
void ShareMachineWithModules();

// Makes the machine in the folder strDir (a prefix) the one this process, and the modules it
// loads from now on, work on: 0, or the error of making or opening the prefix. Windows has one
// machine, the system itself: ERROR_NOT_SUPPORTED there.
int32_t UseMachine(const std::string& strDir);

}  // namespace tq
