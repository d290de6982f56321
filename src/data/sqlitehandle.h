#pragma once

#include "data/booksaccess.h"

#include <QString>
#include <atomic>
#include <functional>

struct sqlite3;
struct sqlite3_stmt;

// A connection of the SQLite C API that closes itself, for the checks and copies of whole
// files (backups), which need more than Qt SQL offers: result codes, the online backup and a
// way to stop a long statement. Belongs to the one thread that made it.
class SqliteHandle {
public:
    // Opens `path` read-only as `access` allows it (read-only books are opened without making
    // anything beside them).
    SqliteHandle(const QString& path, books::Access access);
    // Opens `path` for reading and writing, creating nothing.
    explicit SqliteHandle(const QString& path);
    ~SqliteHandle();
    SqliteHandle(const SqliteHandle&) = delete;
    SqliteHandle& operator=(const SqliteHandle&) = delete;

    sqlite3* get() const { return m_db; }
    int openResult() const { return m_rc; }
    // SQLite's text for the last failure.
    QString error() const;

    // While a statement runs, `stop` is polled; once set, the statement ends with
    // SQLITE_INTERRUPT.
    void stopWhen(const std::atomic_bool* stop);
    // Runs `sql`, passing every row to `row`; returns SQLITE_DONE or the failing result.
    int eachRow(const char* sql, const std::function<void(sqlite3_stmt*)>& row);
    // Runs `sql` without looking at its rows.
    int exec(const char* sql);

private:
    void open(const QString& uri, int flags);

    sqlite3* m_db = nullptr;
    int m_rc = 0;
    int m_lastRc = 0;
    const std::atomic_bool* m_stop = nullptr;
};
