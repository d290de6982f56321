#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

struct sqlite3;
struct sqlite3_stmt;

namespace bench {

// One connection to a database file through the SQLite C API, with nothing in between: the
// generator writes through it, and the benchmark's floors run the actions' statements on it.
class RawDb {
public:
    // Opens `path` for reading and writing (never creates it); throws AppError on failure.
    explicit RawDb(const QString& path);
    ~RawDb();
    RawDb(const RawDb&) = delete;
    RawDb& operator=(const RawDb&) = delete;

    // Runs one statement, reading every column of every row as a caller would, to its end or
    // to its first `maxRows` rows (what a grid fetches for its first screen). Returns the
    // number of rows read.
    qint64 run(const QString& sql, qint64 maxRows = -1);
    // The first column of the first row as a whole number (0 when there is no row).
    qint64 integer(const QString& sql);
    // The first column of every row, as text.
    QStringList texts(const QString& sql);

    sqlite3* handle() const { return m_db; }

private:
    sqlite3* m_db = nullptr;
};

// A prepared statement that is bound and stepped many times (the batches of inserts).
class RawStatement {
public:
    RawStatement(RawDb& db, const QString& sql);
    ~RawStatement();
    RawStatement(const RawStatement&) = delete;
    RawStatement& operator=(const RawStatement&) = delete;

    // Parameters are numbered from 1.
    void bindText(int i, const QByteArray& utf8);
    void bindText(int i, const QString& text) { bindText(i, text.toUtf8()); }
    void bindDouble(int i, double v);
    void bindInteger(int i, qint64 v);
    void bindNull(int i);
    // Steps the bound statement to its end and resets it for the next binding.
    void exec();

private:
    RawDb& m_db;
    sqlite3_stmt* m_stmt = nullptr;
};

} // namespace bench
