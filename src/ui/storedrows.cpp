#include "ui/storedrows.h"

#include "data/csvwriter.h"
#include "data/schema.h"
#include "data/tabledataset.h"
#include "platform/apperror.h"
#include "ui/gridmodel.h"

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

QString textOf(sqlite3_stmt* stmt, int i) {
    return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, i)),
                             sqlite3_column_bytes(stmt, i));
}

// A stored value as the dataset reads it (dates and texts as text, amounts as numbers unless
// stored as text, yes/no as bool with NULL as false).
QVariant valueOf(sqlite3_stmt* stmt, int i, schema::Kind kind) {
    const int type = sqlite3_column_type(stmt, i);
    if (type == SQLITE_NULL)
        return kind == schema::Kind::YesNo ? QVariant(false) : QVariant();
    switch (kind) {
    case schema::Kind::YesNo:
        return QVariant(sqlite3_column_int64(stmt, i) != 0);
    case schema::Kind::Amount:
    case schema::Kind::Number:
        return type == SQLITE_TEXT ? QVariant(textOf(stmt, i))
                                   : QVariant(sqlite3_column_double(stmt, i));
    case schema::Kind::Integer:
        return type == SQLITE_TEXT ? QVariant(textOf(stmt, i))
                                   : QVariant(qlonglong(sqlite3_column_int64(stmt, i)));
    case schema::Kind::Date:
    case schema::Kind::Text:
        if (type == SQLITE_FLOAT)
            return QVariant(QVariant(sqlite3_column_double(stmt, i)).toString());
        return QVariant(textOf(stmt, i));
    }
    return QVariant(textOf(stmt, i));
}

} // namespace

bool streamable(const GridModel& model) {
    const TableDataset* d = model.dataset();
    return d && d->isOpen() && !d->isEditing() && !d->hasPendingChanges() &&
           handleOf(d->database()) != nullptr;
}

void stream(const GridModel& model, const QList<int>& columns, CsvWriter& csv,
            const std::function<bool()>& afterRow) {
    const TableDataset* d = model.dataset();
    sqlite3* db = handleOf(d->database());
    if (!db)
        throw AppError(QStringLiteral("The books are not open"));
    QStringList names;
    QList<schema::Kind> kinds;
    QList<const GridColumn*> shown;
    QList<bool> asStored; // texts shown as stored: their UTF-8 bytes go out unchanged
    for (int c : columns) {
        names << QStringLiteral("\"%1\"").arg(d->fieldName(c));
        const schema::Kind kind = d->fieldKind(c);
        const GridColumn* g = model.column(c);
        kinds << kind;
        shown << g;
        asStored << (g && g->kind != ColumnKind::Amount && g->kind != ColumnKind::YesNo &&
                     (kind == schema::Kind::Date || kind == schema::Kind::Text));
    }
    const QString sql = QStringLiteral("select %1 from \"%2\" order by %3")
                            .arg(names.isEmpty() ? QStringLiteral("1") : names.join(u','),
                                 d->table(), QString::fromLatin1(schema::kKey));
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &stmt, nullptr) != SQLITE_OK)
        throw AppError(QString::fromUtf8(sqlite3_errmsg(db)));
    int rc = SQLITE_ROW;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        for (int i = 0; i < columns.size(); ++i) {
            if (asStored[i] && sqlite3_column_type(stmt, i) == SQLITE_TEXT) {
                const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, i));
                csv.writeField(QByteArrayView(text, sqlite3_column_bytes(stmt, i)));
            } else {
                csv.writeField(GridModel::exportText(shown[i], valueOf(stmt, i, kinds[i])));
            }
        }
        csv.endRecord();
        if (!afterRow()) {
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
