#include "ledger/schedulewindow.h"

#include "data/tabledataset.h"
#include "ledger/ledgerwindow.h"
#include "lists/gbk.h"
#include "lists/listfiles.h"
#include "platform/apperror.h"
#include "platform/context.h"
#include "platform/dialogs.h"
#include "registers/logic/recurrence.h"
#include "ui/committedrow.h"

#include <QTimer>

QList<GridColumn> scheduleColumns() {
    const Qt::Alignment center = Qt::AlignCenter;
    QList<GridColumn> columns{
        {QStringLiteral("开始日期"), QStringLiteral("firstdate"), 80, ColumnKind::Date, {}, center},
        {QStringLiteral("结束日期"), QStringLiteral("lastdate"), 80, ColumnKind::Date, {}, center},
        {QStringLiteral("周期"), QStringLiteral("every"), 44, ColumnKind::PickList,
         recurrence::everyTexts(), center},
        {QStringLiteral("日"), QStringLiteral("day"), 44, ColumnKind::Text, {}, center},
    };
    // Then the ledger row it brings, as the ledger shows it (without the ledger's date).
    columns += ledgerColumns().mid(1);
    return columns;
}

ScheduleWindow::ScheduleWindow(const Context& context, QWidget* parent)
    : TableWindow(context,
                  {.objectName = QStringLiteral("fmschedule"),
                   .caption = QStringLiteral("定期收支"),
                   .table = QStringLiteral("schedule"),
                   .clientSize = QSize(700, 360),
                   .buttons = {.close = QStringLiteral("cmdclose")}},
                  scheduleColumns(), parent) {
    setChoices(QStringLiteral("szdl"),
               [this](int row, ChoiceMoment) { return majorChoicesFor(row); });
    setChoices(QStringLiteral("szxl"),
               [this](int row, ChoiceMoment) { return minorChoicesFor(row); });
    setChoices(QStringLiteral("zffs"), [this](int, ChoiceMoment) { return m_paymentChoices; });

    // A day that does not fit the period is refused as it is entered: such a schedule would
    // never fall due. A day entered before its period is checked when the period comes.
    onCommit(QStringLiteral("day"), [](CommittedRow& row, const QVariant& value) {
        const QString every = row.value(QStringLiteral("every")).toString();
        if (every.trimmed().isEmpty() || value.toString().trimmed().isEmpty())
            return;
        if (const QString problem = recurrence::dayProblem(every, value.toString());
            !problem.isEmpty())
            throw AppError(problem);
    });
    onCommit(QStringLiteral("every"), [](CommittedRow& row, const QVariant& value) {
        const QString every = value.toString();
        if (every.trimmed().isEmpty())
            return;
        if (!recurrence::everyOf(every))
            throw AppError(recurrence::dayProblem(every, QString()));
        const QString day = row.value(QStringLiteral("day")).toString();
        if (!day.trimmed().isEmpty())
            if (const QString problem = recurrence::dayProblem(every, day); !problem.isEmpty())
                throw AppError(problem);
    });

    m_paymentChoices = readOrReport(QString::fromLatin1(lists::kPaymentMethodFile), [&] {
        return lists::readList(context.programFolder,
                               QString::fromLatin1(lists::kPaymentMethodFile));
    });
}

QString ScheduleWindow::rowText(int row, const char* field) const {
    return dataset()->value(row, dataset()->fieldIndex(QString::fromLatin1(field))).toString();
}

QStringList ScheduleWindow::readOrReport(const QString& file,
                                         const std::function<QList<QByteArray>()>& read) {
    try {
        QStringList lines = lists::decodeAll(read());
        m_reported.remove(file);
        return lines;
    } catch (const AppError& e) {
        if (!m_reported.contains(file)) {
            m_reported.insert(file);
            const QString text = e.text();
            QTimer::singleShot(0, this, [this, text] { context().dialogs.showError(text); });
        }
        return {};
    }
}

QStringList ScheduleWindow::majorChoicesFor(int row) {
    const QString file = lists::majorFile(lists::directionOf(rowText(row, "sz")));
    return readOrReport(file, [&] { return lists::readList(context().programFolder, file); });
}

QStringList ScheduleWindow::minorChoicesFor(int row) {
    const lists::Direction d = lists::directionOf(rowText(row, "sz"));
    const QString major = rowText(row, "szdl");
    return readOrReport(lists::minorFile(d), [&] {
        return lists::minorCategories(context().programFolder, d, lists::encode(major));
    });
}
