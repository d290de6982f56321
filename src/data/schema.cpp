#include "data/schema.h"

#include "data/connection.h"
#include "data/ledgertotals.h"
#include "data/transactionguard.h"
#include "platform/apperror.h"
#include "platform/logging.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace schema {
namespace {

struct Table {
    const char* name;
    QList<Column> columns;
};

const QList<Table>& tables() {
    static const QList<Table> all{
        {"mysalary",
         {{"adddate", Kind::Date},
          {"sz", Kind::Text},
          {"szdl", Kind::Text},
          {"szxl", Kind::Text},
          {"money", Kind::Amount},
          {"zffs", Kind::Text},
          {"memo", Kind::Text}}},
        {"saving",
         {{"bankuser", Kind::Text},
          {"begindate", Kind::Date},
          {"money", Kind::Amount},
          {"savingtype", Kind::Text},
          {"interest", Kind::Number},
          {"enddate", Kind::Date},
          {"totalmoney", Kind::Amount},
          {"interestmoney", Kind::Amount},
          {"interesttax", Kind::Amount},
          {"banknumber", Kind::Text},
          {"bankname", Kind::Text}}},
        {"borrow",
         {{"borrowdate", Kind::Date},
          {"action", Kind::Text},
          {"money", Kind::Amount},
          {"listman", Kind::Text},
          {"hopedate", Kind::Date},
          {"infactdate", Kind::Date},
          {"flag", Kind::YesNo},
          {"memo", Kind::Text}}},
        {"bankinterest",
         {{"interestname", Kind::Text},
          {"interestmonth", Kind::Integer},
          {"interest", Kind::Number}}},
        {"tax", {{"interesttax", Kind::Number}}},
        {"user", {{"password", Kind::Text}}},
        // Tables of our own, beside the documented six: recurring entries, the occurrences
        // of them already entered into the ledger, and the reminder of what falls due.
        {"schedule",
         {{"sz", Kind::Text},
          {"szdl", Kind::Text},
          {"szxl", Kind::Text},
          {"money", Kind::Amount},
          {"zffs", Kind::Text},
          {"memo", Kind::Text},
          {"every", Kind::Text},
          {"day", Kind::Text},
          {"firstdate", Kind::Date},
          {"lastdate", Kind::Date}}},
        {"scheduleentered", {{"scheduleid", Kind::Integer}, {"occurrence", Kind::Date}}},
        {"duenotice", {{"daysahead", Kind::Integer}, {"lasttold", Kind::Date}}},
    };
    return all;
}

QString sqlType(Kind k) {
    switch (k) {
    case Kind::Amount:
    case Kind::Number:
        return QStringLiteral("real");
    case Kind::Integer:
        return QStringLiteral("integer");
    case Kind::YesNo:
        return QStringLiteral("integer not null default 0 check (%1 in (0, 1))");
    case Kind::Date:
    case Kind::Text:
        return QStringLiteral("text");
    }
    return QStringLiteral("text");
}

QString createStatement(const Table& t, bool ifMissing) {
    QStringList cols{QStringLiteral("%1 integer primary key").arg(QLatin1String(kKey))};
    for (const Column& c : t.columns) {
        QString type = sqlType(c.kind);
        if (type.contains(u'%'))
            type = type.arg(QLatin1String(c.name));
        cols << QStringLiteral("%1 %2").arg(QLatin1String(c.name), type);
    }
    return QStringLiteral("create table %1\"%2\" (%3)")
        .arg(ifMissing ? QStringLiteral("if not exists ") : QString(), QLatin1String(t.name),
             cols.join(QStringLiteral(", ")));
}

bool isOwnTable(const Table& t) {
    return QByteArrayView(t.name) == "schedule" || QByteArrayView(t.name) == "scheduleentered" ||
           QByteArrayView(t.name) == "duenotice";
}

QStringList createStatements() {
    QStringList out;
    for (const Table& t : tables())
        if (!isOwnTable(t))
            out << createStatement(t, false);
    return out;
}

void run(QSqlQuery& q, const QString& sql) {
    if (!q.exec(sql))
        throwSqlError(q.lastError());
}

} // namespace

QList<Column> columnsOf(const QString& table) {
    for (const Table& t : tables())
        if (table == QLatin1String(t.name))
            return t.columns;
    return {};
}

QList<DepositKind> depositKinds() {
    return {
        {"整存整取三个月", 3, 1.10}, {"整存整取半年", 6, 1.30},  {"整存整取一年", 12, 1.50},
        {"整存整取二年", 24, 2.10},  {"整存整取三年", 36, 2.75}, {"整存整取五年", 60, 2.75},
        {"整存零取一年", 12, 1.10},  {"整存零取三年", 36, 1.30}, {"整存零取五年", 60, 1.30},
        {"零存整取一年", 12, 1.10},  {"零存整取三年", 36, 1.30}, {"零存整取五年", 60, 1.30},
    };
}

void ensureIndexes(QSqlDatabase db) {
    QSqlQuery q(db);
    // The day and quarter filters compare adddate; the month and year filters compare the
    // first 7 and 4 characters of it, written exactly as the translated statements write them.
    run(q, QStringLiteral("create index if not exists mysalary_day on mysalary(adddate, sz)"));
    run(q, QStringLiteral(
               "create index if not exists mysalary_month on mysalary(substr(adddate,1,7), sz)"));
    // A year holds a tenth of a large ledger: its lists come out of these two indexes already
    // in date order, so the first screen needs no sort of the whole year.
    run(q, QStringLiteral("drop index if exists mysalary_year"));
    run(q, QStringLiteral("create index if not exists mysalary_year_date on "
                          "mysalary(substr(adddate,1,4), adddate)"));
    run(q, QStringLiteral("create index if not exists mysalary_year_sz on "
                          "mysalary(substr(adddate,1,4), sz, adddate)"));
}

void ensureSchedules(QSqlDatabase db) {
    TransactionGuard transaction(db);
    QSqlQuery q(db);
    for (const Table& t : tables())
        if (isOwnTable(t))
            run(q, createStatement(t, true));
    // Each occurrence is entered once; the entries of a schedule go with it, so a schedule
    // made later under a reused key starts afresh.
    run(q, QStringLiteral("create unique index if not exists scheduleentered_occurrence on "
                          "scheduleentered(scheduleid, occurrence)"));
    run(q, QStringLiteral("create trigger if not exists schedule_forget after delete on "
                          "schedule begin delete from scheduleentered where scheduleid = "
                          "old.id; end"));
    run(q, QStringLiteral("insert into duenotice (daysahead, lasttold) select %1, null "
                          "where not exists (select 1 from duenotice)")
               .arg(kInitialDaysAhead));
    q.finish();
    transaction.commit();
}

void ensureLedgerTotals(QSqlDatabase db) {
    ledgertotals::ensure(db);
}

bool createDatabase(const QString& path) {
    if (QFileInfo::exists(path))
        return false;
    const QString temp =
        path + QStringLiteral(".new-") + QUuid::createUuid().toString(QUuid::WithoutBraces).left(8);
    {
        QFile f(temp);
        if (!f.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            throw AppError(
                QStringLiteral("Cannot create file \"%1\". %2").arg(temp, f.errorString()));
        // Owner-only books; a file system without permissions keeps its own, which is logged.
        if (!f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner))
            qCWarning(lcData, "could not make '%s' readable by its owner only: %s",
                      qPrintable(temp), qPrintable(f.errorString()));
    }
    try {
        Connection c = Connection::toFile(temp);
        QSqlDatabase db = c.database();
        QSqlQuery q(db);
        // Large pages: counting the rows and summing over a period read whole indexes, and
        // with 64 KiB pages that is a sixteenth of the page reads. Only a new file takes it.
        run(q, QStringLiteral("pragma page_size=65536"));
        run(q, QStringLiteral("pragma journal_mode=wal"));
        TransactionGuard transaction(db);
        for (const QString& s : createStatements())
            run(q, s);
        ensureIndexes(db);
        q.prepare(QStringLiteral(
            "insert into bankinterest (interestname, interestmonth, interest) values (?, ?, ?)"));
        for (const DepositKind& k : depositKinds()) {
            q.addBindValue(QString::fromUtf8(k.name));
            q.addBindValue(k.months);
            q.addBindValue(k.rate);
            if (!q.exec())
                throwSqlError(q.lastError());
        }
        q.prepare(QStringLiteral("insert into tax (interesttax) values (?)"));
        q.addBindValue(kInitialInterestTax);
        if (!q.exec())
            throwSqlError(q.lastError());
        run(q, QStringLiteral("insert into user (id, password) values (1, '')"));
        q.finish();
        transaction.commit();
        ensureLedgerTotals(db);
        ensureImportTables(db);
        ensureSchedules(db);
    } catch (...) {
        QFile::remove(temp);
        QFile::remove(temp + QStringLiteral("-wal"));
        QFile::remove(temp + QStringLiteral("-shm"));
        throw;
    }
    // link() fails when the target exists: a file that appeared meanwhile is never replaced.
    const QByteArray from = QFile::encodeName(temp);
    const QByteArray to = QFile::encodeName(path);
    int rc = ::link(from.constData(), to.constData());
    int err = errno;
    if (rc != 0 && (err == EPERM || err == ENOTSUP || err == EOPNOTSUPP || err == ENOSYS)) {
        // File systems without hard links (a FAT stick, say): rename, after a last look.
        if (QFileInfo::exists(path)) {
            rc = -1;
            err = EEXIST;
        } else {
            rc = ::rename(from.constData(), to.constData());
            err = errno;
        }
    }
    ::unlink(from.constData());
    if (rc != 0) {
        if (err == EEXIST)
            return false;
        throw AppError(QStringLiteral("Cannot create file \"%1\". %2")
                           .arg(path, QString::fromLocal8Bit(std::strerror(err))));
    }
    return true;
}

} // namespace schema
