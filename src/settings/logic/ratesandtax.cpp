#include "settings/logic/ratesandtax.h"

#include "data/formats.h"
#include "data/tabledataset.h"
#include "platform/apperror.h"

namespace settings {
namespace {

int taxField(const TableDataset& tax) {
    const int field = tax.fieldIndex(QStringLiteral("interesttax"));
    if (field < 0)
        throw AppError(QStringLiteral("Field 'interesttax' not found"));
    return field;
}

} // namespace

void saveRatesAndTax(TableDataset& rates, TableDataset& tax, const QString& taxText) {
    rates.saveAll();
    const int field = taxField(tax);
    // Converted before the row is touched, so a refused text leaves no edit behind.
    const double rate = formats::parseNumber(taxText);
    if (tax.rowCount() == 0)
        tax.append();
    else if (tax.currentRow() < 0)
        tax.setCurrentRow(0);
    tax.setValue(field, rate);
    tax.post();
}

QString taxText(const TableDataset& tax) {
    const int row = tax.currentRow() >= 0 ? tax.currentRow() : 0;
    if (row >= tax.rowCount())
        return {};
    const QVariant v = tax.value(row, taxField(tax));
    if (v.isNull())
        return {};
    return formats::toText(v);
}

} // namespace settings
