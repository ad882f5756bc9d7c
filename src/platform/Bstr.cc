#include "platform/Bstr.h"

#include <cstdlib>
#include <cstring>

#include "platform/Cp932.h"
#include "platform/Win32Error.h"

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

int32_t BstrFromUtf16(std::u16string_view str, BSTR* pbstr) {
    if (str.size() > kMaxChars) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
    BSTR bstr = SysAllocStringLen(str.data(), static_cast<uint32_t>(str.size()));
    if (bstr == nullptr) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
    *pbstr = bstr;
    return ERROR_SUCCESS;
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

int32_t BstrFromCp932(std::string_view str, BSTR* pbstr) {
    std::u16string wide;
    int32_t err = Cp932ToUtf16(str, wide);
    return err != ERROR_SUCCESS ? err : BstrFromUtf16(wide, pbstr);
}

int32_t BstrFromCp932Lossy(std::string_view str, BSTR* pbstr) {
    if (BstrFromCp932(str, pbstr) == ERROR_SUCCESS) {
        return ERROR_SUCCESS;
    }
    // Decode character by character so that one broken byte costs one U+FFFD only.
    std::u16string wide;
    for (size_t i = 0; i < str.size();) {
        size_t len = CharLength(str, i);
        std::u16string part;
        if (Cp932ToUtf16(str.substr(i, len), part) == ERROR_SUCCESS) {
            wide += part;
        } else {
            wide += u'\uFFFD';
        }
        i += len;
    }
    return BstrFromUtf16(wide, pbstr);
}

int32_t BstrToCp932(BSTR bstr, std::string& str) {
    std::u16string_view wide =
        bstr == nullptr ? std::u16string_view() : std::u16string_view(bstr, SysStringLen(bstr));
    return Utf16ToCp932(wide, str);
}

CBstr::CBstr(std::u16string_view str) {
    BstrFromUtf16(str, &m_bstr);
}

CBstr& CBstr::operator=(CBstr&& other) noexcept {
    if (this != &other) {
        Attach(other.Detach());
    }
    return *this;
}

BSTR* CBstr::Receive() {
    Attach(nullptr);
    return &m_bstr;
}

void CBstr::Attach(BSTR bstr) {
    SysFreeString(m_bstr);
    m_bstr = bstr;
}

BSTR CBstr::Detach() {
    BSTR bstr = m_bstr;
    m_bstr = nullptr;
    return bstr;
}

}  // namespace tq
