#pragma once

#include <QString>
#include <optional>

// Spreadsheet cell values as a person reads them: number text as a spreadsheet shows it, date
// serials as dates, and which number formats show dates or times.
namespace bills {

// A number cell's value as a spreadsheet shows it: the decimal text rounded to 15 significant
// digits, without exponent or trailing zeros ("548.58000000000004" → "548.58",
// "7.0000000000000007E-2" → "0.07"). Exact decimal arithmetic on the text, no binary float.
// Nothing when the text is no number or too large or small to write out.
std::optional<QString> spreadsheetNumberText(const QString& value);

// A spreadsheet date serial (days since 1899-12-30, or 1904-01-01 in the 1904 system) as
// "yyyy-MM-dd HH:mm:ss", or "yyyy-MM-dd" when `withTime` is false; the time is rounded to the
// second. Nothing for a serial that is no date.
std::optional<QString> spreadsheetDateText(const QString& serial, bool date1904, bool withTime);

// Whether a number format code shows a date or time (y, m, d, h or s outside quotes and
// brackets), and whether it shows a time of day.
bool isDateFormat(const QString& code);
bool isTimeFormat(const QString& code);

// Whether a built-in number format (by its id) shows a date or time, and a time of day.
bool builtinFormatShowsDate(int id);
bool builtinFormatShowsTime(int id);

} // namespace bills
