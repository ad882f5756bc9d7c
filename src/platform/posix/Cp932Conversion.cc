// The code page 932 conversions of Cp932.h through glibc's iconv ("CP932").
#include <iconv.h>

#include <cerrno>

#include "platform/Cp932.h"
#include "platform/Win32Error.h"

namespace tq {

namespace {

// One iconv descriptor per direction and thread: opening one costs far more than a short
// conversion, and a descriptor must not be shared between threads.
class CIconv {
public:
    CIconv(const char* to, const char* from) : m_cd(iconv_open(to, from)) {}
    ~CIconv() {
        if (m_cd != reinterpret_cast<iconv_t>(-1)) {
            iconv_close(m_cd);
        }
    }
    CIconv(const CIconv&) = delete;
    CIconv& operator=(const CIconv&) = delete;

    // Converts all of in; false on an invalid or incomplete sequence.
    bool Convert(const char* in, size_t inLen, std::string& out) {
        if (m_cd == reinterpret_cast<iconv_t>(-1)) {
            return false;
        }
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        std::string result;
        result.resize(inLen * 4 + 16);
        char* pIn = const_cast<char*>(in);
        size_t inLeft = inLen;
        size_t used = 0;
        while (true) {
            char* pOut = result.data() + used;
            size_t outLeft = result.size() - used;
            size_t r = iconv(m_cd, &pIn, &inLeft, &pOut, &outLeft);
            used = result.size() - outLeft;
            if (r != static_cast<size_t>(-1)) {
                break;
            }
            if (errno != E2BIG) {
                return false;
            }
            result.resize(result.size() * 2);
        }
        result.resize(used);
        out = std::move(result);
        return true;
    }

private:
    iconv_t m_cd;
};

CIconv& Cp932ToUtf8Cd() {
    thread_local CIconv cd("UTF-8", "CP932");
    return cd;
}
CIconv& Utf8ToCp932Cd() {
    thread_local CIconv cd("CP932", "UTF-8");
    return cd;
}
CIconv& Cp932ToUtf16Cd() {
    thread_local CIconv cd("UTF-16LE", "CP932");
    return cd;
}
CIconv& Utf16ToCp932Cd() {
    thread_local CIconv cd("CP932", "UTF-16LE");
    return cd;
}

bool IsAscii(std::string_view s) {
    for (char c : s) {
        if (static_cast<uint8_t>(c) >= 0x80) {
            return false;
        }
    }
    return true;
}

}  // namespace

int32_t Cp932ToUtf8(std::string_view in, std::string& out) {
    if (IsAscii(in)) {
        out.assign(in);
        return ERROR_SUCCESS;
    }
    return Cp932ToUtf8Cd().Convert(in.data(), in.size(), out) ? ERROR_SUCCESS
                                                              : ERROR_NO_UNICODE_TRANSLATION;
}

int32_t Utf8ToCp932(std::string_view in, std::string& out) {
    if (IsAscii(in)) {
        out.assign(in);
        return ERROR_SUCCESS;
    }
    return Utf8ToCp932Cd().Convert(in.data(), in.size(), out) ? ERROR_SUCCESS
                                                              : ERROR_NO_UNICODE_TRANSLATION;
}

int32_t Cp932ToUtf16(std::string_view in, std::u16string& out) {
    std::string bytes;
    if (!Cp932ToUtf16Cd().Convert(in.data(), in.size(), bytes)) {
        return ERROR_NO_UNICODE_TRANSLATION;
    }
    std::u16string result(bytes.size() / 2, u'\0');
    for (size_t i = 0; i < result.size(); ++i) {
        result[i] = static_cast<char16_t>(static_cast<uint8_t>(bytes[2 * i]) |
                                          (static_cast<uint8_t>(bytes[2 * i + 1]) << 8));
    }
    out = std::move(result);
    return ERROR_SUCCESS;
}

int32_t Utf16ToCp932(std::u16string_view in, std::string& out) {
    std::string bytes(in.size() * 2, '\0');
    for (size_t i = 0; i < in.size(); ++i) {
        bytes[2 * i] = static_cast<char>(in[i] & 0xFF);
        bytes[2 * i + 1] = static_cast<char>(in[i] >> 8);
    }
    return Utf16ToCp932Cd().Convert(bytes.data(), bytes.size(), out) ? ERROR_SUCCESS
                                                                     : ERROR_NO_UNICODE_TRANSLATION;
}

}  // namespace tq
