#include "ui/griddelegate.h"

#include "ui/celleditor.h"
#include "ui/datagrid.h"
#include "ui/gridmodel.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QStyle>

GridDelegate::GridDelegate(DataGrid* grid) : QStyledItemDelegate(grid), m_grid(grid) {}

QWidget* GridDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&,
                                    const QModelIndex& index) const {
    const GridColumn* c = m_grid->gridModel()->column(index.column());
    if (!c || c->kind == ColumnKind::YesNo)
        return nullptr;
    auto* editor = new CellEditor(c->kind, parent);
    editor->setFont(m_grid->font());
    if (c->kind == ColumnKind::PickList) {
        const int row = index.row();
        const GridColumn column = *c;
        editor->setChoicesProvider([column, row](ChoiceMoment moment) {
            return column.choicesFor ? column.choicesFor(row, moment) : column.choices;
        });
        if (auto recent = m_grid->recentProvider(index.column()))
            editor->setRecentProvider(recent);
    }
    m_grid->watchEditor(editor);
    return editor;
}

void GridDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
    auto* e = qobject_cast<CellEditor*>(editor);
    if (!e)
        return;
    // Only fill the editor when it opens; later model changes must not wipe typed text.
    if (e->property("filled").toBool())
        return;
    e->setProperty("filled", true);
    e->setText(index.data(Qt::EditRole).toString());
}

void GridDelegate::setModelData(QWidget*, QAbstractItemModel*, const QModelIndex&) const {
    // The grid takes typed values over itself (DataGrid::commitEditor), so that a value that
    // does not convert keeps the editor open with the text as typed.
}

void GridDelegate::updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                                        const QModelIndex&) const {
    editor->setGeometry(option.rect.adjusted(0, 0, -1, -1));
}

void GridDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                         const QModelIndex& index) const {
    const GridColumn* c = m_grid->gridModel()->column(index.column());
    if (!c || (c->kind != ColumnKind::Date && c->kind != ColumnKind::PickList)) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    // Leave room for the drop-down arrow at the right of the cell.
    constexpr int kButton = kArrowWidth;
    QStyleOptionViewItem textOption(option);
    textOption.rect.setRight(option.rect.right() - kButton);
    QStyledItemDelegate::paint(painter, textOption, index);
    QStyleOptionViewItem rest(option);
    rest.rect.setLeft(option.rect.right() - kButton + 1);
    initStyleOption(&rest, index);
    rest.text.clear();
    const QWidget* w = option.widget;
    QStyle* style = w ? w->style() : QApplication::style();
    style->drawPrimitive(QStyle::PE_PanelItemViewItem, &rest, painter, w);
    QStyleOption arrow;
    arrow.rect =
        QRect(option.rect.right() - kButton + 1, option.rect.top(), kButton, option.rect.height())
            .adjusted(3, 3, -3, -3);
    arrow.palette = option.palette;
    arrow.state = QStyle::State_Enabled;
    style->drawPrimitive(QStyle::PE_IndicatorArrowDown, &arrow, painter, w);
}

bool GridDelegate::editorEvent(QEvent* event, QAbstractItemModel* model,
                               const QStyleOptionViewItem& option, const QModelIndex& index) {
    const GridColumn* c = m_grid->gridModel()->column(index.column());
    if (c && c->kind == ColumnKind::YesNo &&
        (event->type() == QEvent::MouseButtonRelease ||
         event->type() == QEvent::MouseButtonDblClick || event->type() == QEvent::KeyPress))
        return true;
    return QStyledItemDelegate::editorEvent(event, model, option, index);
}

bool GridDelegate::eventFilter(QObject* object, QEvent* event) {
    // Keys and focus of the editors are the grid's business (DataGrid::eventFilter).
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::FocusOut)
        return false;
    return QStyledItemDelegate::eventFilter(object, event);
}
