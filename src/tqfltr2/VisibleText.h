// Whether text holds a visible character. A topic counts as searchable only when its text holds
// something other than white space: a page of blanks, no-break spaces or ideographic spaces
// gives the index builder nothing to find.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tq {

enum class ETextEncoding { Cp932, Utf8, Utf16Le, Utf16Be };

// Scans text that arrives in pieces (a piece may end inside a character). Invisible: ASCII
// white space and control characters, DEL, the C1 controls, the no-break space, the ideographic
// space (code page 932 0x81 0x40) and the byte-order mark. Everything else, including bytes that
// form no valid character, is visible: the builder indexes whatever the file holds.
class CVisibleTextScanner {
public:
    explicit CVisibleTextScanner(ETextEncoding encoding) : m_encoding(encoding) {}

    // Scans the next piece; returns true once a visible character has been seen.
    bool Feed(std::string_view piece);
    bool HasVisible() const { return m_bVisible; }

private:
    // Scans whole characters of text and returns how many trailing bytes form an incomplete one.
    size_t ScanComplete(std::string_view text);
    size_t ScanCp932(std::string_view text);
    size_t ScanUtf8(std::string_view text);
    size_t ScanUtf16(std::string_view text);

    ETextEncoding m_encoding;
    std::string m_strPending;  // bytes of a character cut by the end of the previous piece
    bool m_bVisible = false;
};

// One-piece forms.
bool HasVisibleText(std::string_view text, ETextEncoding encoding);
inline bool HasVisibleUtf8(std::string_view text) {
    return HasVisibleText(text, ETextEncoding::Utf8);
}

}  // namespace tq
