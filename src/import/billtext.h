#pragma once

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QStringList>
#include <optional>

// The small text rules every bill reader shares: the encoding of a file, its CSV lines, and
// amounts and dates as bills write them.
namespace bills {

// The text of a bill file: UTF-8 when it has a UTF-8 byte-order mark or is valid UTF-8,
// else GBK. The byte-order mark is dropped.
QString decodeBillText(const QByteArray& bytes);
// Whether `bytes` (without a byte-order mark) are valid UTF-8.
bool isValidUtf8(const QByteArray& bytes);

// The physical lines of a text, without their line ends (LF, CR LF or CR).
QStringList textLines(const QString& text);
// The cells of one CSV line (RFC 4180 quoting; a quoted cell may hold commas and doubled
// quotes). A quote opens a quoted cell only at the start of the cell; elsewhere it is a character
// of the cell (bills write 点击"多多视频" unquoted). Cells are returned as written, not trimmed.
// `open` receives whether the line ends inside a quoted cell (the cell goes on in the next line).
QStringList csvCells(const QString& line, bool* open = nullptr);
// A cell with blanks, TABs, ideographic spaces and a leading "=" quote wrapper ("=\"123\"")
// taken off.
QString cleanCell(const QString& cell);

// An amount as bills write it, in fen: "¥1,234.50", "￥28.16", " 12.5 ", "-3.00", "1 234,00" is
// not one. A leading "+" or "-" is kept in the sign. Blanks, thousands separators and the
// yuan signs are stripped; more than two decimals are refused unless they are zeros. The
// digits are read as decimal text, never through a binary float. Full-width digits count.
std::optional<qint64> parseCents(const QString& text);
// Cents as "0.00" text ("-" for negatives).
QString centsText(qint64 cents);

// A date with an optional time as bills write them: "2023-01-05 12:30:45", "2020/9/6 16:59",
// "2020.9.6 16:59", "20250102", "2025-01-02". The separators -, / and . are accepted, one-digit
// months and days too, and a time without seconds. `time` receives the time part as written
// ("" when none).
std::optional<QDate> parseBillDate(const QString& text, QString* time = nullptr);

} // namespace bills
