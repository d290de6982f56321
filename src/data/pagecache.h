#pragma once

#include "data/schema.h"

#include <QHash>
#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QVariant>
#include <memory>
#include <vector>

class Connection;

// The stored rows of one table in key order, read a page at a time and kept in a bounded
// cache so that memory does not grow with the table. A page that cannot be read whole (the
// statement fails, or the table lost rows under us) is kept as blank rows marked unreadable,
// and its failure is recorded until the owner takes it to report it.
class PageCache {
public:
    struct Row {
        qint64 id = 0;
        QList<QVariant> values; // one per column, as fieldvalues::normalised() gives them
        bool readable = true;
    };

    // Reads through whatever connection `connection` holds at the time (none: nothing).
    PageCache(const std::unique_ptr<Connection>& connection, QString table,
              QList<schema::Column> columns);

    // Starts over with `count` stored rows.
    void reset(int count);
    int count() const { return m_count; }

    // The stored row at `position` (0 .. count()-1), read with its page when needed.
    const Row& row(int position) const;
    // Why the row at `position` could not be read; empty when it was read.
    QString failureAt(int position) const;
    // The failure recorded since the last call, if any, and forgets it.
    QString takeFailure();

    // The number of rows in `table`; throws AppError with the database's text.
    static int countRows(QSqlDatabase db, const QString& table);
    // The position of the row with key `id` among `count` rows; `fromEnd` counts the rows at
    // and after the key instead of before it (the shorter side for a row in the second half).
    // Throws AppError with the database's text.
    static int positionOf(QSqlDatabase db, const QString& table, qint64 id, int count,
                          bool fromEnd);

private:
    struct Page {
        std::vector<Row> rows;
        QString failure;
    };
    const Page& page(int number) const;
    Page readPage(int number) const;

    QString m_table;
    QList<schema::Column> m_columns;
    QString m_selectList;
    const std::unique_ptr<Connection>& m_connection;
    int m_count = 0;
    mutable QHash<int, Page> m_pages;
    mutable QList<int> m_pageOrder;           // oldest first, for eviction
    mutable QHash<int, qint64> m_pageFirstId; // first key of each page read so far
    mutable QString m_failure;
};
