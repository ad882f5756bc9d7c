// The texts of the file list's detail columns: size, modified and attributes.
#pragma once

#include <cstdint>
#include <string>

#include "browse/ListLocale.h"

namespace tq {

// The attribute bit of system entries (the platform's files never carry it; other sources of
// entries may).
constexpr uint32_t kFileAttributeSystem = 0x04;

// "0KB" for an empty file, else the size in KB as (bytes / 1024) + 1 with the locale's digit
// groups, e.g. "1,025KB" for 1,048,576 bytes. The whole 64-bit size counts.
std::string FormatSizeText(uint64_t nSize, const CListLocale& locale);
// The locale's short date and time without seconds of a UTC moment, joined by one space.
std::string FormatDateText(int64_t nUtcSeconds, const CListLocale& locale);
// "R" read-only, "H" hidden, "S" system, "A" archive, in that order, for the bits set.
std::string FormatAttributeText(uint32_t nAttributes);

}  // namespace tq
