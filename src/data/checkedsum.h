#pragma once

#include <QString>
#include <QVariant>

class QueryDataset;

// Totals that a stored value cannot spoil unnoticed: books written by another tool may hold an
// infinite or huge amount, and a sum over it would print garbage or silently read as 0.
namespace checkedsum {

// Runs `sumStatement` ("select sum(<column>) from <table>[ where <condition>]", in the
// windows' dialect) on `query` and returns its value as read: null when no row counts.
// When a row that the sum covers holds a value that is no valid amount (infinite, or of a
// magnitude of formats::kAmountLimit or more), throws AppError naming the table, the row's
// position in the table and the stored value instead.
QVariant readSum(QueryDataset& query, const QString& sumStatement);

// The statement that finds the first row that `sumStatement` covers whose value is no valid
// amount: it returns the row's key and its value as text. Empty when the statement is not a
// plain sum over one table.
QString badRowStatement(const QString& sumStatement);

} // namespace checkedsum
