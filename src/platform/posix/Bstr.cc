#include "platform/Bstr.h"

#include <cstdlib>
#include <cstring>

namespace tq {

namespace {

constexpr size_t kPrefix = sizeof(uint32_t);
// Longest string whose byte length still fits the 32-bit prefix.
constexpr uint32_t kMaxChars = (UINT32_MAX - kPrefix - sizeof(OLECHAR)) / sizeof(OLECHAR);

uint32_t* Prefix(BSTR bstr) {
    return reinterpret_cast<uint32_t*>(reinterpret_cast<char*>(bstr) - kPrefix);
}

size_t Utf16Length(const OLECHAR* psz) {
    size_t n = 0;
    while (psz[n] != 0) {
        ++n;
    }
    return n;
}

}  // namespace

BSTR SysAllocString(const OLECHAR* psz) {
    if (psz == nullptr) {
        return nullptr;
    }
    size_t n = Utf16Length(psz);
    return n > kMaxChars ? nullptr : SysAllocStringLen(psz, static_cast<uint32_t>(n));
}

BSTR SysAllocStringLen(const OLECHAR* pch, uint32_t cch) {
    if (cch > kMaxChars) {
        return nullptr;
    }
    size_t bytes = static_cast<size_t>(cch) * sizeof(OLECHAR);
    // The prefix comes first so that the string itself starts 4 bytes into the block, and
    // malloc's alignment keeps every character aligned.
    char* block = static_cast<char*>(std::malloc(kPrefix + bytes + sizeof(OLECHAR)));
    if (block == nullptr) {
        return nullptr;
    }
    uint32_t byteLen = static_cast<uint32_t>(bytes);
    std::memcpy(block, &byteLen, kPrefix);
    BSTR bstr = reinterpret_cast<BSTR>(block + kPrefix);
    if (pch != nullptr) {
        std::memcpy(bstr, pch, bytes);
    } else {
        std::memset(bstr, 0, bytes);
    }
    bstr[cch] = 0;
    return bstr;
}

void SysFreeString(BSTR bstr) {
    if (bstr != nullptr) {
        std::free(Prefix(bstr));
    }
}

uint32_t SysStringByteLen(BSTR bstr) {
    return bstr == nullptr ? 0 : *Prefix(bstr);
}

uint32_t SysStringLen(BSTR bstr) {
    return SysStringByteLen(bstr) / sizeof(OLECHAR);
}

}  // namespace tq
