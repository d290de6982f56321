#include "data/ledgertotals.h"

#include "data/connection.h"
#include "data/dialect.h"
#include "data/wholeledger.h"

#include <QHash>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>

namespace ledgertotals {
namespace {

// One kept total: the table, its key columns (in the order of its index) and its index name.
struct Totals {
    const char* table;
    QStringList keys;
    const char* index;
};

const QList<Totals>& allTotals() {
    static const QList<Totals> all{
        {kDayTable, {QStringLiteral("sz"), QStringLiteral("adddate")}, "mysalary_day_totals_key"},
        {kCategoryTable,
         {QStringLiteral("sz"), QStringLiteral("szdl")},
         "mysalary_category_totals_key"},
    };
    return all;
}

// A group's sum as sum(money) gives it: NULL when no row of the group has an amount.
const QString kSum = QStringLiteral("case when sum(amounts)>0 then sum(total) end");

// The rows of a group are matched with IS, so that a NULL key is a group of its own, as it is
// in a group by.
QString keyMatch(const Totals& t, const QString& row) {
    QStringList parts;
    for (const QString& k : t.keys)
        parts << QStringLiteral("%1 IS %2.%1").arg(k, row);
    return parts.join(QStringLiteral(" AND "));
}

// Counts `row` (new or old) into its group, making the group when it is missing.
QString addRow(const Totals& t) {
    QStringList newKeys;
    for (const QString& k : t.keys)
        newKeys << QStringLiteral("new.") + k;
    return QStringLiteral("INSERT INTO %1 (%2, entries, amounts, total) SELECT %3, 0, 0, 0.0 "
                          "WHERE NOT EXISTS (SELECT 1 FROM %1 WHERE %4); "
                          "UPDATE %1 SET entries = entries + 1, "
                          "amounts = amounts + (new.money IS NOT NULL), "
                          "total = total + coalesce(new.money, 0) WHERE %4; ")
        .arg(QLatin1String(t.table), t.keys.join(QStringLiteral(", ")),
             newKeys.join(QStringLiteral(", ")), keyMatch(t, QStringLiteral("new")));
}

// Takes `old` out of its group; a group without rows goes, and a group without amounts starts
// again from an exact zero.
QString removeRow(const Totals& t) {
    return QStringLiteral("UPDATE %1 SET entries = entries - 1, "
                          "amounts = amounts - (old.money IS NOT NULL), "
                          "total = CASE WHEN amounts - (old.money IS NOT NULL) = 0 THEN 0.0 "
                          "ELSE total - coalesce(old.money, 0) END WHERE %2; "
                          "DELETE FROM %1 WHERE entries <= 0 AND %2; ")
        .arg(QLatin1String(t.table), keyMatch(t, QStringLiteral("old")));
}

// Every object the totals need, by name, with the text SQLite keeps for it in sqlite_master
// (upper-case leading keywords, as SQLite writes them there).
QList<std::pair<QString, QString>> objects() {
    QList<std::pair<QString, QString>> out;
    QString added, removed;
    for (const Totals& t : allTotals()) {
        QStringList keyColumns;
        for (const QString& k : t.keys)
            keyColumns << k + QStringLiteral(" text");
        out.append({QLatin1String(t.table),
                    QStringLiteral("CREATE TABLE %1 (%2, entries integer not null, "
                                   "amounts integer not null, total real not null)")
                        .arg(QLatin1String(t.table), keyColumns.join(QStringLiteral(", ")))});
        // The amounts ride along in the index, so a statement over the totals reads the index
        // alone.
        out.append(
            {QLatin1String(t.index), QStringLiteral("CREATE INDEX %1 ON %2 (%3, amounts, total)")
                                         .arg(QLatin1String(t.index), QLatin1String(t.table),
                                              t.keys.join(QStringLiteral(", ")))});
        added += addRow(t);
        removed += removeRow(t);
    }
    out.append({QStringLiteral("mysalary_totals_insert"),
                QStringLiteral("CREATE TRIGGER mysalary_totals_insert AFTER INSERT ON mysalary "
                               "BEGIN %1END")
                    .arg(added)});
    out.append({QStringLiteral("mysalary_totals_delete"),
                QStringLiteral("CREATE TRIGGER mysalary_totals_delete AFTER DELETE ON mysalary "
                               "BEGIN %1END")
                    .arg(removed)});
    out.append({QStringLiteral("mysalary_totals_update"),
                QStringLiteral("CREATE TRIGGER mysalary_totals_update AFTER UPDATE OF adddate, "
                               "sz, szdl, money ON mysalary BEGIN %1%2END")
                    .arg(removed, added)});
    return out;
}

void run(QSqlQuery& q, const QString& sql) {
    if (!q.exec(sql))
        throwSqlError(q.lastError());
}

qint64 integer(QSqlQuery& q, const QString& sql) {
    run(q, sql);
    return q.next() ? q.value(0).toLongLong() : 0;
}

// Whether every row of mysalary is counted once in each table of totals.
bool accountsForEveryRow(QSqlQuery& q) {
    const qint64 rows = integer(q, QStringLiteral("select count(*) from mysalary"));
    for (const Totals& t : allTotals())
        if (integer(q, QStringLiteral("select coalesce(sum(entries), 0) from %1")
                           .arg(QLatin1String(t.table))) != rows)
            return false;
    return true;
}

void fill(QSqlQuery& q) {
    for (const Totals& t : allTotals()) {
        const QString keys = t.keys.join(QStringLiteral(", "));
        run(q, QStringLiteral("delete from %1").arg(QLatin1String(t.table)));
        run(q, QStringLiteral("insert into %1 (%2, entries, amounts, total) select %2, "
                              "count(*), count(money), total(money) from mysalary group by %2")
                   .arg(QLatin1String(t.table), keys));
    }
}

} // namespace

void ensure(QSqlDatabase db) {
    QSqlQuery q(db);
    QHash<QString, QString> stored;
    run(q, QStringLiteral("select name, sql from sqlite_master where name like 'mysalary%'"));
    while (q.next())
        stored.insert(q.value(0).toString(), q.value(1).toString());
    const auto wanted = objects();
    bool same = true;
    for (const auto& [name, sql] : wanted)
        same = same && stored.value(name) == sql;
    if (same && accountsForEveryRow(q))
        return;

    if (!db.transaction())
        throwSqlError(db.lastError());
    try {
        if (!same) {
            // Triggers first, then indexes and tables: nothing refers to a dropped object.
            for (auto it = wanted.crbegin(); it != wanted.crend(); ++it) {
                const QString kind = it->second.section(u' ', 1, 1);
                run(q, QStringLiteral("DROP %1 IF EXISTS %2").arg(kind, it->first));
            }
            for (const auto& [name, sql] : wanted)
                run(q, sql);
        }
        fill(q);
        q.finish();
        if (!db.commit())
            throwSqlError(db.lastError());
    } catch (...) {
        q.finish();
        db.rollback();
        throw;
    }
}

QString statementOverTotals(const QString& statement) {
    // Each whole-ledger statement and its answer over the totals, with the same columns and
    // rows: a group's sum read from the totals, the month label cut from the day as left()
    // would.
    static const QHash<QString, QString> overTotals = [] {
        const QString cat = QLatin1String(kCategoryTable);
        const QString day = QLatin1String(kDayTable);
        const auto byDay = [&](const char* sz) {
            return QStringLiteral("select substr(adddate,1,7) as x, %1 as y from %2 where "
                                  "sz='%3' group by adddate")
                .arg(kSum, day, QString::fromUtf8(sz));
        };
        const auto byMajor = [&](const char* sz) {
            return QStringLiteral("select szdl as x, %1 as y from %2 where sz='%3' group by szdl")
                .arg(kSum, cat, QString::fromUtf8(sz));
        };
        const auto sum = [&](const char* sz) {
            return QStringLiteral("select %1 as \"sum(money)\" from %2 where sz='%3'")
                .arg(kSum, cat, QString::fromUtf8(sz));
        };
        return QHash<QString, QString>{
            {wholeledger::kByDirection,
             QStringLiteral("select sz as x,%1 as y from %2 group by sz").arg(kSum, cat)},
            {wholeledger::kByMajorCategory,
             QStringLiteral("select szdl as x,%1 as y from %2 group by szdl").arg(kSum, cat)},
            {wholeledger::kIncomeByDay, byDay("收入")},
            {wholeledger::kExpenditureByDay, byDay("支出")},
            {wholeledger::kIncomeByMajorCategory, byMajor("收入")},
            {wholeledger::kExpenditureByMajorCategory, byMajor("支出")},
            {wholeledger::kIncomeSum, sum("收入")},
            {wholeledger::kExpenditureSum, sum("支出")},
        };
    }();
    return overTotals.value(statement);
}

QString sqliteStatement(const QString& statement) {
    const QString overTotals = statementOverTotals(statement);
    return overTotals.isEmpty() ? toSqlite(statement) : overTotals;
}

} // namespace ledgertotals
