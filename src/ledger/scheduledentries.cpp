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
    QList<QList<QVariant>> rows;
    for (const DueEntry& e : due) {
        const schedulebook::Schedule& s = e.schedule;
        QList<QVariant> row(m_ledger->fieldCount());
        const auto put = [&](const char* field, const QVariant& v) {
            row[m_ledger->fieldIndex(QString::fromLatin1(field))] = v;
        };
        put("adddate", e.date.toString(QStringLiteral("yyyy-MM-dd")));
        put("sz", s.sz);
        put("szdl", s.szdl);
        put("szxl", s.szxl);
        put("money", s.money);
        put("zffs", s.zffs);
        put("memo", s.memo);
        rows << row;
    }
    const QList<const RowLayout::NewRow*> added = m_ledger->appendFilled(rows);
    for (int i = 0; i < added.size(); ++i)
        m_offered << Offered{added[i], due[i].schedule.id, due[i].date};
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
