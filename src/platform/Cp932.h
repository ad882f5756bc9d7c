// Code page 932 (Shift-JIS) text rules. Model strings hold code page 932 bytes exactly as the
// control files hold them; every search, trim and comparison here walks whole characters, so
// the second byte of a double-byte character (which may be 0x5C, the backslash) is never taken
// for a delimiter.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tq {

// True for the bytes that start a double-byte character: 0x81-0x9F and 0xE0-0xFC. Inline, like
// CharLength: every comparison and search walks each byte through them.
inline bool IsLeadByte(uint8_t b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}
// Length in bytes of the character starting at pos: 2 for a lead byte followed by any byte,
// else 1 (a lead byte as the last byte counts as a single broken character).
inline size_t CharLength(std::string_view s, size_t pos) {
    return pos + 1 < s.size() && IsLeadByte(static_cast<uint8_t>(s[pos])) ? 2 : 1;
}
// The number of characters in s (a double-byte character counts once, as its UTF-16 form does).
size_t CharCount(std::string_view s);
// True when s holds only well-formed characters (every lead byte has a trail byte 0x40-0xFC
// other than 0x7F).
bool IsWellFormedCp932(std::string_view s);

// Double-byte-aware searches; they return std::string_view::npos when nothing is found.
size_t FindChar(std::string_view s, char c, size_t from = 0);
size_t FindLastChar(std::string_view s, char c);
size_t FindText(std::string_view s, std::string_view what, size_t from = 0);

// White space: space, tab, CR, LF, vertical tab, form feed. Inline: the readers test every
// byte of every line with it.
inline bool IsWhite(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}
std::string_view TrimWhite(std::string_view s);
std::string_view TrimRightWhite(std::string_view s);
std::string_view TrimLeftWhite(std::string_view s);

// Comparison that folds ASCII letters only and compares double-byte characters whole.
// Returns <0, 0, >0 like strcmp.
int CompareNoCase(std::string_view a, std::string_view b);
bool EqualsNoCase(std::string_view a, std::string_view b);
// A hash that agrees with EqualsNoCase (texts equal ignoring case hash alike), so that a hash
// table can look texts up ignoring case without a lowered copy of each.
size_t HashNoCase(std::string_view s);
// The two as a hash table's functors, transparent so that a lookup takes any text as it is.
struct CNoCaseHash {
    using is_transparent = void;
    size_t operator()(std::string_view s) const { return HashNoCase(s); }
};
struct CNoCaseEqual {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const { return EqualsNoCase(a, b); }
};
bool StartsWithNoCase(std::string_view s, std::string_view prefix);
bool EndsWithNoCase(std::string_view s, std::string_view suffix);
// ASCII-only case mapping that leaves double-byte characters alone.
std::string ToLowerCp932(std::string_view s);
std::string ToUpperCp932(std::string_view s);

// Conversions through iconv "CP932". They return ERROR_SUCCESS, or ERROR_NO_UNICODE_TRANSLATION
// (1113) when the input holds a sequence that has no counterpart; out is changed only on success.
constexpr int32_t ERROR_NO_UNICODE_TRANSLATION = 1113;
int32_t Cp932ToUtf8(std::string_view in, std::string& out);
int32_t Utf8ToCp932(std::string_view in, std::string& out);
int32_t Cp932ToUtf16(std::string_view in, std::u16string& out);
int32_t Utf16ToCp932(std::u16string_view in, std::string& out);
// Lossy display form for messages and terminals: undecodable bytes become U+FFFD.
std::string Cp932ToUtf8Lossy(std::string_view in);

}  // namespace tq
