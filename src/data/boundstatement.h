#pragma once

#include <QSqlDatabase>
#include <QString>

struct sqlite3;
struct sqlite3_stmt;

// One statement prepared once on an open Qt SQL connection and run straight through SQLite
// for many rows, each value bound as it is stored (text as UTF-8): the many-row writes of an
// import, where binding through Qt SQL cost more than the writing itself. Runs inside whatever
// transaction the connection holds.
class BoundStatement {
public:
    // Prepares `sql` on `db`; throws AppError when the connection is no SQLite one or the
    // statement does not compile.
    BoundStatement(const QSqlDatabase& db, const QString& sql);
    ~BoundStatement();
    BoundStatement(const BoundStatement&) = delete;
    BoundStatement& operator=(const BoundStatement&) = delete;

    // Parameters are numbered from 1. A null string is bound as NULL, as Qt SQL binds it.
    void bind(int i, const QString& text);
    // Empty text is stored as NULL.
    void bindOrNull(int i, const QString& text);
    void bind(int i, qint64 value);
    void bind(int i, double value);
    void bindNull(int i);
    // Steps the bound statement to its end and makes it ready for the next row; throws
    // AppError with SQLite's explained text when the books refuse.
    void exec();
    // The rows the last exec() changed, not counting those of triggers.
    int changes() const;

private:
    sqlite3* m_db = nullptr;
    sqlite3_stmt* m_stmt = nullptr;
};
