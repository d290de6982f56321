#pragma once

#include "import/billfile.h"

#include <QByteArray>
#include <optional>

// Reading the Excel (.xls) statements of CCB (建设银行).
namespace bills {

// Whether `bytes` start like an old-style Office file (.xls, .doc): the compound-file mark.
bool looksLikeCompoundFile(const QByteArray& bytes);

// Reads a CCB statement workbook: a preamble naming the account (账　　号：…), a header row
// (记账日,交易日期,交易时间,支出,收入,账户余额,…), the rows with yyyyMMdd dates and numeric
// amounts (0 in the column a row does not use), and a footer note that is passed over.
// Nothing when the workbook is no CCB statement; AppError when it cannot be opened at all.
// Rows carry no transaction number: see addFingerprints().
std::optional<BillFile> readCcbXls(const QByteArray& bytes);

// Fen from a number cell: a bank amount has at most two decimals, so the nearest fen of the
// binary value is the amount written (16.780000000000001 → 1678).
qint64 centsOfNumber(double value);

} // namespace bills
