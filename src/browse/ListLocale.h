// The user's conventions for numbers and moments, as the file list writes its size and modified
// columns. The list never switches the process-wide locale to make a text: the host's other
// threads format numbers too, and would see the switched locale meanwhile.
#pragma once

#include <cstdint>
#include <string>

namespace tq {

// A moment on the user's clock.
struct CListDateTime {
    int m_nYear = 1970;
    int m_nMonth = 1;
    int m_nDay = 1;
    int m_nHour = 0;
    int m_nMinute = 0;
    int m_nSecond = 0;
};

class CListLocale {
public:
    virtual ~CListLocale() = default;
    // The text put between digit groups (code page 932), and the digits per group counted from
    // the right; a group size of 0 means no separator.
    virtual std::string GetThousandsSeparator() const = 0;
    virtual int32_t GetGroupSize() const = 0;
    // A moment in seconds since 1970-01-01 UTC, on the user's clock.
    virtual CListDateTime ToLocalTime(int64_t nUtcSeconds) const = 0;
    // The short date form and the time form without seconds, in code page 932.
    virtual std::string FormatShortDate(const CListDateTime& t) const = 0;
    virtual std::string FormatTimeNoSeconds(const CListDateTime& t) const = 0;
};

// The conventions of the code page 932 desktop the lists are made for: ',' every three digits,
// dates as 2026/12/07 and times as 9:05, on the process's local clock. A toolkit layer that
// knows the desktop's own settings supplies a locale of its own.
class CDefaultListLocale : public CListLocale {
public:
    std::string GetThousandsSeparator() const override { return ","; }
    int32_t GetGroupSize() const override { return 3; }
    CListDateTime ToLocalTime(int64_t nUtcSeconds) const override;
    std::string FormatShortDate(const CListDateTime& t) const override;
    std::string FormatTimeNoSeconds(const CListDateTime& t) const override;
};

}  // namespace tq
