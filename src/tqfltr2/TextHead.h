// What the first bytes of a text file (plain text or HTML) tell about it: its encoding, from a
// byte-order mark, and whether it is binary data under a text file's name.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "tqfltr2/VisibleText.h"

namespace tq {

// How much of a text file is looked at to tell text from binary data.
constexpr uint32_t kTextHeadSize = 64 * 1024;

class CTextHead {
public:
    explicit CTextHead(std::string_view head);

    // Code page 932 unless a byte-order mark says UTF-8 or UTF-16.
    ETextEncoding GetEncoding() const { return m_encoding; }
    size_t GetByteOrderMarkLength() const { return m_nMarkLength; }
    // A NUL byte, which no text in code page 932 or UTF-8 holds, marks binary data.
    bool IsBinary() const { return m_bBinary; }

private:
    ETextEncoding m_encoding = ETextEncoding::Cp932;
    size_t m_nMarkLength = 0;
    bool m_bBinary = false;
};

}  // namespace tq
