// What the fuzz targets share: a private prefix (in /dev/shm when there is one; a target that
// cannot make one aborts rather than touch the user's), and the end of a run with a fault.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/posix/Prefix.h"

namespace tq::fuzz {

// Aborts with the oracle's word when it found a fault (strWhy not empty).
inline void AbortIfFault(const char* pszOracle, const std::string& strWhy) {
    if (!strWhy.empty()) {
        std::fprintf(stderr, "%s oracle: %s\n", pszOracle, strWhy.c_str());
        std::abort();
    }
}

class CPrivatePrefix {
public:
    explicit CPrivatePrefix(const std::string& strTarget) {
        std::error_code ec;
        const std::string base = std::filesystem::is_directory("/dev/shm", ec)
                                     ? "/dev/shm"
                                     : std::filesystem::temp_directory_path().string();
        m_dir = base + "/tq-" + strTarget + "-fuzz.XXXXXX";
        if (mkdtemp(m_dir.data()) == nullptr || CPrefix::Use(m_dir) != 0) {
            AbortIfFault(strTarget.c_str(), "cannot make a prefix in " + base);
        }
    }
    ~CPrivatePrefix() {
        std::error_code ec;
        std::filesystem::remove_all(m_dir, ec);
    }

private:
    std::string m_dir;
};

}  // namespace tq::fuzz
