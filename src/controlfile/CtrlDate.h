// The Date value of a database: parsing the forms a control file may carry and the one form the
// writer produces ("M/D/YYYY H:M:S", no leading zeros).
#pragma once

#include <string>
#include <string_view>

#include "controlfile/CtrlDatabase.h"

namespace tq {

// Accepts "M/D/YYYY[ H:M[:S]]" and "YYYY/M/D[ H:M[:S]]" ("-" may stand for "/"; leading zeros
// allowed). A text that does not parse, or names no real moment (month 13, February 30, hour
// 24), leaves date marked invalid with its other fields zero.
void ParseCtrlDate(std::string_view text, CCtrlDate& date);
// "M/D/YYYY H:M:S" with month, day, year, hour, minute and second without leading zeros.
std::string FormatCtrlDate(const CCtrlDate& date);
// Days in a month of a year of the Gregorian calendar (0 for a month outside 1..12).
int DaysInMonth(int nYear, int nMonth);

}  // namespace tq
