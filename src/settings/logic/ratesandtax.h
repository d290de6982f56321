#pragma once

#include <QString>

class TableDataset;

// The steps of 保存修改 on the savings page: the deposit rates, then the interest tax rate.
namespace settings {

// Sends the rate table's pending changes (`rates`, cached, over bankinterest) as one batch,
// then stores `taxText` as the interest tax rate in the current row of `tax` (immediate, over
// the table tax), starting that row when the table has none. Stops at the first failure with
// AppError: a refused rate batch leaves the tax unsaved; a tax text that is empty or not a
// number is a conversion error after the rates are saved, and nothing is stored for the tax.
void saveRatesAndTax(TableDataset& rates, TableDataset& tax, const QString& taxText);

// The tax edit's text for the current row of `tax`: the stored rate in the general number
// format, empty when the table has no row or the rate is empty.
QString taxText(const TableDataset& tax);

} // namespace settings
