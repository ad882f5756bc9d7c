#include "platform/Bstr.h"

#include "platform/Cp932.h"
#include "platform/Win32Error.h"

namespace tq {

namespace {

// Longest string whose byte length still fits a BSTR's 32-bit prefix.
constexpr size_t kMaxChars = (UINT32_MAX - sizeof(uint32_t) - sizeof(OLECHAR)) / sizeof(OLECHAR);

// Automation's characters are UTF-16 code units on every system (char16_t here, the system's
// 16-bit wchar_t on Windows): the conversions' UTF-16 text is the BSTR's text.
const OLECHAR* AsOle(const char16_t* p) {
    return reinterpret_cast<const OLECHAR*>(p);
}

int32_t BstrFromUtf16(std::u16string_view str, BSTR* pbstr) {
    if (str.size() > kMaxChars) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
    BSTR bstr = SysAllocStringLen(AsOle(str.data()), static_cast<uint32_t>(str.size()));
    if (bstr == nullptr) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
    *pbstr = bstr;
    return ERROR_SUCCESS;
}

}  // namespace

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
        bstr == nullptr
            ? std::u16string_view()
            : std::u16string_view(reinterpret_cast<const char16_t*>(bstr), SysStringLen(bstr));
    return Utf16ToCp932(wide, str);
}

CBstr::CBstr(OleStringView str) {
    BstrFromUtf16({reinterpret_cast<const char16_t*>(str.data()), str.size()}, &m_bstr);
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
