#include "data/storedrows.h"

#include "data/fieldvalues.h"
#include "data/tabledataset.h"
#include "platform/apperror.h"

#include <QSqlDriver>
#include <sqlite3.h>

namespace storedrows {
namespace {

sqlite3* handleOf(const QSqlDatabase& db) {
    if (!db.isOpen() || !db.driver())
        return nullptr;
    const QVariant h = db.driver()->handle();
    if (qstrcmp(h.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3* const*>(h.constData());
}

} // namespace

bool StoredRow::isText(int i) const {
    return sqlite3_column_type(m_statement, i) == SQLITE_TEXT;
}

QByteArrayView StoredRow::utf8(int i) const {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_statement, i));
    return QByteArrayView(text, sqlite3_column_bytes(m_statement, i));
}

QVariant StoredRow::value(int i) const {
    // The value as the SQL driver would read it, then as the dataset holds it.
    QVariant stored;
    switch (sqlite3_column_type(m_statement, i)) {
    case SQLITE_NULL:
        break;
    case SQLITE_INTEGER:
        stored = qlonglong(sqlite3_column_int64(m_statement, i));
        break;
    case SQLITE_FLOAT:
        stored = sqlite3_column_double(m_statement, i);
        break;
    case SQLITE_BLOB:
        stored = QByteArray(static_cast<const char*>(sqlite3_column_blob(m_statement, i)),
                            sqlite3_column_bytes(m_statement, i));
        break;
    default:
        stored = QString::fromUtf8(utf8(i));
        break;
    }
    return fieldvalues::normalised(m_kinds.at(i), stored);
}

bool streamable(const TableDataset& d) {
    return d.isOpen() && !d.isEditing() && !d.hasPendingChanges() &&
           handleOf(d.database()) != nullptr;
}

void forEachRow(const TableDataset& d, const QList<int>& fields,
                const std::function<bool(const StoredRow&)>& onRow) {
    sqlite3* db = handleOf(d.database());
    if (!db)
        throw AppError(QStringLiteral("The books are not open"));
    QStringList names;
    QList<schema::Kind> kinds;
    for (int f : fields) {
        names << QStringLiteral("\"%1\"").arg(d.fieldName(f));
        kinds << d.fieldKind(f);
    }
    const QString sql = QStringLiteral("select %1 from \"%2\" order by %3")
                            .arg(names.isEmpty() ? QStringLiteral("1") : names.join(u','),
                                 d.table(), QString::fromLatin1(schema::kKey));
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &stmt, nullptr) != SQLITE_OK)
        throw AppError(QString::fromUtf8(sqlite3_errmsg(db)));
    const StoredRow row(stmt, kinds);
    int rc = SQLITE_ROW;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        if (!onRow(row)) {
            rc = SQLITE_DONE;
            break;
        }
    }
    const QString error = QString::fromUtf8(sqlite3_errmsg(db));
    sqlite3_finalize(stmt);
    if (rc != SQLITE_DONE)
        throw AppError(error);
}

} // namespace storedrows
