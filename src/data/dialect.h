#pragma once

#include <QString>

// Turns a statement written in the windows' SQL dialect into SQLite: date literals #d# become
// '<d>' (dates are stored as 'yyyy-MM-dd' text), and left(x,n) becomes substr(x,1,n).
// Quoted strings are left as they are; nothing else is rewritten. (The whole-ledger statements
// are answered from the kept totals before they get here: ledgertotals::sqliteStatement.)
// The text between two # marks always becomes one string literal (a # inside quotes never
// pairs, a quote inside is doubled), and any depth of nesting is translated without recursion.
QString toSqlite(const QString& statement);
