// What the fuzz targets share: a private prefix, a new folder in /dev/shm when there is one (the
// registry is rewritten for many inputs), made current and removed at the end (one that cannot
// be made aborts: a target must never touch the user's prefix); the end of a run with a fault.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

#include "platform/Prefix.h"

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
        std::filesystem::path base = std::filesystem::is_directory("/dev/shm", ec)
                                         ? std::filesystem::path("/dev/shm")
                                         : std::filesystem::temp_directory_path();
        std::random_device random;
        do {
            m_dir = base / ("tq-" + strTarget + "-fuzz." + std::to_string(random()));
        } while (!std::filesystem::create_directory(m_dir, ec) && !ec);
        if (ec || CPrefix::Use(m_dir.string()) != 0) {
            AbortIfFault(strTarget.c_str(), "cannot make a prefix in " + base.string());
        }
    }
    ~CPrivatePrefix() {
        std::error_code ec;
        std::filesystem::remove_all(m_dir, ec);
    }
    CPrivatePrefix(const CPrivatePrefix&) = delete;
    CPrivatePrefix& operator=(const CPrivatePrefix&) = delete;

private:
    std::filesystem::path m_dir;
};

}  // namespace tq::fuzz
