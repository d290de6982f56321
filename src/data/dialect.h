#pragma once

#include <QString>

// Turns a statement written in the windows' SQL dialect into SQLite: date literals #d# become
// '<d>' (dates are stored as 'yyyy-MM-dd' text), and left(x,n) becomes substr(x,1,n).
// Quoted strings are left as they are; nothing else is rewritten, except that the fixed
// statements over the whole ledger are answered from its kept totals (data/ledgertotals.h).
QString toSqlite(const QString& statement);
