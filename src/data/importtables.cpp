#include "data/connection.h"
#include "data/schema.h"
#include "data/transactionguard.h"

#include <QSqlError>
#include <QSqlQuery>

namespace schema {

void ensureImportTables(QSqlDatabase db) {
    QSqlQuery q(db);
    const auto run = [&q](const char* sql) {
        if (!q.exec(QString::fromUtf8(sql)))
            throwSqlError(q.lastError());
    };
    TransactionGuard transaction(db);
    run("create table if not exists importbatch (id integer primary key, file text, source text, "
        "importedat text, entries integer)");
    run("create table if not exists importentry (id integer primary key, salaryid integer not "
        "null, batchid integer not null, source text, txno text, rowkey text, counterparty text, "
        "merchantno text)");
    run("create index if not exists importentry_salary on importentry(salaryid)");
    run("create index if not exists importentry_batch on importentry(batchid)");
    run("create index if not exists importentry_key on importentry(source, rowkey)");
    // An entry deleted in the ledger is no import any more: its key may later be taken by a
    // new entry, which taking back the import must never remove.
    run("create trigger if not exists importentry_forget after delete on mysalary begin delete "
        "from importentry where salaryid = old.id; end");
    // The rows as their bills stated them, for statements of other sources imported later.
    run("create table if not exists importseen (id integer primary key, batchid integer not "
        "null, salaryid integer, source text, rowkey text, adddate text, cents integer, "
        "direction text, method text, bank text, account text, rowtext text, memo text)");
    run("create index if not exists importseen_batch on importseen(batchid)");
    run("create index if not exists importseen_salary on importseen(salaryid)");
    run("create index if not exists importseen_date on importseen(adddate)");
    run("create trigger if not exists importseen_forget after delete on mysalary begin delete "
        "from importseen where salaryid = old.id; end");
    q.finish();
    transaction.commit();
}

} // namespace schema
