// The folder-safe form of a text: what a database name derived from a public name may hold.
#pragma once

#include <string>
#include <string_view>

namespace tq {

// Control characters become blanks; a "." at either end becomes the full-width full stop; the
// eleven characters a file name may not hold become their full-width forms; half-width katakana
// become full-width (with their voiced and semi-voiced marks joined); bytes and double-byte
// characters that cannot stand in a folder name become "_"; white space at both ends goes.
std::string SanitizeDBName(std::string_view text);

}  // namespace tq
