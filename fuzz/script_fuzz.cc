// libFuzzer target of the tqctl script parser: any bytes, split into lines as tqctl reads them.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "ScriptOracle.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t cb) {
    std::string strWhy =
        tq::fuzz::CheckScript(std::string_view(reinterpret_cast<const char*>(pData), cb));
    if (!strWhy.empty()) {
        std::fprintf(stderr, "script oracle: %s\n", strWhy.c_str());
        std::abort();
    }
    return 0;
}
