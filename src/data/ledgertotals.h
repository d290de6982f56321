#pragma once

#include <QSqlDatabase>
#include <QString>

// Totals of the ledger kept beside it, so that figures over the whole ledger do not read a
// million rows: the sums per day and direction, and per direction and major category. Triggers
// on mysalary keep them current inside the same statement (and so the same transaction) as
// every insert, change and delete, whoever makes it — the program or a plain SQLite tool.
namespace ledgertotals {

// The table of sums per (adddate, sz), and the table of sums per (sz, szdl).
inline constexpr const char* kDayTable = "mysalary_day_totals";
inline constexpr const char* kCategoryTable = "mysalary_category_totals";

// Creates the tables, their indexes and the triggers where any of them is missing or differs
// from what this version writes, and fills the tables afresh when they do not account for
// every row of mysalary (new structures, triggers dropped or replaced by a tool, rows removed
// by a REPLACE that fires no delete trigger). All of it in one transaction.
void ensure(QSqlDatabase db);

// The statement over the totals that returns exactly the rows of `statement` — one of the
// whole-ledger statements of data/wholeledger.h, compared as the same text — or the empty
// text for any other statement.
QString statementOverTotals(const QString& statement);

// The SQLite statement that runs for `statement` (in the windows' dialect): its answer over
// the totals when it is a whole-ledger statement, else its translation (toSqlite).
QString sqliteStatement(const QString& statement);

} // namespace ledgertotals
