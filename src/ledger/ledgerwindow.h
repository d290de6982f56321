#pragma once

#include "importer/importflow.h"
#include "ui/openwindow.h"
#include "ui/tablewindow.h"

#include <QSet>

class QLabel;
class ScheduledEntries;
#include <QStringList>

// The ledger's grid columns, in their order.
QList<GridColumn> ledgerColumns();

// The ledger window: income and expenditure entries, with the categories of each row's
// direction offered from the list files, striped rows, and the query and charts windows.
class LedgerWindow : public TableWindow {
    Q_OBJECT
public:
    // Recurring entries due by the context's clock are appended to the cache as the window
    // opens; `scheduleWindow` is the window behind 定期.
    LedgerWindow(const Context& context, WindowFactory queryWindow, WindowFactory chartWindow,
                 QWidget* parent = nullptr, WindowFactory scheduleWindow = {});

    // 查询 and 图表: open the query and the charts window modally.
    void openQueryWindow();
    void openChartsWindow();
    // 导入: a bill file into the ledger through the import window.
    void importBills();
    // How 导入 reads a bill file (readBillFile unless a test sets its own).
    void setBillReader(BillReader read) { m_readBill = std::move(read); }
    // 定期: opens the recurring entries (定期收支) modally.
    void openScheduleWindow();
    // The line that says how many recurring entries were appended (hidden when none).
    QLabel* scheduleLine() const { return m_scheduleLine; }

    // The choices each list column holds now.
    const QStringList& majorChoices() const { return m_majorChoices; }
    const QStringList& minorChoices() const { return m_minorChoices; }
    const QStringList& paymentChoices() const { return m_paymentChoices; }
    // The values entered into 大类, most recent first.
    const QStringList& recentMajors() const { return m_recentMajors; }

    // The row background: light grey for even record numbers, white otherwise (all white
    // while a new row is entered).
    QColor rowColor(int row) const;

private:
    QStringList majorChoicesFor(int row, ChoiceMoment moment);
    QStringList minorChoicesFor(int row, ChoiceMoment moment);
    void readMajors(const QString& direction);
    void readMinors(const QString& direction, const QString& major);
    // A major category committed into a row of `direction`: its minors are read and it
    // heads the recent entries.
    void majorEntered(const QString& direction, const QString& major);
    void reportOnce(const QString& file, const QString& error);
    QString rowText(int row, const char* field) const;

    WindowFactory m_queryWindow;
    WindowFactory m_chartWindow;
    BillReader m_readBill;
    WindowFactory m_scheduleWindow;
    ScheduledEntries* m_scheduled = nullptr;
    QLabel* m_scheduleLine = nullptr;
    QStringList m_majorChoices;
    QStringList m_minorChoices;
    QStringList m_paymentChoices;
    QStringList m_recentMajors;
    QSet<QString> m_reported;
};
