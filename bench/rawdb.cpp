#include "rawdb.h"

#include "platform/apperror.h"

#include <sqlite3.h>

namespace bench {
namespace {

[[noreturn]] void fail(sqlite3* db, const QString& what) {
    throw AppError(QStringLiteral("%1: %2").arg(what, QString::fromUtf8(sqlite3_errmsg(db))));
}

// Keeps the values read from the rows alive, so the compiler cannot skip reading them.
volatile qint64 g_sink = 0;

} // namespace

RawDb::RawDb(const QString& path) {
    const QByteArray name = path.toUtf8();
    if (sqlite3_open_v2(name.constData(), &m_db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        const QString error = QString::fromUtf8(sqlite3_errmsg(m_db));
        sqlite3_close(m_db);
        m_db = nullptr;
        throw AppError(QStringLiteral("Cannot open %1: %2").arg(path, error));
    }
    // As every connection of the program waits (data/connection.cpp).
    sqlite3_busy_timeout(m_db, 5000);
}

RawDb::~RawDb() {
    sqlite3_close(m_db);
}

qint64 RawDb::run(const QString& sql, qint64 maxRows) {
    const QByteArray text = sql.toUtf8();
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(m_db, text.constData(), int(text.size()), &stmt, nullptr) != SQLITE_OK)
        fail(m_db, sql);
    qint64 rows = 0;
    qint64 sink = 0;
    int rc = SQLITE_DONE;
    while ((maxRows < 0 || rows < maxRows) && (rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        ++rows;
        const int columns = sqlite3_column_count(stmt);
        for (int c = 0; c < columns; ++c) {
            switch (sqlite3_column_type(stmt, c)) {
            case SQLITE_INTEGER:
                sink += sqlite3_column_int64(stmt, c);
                break;
            case SQLITE_FLOAT:
                sink += qint64(sqlite3_column_double(stmt, c));
                break;
            case SQLITE_TEXT:
            case SQLITE_BLOB:
                sink += sqlite3_column_bytes(stmt, c);
                break;
            default:
                break;
            }
        }
    }
    sqlite3_finalize(stmt);
    if (rc != SQLITE_DONE && rc != SQLITE_ROW)
        fail(m_db, sql);
    g_sink = g_sink + sink;
    return rows;
}

qint64 RawDb::integer(const QString& sql) {
    const QByteArray text = sql.toUtf8();
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(m_db, text.constData(), int(text.size()), &stmt, nullptr) != SQLITE_OK)
        fail(m_db, sql);
    qint64 v = 0;
    const int rc = sqlite3_step(stmt);
    if (rc == SQLITE_ROW)
        v = sqlite3_column_int64(stmt, 0);
    sqlite3_finalize(stmt);
    if (rc != SQLITE_ROW && rc != SQLITE_DONE)
        fail(m_db, sql);
    return v;
}

QStringList RawDb::texts(const QString& sql) {
    const QByteArray text = sql.toUtf8();
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(m_db, text.constData(), int(text.size()), &stmt, nullptr) != SQLITE_OK)
        fail(m_db, sql);
    QStringList out;
    int rc = SQLITE_DONE;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW)
        out << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
    sqlite3_finalize(stmt);
    if (rc != SQLITE_DONE)
        fail(m_db, sql);
    return out;
}

RawStatement::RawStatement(RawDb& db, const QString& sql) : m_db(db) {
    const QByteArray text = sql.toUtf8();
    if (sqlite3_prepare_v2(db.handle(), text.constData(), int(text.size()), &m_stmt, nullptr) !=
        SQLITE_OK)
        fail(db.handle(), sql);
}

RawStatement::~RawStatement() {
    sqlite3_finalize(m_stmt);
}

void RawStatement::bindText(int i, const QByteArray& utf8) {
    sqlite3_bind_text(m_stmt, i, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
}

void RawStatement::bindDouble(int i, double v) {
    sqlite3_bind_double(m_stmt, i, v);
}

void RawStatement::bindInteger(int i, qint64 v) {
    sqlite3_bind_int64(m_stmt, i, v);
}

void RawStatement::bindNull(int i) {
    sqlite3_bind_null(m_stmt, i);
}

void RawStatement::exec() {
    const int rc = sqlite3_step(m_stmt);
    if (rc != SQLITE_DONE && rc != SQLITE_ROW)
        fail(m_db.handle(), QString::fromUtf8(sqlite3_sql(m_stmt)));
    sqlite3_reset(m_stmt);
    sqlite3_clear_bindings(m_stmt);
}

} // namespace bench
