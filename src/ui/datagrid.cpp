#include "ui/datagrid.h"

#include "data/tabledataset.h"
#include "platform/actionguard.h"
#include "ui/celleditor.h"
#include "ui/committedrow.h"
#include "ui/csvexport.h"
#include "ui/griddelegate.h"
#include "ui/gridmodel.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
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

DataGrid::~DataGrid() {
    // The editor and the other children are deleted by ~QWidget, when this is no longer a
    // DataGrid; the focus moves that causes must not reach onFocusChanged.
    disconnect(qApp, &QApplication::focusChanged, this, &DataGrid::onFocusChanged);
}

int DataGrid::sourceColumn(int declared) const {
    return m_model->sourceColumnOf(declared);
}

void DataGrid::setRecentProvider(int src, std::function<QStringList()> provider) {
    m_recent.insert(src, std::move(provider));
}

void DataGrid::setCommitHook(int src, CommitHook hook) {
    m_commitHooks.insert(src, std::move(hook));
}

std::function<QStringList()> DataGrid::recentProvider(int src) const {
    return m_recent.value(src);
}

void DataGrid::watchEditor(CellEditor* editor) {
    m_editor = editor;
    m_editorIndex = currentIndex();
    editor->lineEdit()->installEventFilter(this);
    connect(editor, &CellEditor::picked, this, [this] { commitEditor(); });
    connect(editor, &CellEditor::menuRequested, this, &DataGrid::showMenu);
    // Queued: the box is shown after the refused paste's event has been dealt with, never
    // from inside the editor's own event handling.
    connect(
        editor, &CellEditor::insertionRefused, this,
        [this](const QString& why) { m_dialogs.showError(why); }, Qt::QueuedConnection);
}

void DataGrid::openEditor() {
    const QModelIndex c = currentIndex();
    if (!c.isValid())
        return;
    const GridColumn* col = m_model->column(c.column());
    if (!col || col->kind == ColumnKind::YesNo || col->readOnly)
        return;
    if (m_editor && m_editorIndex == c)
        return;
    edit(c);
}

// Whether the open editor holds something to take over: a changed text, or, in a column with
// a commit hook, any entry, so that entering the same text again runs the hook again.
bool DataGrid::editorHasEntry() const {
    if (!m_editor || !m_editorIndex.isValid())
        return false;
    return m_editor->isModified() ||
           (m_editor->isEntered() && m_commitHooks.contains(m_editorIndex.column()));
}

bool DataGrid::commitEditor() {
    if (!editorHasEntry())
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
        {
            QScopedValueRollback guard(m_syncing, true);
            m_dataset->setCurrentRow(row);
        }
        // The hook sees the edited row as the current row; what it sets is stored only
        // when it accepts the value.
        if (const CommitHook hook = m_commitHooks.value(src)) {
            CommittedRow edited(*m_dataset, m_dataset->currentRow());
            hook(edited, value);
            for (const auto& [field, v] : edited.changes())
                m_dataset->setValue(field, v);
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

void DataGrid::hideDropDown() {
    if (m_editor)
        m_editor->hideDropDown();
}

const GridColumn* DataGrid::columnAt(const QModelIndex& index) const {
    return index.isValid() ? m_model->column(index.column()) : nullptr;
}

bool DataGrid::onDropDownArrow(const QModelIndex& index, const QPoint& pos) const {
    const GridColumn* c = columnAt(index);
    if (!c || (c->kind != ColumnKind::Date && c->kind != ColumnKind::PickList) || c->readOnly)
        return false;
    const QRect cell = visualRect(index);
    return cell.contains(pos) && pos.x() > cell.right() - GridDelegate::kArrowWidth;
}

void DataGrid::mousePressEvent(QMouseEvent* event) {
    // The right button brings the menu up (contextMenuEvent) and leaves the cursor where it is.
    if (event->button() == Qt::RightButton) {
        event->accept();
        return;
    }
    const QModelIndex target = indexAt(event->position().toPoint());
    m_pressed = event->button() == Qt::LeftButton ? target : QModelIndex();
    if (m_editor && target != QModelIndex(m_editorIndex) && !commitEditor())
        return;
    QTableView::mousePressEvent(event);
}

void DataGrid::mouseReleaseEvent(QMouseEvent* event) {
    QTableView::mouseReleaseEvent(event);
    const QModelIndex target = indexAt(event->position().toPoint());
    if (event->button() != Qt::LeftButton || !target.isValid() || target != QModelIndex(m_pressed))
        return;
    m_pressed = QPersistentModelIndex();
    const GridColumn* c = columnAt(target);
    if (c && c->kind == ColumnKind::YesNo) {
        // A click anywhere in a yes/no cell turns it over.
        toggle(target);
        return;
    }
    if (onDropDownArrow(target, event->position().toPoint())) {
        // The arrow of a cell that was not being edited opens its list or calendar at once.
        if (!m_editor || QModelIndex(m_editorIndex) != target)
            openEditor();
        if (m_editor && QModelIndex(m_editorIndex) == target && !m_editor->isDropDownVisible())
            m_editor->showDropDown();
    }
}

void DataGrid::toggle(const QModelIndex& index) {
    const GridColumn* c = columnAt(index);
    if (!c || c->kind != ColumnKind::YesNo || c->readOnly)
        return;
    const bool on = index.data(Qt::CheckStateRole).toInt() == Qt::Checked;
    guarded(m_dialogs,
            [&] { m_model->setData(index, on ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole); });
    update(index);
}

void DataGrid::showMenu(const QPoint& globalPos) {
    if (actions().isEmpty())
        return;
    hideDropDown();
    auto* menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->addActions(actions());
    menu->popup(globalPos);
}

void DataGrid::focusInEvent(QFocusEvent* event) {
    QTableView::focusInEvent(event);
    // The keyboard belongs to the cell editor, when the focused cell has one.
    if (m_editor)
        m_editor->setFocus(event->reason());
    else
        openEditorLater();
}

QWidget* DataGrid::neighbour(bool forward) const {
    QWidget* w = const_cast<DataGrid*>(this);
    QWidget* top = window();
    // Every widget is in the chain once; the chain is a circle.
    for (QWidget* start = w;;) {
        w = forward ? w->nextInFocusChain() : w->previousInFocusChain();
        if (!w || w == start)
            return nullptr;
        if (w == this || isAncestorOf(w) || w->window() != top)
            continue;
        if ((w->focusPolicy() & Qt::TabFocus) && w->isVisibleTo(top) && w->isEnabled())
            return w;
    }
}

void DataGrid::leaveGrid(bool forward) {
    if (!commitEditor())
        return;
    hideDropDown();
    if (QWidget* to = neighbour(forward))
        to->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
}

void DataGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    if (editorHasEntry() && QModelIndex(m_editorIndex) == previous && current != previous) {
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
    openEditorLater();
}

void DataGrid::openEditorLater() {
    // Only while the keyboard is in the grid: an editor takes the focus as it opens, and must
    // not take it from a button that Tab or Ctrl+Tab went to.
    QTimer::singleShot(0, this, [this] {
        if (isVisible() && (ownsWidget(QApplication::focusWidget()) || !window()->focusWidget()))
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
    openEditorLater();
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
