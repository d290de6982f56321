#pragma once

#include "data/rowlayout.h"
#include "data/schedulebook.h"

#include <QDate>
#include <QList>
#include <QObject>
#include <QSqlDatabase>

class TableDataset;

// One occurrence of a recurring entry that is due, with the schedule that brings it.
struct DueEntry {
    schedulebook::Schedule schedule;
    QDate date;
};

// The occurrences due up to `today` of every schedule stored in `db`, oldest first (on one
// day, in the schedules' order). Books without the schedule tables (read-only books from before
// them) have none. Throws AppError with the data layer's text.
QList<DueEntry> dueEntries(QSqlDatabase db, const QDate& today);

// Brings the recurring entries due into a ledger's cache as new rows, already filled in, and
// marks an occurrence entered in the transaction of the save that stores its row: a refused
// save marks nothing, and 取消 (which drops the rows) leaves them to come again.
class ScheduledEntries : public QObject {
    Q_OBJECT
public:
    ScheduledEntries(TableDataset* ledger, QObject* parent = nullptr);

    // Appends a row for every occurrence due up to `today`; the cursor goes to the first of
    // them. Throws AppError when the schedules cannot be read (nothing is appended then).
    void bringDue(const QDate& today);
    // How many of the rows brought are waiting for 保存.
    int waiting() const { return int(m_offered.size()); }

signals:
    void waitingChanged(int count);

private:
    struct Offered {
        const RowLayout::NewRow* row;
        qint64 scheduleId;
        QDate date;
    };
    void markStored(QSqlDatabase db, const QList<const RowLayout::NewRow*>& inserted);

    TableDataset* m_ledger;
    QList<Offered> m_offered;
};
