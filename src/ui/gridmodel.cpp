#include "ui/gridmodel.h"

#include "data/formats.h"
#include "data/tabledataset.h"
#include "ui/csvexport.h"

#include <algorithm>

GridModel::GridModel(TableDataset* dataset, QList<GridColumn> columns, QObject* parent)
    : QIdentityProxyModel(parent), m_dataset(dataset), m_columns(std::move(columns)) {
    setSourceModel(dataset);
    m_declaredOfField = QList<int>(dataset->fieldCount(), -1);
    for (int i = 0; i < m_columns.size(); ++i) {
        const int f = dataset->fieldIndex(m_columns[i].field);
        m_fieldOfDeclared.append(f);
        if (f >= 0)
            m_declaredOfField[f] = i;
    }
    // The indicator follows the cursor, the edit state and the row's values; only the rows
    // concerned are told, so a keystroke costs the same in a large table as in a small one.
    auto refreshRows = [this](int first, int last) {
        first = std::max(first, 0);
        last = std::min(last, rowCount() - 1);
        if (first <= last)
            emit headerDataChanged(Qt::Vertical, first, last);
    };
    connect(dataset, &TableDataset::currentRowChanged, this, [this, refreshRows](int row) {
        refreshRows(m_indicatorRow, m_indicatorRow);
        refreshRows(row, row);
        m_indicatorRow = row;
    });
    connect(dataset, &TableDataset::editStateChanged, this, [this, refreshRows] {
        const int row = m_dataset->currentRow();
        refreshRows(row, row);
    });
    connect(dataset, &QAbstractItemModel::dataChanged, this,
            [refreshRows](const QModelIndex& topLeft, const QModelIndex& bottomRight) {
                refreshRows(topLeft.row(), bottomRight.row());
            });
}

void GridModel::setChoicesFor(int sourceColumn,
                              std::function<QStringList(int row, ChoiceMoment moment)> choicesFor) {
    const int declared = m_declaredOfField.value(sourceColumn, -1);
    if (declared >= 0)
        m_columns[declared].choicesFor = std::move(choicesFor);
}

const GridColumn* GridModel::column(int sourceColumn) const {
    const int d = m_declaredOfField.value(sourceColumn, -1);
    return d < 0 ? nullptr : &m_columns[d];
}

QString GridModel::displayText(int row, int sourceColumn) const {
    return cellText(column(sourceColumn), m_dataset->value(row, sourceColumn), false);
}

QString GridModel::exportText(const GridColumn* c, const QVariant& v) {
    return cellText(c, v, true);
}

QString GridModel::cellText(const GridColumn* c, const QVariant& v, bool plainAmounts) {
    if (!c || v.isNull())
        return {};
    switch (c->kind) {
    case ColumnKind::Amount:
        if (v.typeId() == QMetaType::QString)
            return v.toString();
        // On screen with the yuan sign and grouping; for a spreadsheet as a plain number.
        return plainAmounts ? formats::general(v.toDouble()) : formats::amountCell(v.toDouble());
    case ColumnKind::YesNo:
        return v.toBool() ? QStringLiteral("是") : QStringLiteral("否");
    case ColumnKind::Date:
    case ColumnKind::PickList:
    case ColumnKind::Text:
        return formats::toText(v);
    }
    return v.toString();
}

QVariant GridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid())
        return {};
    const GridColumn* c = column(index.column());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
        if (c && c->kind == ColumnKind::YesNo && role == Qt::DisplayRole)
            return {};
        return displayText(index.row(), index.column());
    case Qt::EditRole: {
        const QVariant v = m_dataset->value(index.row(), index.column());
        if (c && c->kind == ColumnKind::Amount && !v.isNull() && v.typeId() != QMetaType::QString)
            return formats::general(v.toDouble());
        return formats::toText(v);
    }
    case kExportRole:
        return exportText(c, m_dataset->value(index.row(), index.column()));
    case Qt::CheckStateRole:
        if (c && c->kind == ColumnKind::YesNo)
            return m_dataset->value(index.row(), index.column()).toBool() ? Qt::Checked
                                                                          : Qt::Unchecked;
        return {};
    case Qt::TextAlignmentRole:
        return c ? QVariant(int(c->alignment)) : QVariant();
    case Qt::BackgroundRole:
        if (m_rowBackground) {
            const QColor color = m_rowBackground(index.row());
            if (color.isValid())
                return color;
        }
        return {};
    default:
        return {};
    }
}

bool GridModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid())
        return false;
    if (const GridColumn* c = column(index.column()); c && c->readOnly)
        return false;
    if (role == Qt::CheckStateRole) {
        const bool on = value.toInt() == Qt::Checked;
        return m_dataset->setData(m_dataset->index(index.row(), index.column()), on, Qt::EditRole);
    }
    return QIdentityProxyModel::setData(index, value, role);
}

QVariant GridModel::headerData(int section, Qt::Orientation o, int role) const {
    if (o == Qt::Horizontal) {
        const GridColumn* c = column(section);
        if (role == Qt::DisplayRole)
            return c ? c->title : QString();
        if (role == Qt::TextAlignmentRole)
            return int(Qt::AlignCenter);
        return {};
    }
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
        return {};
    // The indicator: ▶ current row, ✎ current row under edit, * new, ~ changed.
    const bool current = section == m_dataset->currentRow();
    const auto state = m_dataset->rowState(section);
    if (role == Qt::ToolTipRole) {
        QStringList parts;
        if (current)
            parts << (m_dataset->isEditing() ? QStringLiteral("当前行，编辑中")
                                             : QStringLiteral("当前行"));
        if (state == TableDataset::RowState::New)
            parts << QStringLiteral("新增，未保存");
        else if (state == TableDataset::RowState::Changed)
            parts << QStringLiteral("已修改，未保存");
        return parts.join(QStringLiteral("；"));
    }
    QString mark;
    if (current)
        mark += m_dataset->isEditing() ? QStringLiteral("✎") : QStringLiteral("▶");
    if (state == TableDataset::RowState::New)
        mark += u'*';
    else if (state == TableDataset::RowState::Changed)
        mark += u'~';
    return mark;
}

Qt::ItemFlags GridModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags f = QIdentityProxyModel::flags(index);
    const GridColumn* c = column(index.column());
    if (c && c->kind == ColumnKind::YesNo)
        f = (f | Qt::ItemIsUserCheckable) & ~Qt::ItemIsEditable;
    if (c && c->readOnly)
        f &= ~(Qt::ItemIsEditable | Qt::ItemIsUserCheckable);
    return f;
}
