#include "ledger/ledgerwindow.h"

#include "data/datasourceentry.h"
#include "data/tabledataset.h"
#include "ledger/scheduledentries.h"
#include "lists/gbk.h"
#include "lists/listfiles.h"
#include "platform/actionguard.h"
#include "platform/apperror.h"
#include "platform/clock.h"
#include "platform/context.h"
#include "platform/dialogs.h"
#include "ui/datagrid.h"
#include "ui/gridmodel.h"
#include "ui/openwindow.h"

#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {

constexpr int kMaxRecent = 100;
const QColor kStripe(234, 234, 234);

} // namespace

QList<GridColumn> ledgerColumns() {
    const Qt::Alignment center = Qt::AlignCenter;
    const Qt::Alignment left = Qt::AlignLeft | Qt::AlignVCenter;
    return {
        {QStringLiteral("日期"), QStringLiteral("adddate"), 77, ColumnKind::Date, {}, center},
        {QStringLiteral("收支"),
         QStringLiteral("sz"),
         51,
         ColumnKind::PickList,
         {QStringLiteral("收入"), QStringLiteral("支出")},
         center},
        {QStringLiteral("大类"), QStringLiteral("szdl"), 80, ColumnKind::PickList, {}, left},
        {QStringLiteral("细类"), QStringLiteral("szxl"), 80, ColumnKind::PickList, {}, left},
        {QStringLiteral("金额"),
         QStringLiteral("money"),
         60,
         ColumnKind::Amount,
         {},
         Qt::AlignRight | Qt::AlignVCenter},
        {QStringLiteral("支付方式"), QStringLiteral("zffs"), 66, ColumnKind::PickList, {}, left},
        {QStringLiteral("备注"), QStringLiteral("memo"), 86, ColumnKind::Text, {}, left},
    };
}

LedgerWindow::LedgerWindow(const Context& context, WindowFactory queryWindow,
                           WindowFactory chartWindow, QWidget* parent, WindowFactory scheduleWindow)
    : TableWindow(context,
                  {.objectName = QStringLiteral("fmszgl"),
                   .caption = QStringLiteral("收支管理"),
                   .table = QStringLiteral("mysalary"),
                   .clientSize = QSize(561, 545)},
                  ledgerColumns(), parent),
      m_queryWindow(std::move(queryWindow)), m_chartWindow(std::move(chartWindow)),
      m_scheduleWindow(std::move(scheduleWindow)) {
    auto* query = addButton(QStringLiteral("sz_query"), QStringLiteral("查询"), -1, 76,
                            QKeySequence(Qt::CTRL | Qt::Key_F));
    auto* chart = addButton(QStringLiteral("szchart"), QStringLiteral("图表"), -1, 76,
                            QKeySequence(Qt::CTRL | Qt::Key_T));
    query->setIcon(QIcon());
    chart->setIcon(QIcon());
    connect(query, &QPushButton::clicked, this, &LedgerWindow::openQueryWindow);
    connect(chart, &QPushButton::clicked, this, &LedgerWindow::openChartsWindow);

    // Focus order: 保存, 删除, 查询, 图表, the grid, 取消, 新增. Buttons added after these
    // (addButton) join it after 图表, as they stand after it in the row.
    setFocusOrder({button(QStringLiteral("szsave")), button(QStringLiteral("szdel")), query, chart,
                   grid(), button(QStringLiteral("szcancle")), button(QStringLiteral("addszgl"))},
                  chart);

    auto* importBtn = addButton(QStringLiteral("importbtn"), QStringLiteral("导入"), -1, 52,
                                QKeySequence(Qt::CTRL | Qt::Key_I));
    importBtn->setIcon(QIcon());
    connect(importBtn, &QPushButton::clicked, this, &LedgerWindow::importBills);
    m_readBill = [](const QString& path, const bills::PasswordPrompt& prompt,
                    const bills::StatementOptions& options) {
        return bills::readBillFile(path, prompt, options);
    };
    auto* schedule = addButton(QStringLiteral("schedulebtn"), QStringLiteral("定期"), -1, 52,
                               QKeySequence(Qt::CTRL | Qt::Key_E));
    schedule->setIcon(QIcon());
    connect(schedule, &QPushButton::clicked, this, &LedgerWindow::openScheduleWindow);
    // The window grows when its row of buttons needs more than its documented width.
    setFixedWidth(std::max(width(), buttonRow()->sizeHint().width()));

    setChoices(QStringLiteral("szdl"),
               [this](int row, ChoiceMoment m) { return majorChoicesFor(row, m); });
    setChoices(QStringLiteral("szxl"),
               [this](int row, ChoiceMoment m) { return minorChoicesFor(row, m); });
    setChoices(QStringLiteral("zffs"), [this](int, ChoiceMoment) { return m_paymentChoices; });
    setRecentChoices(QStringLiteral("szdl"), [this] { return m_recentMajors; });
    onCommit(QStringLiteral("sz"),
             [this](CommittedRow&, const QVariant& value) { readMajors(value.toString()); });
    onCommit(QStringLiteral("szdl"), [this](CommittedRow& row, const QVariant& value) {
        majorEntered(row.value(QStringLiteral("sz")).toString(), value.toString());
    });

    grid()->gridModel()->setRowBackground([this](int row) { return rowColor(row); });
    // Entering or leaving insert state recolours every row.
    connect(dataset(), &TableDataset::editStateChanged, grid()->viewport(),
            qOverload<>(&QWidget::update));

    // Recurring entries due are appended as new rows, and a line above the buttons says so.
    m_scheduleLine = new QLabel(this);
    m_scheduleLine->setObjectName(QStringLiteral("scheduleline"));
    m_scheduleLine->setContentsMargins(8, 0, 8, 0);
    m_scheduleLine->hide();
    static_cast<QVBoxLayout*>(layout())->insertWidget(1, m_scheduleLine);
    m_scheduled = new ScheduledEntries(dataset(), this);
    connect(m_scheduled, &ScheduledEntries::waitingChanged, this, [this](int count) {
        const QString text =
            count > 0 ? QStringLiteral("%1 条定期收支已加入，保存后生效").arg(count) : QString();
        m_scheduleLine->setText(text);
        m_scheduleLine->setAccessibleName(text);
        m_scheduleLine->setVisible(count > 0);
    });
    guarded(context.dialogs, [&] { m_scheduled->bringDue(context.clock.now().date()); });

    // The payment methods are read once, when the window opens.
    guarded(context.dialogs, [&] {
        m_paymentChoices = lists::decodeAll(
            lists::readList(context.programFolder, QString::fromLatin1(lists::kPaymentMethodFile)));
    });
}

QColor LedgerWindow::rowColor(int row) const {
    const int number = dataset()->recordNumber(row);
    return number > 0 && number % 2 == 0 ? kStripe : QColor(Qt::white);
}

QString LedgerWindow::rowText(int row, const char* field) const {
    return dataset()->value(row, dataset()->fieldIndex(QString::fromLatin1(field))).toString();
}

void LedgerWindow::reportOnce(const QString& file, const QString& error) {
    // An unreadable list is reported once per window; the column keeps its choices.
    if (m_reported.contains(file))
        return;
    m_reported.insert(file);
    QTimer::singleShot(0, this, [this, error] { context().dialogs.showError(error); });
}

void LedgerWindow::readMajors(const QString& direction) {
    const QString file = lists::majorFile(lists::directionOf(direction));
    try {
        m_majorChoices = lists::decodeAll(lists::readList(context().programFolder, file));
        m_reported.remove(file);
    } catch (const AppError& e) {
        reportOnce(file, e.text());
    }
}

void LedgerWindow::readMinors(const QString& direction, const QString& major) {
    const lists::Direction d = lists::directionOf(direction);
    const QString file = lists::minorFile(d);
    try {
        m_minorChoices = lists::decodeAll(
            lists::minorCategories(context().programFolder, d, lists::encode(major)));
        m_reported.remove(file);
    } catch (const AppError& e) {
        reportOnce(file, e.text());
    }
}

QStringList LedgerWindow::majorChoicesFor(int row, ChoiceMoment moment) {
    const QString direction = rowText(row, "sz");
    if (moment == ChoiceMoment::ButtonPressed && direction.isEmpty())
        m_majorChoices << QString(); // no file read for a row without a direction
    else if (moment != ChoiceMoment::Typing)
        readMajors(direction);
    return m_majorChoices;
}

QStringList LedgerWindow::minorChoicesFor(int row, ChoiceMoment moment) {
    if (moment != ChoiceMoment::Typing)
        readMinors(rowText(row, "sz"), rowText(row, "szdl"));
    return m_minorChoices;
}

void LedgerWindow::majorEntered(const QString& direction, const QString& major) {
    readMinors(direction, major);
    if (!major.trimmed().isEmpty()) {
        m_recentMajors.removeAll(major);
        m_recentMajors.prepend(major);
        while (m_recentMajors.size() > kMaxRecent)
            m_recentMajors.removeLast();
    }
}

void LedgerWindow::openQueryWindow() {
    openWindow(m_queryWindow, this, context().dialogs);
}

void LedgerWindow::openChartsWindow() {
    openWindow(m_chartWindow, this, context().dialogs);
}

void LedgerWindow::importBills() {
    // Unsaved changes are saved or dropped first: the import writes the books directly.
    if (dataset()->isEditing() || dataset()->hasPendingChanges()) {
        const Dialogs::Answer a = context().dialogs.message(
            QStringLiteral("导入账单"),
            QStringLiteral("收支记录有未保存的修改，先保存再导入吗？选“否”将取消这些修改。"),
            Dialogs::Buttons::YesNo, Dialogs::Icon::Question, Dialogs::Answer::Yes);
        if (a == Dialogs::Answer::Yes) {
            saveAll();
            if (dataset()->isEditing() || dataset()->hasPendingChanges())
                return; // the save was refused and said why
        } else {
            cancelAll();
        }
    }
    if (importBill(context(), context().books.databasePath(), m_readBill, this))
        guarded(context().dialogs, [&] { dataset()->refresh(); });
}

void LedgerWindow::openScheduleWindow() {
    openWindow(m_scheduleWindow, this, context().dialogs);
}
