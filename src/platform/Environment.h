// Environment variables of the process (GetEnvironmentVariable / SetEnvironmentVariable). A host
// uses them to hand settings to child processes, and to modules that carry their own copy of
// the platform layer and read the environment when they first need it.
#pragma once

#include <cstdint>
#include <string>

namespace tq {

// ERROR_ENVVAR_NOT_FOUND when the variable is not set; strValue is changed only on success.
int32_t GetEnvironmentVariable(const std::string& strName, std::string& strValue);
// Sets the variable, replacing any value. ERROR_INVALID_PARAMETER for an empty name or one with
// '=' in it.
int32_t SetEnvironmentVariable(const std::string& strName, const std::string& strValue);

constexpr int32_t ERROR_ENVVAR_NOT_FOUND = 203;

}  // namespace tq
