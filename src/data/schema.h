#pragma once

#include <QList>
#include <QSqlDatabase>
#include <QString>

// The six tables of the books (and three of our own), their column kinds, the rows that must exist,
// and the creation of a new database file.
namespace schema {

enum class Kind { Date, Amount, Number, Integer, YesNo, Text };

struct Column {
    const char* name;
    Kind kind;
};

// The columns of `table` in stored order, without the hidden key; empty for an unknown table.
QList<Column> columnsOf(const QString& table);

// The name of the hidden integer key of every table.
inline constexpr const char* kKey = "id";

// The twelve deposit kinds in seeding order with their terms in months and initial rates.
struct DepositKind {
    const char* name;
    int months;
    double rate;
};
QList<DepositKind> depositKinds();

// The initial interest tax rate, in percent.
inline constexpr double kInitialInterestTax = 0;

// Creates the database file at `path` with the six tables, their indexes and the required
// rows, owner-only permissions. Built under a temporary name and moved into place, so a
// failed creation leaves nothing; never touches an existing file (returns false then).
// Throws AppError when the file cannot be made.
bool createDatabase(const QString& path);

// Creates the indexes that serve the period filters where they are missing (older files).
void ensureIndexes(QSqlDatabase db);

// How many days ahead a deposit's maturity is told, until the user sets it.
inline constexpr int kInitialDaysAhead = 30;

// Creates the tables of recurring entries (`schedule`, `scheduleentered`) and of the
// reminder (`duenotice`, with its single row) where they are missing (older files).
void ensureSchedules(QSqlDatabase db);

// Creates or repairs the ledger's kept totals (data/ledgertotals.h); older files get them at
// start-up. Throws AppError when the file cannot take them.
void ensureLedgerTotals(QSqlDatabase db);

// Creates the tables where imports of bills are recorded (importbatch: one row per import;
// importentry: the bill rows each ledger entry came from; importseen: the rows as their bills
// stated them, for matching statements of other sources) where they are missing, with
// triggers that forget the records of an entry deleted from mysalary. Throws AppError when
// the file cannot take them.
void ensureImportTables(QSqlDatabase db);

} // namespace schema
