// The user's locale as the desktop's toolkit knows it, for the file list's size and date texts.
// Each text is made from this object; the process-wide locale is never switched.
#pragma once

#include <QLocale>
#include <QString>

#include "browse/ListLocale.h"

namespace tq {

class CQtListLocale : public CListLocale {
public:
    explicit CQtListLocale(const QLocale& locale = QLocale::system());

    std::string GetThousandsSeparator() const override { return m_strSeparator; }
    int32_t GetGroupSize() const override { return m_nGroupSize; }
    CListDateTime ToLocalTime(int64_t nUtcSeconds) const override;
    std::string FormatShortDate(const CListDateTime& t) const override;
    std::string FormatTimeNoSeconds(const CListDateTime& t) const override;

private:
    QLocale m_locale;
    CDefaultListLocale m_clock;
    QString m_strDateFormat;
    QString m_strTimeFormat;
    std::string m_strSeparator;
    int32_t m_nGroupSize = 3;
};

}  // namespace tq
