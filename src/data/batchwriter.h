#pragma once

#include "data/schema.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QSqlDatabase>
#include <QVariant>
#include <functional>

// The pending changes of a table dataset as one save sends them.
struct Batch {
    QSet<qint64> deleted;                        // keys of deleted rows
    QHash<qint64, QHash<int, QVariant>> changed; // changed values by key, then by field
    QList<const QList<QVariant>*> inserted;      // values of the new rows, in the order shown
    // The values of each deleted or changed row as they were read when the row was loaded, in
    // column order (as fieldvalues::normalised() gives them): the row must still hold them.
    QHash<qint64, QList<QVariant>> asRead;
};

// Writes `batch` into `table` in one transaction: deletions, then changes, then the new rows
// in order (so they take the next keys in that order). `beforeCommit` runs inside the
// transaction after the writes, to read what the batch left. Throws AppError with the
// database's text when anything is refused; the database is unchanged then.
// Before anything is written, every deleted or changed row that has values in `asRead` is
// read again: when another program deleted it or changed any of its values meanwhile, the
// whole batch is refused with a message that shows the row as it was read.
void writeBatch(QSqlDatabase db, const QString& table, const QList<schema::Column>& columns,
                const Batch& batch, const std::function<void()>& beforeCommit);
