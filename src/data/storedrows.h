#pragma once

#include "data/schema.h"

#include <QByteArrayView>
#include <QList>
#include <QVariant>
#include <functional>

class TableDataset;
struct sqlite3_stmt;

// Reads the rows of a dataset's table straight from SQLite, one statement for all of them.
// This is what lets a million-row ledger be exported in seconds; the rows are what the dataset
// shows only while it holds no pending change, which streamable() tells.
namespace storedrows {

// One stored row while it is being read: valid only inside the call that receives it.
class StoredRow {
public:
    StoredRow(sqlite3_stmt* statement, const QList<schema::Kind>& kinds)
        : m_statement(statement), m_kinds(kinds) {}

    // Whether field `i` (of the fields asked for) is stored as text, and its UTF-8 bytes as
    // stored then.
    bool isText(int i) const;
    QByteArrayView utf8(int i) const;
    // Field `i` as the dataset holds it (fieldvalues::normalised).
    QVariant value(int i) const;

private:
    sqlite3_stmt* m_statement;
    const QList<schema::Kind>& m_kinds;
};

// Whether the stored rows are what `dataset` shows: open, no row under edit, nothing pending.
bool streamable(const TableDataset& dataset);

// Reads `fields` (fields of the dataset) of every stored row, in key order — the order the
// dataset shows them in — and calls `onRow` for each until it returns false. Throws AppError
// when the books are not open or the statement fails.
void forEachRow(const TableDataset& dataset, const QList<int>& fields,
                const std::function<bool(const StoredRow&)>& onRow);

} // namespace storedrows
