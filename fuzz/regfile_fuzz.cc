// libFuzzer target of the .reg importer (and, for what it accepts, the exporter). The process
// works in a private prefix made at start and removed at exit; every input starts from the
// registry that prefix was created with.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "PrivatePrefix.h"
#include "RegFileOracle.h"

namespace {

tq::fuzz::CRegFileOracle& Oracle() {
    static tq::fuzz::CPrivatePrefix s_prefix("regfile");
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
