#include "tqfltr2/VisibleText.h"

#include <cstdint>

#include "platform/Cp932.h"

namespace tq {
namespace {

// White space and controls as Unicode defines them, plus the zero-width space and the
// byte-order mark, which word processors leave in otherwise empty files.
bool IsInvisibleCodePoint(uint32_t cp) {
    return cp <= 0x20 || (cp >= 0x7F && cp <= 0xA0) || cp == 0x1680 ||
           (cp >= 0x2000 && cp <= 0x200B) || cp == 0x2028 || cp == 0x2029 || cp == 0x202F ||
           cp == 0x205F || cp == 0x3000 || cp == 0xFEFF;
}

// Length of the UTF-8 sequence a lead byte announces; 1 for a byte that starts none.
size_t Utf8SequenceLength(uint8_t b) {
    if (b >= 0xC2 && b <= 0xDF) {
        return 2;
    }
    if (b >= 0xE0 && b <= 0xEF) {
        return 3;
    }
    if (b >= 0xF0 && b <= 0xF4) {
        return 4;
    }
    return 1;
}

}  // namespace

bool CVisibleTextScanner::Feed(std::string_view piece) {
    if (m_bVisible) {
        return true;
    }
    size_t incomplete;
    if (m_strPending.empty()) {
        incomplete = ScanComplete(piece);
        m_strPending.assign(piece.substr(piece.size() - incomplete));
    } else {
        std::string joined = m_strPending + std::string(piece);
        incomplete = ScanComplete(joined);
        m_strPending = joined.substr(joined.size() - incomplete);
    }
    return m_bVisible;
}

size_t CVisibleTextScanner::ScanComplete(std::string_view text) {
    switch (m_encoding) {
        case ETextEncoding::Cp932:
            return ScanCp932(text);
        case ETextEncoding::Utf8:
            return ScanUtf8(text);
        case ETextEncoding::Utf16Le:
        case ETextEncoding::Utf16Be:
            return ScanUtf16(text);
    }
    return 0;
}

size_t CVisibleTextScanner::ScanCp932(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && !m_bVisible) {
        uint8_t b = static_cast<uint8_t>(text[i]);
        if (b < 0x80) {
            m_bVisible = !IsInvisibleCodePoint(b);
            ++i;
            continue;
        }
        if (!IsLeadByte(b)) {
            m_bVisible = true;  // half-width katakana, or a byte outside the code page
            break;
        }
        if (i + 1 == text.size()) {
            return 1;
        }
        uint8_t trail = static_cast<uint8_t>(text[i + 1]);
        m_bVisible = !(b == 0x81 && trail == 0x40);  // 0x81 0x40: the ideographic space
        i += 2;
    }
    return 0;
}

size_t CVisibleTextScanner::ScanUtf8(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && !m_bVisible) {
        uint8_t b = static_cast<uint8_t>(text[i]);
        size_t len = b < 0x80 ? 1 : Utf8SequenceLength(b);
        if (b >= 0x80 && len == 1) {
            m_bVisible = true;  // a stray continuation byte or an invalid lead byte
            break;
        }
        uint32_t cp = len == 1 ? b : (b & (0xFFu >> (len + 1)));
        for (size_t k = 1; k < len; ++k) {
            if (i + k == text.size()) {
                return k;  // the rest of the character comes with the next piece
            }
            uint8_t c = static_cast<uint8_t>(text[i + k]);
            if ((c & 0xC0) != 0x80) {
                m_bVisible = true;  // broken sequence: something is there
                return 0;
            }
            cp = (cp << 6) | (c & 0x3F);
        }
        m_bVisible = !IsInvisibleCodePoint(cp);
        i += len;
    }
    return 0;
}

size_t CVisibleTextScanner::ScanUtf16(std::string_view text) {
    bool bLittle = m_encoding == ETextEncoding::Utf16Le;
    size_t i = 0;
    for (; i + 2 <= text.size() && !m_bVisible; i += 2) {
        uint32_t lo = static_cast<uint8_t>(text[i + (bLittle ? 0 : 1)]);
        uint32_t hi = static_cast<uint8_t>(text[i + (bLittle ? 1 : 0)]);
        m_bVisible = !IsInvisibleCodePoint((hi << 8) | lo);  // surrogates count as visible
    }
    return m_bVisible ? 0 : text.size() - i;
}

bool HasVisibleText(std::string_view text, ETextEncoding encoding) {
    CVisibleTextScanner scanner(encoding);
    return scanner.Feed(text);
}

}  // namespace tq
