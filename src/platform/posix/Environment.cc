#include "platform/Environment.h"

#include <stdlib.h>

#include "platform/Win32Error.h"

namespace tq {

int32_t GetEnvironmentVariable(const std::string& strName, std::string& strValue) {
    const char* psz = getenv(strName.c_str());
    if (psz == nullptr) {
        return ERROR_ENVVAR_NOT_FOUND;
    }
    strValue = psz;
    return ERROR_SUCCESS;
}

int32_t SetEnvironmentVariable(const std::string& strName, const std::string& strValue) {
    if (strName.empty() || strName.find('=') != std::string::npos) {
        return ERROR_INVALID_PARAMETER;
    }
    return setenv(strName.c_str(), strValue.c_str(), 1) == 0 ? ERROR_SUCCESS
                                                             : ERROR_NOT_ENOUGH_MEMORY;
}

}  // namespace tq
