#include "browse/ListLocale.h"

#include <cstdio>
#include <ctime>
#include <mutex>

namespace tq {

CListDateTime CDefaultListLocale::ToLocalTime(int64_t nUtcSeconds) const {
    // std::localtime hands out one shared record; the lock keeps two lists from filling it at
    // once.
    static std::mutex s_mutex;
    std::lock_guard<std::mutex> lock(s_mutex);
    std::time_t t = static_cast<std::time_t>(nUtcSeconds);
    const std::tm* tm = std::localtime(&t);
    if (tm == nullptr) {
        return CListDateTime{};
    }
    return CListDateTime{tm->tm_year + 1900, tm->tm_mon + 1, tm->tm_mday,
                         tm->tm_hour,        tm->tm_min,     tm->tm_sec};
}

std::string CDefaultListLocale::FormatShortDate(const CListDateTime& t) const {
    char text[40];
    std::snprintf(text, sizeof text, "%04d/%02d/%02d", t.m_nYear, t.m_nMonth, t.m_nDay);
    return text;
}

std::string CDefaultListLocale::FormatTimeNoSeconds(const CListDateTime& t) const {
    char text[40];
    std::snprintf(text, sizeof text, "%d:%02d", t.m_nHour, t.m_nMinute);
    return text;
}

}  // namespace tq
