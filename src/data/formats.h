#pragma once

#include <QDate>
#include <QString>
#include <QVariant>

// Every conversion between stored values and the texts the user reads or types.
namespace formats {

// Amounts must stay below this magnitude: beyond it 15 significant digits no longer hold the
// cents, and sums of such amounts are no longer exact to the cent.
inline constexpr double kAmountLimit = 1e13;

// What every format below writes for a value that is no finite number (infinity, NaN), so that
// no garbled digits ever reach the screen.
QString invalidNumberText();
// A finite value whose magnitude is below kAmountLimit.
bool isValidAmount(double value);
// An amount as a grid cell shows it: "￥#,##0.##", or an error text when it is not a valid
// amount (stored by another tool).
QString amountCell(double value);

// "￥#,##0.##": yuan sign, thousands grouped, at most two decimals, no trailing zeros.
QString yuan(double value);
// "0.00": exactly two decimals, no grouping, a leading "-" when negative.
QString fixed2(double value);
// The general number format: shortest form with up to 15 significant digits, no grouping,
// exponent only for magnitudes of 1e15 and more or below 0.00001.
QString general(double value);

// Rounds `value` to `decimals` places, halves away from zero, on its shortest decimal form
// (so 1.005 rounds to 1.01 rather than to its binary neighbour).
QString roundedDecimal(double value, int decimals);

// Full-width digits, point, signs and the ideographic space, as a Chinese input method types
// them (１２．５), as their ASCII forms; every other character as it is.
QString halfWidthDigits(const QString& text);

// The same rounding on values, for sums and differences that must not go through display
// text: the double nearest `value` rounded to `decimals` places (1.005 gives 1.01), or to
// `digits` significant digits (what general() shows, as a number). A value that is no finite
// number is returned as it is.
double rounded(double value, int decimals);
double roundedToDigits(double value, int digits);

// Strict "yyyy-MM-dd" dates.
QString dateText(const QDate& d);
// Throws AppError("'<text>' is not a valid date") unless `text` is a real "yyyy-MM-dd" date.
// Full-width digits read as the digits they are, here and in the number conversions below.
QDate parseDate(const QString& text);
// Throws AppError("'<text>' is not a valid floating point value") unless `text` is a number.
double parseNumber(const QString& text);
// parseNumber, and further throws AppError naming the text when its magnitude is kAmountLimit
// or more.
double parseAmount(const QString& text);
// Throws AppError("'<text>' is not a valid integer value") unless `text` is an integer.
int parseInteger(const QString& text);

// Throws AppError naming the first control character other than tab in `text`: such text
// cannot be stored and read back whole (a NUL cuts it in the store's text functions). Half
// of a UTF-16 surrogate pair is refused for the same reason, and the bidirectional embedding,
// override and isolate marks (U+202A..U+202E, U+2066..U+2069) because they make a text read
// differently from what is stored. Positions count UTF-16 units from 1.
void checkCellText(const QString& text);

// A stored value read as a number: NULL and empty text read as 0.
double toNumber(const QVariant& v);
// A stored value read as text: NULL reads as the empty text; numbers in the general format.
QString toText(const QVariant& v);

} // namespace formats
