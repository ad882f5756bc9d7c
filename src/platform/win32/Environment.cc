#include "platform/win32/SystemApi.h"

#include "platform/Environment.h"
#include "platform/Win32Error.h"

namespace tq {

int32_t GetEnvironmentVariable(const std::string& strName, std::string& strValue) {
    std::string value(256, '\0');
    while (true) {
        ::SetLastError(ERROR_SUCCESS);
        DWORD n = ::GetEnvironmentVariableA(strName.c_str(), value.data(),
                                            static_cast<DWORD>(value.size()));
        if (n == 0 && ::GetLastError() != ERROR_SUCCESS) {
            return static_cast<int32_t>(::GetLastError());
        }
        if (n < value.size()) {
            value.resize(n);
            strValue = std::move(value);
            return ERROR_SUCCESS;
        }
        value.resize(n);  // the size it needs, with the terminating NUL
    }
}

int32_t SetEnvironmentVariable(const std::string& strName, const std::string& strValue) {
    if (strName.empty() || strName.find('=') != std::string::npos) {
        return ERROR_INVALID_PARAMETER;
    }
    return ::SetEnvironmentVariableA(strName.c_str(), strValue.c_str())
               ? ERROR_SUCCESS
               : static_cast<int32_t>(::GetLastError());
}

}  // namespace tq
