#include "registers/savingswindow.h"

#include "lists/gbk.h"
#include "lists/listfiles.h"
#include "platform/actionguard.h"
#include "platform/context.h"
#include "registers/logic/savingsbook.h"

namespace {

const QString kKindList = QStringLiteral("select interestname from bankinterest");
const QString kTotalsAtLoad = QStringLiteral("select sum(money)  from saving");

} // namespace

QList<GridColumn> savingColumns() {
    const Qt::Alignment left = Qt::AlignLeft | Qt::AlignVCenter;
    const Qt::Alignment right = Qt::AlignRight | Qt::AlignVCenter;
    return {
        {QStringLiteral("开户名"), QStringLiteral("bankuser"), 60, ColumnKind::Text, {}, left},
        {QStringLiteral("存入日期"), QStringLiteral("begindate"), 92, ColumnKind::Date, {}, left},
        {QStringLiteral("存入金额"), QStringLiteral("money"), 100, ColumnKind::Amount, {}, right},
        {QStringLiteral("储蓄类型"),
         QStringLiteral("savingtype"),
         118,
         ColumnKind::PickList,
         {},
         left},
        // The rate as stored, edited as a plain number without a drop-down button.
        {QStringLiteral("利率"), QStringLiteral("interest"), 40, ColumnKind::Text, {}, right},
        {QStringLiteral("到期日期"), QStringLiteral("enddate"), 92, ColumnKind::Date, {}, left},
        {QStringLiteral("总金额"),
         QStringLiteral("totalmoney"),
         100,
         ColumnKind::Amount,
         {},
         right},
        {QStringLiteral("利息"),
         QStringLiteral("interestmoney"),
         80,
         ColumnKind::Amount,
         {},
         right},
        {QStringLiteral("利息税"),
         QStringLiteral("interesttax"),
         72,
         ColumnKind::Amount,
         {},
         right},
        {QStringLiteral("存单号码"), QStringLiteral("banknumber"), 150, ColumnKind::Text, {}, left},
        {QStringLiteral("银行名称"),
         QStringLiteral("bankname"),
         122,
         ColumnKind::PickList,
         {},
         left},
    };
}

SavingsWindow::SavingsWindow(const Context& context, QWidget* parent)
    : TableWindow(context,
                  {.objectName = QStringLiteral("fmcxgl"),
                   .caption = QStringLiteral("储蓄管理"),
                   .table = QStringLiteral("saving"),
                   .clientSize = QSize(1050, 440),
                   .gridName = QStringLiteral("cxDBGrid"),
                   .buttons = {.close = QStringLiteral("closeform")},
                   .totalsLine = true},
                  savingColumns(), parent),
      m_lookupQuery(context.books, kKindList), m_totalsQuery(context.books, kTotalsAtLoad) {
    // Both statements open with the window; when one cannot, the window does not open. Their
    // results are let go at once, so no read stays pending while the window is open.
    m_lookupQuery.open();
    m_totalsQuery.open();
    m_lookupQuery.close();
    m_totalsQuery.close();

    setChoices(QStringLiteral("bankname"), [this](int, ChoiceMoment) { return m_bankNames; });
    setChoices(QStringLiteral("savingtype"), [this](int, ChoiceMoment) { return m_kindNames; });
    onCommit(QStringLiteral("savingtype"), [this](CommittedRow& row, const QVariant& committed) {
        deriveFigures(row, committed);
    });

    runOpeningSteps();
}

void SavingsWindow::runOpeningSteps() {
    guarded(context().dialogs, [&] {
        m_bankNames = lists::decodeAll(
            lists::readList(context().programFolder, QString::fromLatin1(lists::kBankNameFile)));
        m_kindNames = readKindNames();
        m_taxRate = deposits::readTaxRate(m_lookupQuery);
        showTotals();
    });
}

QStringList SavingsWindow::readKindNames() {
    m_lookupQuery.setStatement(kKindList);
    m_lookupQuery.open();
    QStringList names;
    for (const QVariantList& row : m_lookupQuery.rows())
        names << row.value(0).toString();
    m_lookupQuery.close();
    return names;
}

void SavingsWindow::deriveFigures(CommittedRow& row, const QVariant& committed) {
    const std::optional<deposits::Figures> figures = deposits::derive(
        row.value(QStringLiteral("begindate")), row.value(QStringLiteral("money")),
        committed.toString(),
        [this](const QString& name) { return deposits::lookupTerms(m_lookupQuery, name); },
        m_taxRate);
    if (!figures)
        return;
    // Staged in the row: stored together with the kind, or not at all when a later step
    // refuses it.
    for (const auto& [field, value] : deposits::derivedCells(*figures))
        row.set(field, value);
}

void SavingsWindow::showTotals() {
    const QStringList panels = deposits::totalsTexts(m_totalsQuery);
    setPanels(panels.value(0), panels.value(1), panels.value(2));
}

void SavingsWindow::refreshTotals() {
    guarded(context().dialogs, [&] { showTotals(); });
}

void SavingsWindow::afterSave() {
    refreshTotals();
}
