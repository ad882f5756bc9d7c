// libFuzzer target of the .reg importer (and, for what it accepts, the exporter), in a private
// prefix; every input starts from the registry that prefix was created with.
#include "FuzzTarget.h"
#include "RegFileOracle.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t cb) {
    static tq::fuzz::CPrivatePrefix s_prefix("regfile");
    static tq::fuzz::CRegFileOracle s_oracle;
    static const int32_t s_lInit = s_oracle.Init();
    const std::string_view bytes(reinterpret_cast<const char*>(pData), cb);
    tq::fuzz::AbortIfFault(
        "regfile", s_lInit != 0 ? "cannot read the new registry: error " + std::to_string(s_lInit)
                                : s_oracle.Check(bytes));
    return 0;
}
