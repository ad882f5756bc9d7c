// The reliability campaigns run short in the ordinary suite and at full length from
// scripts/reliability.sh (TQ_RELIABILITY_FULL=1). Each prints one summary line starting with
// "RELIABILITY " for that script to collect.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

namespace tq::test {

inline bool IsFullLength() {
    const char* psz = std::getenv("TQ_RELIABILITY_FULL");
    return psz != nullptr && std::string(psz) == "1";
}

inline int CampaignCount(int nShort, int nFull) {
    return IsFullLength() ? nFull : nShort;
}

inline void PrintCampaignSummary(const std::string& strName, const std::string& strCounts) {
    std::printf("RELIABILITY %s: %s\n", strName.c_str(), strCounts.c_str());
    std::fflush(stdout);
}

}  // namespace tq::test
