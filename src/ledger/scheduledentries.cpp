#include "ledger/scheduledentries.h"

#include "data/tabledataset.h"
#include "registers/logic/recurrence.h"

#include <algorithm>

QList<DueEntry> dueEntries(QSqlDatabase db, const QDate& today) {
    QList<DueEntry> out;
    if (!db.tables().contains(QStringLiteral("schedule")))
        return out;
    for (const schedulebook::Schedule& s : schedulebook::readSchedules(db)) {
        const auto rule = recurrence::ruleOf(s.every, s.day, s.firstdate, s.lastdate);
        if (!rule)
            continue; // an unfinished schedule brings nothing
        for (const QDate& d : recurrence::dueOccurrences(*rule, s.lastEntered, today))
            out << DueEntry{s, d};
    }
    // In date order, as the ledger's rows are entered; schedules in their order on a day.
    std::stable_sort(out.begin(), out.end(),
                     [](const DueEntry& a, const DueEntry& b) { return a.date < b.date; });
    return out;
}

ScheduledEntries::ScheduledEntries(TableDataset* ledger, QObject* parent)
    : QObject(parent), m_ledger(ledger) {
    m_ledger->setInsideSave([this](QSqlDatabase db, const QList<const RowLayout::NewRow*>& rows) {
        markStored(db, rows);
    });
    // A save or 取消 starts the ledger over from the stored rows: the rows brought are stored
    // (and marked) or dropped, and none waits any more.
    connect(m_ledger, &QAbstractItemModel::modelReset, this, [this] {
        if (m_offered.isEmpty())
            return;
        m_offered.clear();
        emit waitingChanged(0);
    });
}

void ScheduledEntries::bringDue(const QDate& today) {
    const QList<DueEntry> due = dueEntries(m_ledger->database(), today);
    if (due.isEmpty())
        return;
    const int date = m_ledger->fieldIndex(QStringLiteral("adddate"));
    const int sz = m_ledger->fieldIndex(QStringLiteral("sz"));
    const int szdl = m_ledger->fieldIndex(QStringLiteral("szdl"));
    const int szxl = m_ledger->fieldIndex(QStringLiteral("szxl"));
    const int money = m_ledger->fieldIndex(QStringLiteral("money"));
    const int zffs = m_ledger->fieldIndex(QStringLiteral("zffs"));
    const int memo = m_ledger->fieldIndex(QStringLiteral("memo"));
    int first = -1;
    for (const DueEntry& e : due) {
        m_ledger->append();
        const int row = m_ledger->currentRow();
        if (first < 0)
            first = row;
        const schedulebook::Schedule& s = e.schedule;
        m_ledger->setValue(date, e.date.toString(QStringLiteral("yyyy-MM-dd")));
        m_ledger->setValue(sz, s.sz);
        m_ledger->setValue(szdl, s.szdl);
        m_ledger->setValue(szxl, s.szxl);
        m_ledger->setValue(money, s.money);
        m_ledger->setValue(zffs, s.zffs);
        m_ledger->setValue(memo, s.memo);
        m_ledger->post();
        m_offered << Offered{m_ledger->newRowAt(row), s.id, e.date};
    }
    m_ledger->setCurrentRow(first);
    emit waitingChanged(waiting());
}

void ScheduledEntries::markStored(QSqlDatabase db, const QList<const RowLayout::NewRow*>& rows) {
    // Only the rows brought that this save stores: one the user deleted before 保存 is not
    // entered, and comes again at the next opening.
    QList<std::pair<qint64, QDate>> stored;
    for (const Offered& o : m_offered)
        if (rows.contains(o.row))
            stored << std::pair{o.scheduleId, o.date};
    schedulebook::markEntered(db, stored);
}
