// The code page 932 conversions of Cp932.h on the system's MultiByteToWideChar and
// WideCharToMultiByte: a byte sequence without a character, or a character without a code page
// 932 form, fails the conversion instead of becoming a default character.
#include "platform/win32/SystemApi.h"

#include <string>

#include "platform/Cp932.h"
#include "platform/Win32Error.h"

namespace tq {

namespace {

constexpr UINT kCp932 = 932;

// in (bytes of codePage) -> UTF-16; false on a sequence that has no character.
bool ToUtf16(UINT codePage, std::string_view in, std::u16string& out) {
    if (in.empty()) {
        out.clear();
        return true;
    }
    const int cch = static_cast<int>(in.size());
    int n = ::MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, in.data(), cch, nullptr, 0);
    if (n <= 0) {
        return false;
    }
    std::u16string result(static_cast<size_t>(n), u'\0');
    ::MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, in.data(), cch,
                          reinterpret_cast<wchar_t*>(result.data()), n);
    out = std::move(result);
    return true;
}

// UTF-16 -> bytes of codePage; false on a character that has no form there (UTF-8 takes every
// character but a lone surrogate).
bool FromUtf16(UINT codePage, std::u16string_view in, std::string& out) {
    if (in.empty()) {
        out.clear();
        return true;
    }
    const auto* pIn = reinterpret_cast<const wchar_t*>(in.data());
    const int cch = static_cast<int>(in.size());
    const DWORD flags = codePage == CP_UTF8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
    BOOL bDefaultUsed = FALSE;
    BOOL* pDefaultUsed = codePage == CP_UTF8 ? nullptr : &bDefaultUsed;
    int n = ::WideCharToMultiByte(codePage, flags, pIn, cch, nullptr, 0, nullptr, pDefaultUsed);
    if (n <= 0 || bDefaultUsed) {
        return false;
    }
    std::string result(static_cast<size_t>(n), '\0');
    ::WideCharToMultiByte(codePage, flags, pIn, cch, result.data(), n, nullptr, nullptr);
    out = std::move(result);
    return true;
}

int32_t Convert(bool bOk) {
    return bOk ? ERROR_SUCCESS : ERROR_NO_UNICODE_TRANSLATION;
}

}  // namespace

int32_t Cp932ToUtf16(std::string_view in, std::u16string& out) {
    return Convert(ToUtf16(kCp932, in, out));
}

int32_t Utf16ToCp932(std::u16string_view in, std::string& out) {
    return Convert(FromUtf16(kCp932, in, out));
}

int32_t Cp932ToUtf8(std::string_view in, std::string& out) {
    std::u16string wide;
    return Convert(ToUtf16(kCp932, in, wide) && FromUtf16(CP_UTF8, wide, out));
}

int32_t Utf8ToCp932(std::string_view in, std::string& out) {
    std::u16string wide;
    return Convert(ToUtf16(CP_UTF8, in, wide) && FromUtf16(kCp932, wide, out));
}

}  // namespace tq
