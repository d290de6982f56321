#pragma once

#include "import/billfile.h"

#include <QString>

// Bills for tests of the import: rows built in a line, and a small CSV file of them that a
// test can hand to the import window or teloq-import.

// A row: date "yyyy-MM-dd", direction, amount in yuan as text ("12.30"), and the rest.
bills::BillRow billRow(const char* date, const char* direction, const char* amount,
                       const char* counterparty = "", const char* kind = "", const char* txno = "",
                       const char* status = "交易成功", const char* method = "余额",
                       const char* goods = "");

// Reads the test CSV: first line "支付宝" or "微信支付", then one row a line:
// 日期,时间,收支,金额,交易分类,交易对方,商品,支付方式,状态,单号,商户单号,备注. Throws AppError
// when the file cannot be read.
bills::BillFile readTestBill(const QString& path);

// Writes such a file.
void writeTestBill(const QString& path, const QString& source, const QStringList& rows);
