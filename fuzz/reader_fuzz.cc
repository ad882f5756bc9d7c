// libFuzzer target of the control file reader (and, for what it accepts, the writer).
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "ReaderOracle.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t cb) {
    std::string strWhy =
        tq::fuzz::CheckReader(std::string_view(reinterpret_cast<const char*>(pData), cb));
    if (!strWhy.empty()) {
        std::fprintf(stderr, "reader oracle: %s\n", strWhy.c_str());
        std::abort();
    }
    return 0;
}
