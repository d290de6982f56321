#include "registers/loanswindow.h"

#include "data/querydataset.h"
#include "platform/actionguard.h"
#include "platform/context.h"
#include "registers/logic/loansbook.h"

QList<GridColumn> loanColumns() {
    const Qt::Alignment left = Qt::AlignLeft | Qt::AlignVCenter;
    return {
        {QStringLiteral("借贷日期"), QStringLiteral("borrowdate"), 80, ColumnKind::Date, {}, left},
        {QStringLiteral("借贷行为"),
         QStringLiteral("action"),
         72,
         ColumnKind::PickList,
         {QStringLiteral("借给别人"), QStringLiteral("问别人借")},
         left},
        {QStringLiteral("金额"),
         QStringLiteral("money"),
         64,
         ColumnKind::Amount,
         {},
         Qt::AlignRight | Qt::AlignVCenter},
        {QStringLiteral("人员"), QStringLiteral("listman"), 60, ColumnKind::Text, {}, left},
        {QStringLiteral("预还款日期"), QStringLiteral("hopedate"), 80, ColumnKind::Date, {}, left},
        {QStringLiteral("实际还款日期"),
         QStringLiteral("infactdate"),
         86,
         ColumnKind::Date,
         {},
         left},
        {QStringLiteral("标志"),
         QStringLiteral("flag"),
         36,
         ColumnKind::YesNo,
         {},
         Qt::AlignCenter},
        {QStringLiteral("备注"), QStringLiteral("memo"), 100, ColumnKind::Text, {}, left},
    };
}

LoansWindow::LoansWindow(const Context& context, QWidget* parent)
    : TableWindow(context,
                  {.objectName = QStringLiteral("fmjdgl"),
                   .caption = QStringLiteral("借贷管理"),
                   .table = QStringLiteral("borrow"),
                   .clientSize = QSize(640, 420),
                   .gridName = QStringLiteral("szDBGrid"),
                   .buttons = {.close = QStringLiteral("cmdclose")},
                   .totalsLine = true},
                  loanColumns(), parent) {
    refreshTotals();
}

void LoansWindow::refreshTotals() {
    guarded(context().dialogs, [&] {
        QueryDataset totalsQuery(context().books);
        const QStringList panels = loans::totalsTexts(totalsQuery);
        setPanels(panels.at(0), panels.at(1), panels.at(2));
    });
}

void LoansWindow::afterSave() {
    refreshTotals();
}
