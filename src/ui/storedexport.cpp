#include "ui/storedexport.h"

#include "data/csvwriter.h"
#include "data/storedrows.h"
#include "data/tabledataset.h"
#include "ui/gridmodel.h"

namespace storedexport {

bool streamable(const GridModel& model) {
    const TableDataset* d = model.dataset();
    return d && storedrows::streamable(*d);
}

void stream(const GridModel& model, const QList<int>& columns, CsvWriter& csv,
            const std::function<bool()>& afterRow) {
    const TableDataset& d = *model.dataset();
    QList<const GridColumn*> shown;
    QList<bool> asStored; // texts shown as stored: their UTF-8 bytes go out unchanged
    for (int c : columns) {
        const schema::Kind kind = d.fieldKind(c);
        const GridColumn* g = model.column(c);
        shown << g;
        asStored << (g && g->kind != ColumnKind::Amount && g->kind != ColumnKind::YesNo &&
                     (kind == schema::Kind::Date || kind == schema::Kind::Text));
    }
    storedrows::forEachRow(d, columns, [&](const storedrows::StoredRow& row) {
        for (int i = 0; i < columns.size(); ++i) {
            if (asStored[i] && row.isText(i))
                csv.writeField(row.utf8(i));
            else
                csv.writeField(GridModel::exportText(shown[i], row.value(i)));
        }
        csv.endRecord();
        return afterRow();
    });
}

} // namespace storedexport
