// The grid's keyboard: moving between cells and rows, appending past the last row, Insert,
// Ctrl+Delete and Esc.
#include "data/tabledataset.h"
#include "platform/actionguard.h"
#include "ui/celleditor.h"
#include "ui/datagrid.h"
#include "ui/gridmodel.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <algorithm>

bool DataGrid::onUntouchedNewRow() const {
    return m_dataset->isInserting() && !m_dataset->editTouched() &&
           !(m_editor && m_editor->isModified());
}

void DataGrid::goTo(int row, int src) {
    if (row < 0 || row >= m_model->rowCount())
        return;
    setCurrentIndex(m_model->index(row, src));
    scrollTo(currentIndex());
    openEditor();
}

void DataGrid::moveNext() {
    if (!commitEditor())
        return;
    const QList<int> cols = visibleSourceColumns();
    const int at = int(cols.indexOf(currentSourceColumn()));
    const int row = m_dataset->currentRow();
    if (at + 1 < cols.size()) {
        goTo(row, cols[at + 1]);
        return;
    }
    if (row + 1 < m_model->rowCount()) {
        goTo(row + 1, cols.first());
        return;
    }
    // Past the last cell of a fixed grid, or of a new row nothing was typed into, the
    // keyboard leaves the grid.
    if (m_rowsFixed || onUntouchedNewRow()) {
        leaveGrid(true);
        return;
    }
    guarded(m_dialogs, [&] { m_dataset->append(); });
    goTo(m_dataset->currentRow(), cols.first());
}

void DataGrid::movePrevious() {
    if (!commitEditor())
        return;
    const QList<int> cols = visibleSourceColumns();
    const int at = int(cols.indexOf(currentSourceColumn()));
    const int row = m_dataset->currentRow();
    if (at > 0) {
        goTo(row, cols[at - 1]);
        return;
    }
    if (row > 0) {
        guarded(m_dialogs, [&] { m_dataset->setCurrentRow(row - 1); });
        goTo(m_dataset->currentRow(), cols.last());
        return;
    }
    // Before the first cell the keyboard leaves the grid backwards.
    leaveGrid(false);
}

void DataGrid::moveDown() {
    if (!commitEditor())
        return;
    const int src = currentSourceColumn();
    const int row = m_dataset->currentRow();
    if (row + 1 < m_model->rowCount()) {
        goTo(row + 1, src);
        return;
    }
    if (m_rowsFixed || onUntouchedNewRow())
        return;
    guarded(m_dialogs, [&] { m_dataset->append(); });
    goTo(m_dataset->currentRow(), src);
}

void DataGrid::moveUp() {
    if (!commitEditor())
        return;
    const int src = currentSourceColumn();
    const int row = m_dataset->currentRow();
    if (row <= 0)
        return;
    guarded(m_dialogs, [&] { m_dataset->setCurrentRow(row - 1); });
    goTo(m_dataset->currentRow(), src);
}

void DataGrid::escape() {
    if (m_editor && m_editor->isDropDownVisible()) {
        m_editor->hideDropDown();
        return;
    }
    if (m_editor && m_editor->isModified()) {
        // First the cell...
        m_editor->setText(m_model->data(m_editorIndex, Qt::EditRole).toString());
        return;
    }
    // ...then the row. A new row goes, and the cursor stays where the row stood: on the row
    // that now takes its place, or on the last row.
    const int src = currentSourceColumn();
    const int row = m_dataset->currentRow();
    const bool dropsRow = m_dataset->isInserting();
    abandonEditor();
    m_dataset->cancelEdit();
    if (dropsRow && row >= 0 && m_dataset->rowCount() > 0) {
        const int target = std::min(row, m_dataset->rowCount() - 1);
        guarded(m_dialogs, [&] { m_dataset->setCurrentRow(target); });
    }
    if (m_dataset->currentRow() >= 0)
        goTo(m_dataset->currentRow(), src);
}

void DataGrid::insertRow() {
    if (m_rowsFixed || !commitEditor())
        return;
    const int src = currentSourceColumn();
    const int row = std::max(0, m_dataset->currentRow());
    guarded(m_dialogs, [&] { m_dataset->insertAt(row); });
    goTo(m_dataset->currentRow(), src);
}

void DataGrid::deleteSelectedRows() {
    if (m_rowsFixed || !commitEditor())
        return;
    QList<int> rows;
    for (const QModelIndex& i : selectionModel()->selectedIndexes())
        if (!rows.contains(i.row()))
            rows << i.row();
    if (rows.isEmpty() && m_dataset->currentRow() >= 0)
        rows << m_dataset->currentRow();
    if (rows.isEmpty())
        return;
    const QString question = rows.size() > 1 ? QStringLiteral("Delete all selected records?")
                                             : QStringLiteral("Delete record?");
    if (m_dialogs.message(QStringLiteral("Confirm"), question, Dialogs::Buttons::OkCancel,
                          Dialogs::Icon::Question, Dialogs::Answer::Ok) != Dialogs::Answer::Ok)
        return;
    const int src = currentSourceColumn();
    abandonEditor();
    guarded(m_dialogs, [&] { m_dataset->deleteRows(rows); });
    clearSelection();
    if (m_dataset->currentRow() >= 0)
        goTo(m_dataset->currentRow(), src);
}

bool DataGrid::handleKey(QKeyEvent* e) {
    const auto mods = e->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    const bool dropDown = m_editor && m_editor->isDropDownVisible();
    switch (e->key()) {
    case Qt::Key_Tab:
        // Ctrl+Tab and Ctrl+Shift+Tab leave the grid, as in any item view.
        if (mods & Qt::ControlModifier)
            leaveGrid(!(mods & Qt::ShiftModifier));
        else if (mods & Qt::ShiftModifier)
            movePrevious();
        else
            moveNext();
        return true;
    case Qt::Key_Backtab:
        if (mods & Qt::ControlModifier)
            leaveGrid(false);
        else
            movePrevious();
        return true;
    case Qt::Key_Space:
        // Space turns a yes/no cell over.
        if (!m_editor && mods == Qt::NoModifier) {
            const GridColumn* c = m_model->column(currentIndex().column());
            if (c && c->kind == ColumnKind::YesNo) {
                toggle(currentIndex());
                return true;
            }
        }
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // A list or calendar that is down closes; the cell keeps the text it shows.
        if (dropDown)
            m_editor->hideDropDown();
        if (mods & Qt::ShiftModifier)
            movePrevious();
        else
            moveNext();
        return true;
    case Qt::Key_Down:
        if (dropDown || (mods & Qt::AltModifier))
            return false;
        moveDown();
        return true;
    case Qt::Key_Up:
        if (dropDown)
            return false;
        moveUp();
        return true;
    case Qt::Key_Escape:
        escape();
        return true;
    case Qt::Key_Insert:
        if (mods == Qt::NoModifier) {
            insertRow();
            return true;
        }
        break;
    case Qt::Key_Delete:
        if (mods == Qt::ControlModifier) {
            deleteSelectedRows();
            return true;
        }
        break;
    case Qt::Key_Left:
    case Qt::Key_Right:
        // Inside an editor the arrows move the text cursor.
        if (!m_editor) {
            const QList<int> cols = visibleSourceColumns();
            const int at = int(cols.indexOf(currentSourceColumn()));
            const int to = e->key() == Qt::Key_Left ? at - 1 : at + 1;
            if (to >= 0 && to < cols.size())
                goTo(m_dataset->currentRow(), cols[to]);
            return true;
        }
        break;
    default:
        break;
    }
    return false;
}

bool DataGrid::event(QEvent* event) {
    // Tab and Shift+Tab move between the cells also where no editor is open (a yes/no cell);
    // QWidget would take them for moving the focus before keyPressEvent sees them.
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) && handleKey(key))
            return true;
    }
    return QTableView::event(event);
}

bool DataGrid::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && m_editor && watched == m_editor->lineEdit()) {
        if (handleKey(static_cast<QKeyEvent*>(event)))
            return true;
    }
    return QTableView::eventFilter(watched, event);
}

void DataGrid::keyPressEvent(QKeyEvent* event) {
    if (handleKey(event))
        return;
    if (!m_rowsFixed && m_dataset->rowCount() == 0 && !event->text().isEmpty() &&
        event->text().at(0).isPrint()) {
        // Typing into an empty grid starts a new row.
        guarded(m_dialogs, [&] { m_dataset->append(); });
        goTo(m_dataset->currentRow(), currentSourceColumn());
        if (m_editor)
            QApplication::sendEvent(m_editor->lineEdit(), event);
        return;
    }
    QTableView::keyPressEvent(event);
}
