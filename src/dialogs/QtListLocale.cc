#include "dialogs/QtListLocale.h"

#include <QDate>
#include <QTime>

#include "dialogs/toolkit/QtText.h"

namespace tq {

namespace {

std::string ToCp932Text(const QString& strText) {
    std::string strOut;
    Cp932FromQString(strText, strOut);
    return strOut;
}

}  // namespace

CQtListLocale::CQtListLocale(const QLocale& locale)
    : m_locale(locale),
      m_strDateFormat(locale.dateFormat(QLocale::ShortFormat)),
      m_strTimeFormat(locale.timeFormat(QLocale::ShortFormat)) {
    // A short form with seconds (some locales have one) loses them.
    m_strTimeFormat.remove(QStringLiteral(":ss")).remove(QStringLiteral(":s"));
    // The toolkit tells the separator but not the group size: read it off a grouped number.
    QString strGrouped = m_locale.toString(Q_INT64_C(1234567890));
    QString strSeparator = m_locale.groupSeparator();
    qsizetype nLast = strSeparator.isEmpty() ? -1 : strGrouped.lastIndexOf(strSeparator);
    if (nLast < 0 || (m_locale.numberOptions() & QLocale::OmitGroupSeparator)) {
        m_nGroupSize = 0;
        return;
    }
    m_nGroupSize = static_cast<int32_t>(strGrouped.size() - nLast - strSeparator.size());
    // A separator without a code page 932 form (a narrow no-break space) becomes a plain blank.
    if (!Cp932FromQString(strSeparator, m_strSeparator) || m_strSeparator.empty()) {
        m_strSeparator.assign(1, ' ');
    }
}

CListDateTime CQtListLocale::ToLocalTime(int64_t nUtcSeconds) const {
    // The process's own clock, as every other list of the component reads it; much cheaper per
    // row than the toolkit's time zone conversion.
    return m_clock.ToLocalTime(nUtcSeconds);
}

std::string CQtListLocale::FormatShortDate(const CListDateTime& t) const {
    return ToCp932Text(m_locale.toString(QDate(t.m_nYear, t.m_nMonth, t.m_nDay), m_strDateFormat));
}

std::string CQtListLocale::FormatTimeNoSeconds(const CListDateTime& t) const {
    return ToCp932Text(m_locale.toString(QTime(t.m_nHour, t.m_nMinute), m_strTimeFormat));
}

}  // namespace tq
