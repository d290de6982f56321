#include "data/sqlitehandle.h"

#include <QFileInfo>
#include <QUrl>
#include <sqlite3.h>

namespace {

QString uriOf(const QString& path, const QString& query) {
    return QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toString(QUrl::FullyEncoded) +
           u'?' + query;
}

int stopRequested(void* stop) {
    return static_cast<const std::atomic_bool*>(stop)->load() ? 1 : 0;
}

// Waits for a lock another program holds, for five seconds at most, and not once asked to stop.
int waitForLock(void* stop, int tries) {
    if (stop && static_cast<const std::atomic_bool*>(stop)->load())
        return 0;
    if (tries >= 500)
        return 0;
    sqlite3_sleep(10);
    return 1;
}

} // namespace

SqliteHandle::SqliteHandle(const QString& path, books::Access access) {
    // Books that can be written are read through their log like any reader; the others as
    // the data layer reads them.
    const QString query = access == books::Access::ReadWrite
                              ? books::uriQuery(books::Access::ReadOnly)
                              : books::uriQuery(access);
    open(uriOf(path, query), SQLITE_OPEN_READONLY);
}

SqliteHandle::SqliteHandle(const QString& path) {
    open(uriOf(path, QStringLiteral("mode=rw")), SQLITE_OPEN_READWRITE);
}

void SqliteHandle::open(const QString& uri, int flags) {
    m_rc = sqlite3_open_v2(uri.toUtf8().constData(), &m_db, flags | SQLITE_OPEN_URI, nullptr);
    m_lastRc = m_rc;
    if (m_db)
        sqlite3_busy_handler(m_db, waitForLock, nullptr);
}

SqliteHandle::~SqliteHandle() {
    sqlite3_close_v2(m_db);
}

QString SqliteHandle::error() const {
    if (!m_db)
        return QString::fromUtf8(sqlite3_errstr(m_lastRc));
    return QString::fromUtf8(sqlite3_errmsg(m_db));
}

void SqliteHandle::stopWhen(const std::atomic_bool* stop) {
    m_stop = stop;
    if (!m_db)
        return;
    void* flag = const_cast<std::atomic_bool*>(stop);
    sqlite3_progress_handler(m_db, stop ? 1000 : 0, stop ? stopRequested : nullptr, flag);
    sqlite3_busy_handler(m_db, waitForLock, flag);
}

int SqliteHandle::eachRow(const char* sql, const std::function<void(sqlite3_stmt*)>& row) {
    sqlite3_stmt* stmt = nullptr;
    int rc = sqlite3_prepare_v2(m_db, sql, -1, &stmt, nullptr);
    while (rc == SQLITE_OK || rc == SQLITE_ROW) {
        rc = sqlite3_step(stmt);
        if (rc == SQLITE_ROW && row)
            row(stmt);
    }
    // The extended code tells a full disk's I/O failure from others.
    if (rc != SQLITE_DONE && m_db)
        rc = sqlite3_extended_errcode(m_db);
    sqlite3_finalize(stmt);
    m_lastRc = rc;
    return rc;
}

int SqliteHandle::exec(const char* sql) {
    return eachRow(sql, {});
}
