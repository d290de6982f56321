#include "reports/querygrid.h"

#include "reports/querygridmodel.h"
#include "ui/csvexport.h"

#include <QEvent>
#include <QHeaderView>

QueryGrid::QueryGrid(QueryGridModel* model, const QList<QPair<QString, int>>& fixedWidths,
                     Dialogs& dialogs, QWidget* parent)
    : QTableView(parent) {
    setModel(model);
    addCsvExport(this, dialogs);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setAlternatingRowColors(false);
    setWordWrap(false);
    setTabKeyNavigation(false);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->hide();

    QHeaderView* header = horizontalHeader();
    followFont();
    header->setDefaultAlignment(Qt::AlignCenter);
    header->setHighlightSections(false);
    header->setSectionsMovable(false);
    header->setSectionResizeMode(QHeaderView::Stretch);
    for (int c = 0; c < model->columnCount(); ++c) {
        for (const auto& [field, width] : fixedWidths) {
            if (model->columns().at(c).field == field) {
                header->setSectionResizeMode(c, QHeaderView::Fixed);
                header->resizeSection(c, width);
            }
        }
    }
}

void QueryGrid::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange)
        followFont();
    QTableView::changeEvent(event);
}

void QueryGrid::followFont() {
    const int rowHeight = fontMetrics().height() + 6;
    verticalHeader()->setDefaultSectionSize(rowHeight);
    horizontalHeader()->setFont(font());
    horizontalHeader()->setMinimumHeight(rowHeight);
}
