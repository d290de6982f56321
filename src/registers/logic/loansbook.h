#pragma once

#include <QStringList>

class QueryDataset;

// The loans register's totals over the stored loans that are not yet settled.
namespace loans {

// The three panels of the loans totals line: "借出：…元" (lent), "欠款：…元" (borrowed) and
// "余额：…元" (lent − borrowed), each sum as plain decimal text (the general format), "0" when
// there is none. Only rows whose 借贷行为 is exactly 借给别人 or 问别人借 count. Throws AppError
// from the data layer, or naming the row whose stored amount would spoil a sum.
QStringList totalsTexts(QueryDataset& query);

} // namespace loans
