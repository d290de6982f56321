#pragma once

#include "import/importrules.h"

#include <QAbstractTableModel>

// The rows of a bill preview as the import window's grid shows them: a check box for each new
// row, the entry's fields, and the state of each row; the categories and the tick editable.
class ImportModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { Tick, Date, Direction, Major, Minor, Amount, Method, Memo, Status, ColumnCount };

    explicit ImportModel(bills::Preview preview, QObject* parent = nullptr);

    const bills::Preview& preview() const { return m_preview; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

signals:
    // The ticks changed, so the totals line did.
    void totalsChanged();

private:
    bills::Preview m_preview;
};
