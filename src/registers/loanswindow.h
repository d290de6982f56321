#pragma once

#include "ui/tablewindow.h"

// The loans grid's columns, in their order.
QList<GridColumn> loanColumns();

// The loans window: money lent and borrowed, with the amounts still outstanding.
class LoansWindow : public TableWindow {
    Q_OBJECT
public:
    LoansWindow(const Context& context, QWidget* parent = nullptr);

    // Recomputes the three totals from the stored rows.
    void refreshTotals();

protected:
    void afterSave() override;
};
