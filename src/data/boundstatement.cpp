#include "data/boundstatement.h"

#include "data/sqlitetexts.h"
#include "platform/apperror.h"

#include <QSqlDriver>
#include <QVariant>
#include <sqlite3.h>

namespace {

QString errorOf(sqlite3* db) {
    return sqlitetexts::explained(QString::fromUtf8(sqlite3_errmsg(db)).trimmed());
}

} // namespace

BoundStatement::BoundStatement(const QSqlDatabase& db, const QString& sql) {
    const QVariant h = db.isOpen() && db.driver() ? db.driver()->handle() : QVariant();
    if (qstrcmp(h.typeName(), "sqlite3*") != 0 || !*static_cast<sqlite3* const*>(h.constData()))
        throw AppError(QStringLiteral("The books are not open"));
    m_db = *static_cast<sqlite3* const*>(h.constData());
    const QByteArray text = sql.toUtf8();
    if (sqlite3_prepare_v2(m_db, text.constData(), int(text.size()), &m_stmt, nullptr) != SQLITE_OK)
        throw AppError(errorOf(m_db));
}

BoundStatement::~BoundStatement() {
    sqlite3_finalize(m_stmt);
}

void BoundStatement::bind(int i, const QString& text) {
    // As Qt SQL binds it: a null string is NULL, an empty one empty text.
    if (text.isNull()) {
        bindNull(i);
        return;
    }
    const QByteArray utf8 = text.toUtf8();
    sqlite3_bind_text(m_stmt, i, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
}

void BoundStatement::bindOrNull(int i, const QString& text) {
    if (text.isEmpty())
        bindNull(i);
    else
        bind(i, text);
}

void BoundStatement::bind(int i, qint64 value) {
    sqlite3_bind_int64(m_stmt, i, value);
}

void BoundStatement::bind(int i, double value) {
    sqlite3_bind_double(m_stmt, i, value);
}

void BoundStatement::bindNull(int i) {
    sqlite3_bind_null(m_stmt, i);
}

void BoundStatement::exec() {
    const int rc = sqlite3_step(m_stmt);
    const QString error = rc == SQLITE_DONE || rc == SQLITE_ROW ? QString() : errorOf(m_db);
    sqlite3_reset(m_stmt);
    sqlite3_clear_bindings(m_stmt);
    if (!error.isEmpty())
        throw AppError(error);
}

int BoundStatement::changes() const {
    return sqlite3_changes(m_db);
}
