#pragma once

#include "import/billfile.h"

#include <QString>
#include <QStringList>
#include <optional>

// The totals a bill states for itself (收入：2笔 8530.00元 …) and the check of the rows read
// against them.
namespace bills {

// The totals stated in `lines` (a bill's preamble and summary): 收入 / 支出 / 不计收支,
// the 2021 form 收入：0笔,0.00元 and 其他, WeChat's 中性交易, and the web form 已收入 / 待收入 /
// 已支出 / 待支出 (the pending ones added to their side). Nothing when the lines state no income
// and expenditure, or when a totals line cannot be read (a masked "x笔"): a check against it
// would prove nothing.
std::optional<StatedTotals> statedTotalsIn(const QStringList& lines);

// How the rows read differ from what the file states, before any netting: each row counts by its
// direction as written (收入, 支出, any other mark as neutral), whatever its status, closed and
// refund rows included. The neutral side is checked only when the file states it. Nothing when
// they agree or the file states no totals; otherwise "文件未完整读取：…" with each side that is
// off, what the file states, what was read and the difference.
std::optional<QString> statedTotalsProblem(const BillFile& file);

} // namespace bills
