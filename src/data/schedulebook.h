#pragma once

#include <QDate>
#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QVariant>
#include <optional>

// The stored side of recurring entries and of the reminder of what falls due: the rows of
// `schedule` with the last occurrence of each already entered (`scheduleentered`), the marks
// of entered occurrences, and the single row of `duenotice`. Every function throws AppError
// with the data layer's text.
namespace schedulebook {

// One row of `schedule` as stored, texts as written.
struct Schedule {
    qint64 id = 0;
    QString sz, szdl, szxl;
    QVariant money;
    QString zffs, memo;
    QString every, day, firstdate, lastdate;
    std::optional<QDate> lastEntered; // the latest occurrence of it entered into the ledger
};

QList<Schedule> readSchedules(QSqlDatabase db);

// Marks these occurrences entered (an occurrence marked already stays as it is).
void markEntered(QSqlDatabase db, const QList<std::pair<qint64, QDate>>& occurrences);

// The reminder's setting and the day it last told what falls due (invalid: never).
struct Notice {
    int daysAhead = 30; // schema::kInitialDaysAhead
    QDate lastTold;
};
// The defaults when the books have no `duenotice` (read-only books from before it).
Notice readNotice(QSqlDatabase db);
void setDaysAhead(QSqlDatabase db, int days);
void setLastTold(QSqlDatabase db, const QDate& day);

} // namespace schedulebook
