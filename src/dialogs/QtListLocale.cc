#include "dialogs/QtListLocale.h"

#include <QDateTime>
#include <QTimeZone>

#include "dialogs/QtText.h"

namespace tq {

namespace {

QDateTime ToQDateTime(const CListDateTime& t) {
    return QDateTime(QDate(t.m_nYear, t.m_nMonth, t.m_nDay),
                     QTime(t.m_nHour, t.m_nMinute, t.m_nSecond));
}

std::string ToCp932Text(const QString& strText) {
    std::string strOut;
    Cp932FromQString(strText, strOut);
    return strOut;
}

}  // namespace

CQtListLocale::CQtListLocale(const QLocale& locale) : m_locale(locale) {
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
    QDateTime local = QDateTime::fromSecsSinceEpoch(nUtcSeconds, QTimeZone::utc()).toLocalTime();
    QDate date = local.date();
    QTime time = local.time();
    return {date.year(), date.month(), date.day(), time.hour(), time.minute(), time.second()};
}

std::string CQtListLocale::FormatShortDate(const CListDateTime& t) const {
    return ToCp932Text(m_locale.toString(ToQDateTime(t).date(), QLocale::ShortFormat));
}

std::string CQtListLocale::FormatTimeNoSeconds(const CListDateTime& t) const {
    QString strFormat = m_locale.timeFormat(QLocale::ShortFormat);
    // A short form with seconds (some locales have one) loses them.
    strFormat.remove(QStringLiteral(":ss")).remove(QStringLiteral(":s"));
    return ToCp932Text(m_locale.toString(ToQDateTime(t).time(), strFormat));
}

}  // namespace tq
