#include "data/schedulebook.h"

#include "data/connection.h"
#include "data/schema.h"

#include <QSqlError>
#include <QSqlQuery>

namespace schedulebook {
namespace {

const QString kDateFormat = QStringLiteral("yyyy-MM-dd");

} // namespace

QList<Schedule> readSchedules(QSqlDatabase db) {
    QSqlQuery q =
        runBound(db, QStringLiteral("select s.id, s.sz, s.szdl, s.szxl, s.money, s.zffs, s.memo, "
                                    "s.every, s.day, s.firstdate, s.lastdate, "
                                    "(select max(occurrence) from scheduleentered e "
                                    "where e.scheduleid = s.id) from schedule s order by s.id"));
    QList<Schedule> out;
    while (q.next()) {
        Schedule s;
        s.id = q.value(0).toLongLong();
        s.sz = q.value(1).toString();
        s.szdl = q.value(2).toString();
        s.szxl = q.value(3).toString();
        s.money = q.value(4);
        s.zffs = q.value(5).toString();
        s.memo = q.value(6).toString();
        s.every = q.value(7).toString();
        s.day = q.value(8).toString();
        s.firstdate = q.value(9).toString();
        s.lastdate = q.value(10).toString();
        if (!q.value(11).isNull()) {
            const QDate last = QDate::fromString(q.value(11).toString(), kDateFormat);
            if (last.isValid())
                s.lastEntered = last;
        }
        out << s;
    }
    return out;
}

void markEntered(QSqlDatabase db, const QList<std::pair<qint64, QDate>>& occurrences) {
    QSqlQuery q(db);
    if (!q.prepare(QStringLiteral(
            "insert or ignore into scheduleentered (scheduleid, occurrence) values (?, ?)")))
        throwSqlError(q.lastError());
    for (const auto& [id, date] : occurrences) {
        q.addBindValue(id);
        q.addBindValue(date.toString(kDateFormat));
        if (!q.exec())
            throwSqlError(q.lastError());
    }
}

Notice readNotice(QSqlDatabase db) {
    if (!db.tables().contains(QStringLiteral("duenotice")))
        return {}; // books from before the reminder, that could not take its table
    QSqlQuery q = runBound(
        db, QStringLiteral("select daysahead, lasttold from duenotice order by id limit 1"));
    Notice n;
    n.daysAhead = schema::kInitialDaysAhead;
    if (q.next()) {
        bool ok = false;
        const int days = q.value(0).toInt(&ok);
        if (ok && days >= 0)
            n.daysAhead = days;
        n.lastTold = QDate::fromString(q.value(1).toString(), kDateFormat);
    }
    return n;
}

namespace {
// Writes one column of the single row, making the row when it is missing.
void setNoticeValue(QSqlDatabase db, const QString& column, const QVariant& value) {
    QSqlQuery q = runBound(db,
                           QStringLiteral("update duenotice set %1 = ? where id = (select min(id) "
                                          "from duenotice)")
                               .arg(column),
                           {value});
    if (q.numRowsAffected() > 0)
        return;
    runBound(db, QStringLiteral("insert into duenotice (daysahead, lasttold) values (?, ?)"),
             {column == QStringLiteral("daysahead") ? value : QVariant(schema::kInitialDaysAhead),
              column == QStringLiteral("lasttold") ? value : QVariant()});
}
} // namespace

void setDaysAhead(QSqlDatabase db, int days) {
    setNoticeValue(db, QStringLiteral("daysahead"), days);
}

void setLastTold(QSqlDatabase db, const QDate& day) {
    setNoticeValue(db, QStringLiteral("lasttold"), day.toString(kDateFormat));
}

} // namespace schedulebook
