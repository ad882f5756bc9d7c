#include "controlfile/CtrlDate.h"

#include <array>
#include <charconv>
#include <iterator>
#include <string>

namespace tq {

namespace {

// Reads an unsigned decimal number of 1 to nMaxDigits digits at pos.
bool ReadNumber(std::string_view s, size_t& pos, size_t nMaxDigits, int& value) {
    size_t start = pos;
    int v = 0;
    while (pos < s.size() && s[pos] >= '0' && s[pos] <= '9' && pos - start < nMaxDigits) {
        v = v * 10 + (s[pos] - '0');
        ++pos;
    }
    if (pos == start || (pos < s.size() && s[pos] >= '0' && s[pos] <= '9')) {
        return false;
    }
    value = v;
    return true;
}

bool ReadChar(std::string_view s, size_t& pos, char c) {
    if (pos < s.size() && s[pos] == c) {
        ++pos;
        return true;
    }
    return false;
}

bool ReadDateSeparator(std::string_view s, size_t& pos) {
    return ReadChar(s, pos, '/') || ReadChar(s, pos, '-');
}

bool SkipBlanks(std::string_view s, size_t& pos) {
    size_t start = pos;
    while (pos < s.size() && (s[pos] == ' ' || s[pos] == '\t')) {
        ++pos;
    }
    return pos > start;
}

// The date part: three numbers; a first number of more than two digits is the year.
bool ReadDatePart(std::string_view s, size_t& pos, CCtrlDate& d) {
    size_t start = pos;
    std::array<int, 3> n{};
    if (!ReadNumber(s, pos, 4, n[0])) {
        return false;
    }
    bool bYearFirst = pos - start > 2;
    if (!ReadDateSeparator(s, pos) || !ReadNumber(s, pos, 2, n[1]) || !ReadDateSeparator(s, pos) ||
        !ReadNumber(s, pos, bYearFirst ? 2 : 4, n[2])) {
        return false;
    }
    if (bYearFirst) {
        d.m_nYear = n[0];
        d.m_nMonth = n[1];
        d.m_nDay = n[2];
    } else {
        d.m_nMonth = n[0];
        d.m_nDay = n[1];
        d.m_nYear = n[2];
    }
    return true;
}

bool ReadTimePart(std::string_view s, size_t& pos, CCtrlDate& d) {
    if (!ReadNumber(s, pos, 2, d.m_nHour) || !ReadChar(s, pos, ':') ||
        !ReadNumber(s, pos, 2, d.m_nMinute)) {
        return false;
    }
    if (ReadChar(s, pos, ':')) {
        return ReadNumber(s, pos, 2, d.m_nSecond);
    }
    return true;
}

bool IsRealMoment(const CCtrlDate& d) {
    return d.m_nYear >= 100 && d.m_nYear <= 9999 && d.m_nDay >= 1 &&
           d.m_nDay <= DaysInMonth(d.m_nYear, d.m_nMonth) && d.m_nHour <= 23 && d.m_nMinute <= 59 &&
           d.m_nSecond <= 59;
}

}  // namespace

int DaysInMonth(int nYear, int nMonth) {
    static constexpr std::array<int, 12> kDays = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (nMonth < 1 || nMonth > 12) {
        return 0;
    }
    bool bLeap = (nYear % 4 == 0 && nYear % 100 != 0) || nYear % 400 == 0;
    return kDays[nMonth - 1] + (nMonth == 2 && bLeap ? 1 : 0);
}

void ParseCtrlDate(std::string_view text, CCtrlDate& date) {
    CCtrlDate d;
    size_t pos = 0;
    bool bOk = ReadDatePart(text, pos, d);
    if (bOk && SkipBlanks(text, pos) && pos < text.size()) {
        bOk = ReadTimePart(text, pos, d);
    }
    bOk = bOk && pos == text.size() && IsRealMoment(d);
    date = bOk ? d : CCtrlDate{};
    date.m_bValid = bOk;
}

// Through to_chars rather than a format string: the writer formats one date a database.
std::string FormatCtrlDate(const CCtrlDate& d) {
    const int fields[] = {d.m_nMonth, d.m_nDay, d.m_nYear, d.m_nHour, d.m_nMinute, d.m_nSecond};
    const char separators[] = "// ::";
    char buf[6 * 12];
    char* p = buf;
    for (size_t i = 0; i < std::size(fields); ++i) {
        if (i > 0) {
            *p++ = separators[i - 1];
        }
        p = std::to_chars(p, buf + sizeof buf, fields[i]).ptr;
    }
    return std::string(buf, p);
}

}  // namespace tq
