#include "settings/categorylist.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QSignalBlocker>
#include <algorithm>

CategoryList::CategoryList(const QString& objectName, const QString& accessibleName,
                           QWidget* parent)
    : QListWidget(parent) {
    setObjectName(objectName);
    setAccessibleName(accessibleName);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSortingEnabled(false);
    setUniformItemSizes(true);
}

int CategoryList::selectedRow() const {
    const QList<QListWidgetItem*> selected = selectedItems();
    return selected.isEmpty() ? -1 : row(selected.first());
}

void CategoryList::showEntries(const QStringList& texts, int row) {
    const QSignalBlocker blocker(this);
    bool same = count() == texts.size();
    for (int i = 0; same && i < texts.size(); ++i)
        same = item(i)->text() == texts.at(i);
    if (!same) {
        clear();
        addItems(texts);
    }
    if (selectedRow() == row)
        return;
    if (row < 0) {
        clearSelection();
        setCurrentRow(-1, QItemSelectionModel::Clear);
    } else {
        setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
    }
}

void CategoryList::keyPressEvent(QKeyEvent* event) {
    // With nothing chosen, the first arrow key chooses the entry under the cursor (the first
    // one when the cursor is nowhere) rather than moving past it.
    const bool arrow = event->key() == Qt::Key_Up || event->key() == Qt::Key_Down;
    if (arrow && event->modifiers() == Qt::NoModifier && selectedRow() < 0 && count() > 0) {
        setCurrentRow(std::max(currentRow(), 0), QItemSelectionModel::ClearAndSelect);
        return;
    }
    QListWidget::keyPressEvent(event);
}

void CategoryList::mousePressEvent(QMouseEvent* event) {
    const int before = selectedRow();
    QListWidget::mousePressEvent(event);
    const QListWidgetItem* at = itemAt(event->position().toPoint());
    m_pressedOnSelected = before >= 0 && at && row(at) == before && selectedRow() == before;
}

void CategoryList::mouseReleaseEvent(QMouseEvent* event) {
    QListWidget::mouseReleaseEvent(event);
    const bool again = m_pressedOnSelected;
    m_pressedOnSelected = false;
    const QListWidgetItem* at = itemAt(event->position().toPoint());
    if (again && at && row(at) == selectedRow())
        emit reselected();
}
