#include "import/mappingstore.h"

#include "platform/apperror.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace bills {

namespace {

[[noreturn]] void fail(const QSqlQuery& q) {
    const QSqlError e = q.lastError();
    throw AppError((e.databaseText().isEmpty() ? e.text() : e.databaseText()).trimmed());
}

bool hasTable(const QSqlDatabase& db) {
    return db.tables().contains(QStringLiteral("importmapping"));
}

void makeTable(const QSqlDatabase& db) {
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("CREATE TABLE IF NOT EXISTS importmapping (name text PRIMARY KEY "
                               "NOT NULL, header text NOT NULL, mapping text NOT NULL)")))
        fail(q);
}

QList<CsvMapping> select(const QSqlDatabase& db, const QString& where, const QVariant& value) {
    QList<CsvMapping> out;
    if (!hasTable(db))
        return out;
    QSqlQuery q(db);
    q.prepare(
        QStringLiteral("SELECT name, mapping FROM importmapping %1 ORDER BY name").arg(where));
    if (value.isValid())
        q.addBindValue(value);
    if (!q.exec())
        fail(q);
    while (q.next()) {
        CsvMapping m = mappingFromJson(q.value(1).toString());
        m.name = q.value(0).toString();
        out << m;
    }
    return out;
}

} // namespace

QList<CsvMapping> loadMappings(const QSqlDatabase& db) {
    return select(db, QString(), QVariant());
}

std::optional<CsvMapping> findMappingByName(const QSqlDatabase& db, const QString& name) {
    const QList<CsvMapping> found = select(db, QStringLiteral("WHERE name = ?"), name);
    return found.isEmpty() ? std::nullopt : std::optional<CsvMapping>(found.first());
}

std::optional<CsvMapping> findMappingByHeader(const QSqlDatabase& db, const QString& header) {
    const QList<CsvMapping> found = select(db, QStringLiteral("WHERE header = ?"), header);
    return found.isEmpty() ? std::nullopt : std::optional<CsvMapping>(found.first());
}

void saveMapping(const QSqlDatabase& db, const CsvMapping& mapping) {
    if (mapping.name.trimmed().isEmpty())
        throw AppError(QStringLiteral("列映射需要一个名称"));
    makeTable(db);
    QSqlQuery q(db);
    q.prepare(QStringLiteral(
        "INSERT OR REPLACE INTO importmapping (name, header, mapping) VALUES (?, ?, ?)"));
    q.addBindValue(mapping.name.trimmed());
    q.addBindValue(mapping.header);
    q.addBindValue(mappingToJson(mapping));
    if (!q.exec())
        fail(q);
}

bool removeMapping(const QSqlDatabase& db, const QString& name) {
    if (!hasTable(db))
        return false;
    QSqlQuery q(db);
    q.prepare(QStringLiteral("DELETE FROM importmapping WHERE name = ?"));
    q.addBindValue(name);
    if (!q.exec())
        fail(q);
    return q.numRowsAffected() > 0;
}

} // namespace bills
