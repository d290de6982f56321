#include "ui/datagrid.h"

#include "data/tabledataset.h"
#include "platform/actionguard.h"
#include "ui/celleditor.h"
#include "ui/csvexport.h"
#include "ui/griddelegate.h"
#include "ui/gridmodel.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScopedValueRollback>
#include <QTimer>
#include <algorithm>

DataGrid::DataGrid(TableDataset* dataset, QList<GridColumn> columns, Dialogs& dialogs,
                   QWidget* parent)
    : QTableView(parent), m_dataset(dataset), m_dialogs(dialogs) {
    // The row header is set up before the model arrives: afterwards Qt would resize each of
    // the rows one by one, which costs time and memory with a large table.
    QHeaderView* v = verticalHeader();
    v->setDefaultSectionSize(fontMetrics().height() + 8);
    v->setSectionResizeMode(QHeaderView::Fixed);
    v->setDefaultAlignment(Qt::AlignCenter);
    v->setFixedWidth(22);
    m_model = new GridModel(dataset, std::move(columns), this);
    setModel(m_model);
    setItemDelegate(new GridDelegate(this));
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setTabKeyNavigation(false);
    setWordWrap(false);
    setCornerButtonEnabled(false);

    QHeaderView* h = horizontalHeader();
    h->setDefaultAlignment(Qt::AlignCenter);
    h->setHighlightSections(false);
    h->setSectionResizeMode(QHeaderView::Interactive);
    h->setMinimumSectionSize(16);
    h->setStretchLastSection(false);

    // Show the declared columns in their order; hide the others.
    for (int f = 0; f < dataset->fieldCount(); ++f)
        setColumnHidden(f, m_model->column(f) == nullptr);
    for (int d = 0; d < m_model->columns().size(); ++d) {
        const int src = m_model->sourceColumnOf(d);
        if (src < 0)
            continue;
        h->moveSection(h->visualIndex(src), d);
        m_weights.insert(src, m_model->columns()[d].width);
    }

    connect(h, &QHeaderView::sectionResized, this, &DataGrid::onSectionResized);
    connect(dataset, &TableDataset::currentRowChanged, this, &DataGrid::onDatasetRowChanged);
    connect(qApp, &QApplication::focusChanged, this, &DataGrid::onFocusChanged);
    addCsvExport(this, dialogs);
    if (dataset->currentRow() >= 0)
        onDatasetRowChanged(dataset->currentRow());
}

int DataGrid::sourceColumn(int declared) const {
    return m_model->sourceColumnOf(declared);
}

QList<int> DataGrid::visibleSourceColumns() const {
    QList<int> out;
    const QHeaderView* h = horizontalHeader();
    for (int vis = 0; vis < h->count(); ++vis) {
        const int logical = h->logicalIndex(vis);
        if (!isColumnHidden(logical))
            out << logical;
    }
    return out;
}

int DataGrid::currentSourceColumn() const {
    const QModelIndex c = currentIndex();
    if (c.isValid() && !isColumnHidden(c.column()))
        return c.column();
    const QList<int> cols = visibleSourceColumns();
    return cols.isEmpty() ? 0 : cols.first();
}

void DataGrid::setRecentProvider(int declared, std::function<QStringList()> provider) {
    m_recent.insert(sourceColumn(declared), std::move(provider));
}

std::function<QStringList()> DataGrid::recentProvider(int src) const {
    return m_recent.value(src);
}

void DataGrid::watchEditor(CellEditor* editor) {
    m_editor = editor;
    m_editorIndex = currentIndex();
    editor->lineEdit()->installEventFilter(this);
    connect(editor, &CellEditor::picked, this, [this] { commitEditor(); });
}

void DataGrid::openEditor() {
    const QModelIndex c = currentIndex();
    if (!c.isValid())
        return;
    const GridColumn* col = m_model->column(c.column());
    if (!col || col->kind == ColumnKind::YesNo)
        return;
    if (m_editor && m_editorIndex == c)
        return;
    edit(c);
}

bool DataGrid::commitEditor() {
    if (!m_editor || !m_editor->isModified() || !m_editorIndex.isValid())
        return true;
    const int row = m_editorIndex.row();
    const int src = m_editorIndex.column();
    const QString typed = m_editor->text();
    QVariant value;
    bool ok = guarded(m_dialogs, [&] { value = m_dataset->convert(src, typed); });
    if (!ok) {
        if (m_editor)
            m_editor->setFocus();
        return false;
    }
    ok = guarded(m_dialogs, [&] {
        emit valueEntered(row, src, value);
        {
            QScopedValueRollback guard(m_syncing, true);
            m_dataset->setCurrentRow(row);
        }
        m_dataset->setValue(src, value);
    });
    if (m_editor)
        m_editor->setText(m_editor->text() == typed ? typed : m_editor->text());
    return ok;
}

void DataGrid::abandonEditor() {
    if (!m_editor)
        return;
    CellEditor* e = m_editor;
    m_editor = nullptr;
    m_editorIndex = QPersistentModelIndex();
    QTableView::closeEditor(e, QAbstractItemDelegate::NoHint);
}

void DataGrid::commitData(QWidget*) {
    // Values are taken over by commitEditor(), never behind the user's back.
}

void DataGrid::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
    if (editor == m_editor) {
        m_editor = nullptr;
        m_editorIndex = QPersistentModelIndex();
    }
    QTableView::closeEditor(editor, hint);
}

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
    if (onUntouchedNewRow())
        return;
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
        const int target = row - 1;
        const bool dropsCurrent = onUntouchedNewRow();
        guarded(m_dialogs, [&] { m_dataset->setCurrentRow(target); });
        Q_UNUSED(dropsCurrent);
        goTo(m_dataset->currentRow(), cols.last());
    }
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
    if (onUntouchedNewRow())
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
    // ...then the row.
    const int src = currentSourceColumn();
    abandonEditor();
    m_dataset->cancelEdit();
    if (m_dataset->currentRow() >= 0)
        goTo(m_dataset->currentRow(), src);
}

void DataGrid::insertRow() {
    if (!commitEditor())
        return;
    const int src = currentSourceColumn();
    const int row = std::max(0, m_dataset->currentRow());
    guarded(m_dialogs, [&] { m_dataset->insertAt(row); });
    goTo(m_dataset->currentRow(), src);
}

void DataGrid::deleteSelectedRows() {
    if (!commitEditor())
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
        if (mods == Qt::NoModifier) {
            moveNext();
            return true;
        }
        break;
    case Qt::Key_Backtab:
        movePrevious();
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (dropDown)
            return false;
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
    if (m_dataset->rowCount() == 0 && !event->text().isEmpty() && event->text().at(0).isPrint()) {
        // Typing into an empty grid starts a new row.
        guarded(m_dialogs, [&] { m_dataset->append(); });
        goTo(m_dataset->currentRow(), currentSourceColumn());
        if (m_editor)
            QApplication::sendEvent(m_editor->lineEdit(), event);
        return;
    }
    QTableView::keyPressEvent(event);
}

void DataGrid::mousePressEvent(QMouseEvent* event) {
    const QModelIndex target = indexAt(event->position().toPoint());
    if (m_editor && target != QModelIndex(m_editorIndex) && !commitEditor())
        return;
    QTableView::mousePressEvent(event);
}

void DataGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    if (m_editor && m_editor->isModified() && QModelIndex(m_editorIndex) == previous &&
        current != previous) {
        const QString typed = m_editor->text();
        if (!commitEditor()) {
            // Back to the cell, with the text as typed.
            QPersistentModelIndex back(previous);
            QTimer::singleShot(0, this, [this, back, typed] {
                if (!back.isValid())
                    return;
                setCurrentIndex(back);
                openEditor();
                if (m_editor)
                    m_editor->lineEdit()->setText(typed);
            });
        }
    }
    QTableView::currentChanged(current, previous);
    if (!current.isValid() || m_syncing)
        return;
    if (current.row() != m_dataset->currentRow()) {
        QScopedValueRollback guard(m_syncing, true);
        const int col = current.column();
        guarded(m_dialogs, [&] { m_dataset->setCurrentRow(current.row()); });
        if (m_dataset->currentRow() >= 0 && m_dataset->currentRow() != currentIndex().row())
            setCurrentIndex(m_model->index(m_dataset->currentRow(), col));
    }
    selectionModel()->clearSelection();
    if (hasFocus() || (m_editor && m_editor->hasFocus()) || !m_editor)
        QTimer::singleShot(0, this, [this] {
            if (isVisible())
                openEditor();
        });
}

void DataGrid::onDatasetRowChanged(int row) {
    if (m_syncing)
        return;
    QScopedValueRollback guard(m_syncing, true);
    if (row < 0)
        return;
    const int src = currentSourceColumn();
    const QModelIndex target = m_model->index(row, src);
    if (currentIndex() != target) {
        if (m_editor && QModelIndex(m_editorIndex).row() != row)
            abandonEditor();
        setCurrentIndex(target);
    }
    QTimer::singleShot(0, this, [this] {
        if (isVisible())
            openEditor();
    });
}

bool DataGrid::ownsWidget(const QWidget* w) const {
    if (!w)
        return false;
    if (w == this || isAncestorOf(w))
        return true;
    // The drop-down lists and calendars are windows of their own.
    return w->window()->windowFlags().testFlag(Qt::Popup);
}

void DataGrid::onFocusChanged(QWidget* old, QWidget* now) {
    if (!now || !ownsWidget(old) || ownsWidget(now))
        return;
    // Focus left the grid: an untouched new row goes.
    if (onUntouchedNewRow()) {
        abandonEditor();
        m_dataset->cancelEdit();
    }
}

void DataGrid::resizeEvent(QResizeEvent* event) {
    QTableView::resizeEvent(event);
    fitColumns();
}

void DataGrid::fitColumns() {
    const QList<int> cols = visibleSourceColumns();
    if (cols.isEmpty())
        return;
    QScopedValueRollback guard(m_fitting, true);
    const int avail = viewport()->width();
    double total = 0;
    for (int c : cols)
        total += m_weights.value(c, 1);
    int used = 0;
    for (int i = 0; i < cols.size(); ++i) {
        int w =
            i + 1 == cols.size() ? avail - used : int(avail * m_weights.value(cols[i], 1) / total);
        w = std::max(w, horizontalHeader()->minimumSectionSize());
        setColumnWidth(cols[i], w);
        used += w;
    }
}

void DataGrid::onSectionResized(int logical, int, int newSize) {
    if (m_fitting)
        return;
    // The dragged column keeps its new width; the others share the rest in proportion.
    const QList<int> cols = visibleSourceColumns();
    const int avail = viewport()->width();
    const int minimum = horizontalHeader()->minimumSectionSize();
    const int kept =
        std::clamp(newSize, minimum, std::max(minimum, avail - minimum * int(cols.size() - 1)));
    double others = 0;
    for (int c : cols)
        if (c != logical)
            others += m_weights.value(c, 1);
    const int rest = avail - kept;
    for (int c : cols) {
        if (c == logical)
            m_weights[c] = kept;
        else if (others > 0)
            m_weights[c] = rest * m_weights.value(c, 1) / others;
    }
    QTimer::singleShot(0, this, &DataGrid::fitColumns);
}
