#pragma once

#include "data/bookslocation.h"

#include <QSqlDatabase>
#include <QVariantList>
#include <QString>

// One named connection to the books of this run. Each dataset owns one; the connection is
// removed when the object goes.
class Connection {
public:
    // Opens the books at `books`; throws AppError with the data layer's text when the file is
    // missing or cannot be opened as a database.
    explicit Connection(const BooksLocation& books);
    // Opens `databasePath` directly (start-up creation and tools).
    static Connection toFile(const QString& databasePath);
    Connection(Connection&& other) noexcept;
    Connection& operator=(Connection&&) = delete;
    Connection(const Connection&) = delete;
    ~Connection();

    QSqlDatabase database() const;
    const QString& name() const { return m_name; }
    // Whether the books could only be opened for reading (see books::accessOf).
    bool isReadOnly() const { return m_readOnly; }

private:
    struct FileTag {};
    Connection(FileTag, const QString& databasePath);
    void openFile(const QString& databasePath);
    QString m_name;
    bool m_readOnly = false;
};

// Throws AppError with the text of `error` when it is an error.
class QSqlError;
[[noreturn]] void throwSqlError(const QSqlError& error);

// Runs `sql` on `db` with `values` bound to its placeholders in order, forward only; throws
// AppError with the data layer's text when it cannot be prepared or run.
class QSqlQuery;
QSqlQuery runBound(QSqlDatabase db, const QString& sql, const QVariantList& values = {});
