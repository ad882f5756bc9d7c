#include "platform/Cp932.h"

#include <cstring>

#include "platform/Win32Error.h"

namespace tq {

bool IsWellFormedCp932(std::string_view s) {
    for (size_t i = 0; i < s.size(); ++i) {
        if (!IsLeadByte(static_cast<uint8_t>(s[i]))) {
            continue;
        }
        if (i + 1 >= s.size()) {
            return false;
        }
        uint8_t trail = static_cast<uint8_t>(s[++i]);
        if (trail < 0x40 || trail == 0x7F || trail > 0xFC) {
            return false;
        }
    }
    return true;
}

size_t CharCount(std::string_view s) {
    size_t n = 0;
    for (size_t i = 0; i < s.size(); i += CharLength(s, i)) {
        ++n;
    }
    return n;
}

size_t FindChar(std::string_view s, char c, size_t from) {
    for (size_t i = from; i < s.size(); i += CharLength(s, i)) {
        if (s[i] == c && CharLength(s, i) == 1) {
            return i;
        }
    }
    return std::string_view::npos;
}

size_t FindLastChar(std::string_view s, char c) {
    size_t found = std::string_view::npos;
    for (size_t i = 0; i < s.size(); i += CharLength(s, i)) {
        if (s[i] == c && CharLength(s, i) == 1) {
            found = i;
        }
    }
    return found;
}

size_t FindText(std::string_view s, std::string_view what, size_t from) {
    if (what.empty()) {
        return from <= s.size() ? from : std::string_view::npos;
    }
    for (size_t i = from; i < s.size(); i += CharLength(s, i)) {
        if (s.compare(i, what.size(), what) == 0) {
            return i;
        }
    }
    return std::string_view::npos;
}

std::string_view TrimLeftWhite(std::string_view s) {
    size_t i = 0;
    while (i < s.size() && IsWhite(s[i])) {
        ++i;
    }
    return s.substr(i);
}

std::string_view TrimRightWhite(std::string_view s) {
    // Walking back needs no scan from the start: a byte outside the lead-byte range always ends
    // a character, and the lead-range bytes right before a position pair up, so a white-space
    // byte is a character of its own exactly when an even number of them precede it. (In broken
    // text a lead byte followed by a blank makes one double-byte character, whose second byte
    // is not trimmed.)
    size_t n = s.size();
    while (n > 0 && IsWhite(s[n - 1])) {
        size_t nLeads = 0;
        while (nLeads < n - 1 && IsLeadByte(static_cast<uint8_t>(s[n - 2 - nLeads]))) {
            ++nLeads;
        }
        if (nLeads % 2 != 0) {
            break;
        }
        --n;
    }
    return s.substr(0, n);
}

std::string_view TrimWhite(std::string_view s) {
    return TrimRightWhite(TrimLeftWhite(s));
}

namespace {

uint8_t FoldUpper(uint8_t b) {
    return (b >= 'a' && b <= 'z') ? static_cast<uint8_t>(b - 32) : b;
}

// Compares the first n bytes' worth of whole characters; used by the prefix tests too.
int CompareChars(std::string_view a, std::string_view b) {
    size_t i = 0;
    size_t j = 0;
    while (i < a.size() && j < b.size()) {
        size_t la = CharLength(a, i);
        size_t lb = CharLength(b, j);
        if (la == 1 && lb == 1) {
            uint8_t ca = FoldUpper(static_cast<uint8_t>(a[i]));
            uint8_t cb = FoldUpper(static_cast<uint8_t>(b[j]));
            if (ca != cb) {
                return ca < cb ? -1 : 1;
            }
        } else {
            int r = a.substr(i, la).compare(b.substr(j, lb));
            if (r != 0) {
                return r < 0 ? -1 : 1;
            }
        }
        i += la;
        j += lb;
    }
    if (i < a.size()) {
        return 1;
    }
    if (j < b.size()) {
        return -1;
    }
    return 0;
}

}  // namespace

int CompareNoCase(std::string_view a, std::string_view b) {
    return CompareChars(a, b);
}

// The same as CompareChars(a, b) == 0 for texts of one length, in one walk: both texts split
// into the same characters as long as they agree, since a lead byte is no letter.
bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        const uint8_t ca = static_cast<uint8_t>(a[i]);
        const uint8_t cb = static_cast<uint8_t>(b[i]);
        if (CharLength(a, i) == 2) {
            if (ca != cb || a[i + 1] != b[i + 1]) {
                return false;
            }
            ++i;
        } else if (FoldUpper(ca) != FoldUpper(cb)) {
            return false;
        }
    }
    return true;
}

// FNV-1a over the bytes with the ASCII letters of single-byte characters folded, walking whole
// characters as CompareChars does (a trail byte is never folded).
size_t HashNoCase(std::string_view s) {
    uint64_t h = 14695981039346656037ULL;
    for (size_t i = 0; i < s.size(); ++i) {
        uint8_t b = static_cast<uint8_t>(s[i]);
        if (IsLeadByte(b) && i + 1 < s.size()) {
            h = (h ^ b) * 1099511628211ULL;
            b = static_cast<uint8_t>(s[++i]);
        } else {
            b = FoldUpper(b);
        }
        h = (h ^ b) * 1099511628211ULL;
    }
    return static_cast<size_t>(h);
}

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
    if (prefix.size() > s.size()) {
        return false;
    }
    // The prefix must end on a character boundary of s.
    size_t i = 0;
    while (i < prefix.size()) {
        i += CharLength(s, i);
    }
    return i == prefix.size() && CompareChars(s.substr(0, i), prefix) == 0;
}

bool EndsWithNoCase(std::string_view s, std::string_view suffix) {
    if (suffix.size() > s.size()) {
        return false;
    }
    size_t start = s.size() - suffix.size();
    size_t i = 0;
    while (i < start) {
        i += CharLength(s, i);
    }
    return i == start && CompareChars(s.substr(start), suffix) == 0;
}

namespace {

std::string MapAscii(std::string_view s, bool bUpper) {
    std::string out(s);
    for (size_t i = 0; i < out.size(); i += CharLength(out, i)) {
        char& c = out[i];
        if (CharLength(out, i) != 1) {
            continue;
        }
        if (bUpper && c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 32);
        } else if (!bUpper && c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c + 32);
        }
    }
    return out;
}

}  // namespace

std::string ToLowerCp932(std::string_view s) {
    return MapAscii(s, false);
}
std::string ToUpperCp932(std::string_view s) {
    return MapAscii(s, true);
}

std::string Cp932ToUtf8Lossy(std::string_view in) {
    std::string out;
    if (Cp932ToUtf8(in, out) == ERROR_SUCCESS) {
        return out;
    }
    // Convert character by character so that one bad byte costs one replacement character.
    out.clear();
    for (size_t i = 0; i < in.size();) {
        size_t len = CharLength(in, i);
        std::string piece;
        if (Cp932ToUtf8(in.substr(i, len), piece) == ERROR_SUCCESS) {
            out += piece;
        } else {
            out += "\xEF\xBF\xBD";
        }
        i += len;
    }
    return out;
}

}  // namespace tq
