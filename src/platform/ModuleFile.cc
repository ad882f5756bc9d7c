#include "platform/ModuleFile.h"

#include <dlfcn.h>
#include <stdlib.h>

#include <memory>

#include "platform/ComTypes.h"
#include "platform/Path.h"

namespace tq {

int32_t GetModuleFileName(const void* pAddress, std::string& strPath) {
    Dl_info info{};
    if (dladdr(pAddress, &info) == 0 || info.dli_fname == nullptr || info.dli_fname[0] == '\0') {
        return ERROR_MOD_NOT_FOUND;
    }
    // dli_fname is the name the module was loaded by, which may be relative or go through
    // symbolic links; the registry must hold a path that stays valid from any directory.
    std::unique_ptr<char, decltype(&free)> real(realpath(info.dli_fname, nullptr), &free);
    if (!real) {
        return ERROR_MOD_NOT_FOUND;
    }
    return ToWindowsPath(real.get(), strPath);
}

}  // namespace tq
