#pragma once

#include "import/billreaders.h"
#include "import/billtable.h"

#include <optional>

// WeChat Pay's bills: the CSV (UTF-8 with a byte-order mark, CR LF) and the XLSX that replaced it.
// Both hold the same table under the same preamble.
namespace bills {

const TableLayout& weChatLayout(bool spreadsheet);

// What a 当前状态 says was refunded: the amount of 已退款￥742.00 (also 已退款(￥742.00)), all of
// `cents` for 已全额退款, else 0.
qint64 refundedFromStatus(const QString& status, qint64 cents);

// The bill, when `input` is a WeChat Pay CSV; nothing otherwise.
std::optional<BillFile> readWeChatCsv(const BillInput& input);
// The bill, when `input` is a WeChat Pay XLSX: the first sheet with the bill's header, looking
// first at the sheet the workbook opens on; nothing otherwise.
std::optional<BillFile> readWeChatXlsx(const BillInput& input);

} // namespace bills
