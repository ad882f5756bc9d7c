// libFuzzer target of the control file reader (and, for what it accepts, the writer).
#include "FuzzTarget.h"
#include "ReaderOracle.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t cb) {
    tq::fuzz::AbortIfFault("reader", tq::fuzz::CheckReader(std::string_view(
                                         reinterpret_cast<const char*>(pData), cb)));
    return 0;
}
