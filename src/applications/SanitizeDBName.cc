#include "applications/SanitizeDBName.h"

#include <cstdint>

#include "platform/Cp932.h"

namespace tq {
namespace {

// Full-width (JIS X 0208) counterparts of the half-width katakana 0xA1-0xDF.
constexpr uint16_t kFullWidthKana[0xDF - 0xA1 + 1] = {
    0x8142, 0x8175, 0x8176, 0x8141, 0x8145, 0x8392, 0x8340, 0x8342,  // ｡｢｣､･ｦｧｨ
    0x8344, 0x8346, 0x8348, 0x8383, 0x8385, 0x8387, 0x8362, 0x815B,  // ｩｪｫｬｭｮｯｰ
    0x8341, 0x8343, 0x8345, 0x8347, 0x8349, 0x834A, 0x834C, 0x834E,  // ｱｲｳｴｵｶｷｸ
    0x8350, 0x8352, 0x8354, 0x8356, 0x8358, 0x835A, 0x835C, 0x835E,  // ｹｺｻｼｽｾｿﾀ
    0x8360, 0x8363, 0x8365, 0x8367, 0x8369, 0x836A, 0x836B, 0x836C,  // ﾁﾂﾃﾄﾅﾆﾇﾈ
    0x836D, 0x836E, 0x8371, 0x8374, 0x8377, 0x837A, 0x837D, 0x837E,  // ﾉﾊﾋﾌﾍﾎﾏﾐ
    0x8380, 0x8381, 0x8382, 0x8384, 0x8386, 0x8388, 0x8389, 0x838A,  // ﾑﾒﾓﾔﾕﾖﾗﾘ
    0x838B, 0x838C, 0x838D, 0x838F, 0x8393, 0x814A, 0x814B,          // ﾙﾚﾛﾜﾝﾞﾟ
};

constexpr uint8_t kVoicedMark = 0xDE;
constexpr uint8_t kSemiVoicedMark = 0xDF;

struct CFullWidth {
    char m_c;
    const char* m_psz;
};
// The characters a file name may not hold, in full width.
constexpr CFullWidth kFullWidthPunct[] = {
    {'\\', "\x81\x8F"},  // ￥
    {'/', "\x81\x5E"},   // ／
    {':', "\x81\x46"},   // ：
    {',', "\x81\x43"},   // ，
    {';', "\x81\x47"},   // ；
    {'*', "\x81\x96"},   // ＊
    {'?', "\x81\x48"},   // ？
    {'"', "\x81\x68"},   // ”
    {'<', "\x81\x83"},   // ＜
    {'>', "\x81\x84"},   // ＞
    {'|', "\x81\x62"},   // ｜
};
constexpr const char* kFullWidthStop = "\x81\x44";  // ．

// Double-byte characters that have no place in a folder name (unassigned rows, symbols that
// vary between systems, vendor extensions), inclusive.
struct CRange {
    uint16_t m_first;
    uint16_t m_last;
};
constexpr CRange kExcluded[] = {
    {0x81AD, 0x824E}, {0x8259, 0x825F}, {0x827A, 0x8280}, {0x829B, 0x829E}, {0x82F2, 0x833F},
    {0x8397, 0x839E}, {0x83B7, 0x83BE}, {0x83D7, 0x843F}, {0x8461, 0x846F}, {0x8492, 0x889E},
    {0x9873, 0x989E}, {0xEA9F, 0xEFFC}, {0xF040, 0xFCFC},
};

bool IsExcluded(uint16_t code) {
    for (const CRange& r : kExcluded) {
        if (code >= r.m_first && code <= r.m_last) {
            return true;
        }
    }
    return false;
}

void AppendCode(std::string& out, uint16_t code) {
    out += static_cast<char>(code >> 8);
    out += static_cast<char>(code & 0xFF);
}

// ｶ..ﾄ and ﾊ..ﾎ take the voiced mark; ﾊ..ﾎ also the semi-voiced one.
bool TakesVoiced(uint8_t b) {
    return (b >= 0xB6 && b <= 0xC4) || (b >= 0xCA && b <= 0xCE);
}
bool TakesSemiVoiced(uint8_t b) {
    return b >= 0xCA && b <= 0xCE;
}

// Appends the full-width form of the half-width katakana at text[i]; returns the bytes used.
size_t AppendKana(std::string& out, std::string_view text, size_t i) {
    const auto b = static_cast<uint8_t>(text[i]);
    uint16_t code = kFullWidthKana[b - 0xA1];
    const int next = i + 1 < text.size() ? static_cast<uint8_t>(text[i + 1]) : -1;
    if (next == kVoicedMark && TakesVoiced(b)) {
        AppendCode(out, static_cast<uint16_t>(code + 1));
        return 2;
    }
    if (next == kSemiVoicedMark && TakesSemiVoiced(b)) {
        AppendCode(out, static_cast<uint16_t>(code + 2));
        return 2;
    }
    AppendCode(out, code);
    return 1;
}

// Whether nothing but control characters and blanks (all trimmed later) follows.
bool OnlyBlanksFrom(std::string_view text, size_t from) {
    for (size_t j = from; j < text.size(); ++j) {
        if (static_cast<uint8_t>(text[j]) > 0x20) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::string SanitizeDBName(std::string_view text) {
    std::string out;
    out.reserve(text.size() * 2);
    size_t i = 0;
    while (i < text.size()) {
        const auto b = static_cast<uint8_t>(text[i]);
        if (b < 0x20) {
            out += ' ';
        } else if (b == '.') {
            // Judged as the name will be once its blanks are trimmed: a folder name cannot begin
            // or end with a plain full stop.
            out += (TrimWhite(out).empty() || OnlyBlanksFrom(text, i + 1)) ? kFullWidthStop : ".";
        } else if (b <= 0x7E) {
            const char* pszWide = nullptr;
            for (const CFullWidth& f : kFullWidthPunct) {
                if (f.m_c == static_cast<char>(b)) {
                    pszWide = f.m_psz;
                }
            }
            out += pszWide != nullptr ? std::string_view(pszWide) : std::string_view(&text[i], 1);
        } else if (b >= 0xA1 && b <= 0xDF) {
            i += AppendKana(out, text, i);
            continue;
        } else if (b == 0x7F || b == 0x80 || b == 0xA0 || b >= 0xFD) {
            out += '_';
        } else if (i + 1 == text.size()) {
            // A lead byte without its second byte.
            out += '_';
            break;
        } else {
            const auto second = static_cast<uint8_t>(text[i + 1]);
            const auto code = static_cast<uint16_t>((b << 8) | second);
            if (second < 0x40 || IsExcluded(code)) {
                out += '_';
            } else {
                out.append(text.substr(i, 2));
            }
            i += 2;
            continue;
        }
        ++i;
    }
    return std::string(TrimWhite(out));
}

}  // namespace tq
