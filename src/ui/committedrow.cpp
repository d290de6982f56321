#include "ui/committedrow.h"

#include "data/tabledataset.h"
#include "platform/apperror.h"

namespace {
int fieldOf(const TableDataset& dataset, const QString& field) {
    const int index = dataset.fieldIndex(field);
    if (index < 0)
        throw AppError(QStringLiteral("Field '%1' not found").arg(field));
    return index;
}
} // namespace

QVariant CommittedRow::value(const QString& field) const {
    const int index = fieldOf(m_dataset, field);
    for (const auto& [f, v] : m_changes)
        if (f == index)
            return v;
    return m_dataset.value(m_row, index);
}

void CommittedRow::set(const QString& field, const QVariant& value) {
    const int index = fieldOf(m_dataset, field);
    const QVariant stored =
        value.typeId() == QMetaType::QString ? m_dataset.convert(index, value.toString()) : value;
    for (auto& [f, v] : m_changes)
        if (f == index) {
            v = stored;
            return;
        }
    m_changes.append({index, stored});
}
