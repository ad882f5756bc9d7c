// What the registry's tests share: a test key below HKEY_LOCAL_MACHINE in a machine of its own.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/Registry.h"
#include "platform/Win32Error.h"
#include "support/TestSupport.h"

namespace tq {

using test::CTempPrefix;

inline const std::string kTestKey = "SOFTWARE\\Orbanworks\\Test";
using Codes = std::vector<int32_t>;  // the answers of several calls, in the order made

class RegistryTest : public ::testing::Test {
protected:
    CTempPrefix m_prefix;

    CRegKey MakeKey(const std::string& sub = "") {
        CRegKey key;
        EXPECT_EQ(ERROR_SUCCESS,
                  key.Create(HKEY_LOCAL_MACHINE, sub.empty() ? kTestKey : kTestKey + "\\" + sub,
                             KEY_ALL_ACCESS));
        return key;
    }
};

inline std::string ReadString(HKEY root, const std::string& path, const std::string& name) {
    CRegKey key;
    uint32_t type = 0;
    std::string data;
    if (key.Open(root, path, KEY_READ) != ERROR_SUCCESS ||
        key.QueryValue(name, type, data) != ERROR_SUCCESS) {
        return "<missing>";
    }
    return data;
}

}  // namespace tq
