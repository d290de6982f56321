#pragma once

#include "import/billfile.h"

#include <QString>
#include <optional>

// Reading the CSV statements of ICBC (工商银行) debit and credit cards.
namespace bills {

// Reads an ICBC statement: a preamble naming the card (卡号: …), a header starting 交易日期 with
// income and expenditure in separate columns, the rows, and a total line (人民币合计 / 合计金额)
// that ends them. Layouts: "debit" (13 columns, before September 2024), "debit-2024" (15
// columns, with 交易详情 and 对方账户) and "credit" (with 记账日期). Nothing when the text is
// no ICBC statement. Rows carry no transaction number: see addFingerprints().
std::optional<BillFile> readIcbcCsv(const QString& text);

} // namespace bills
