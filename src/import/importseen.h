#pragma once

#include "import/importrules.h"

#include <QDate>
#include <QList>
#include <QSqlDatabase>

// The books' memory of imported rows as their bills stated them (table importseen: id,
// batchid, salaryid, source, rowkey, adddate, cents, direction, method, bank, account,
// rowtext, memo), so that a statement of another source imported later can tell a payment
// it shows again, or the other end of a move between the user's own accounts. The ticked
// rows of an import point to their entry (salaryid; a trigger forgets them with it); an app's
// withdrawal or top-up, which became no entry, is remembered with salaryid null. Taking an
// import back removes its rows (by batchid).
namespace importbooks {

inline constexpr const char* kSeenTable = "importseen";

// Remembers the rows of `preview` that rememberedRows() names, as rows of import `batchId`
// whose ticked new rows became the entries numbered from `firstEntryId` on, in their order,
// inside the caller's transaction. A skipped row of the same source and row key remembered
// before is not remembered twice.
void rememberRows(QSqlDatabase db, qint64 batchId, qint64 firstEntryId,
                  const bills::Preview& preview);

// The rows remembered with dates from `from` to `to` (both included), oldest first; none when
// the books have no such table (read-only books of an older version).
QList<bills::ImportedEntry> rememberedBetween(QSqlDatabase db, const QDate& from, const QDate& to);

} // namespace importbooks
