#pragma once

#include "import/billfile.h"

#include <QByteArray>
#include <optional>

// Reading OFX statements (1.x SGML and 2.x XML) through libofx.
namespace bills {

// Whether `bytes` look like an OFX file: an OFXHEADER line or an <OFX> element near the top.
bool looksLikeOfx(const QByteArray& bytes);

// Reads the bank and card transactions of an OFX file: the day posted, the signed amount (a
// positive one is 收入, a negative one 支出; the row's amount is positive), NAME as the
// counterparty, MEMO as the goods, TRNTYPE as the kind and FITID as the transaction number.
// Rows are numbered in the order of the file (BillRow::line is that number). Nothing when the
// bytes are no OFX; AppError when libofx finds no statement in them.
std::optional<BillFile> readOfx(const QByteArray& bytes);

} // namespace bills
