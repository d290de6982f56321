#pragma once

#include <QStyledItemDelegate>

class DataGrid;

// Creates the in-place editors of a grid and draws the drop-down button that date and
// pick-list columns show in every row.
class GridDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit GridDelegate(DataGrid* grid);

    // The width of the drop-down arrow at the right of date and pick-list cells.
    static constexpr int kArrowWidth = 12;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override;
    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const override;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    // Yes/no cells are turned over by the grid (a click anywhere in the cell, Space), not
    // by the check box alone.
    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override;

protected:
    bool eventFilter(QObject* object, QEvent* event) override;

private:
    DataGrid* m_grid;
};
