#include "app/duenotice.h"

#include "data/connection.h"
#include "data/schedulebook.h"
#include "ledger/scheduledentries.h"
#include "platform/apperror.h"
#include "platform/clock.h"
#include "platform/context.h"

#include <QSqlError>
#include <QSqlQuery>

namespace duenotice {
namespace {

const QString kDate = QStringLiteral("yyyy-MM-dd");

duelist::DueList readWith(QSqlDatabase db, const QDate& today, int daysAhead) {
    QList<duelist::Deposit> deposits;
    QSqlQuery d = runBound(db,
                           QStringLiteral("select bankuser, bankname, totalmoney, enddate from "
                                          "saving where enddate >= ? and enddate <= ?"),
                           {today.addDays(-duelist::kDaysBack).toString(kDate),
                            today.addDays(daysAhead).toString(kDate)});
    while (d.next())
        deposits << duelist::Deposit{d.value(0).toString(), d.value(1).toString(),
                                     d.value(2).toDouble(),
                                     QDate::fromString(d.value(3).toString(), kDate)};
    QList<duelist::Loan> loans;
    QSqlQuery l = runBound(db,
                           QStringLiteral("select action, listman, money, hopedate, flag from "
                                          "borrow where flag = 0 and hopedate < ? and "
                                          "action in ('借给别人', '问别人借')"),
                           {today.toString(kDate)});
    while (l.next())
        loans << duelist::Loan{l.value(0).toString(), l.value(1).toString(), l.value(2).toDouble(),
                               QDate::fromString(l.value(3).toString(), kDate),
                               l.value(4).toBool()};
    const int waiting = int(dueEntries(db, today).size());
    return duelist::dueOn(today, daysAhead, deposits, loans, waiting);
}

bool hasNoticeTable(QSqlDatabase db) {
    return db.tables().contains(QStringLiteral("duenotice"));
}

} // namespace

duelist::DueList readDue(const Context& context, const QDate& today) {
    Connection c(context.books);
    QSqlDatabase db = c.database();
    const int days = hasNoticeTable(db) ? schedulebook::readNotice(db).daysAhead
                                        : schedulebook::Notice{}.daysAhead;
    return readWith(db, today, days);
}

std::optional<duelist::DueList> toTellNow(const Context& context) {
    const QDate today = context.clock.now().date();
    Connection c(context.books);
    QSqlDatabase db = c.database();
    schedulebook::Notice notice;
    if (hasNoticeTable(db)) {
        notice = schedulebook::readNotice(db);
        if (notice.lastTold == today)
            return std::nullopt;
    }
    duelist::DueList due = readWith(db, today, notice.daysAhead);
    if (due.isEmpty())
        return std::nullopt; // nothing said, and a later start today may still tell
    if (!c.isReadOnly() && hasNoticeTable(db)) {
        try {
            schedulebook::setLastTold(db, today);
        } catch (const AppError&) {
            // The books would not keep the day: told again at the next start.
        }
    }
    return due;
}

} // namespace duenotice
