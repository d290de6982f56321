#pragma once

#include "ui/celleditor.h"
#include "ui/committedrow.h"
#include "ui/gridcolumn.h"

#include <QHash>
#include <QPersistentModelIndex>
#include <QPointer>
#include <QTableView>
#include <functional>

class Dialogs;
class GridModel;
class TableDataset;

// The editing grid of the editing windows: in-place editors that are open at once in the
// focused cell, Tab/Enter movement that wraps across rows and appends past the last row,
// Esc, Insert and Ctrl+Delete, proportional column widths, and a row indicator.
class DataGrid : public QTableView {
    Q_OBJECT
public:
    DataGrid(TableDataset* dataset, QList<GridColumn> columns, Dialogs& dialogs,
             QWidget* parent = nullptr);
    ~DataGrid() override;

    GridModel* gridModel() const { return m_model; }
    TableDataset* dataset() const { return m_dataset; }
    Dialogs& dialogs() const { return m_dialogs; }

    // Takes the value typed into the open editor over into its row. A value that does not
    // convert shows the conversion error and keeps the editor open with the text as typed;
    // false then.
    bool commitEditor();
    // Throws the typed text of the open editor away.
    void abandonEditor();
    // The editor open in the focused cell, if any.
    CellEditor* currentEditor() const { return m_editor; }
    // Opens the editor in the focused cell (not for yes/no columns).
    void openEditor();
    // Closes the open editor's list or calendar, if one is down.
    void hideDropDown();

    // The declared column index of a source (table) column, and back.
    int sourceColumn(int declared) const;

    // Extra entries that a pick-list column offers while the user types.
    void setRecentProvider(int sourceColumn, std::function<QStringList()> provider);
    std::function<QStringList()> recentProvider(int sourceColumn) const;

    // The moves a user makes with the keyboard.
    void moveNext();
    void movePrevious();
    void moveDown();
    void moveUp();
    void escape();
    void insertRow();
    void deleteSelectedRows();
    // Takes the cell over and moves the keyboard focus to the next (or the previous) widget of
    // the window after the grid.
    void leaveGrid(bool forward);
    // Turns the yes/no value of a cell over.
    void toggle(const QModelIndex& index);

    // Called by the delegate for every editor it creates.
    void watchEditor(CellEditor* editor);
    // Stretches the columns in proportion to their weights to fill the grid's width.
    void fitColumns();

    // Runs before a value committed into a cell of this source column is stored, with the
    // cell's row as the dataset's current row.
    void setCommitHook(int sourceColumn, CommitHook hook);

    // A grid over a fixed set of rows: no key or move past the last row adds one, and
    // Insert and Ctrl+Delete do nothing. Off by default.
    void setRowsFixed(bool fixed) { m_rowsFixed = fixed; }
    bool rowsFixed() const { return m_rowsFixed; }

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void commitData(QWidget* editor) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;

private:
    bool handleKey(QKeyEvent* event);
    void goTo(int row, int sourceCol);
    int currentSourceColumn() const;
    QList<int> visibleSourceColumns() const;
    bool onUntouchedNewRow() const;
    bool editorHasEntry() const;
    void onDatasetRowChanged(int row);
    void onFocusChanged(QWidget* old, QWidget* now);
    void onSectionResized(int logical, int oldSize, int newSize);
    bool ownsWidget(const QWidget* w) const;
    // Opens the editor once the current event is done with, if the keyboard is in the grid.
    void openEditorLater();
    // The widget the keyboard focus goes to when it leaves the grid forwards or backwards.
    QWidget* neighbour(bool forward) const;
    // Whether `pos` of the viewport lies on the drop-down arrow painted in the cell `index`.
    bool onDropDownArrow(const QModelIndex& index, const QPoint& pos) const;
    const GridColumn* columnAt(const QModelIndex& index) const;
    // The grid's own menu (its actions: the export), also for a right click on the editor.
    void showMenu(const QPoint& globalPos);

    TableDataset* m_dataset;
    GridModel* m_model;
    Dialogs& m_dialogs;
    QPointer<CellEditor> m_editor;
    QPersistentModelIndex m_editorIndex;
    QPersistentModelIndex m_pressed; // the cell the left button went down on
    QHash<int, double> m_weights;    // by source column
    QHash<int, std::function<QStringList()>> m_recent;
    QHash<int, CommitHook> m_commitHooks; // by source column
    bool m_syncing = false;
    bool m_fitting = false;
    bool m_rowsFixed = false;
};
