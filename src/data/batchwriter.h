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
};

// Writes `batch` into `table` in one transaction: deletions, then changes, then the new rows
// in order (so they take the next keys in that order). `beforeCommit` runs inside the
// transaction after the writes, to read what the batch left. Throws AppError with the
// database's text when anything is refused; the database is unchanged then.
void writeBatch(QSqlDatabase db, const QString& table, const QList<schema::Column>& columns,
                const Batch& batch, const std::function<void()>& beforeCommit);
