// libFuzzer target of the .reg importer (and, for what it accepts, the exporter). The process
// works in a private prefix made at start and removed at exit; every input starts from the
// registry that prefix was created with.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

#include "RegFileOracle.h"
#include "platform/Prefix.h"

namespace {

// A new folder below the temporary folder (tmpfs when there is one: the hives are rewritten
// for every input), removed with everything in it when the process ends.
class CPrivatePrefix {
public:
    CPrivatePrefix() {
        std::error_code ec;
        std::filesystem::path base = std::filesystem::is_directory("/dev/shm", ec)
                                         ? std::filesystem::path("/dev/shm")
                                         : std::filesystem::temp_directory_path();
        std::random_device random;
        do {
            m_dir = base / ("tq-regfile-fuzz." + std::to_string(random()));
        } while (!std::filesystem::create_directory(m_dir, ec) && !ec);
        if (ec || tq::CPrefix::Use(m_dir.string()) != 0) {
            std::fprintf(stderr, "regfile_fuzz: cannot make a prefix in %s\n", base.c_str());
            std::abort();
        }
    }
    ~CPrivatePrefix() {
        std::error_code ec;
        std::filesystem::remove_all(m_dir, ec);
    }

private:
    std::filesystem::path m_dir;
};

tq::fuzz::CRegFileOracle& Oracle() {
    static CPrivatePrefix s_prefix;
    static tq::fuzz::CRegFileOracle s_oracle;
    static const bool s_bReady = [] {
        int32_t err = s_oracle.Init();
        if (err != 0) {
            std::fprintf(stderr, "regfile_fuzz: cannot read the new registry: error %d\n", err);
            std::abort();
        }
        return true;
    }();
    (void)s_bReady;
    return s_oracle;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t cb) {
    std::string strWhy = Oracle().Check(std::string_view(reinterpret_cast<const char*>(pData), cb));
    if (!strWhy.empty()) {
        std::fprintf(stderr, "regfile oracle: %s\n", strWhy.c_str());
        std::abort();
    }
    return 0;
}
