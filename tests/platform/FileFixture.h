// What the file tests share: a machine of their own, and its drive C on the host's paths.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "support/TestSupport.h"

namespace tq {

class FileTest : public ::testing::Test {
protected:
    std::string C(const std::string& rel) const { return m_prefix.Path("drives/c/" + rel); }
    void Put(const std::string& rel, const std::string& s) { test::WriteLinuxFile(C(rel), s); }
    std::string Get(const std::string& rel) const { return test::ReadLinuxFile(C(rel)); }
    bool Exists(const std::string& rel) const { return test::LinuxFileExists(C(rel)); }

    test::CTempPrefix m_prefix;
};

}  // namespace tq
