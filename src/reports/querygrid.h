#pragma once

#include <QTableView>

class Dialogs;
class QueryGridModel;

// A read-only grid over a query: no editing, rows drawn plainly, column titles centred and the
// columns stretched to the grid's width, except those that keep a fixed width.
class QueryGrid : public QTableView {
    Q_OBJECT
public:
    // `fixedWidths` maps a column's field name to the width it keeps. `dialogs` serve the
    // grid's export to CSV.
    QueryGrid(QueryGridModel* model, const QList<QPair<QString, int>>& fixedWidths,
              Dialogs& dialogs, QWidget* parent = nullptr);

protected:
    // The column titles follow the grid's font (a platform may give headers a font of their
    // own, which would otherwise win over the window's).
    void changeEvent(QEvent* event) override;

private:
    // Row heights and the titles' font follow the grid's font.
    void followFont();
};
