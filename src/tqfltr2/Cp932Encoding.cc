#include "tqfltr2/Cp932Encoding.h"

#include <libxml/encoding.h>

#include <cstring>
#include <string>
#include <string_view>

#include "platform/Cp932.h"

namespace tq {
namespace {

// Names under which pages declare the encoding; libxml2 compares them ignoring case.
constexpr const char* kAliases[] = {"SJIS",   "SHIFT-JIS", "MS_KANJI", "CSSHIFTJIS",
                                    "X-SJIS", "CP932",     "MS932",    "WINDOWS-31J"};

// libxml2's input conversion: whole characters while they fit, a lead byte at the end of the
// input left for the next call; a byte pair that is no character becomes U+FFFD, visible, as
// the index builder indexes whatever the page holds.
int Cp932ToUtf8Input(unsigned char* out, int* pcbOut, const unsigned char* in, int* pcbIn) {
    int i = 0;
    int o = 0;
    while (i < *pcbIn) {
        if (in[i] < 0x80) {
            if (o == *pcbOut) {
                break;
            }
            out[o++] = in[i++];
            continue;
        }
        int n = IsLeadByte(in[i]) ? 2 : 1;
        if (i + n > *pcbIn) {
            break;
        }
        std::string strUtf8;
        try {
            strUtf8 = Cp932ToUtf8Lossy(std::string_view(reinterpret_cast<const char*>(in + i), n));
        } catch (...) {
            return -2;  // out of memory: nothing may be thrown through libxml2
        }
        if (o + static_cast<int>(strUtf8.size()) > *pcbOut) {
            break;
        }
        std::memcpy(out + o, strUtf8.data(), strUtf8.size());
        o += static_cast<int>(strUtf8.size());
        i += n;
    }
    *pcbIn = i;
    *pcbOut = o;
    return o;
}

}  // namespace

void RegisterCp932Encoding() {
    // Registered handlers are found before the system's converters.
    xmlNewCharEncodingHandler("SHIFT_JIS", Cp932ToUtf8Input, nullptr);
    for (const char* pszAlias : kAliases) {
        xmlAddEncodingAlias("SHIFT_JIS", pszAlias);
    }
}

}  // namespace tq
