// The grid's columns: which are shown, and their widths kept in proportion to the grid's width.
#include "ui/datagrid.h"
#include "ui/gridmodel.h"

#include <QHeaderView>
#include <QScopedValueRollback>
#include <QTimer>
#include <algorithm>

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
