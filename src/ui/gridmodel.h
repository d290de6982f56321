#pragma once

#include "ui/gridcolumn.h"

#include <QColor>
#include <QIdentityProxyModel>
#include <QList>
#include <functional>

class TableDataset;

// What an editing grid shows of its dataset: column titles, values in their display forms
// (so that screen readers get the same text as the eye), check boxes for yes/no columns, and
// the row indicator (current row, under edit, new, changed) in the vertical header.
class GridModel : public QIdentityProxyModel {
    Q_OBJECT
public:
    GridModel(TableDataset* dataset, QList<GridColumn> columns, QObject* parent = nullptr);

    TableDataset* dataset() const { return m_dataset; }
    // The declared column shown in source column `sourceColumn`, or null when hidden.
    const GridColumn* column(int sourceColumn) const;
    // The source column of the declared column `declared`.
    int sourceColumnOf(int declared) const { return m_fieldOfDeclared.value(declared, -1); }
    const QList<GridColumn>& columns() const { return m_columns; }
    // Gives the column shown in `sourceColumn` choices computed at the moment they are offered.
    void setChoicesFor(int sourceColumn,
                       std::function<QStringList(int row, ChoiceMoment moment)> choicesFor);

    // The background of a row (the ledger stripes its rows); none by default.
    void setRowBackground(std::function<QColor(int row)> f) { m_rowBackground = std::move(f); }

    // The text of a value as the grid shows it.
    QString displayText(int row, int sourceColumn) const;
    // A stored value of column `c` as an export writes it: amounts as plain numbers, every
    // other value as the grid shows it.
    static QString exportText(const GridColumn* c, const QVariant& value);

    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    QVariant headerData(int section, Qt::Orientation o, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    // The text of a cell of column `c` holding `value`; amounts plain or as shown.
    static QString cellText(const GridColumn* c, const QVariant& value, bool plainAmounts);
    TableDataset* m_dataset;
    QList<GridColumn> m_columns;
    QList<int> m_fieldOfDeclared;
    QList<int> m_declaredOfField;
    std::function<QColor(int)> m_rowBackground;
    int m_indicatorRow = -1; // the row whose indicator shows the cursor
};
