// GetModuleFileName: the file of the module (the program or a shared library) that holds a given
// address, so that an in-process server can register where it lives.
#pragma once

#include <cstdint>
#include <string>

namespace tq {

// The Windows form of the module's full path ("Z:\usr\lib\libx.so", or a drive path when the
// file lies in a drive folder of the prefix). ERROR_MOD_NOT_FOUND when no loaded module holds
// pAddress; strPath is changed only on success.
int32_t GetModuleFileName(const void* pAddress, std::string& strPath);

}  // namespace tq
