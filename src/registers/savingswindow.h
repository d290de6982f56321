#pragma once

#include "data/querydataset.h"
#include "ui/tablewindow.h"

#include <QStringList>

// The savings grid's columns, in their order.
QList<GridColumn> savingColumns();

// The savings window: the register of fixed-term deposits. Entering a deposit's kind fills in
// its rate, maturity date, interest, interest tax and amount due; the totals line sums the
// stored deposits.
class SavingsWindow : public TableWindow {
    Q_OBJECT
public:
    // Opens the register and the window's two statements; throws AppError when one of them
    // cannot be opened (the window is then not shown). The opening steps that follow report
    // their own failure and leave the window open.
    SavingsWindow(const Context& context, QWidget* parent = nullptr);

    // Recomputes the three totals from the stored deposits.
    void refreshTotals();
    // The interest tax rate read when the window opened, in percent.
    double taxRate() const { return m_taxRate; }

protected:
    void afterSave() override;

private:
    // Bank names, kind names, tax rate, totals; a failing step skips the ones after it.
    void runOpeningSteps();
    QStringList readKindNames();
    // Sets the totals line from the stored deposits; throws AppError.
    void showTotals();
    // The commit hook of 储蓄类型: stages the figures of the kind `committed` in `row`.
    void deriveFigures(CommittedRow& row, const QVariant& committed);

    QueryDataset m_lookupQuery; // the kind list, the tax rate and the kind lookups
    QueryDataset m_totalsQuery; // the totals
    QStringList m_bankNames;
    QStringList m_kindNames;
    double m_taxRate = 0;
};
