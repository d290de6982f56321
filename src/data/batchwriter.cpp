#include "data/batchwriter.h"

#include "data/connection.h"
#include "data/fieldvalues.h"
#include "data/transactionguard.h"

#include <QSqlError>
#include <QSqlQuery>
#include <algorithm>

namespace {

QString fieldName(const QList<schema::Column>& columns, int field) {
    return QString::fromLatin1(columns.at(field).name);
}

} // namespace

void writeBatch(QSqlDatabase db, const QString& table, const QList<schema::Column>& columns,
                const Batch& batch, const std::function<void()>& beforeCommit) {
    TransactionGuard transaction(db);
    QSqlQuery q(db);
    for (qint64 id : batch.deleted) {
        if (!q.exec(QStringLiteral("delete from \"%1\" where id = %2").arg(table).arg(id)))
            throwSqlError(q.lastError());
    }
    for (auto it = batch.changed.constBegin(); it != batch.changed.constEnd(); ++it) {
        QStringList sets;
        QList<int> fields = it.value().keys();
        std::sort(fields.begin(), fields.end());
        for (int f : fields)
            sets << fieldName(columns, f) + QStringLiteral(" = ?");
        q.prepare(QStringLiteral("update \"%1\" set %2 where id = %3")
                      .arg(table, sets.join(QStringLiteral(", ")))
                      .arg(it.key()));
        for (int f : fields)
            q.addBindValue(fieldvalues::bound(columns.at(f).kind, it.value().value(f)));
        if (!q.exec())
            throwSqlError(q.lastError());
    }
    if (!batch.inserted.isEmpty()) {
        QStringList names;
        for (const auto& c : columns)
            names << QString::fromLatin1(c.name);
        q.prepare(QStringLiteral("insert into \"%1\" (%2) values (%3)")
                      .arg(table, names.join(u','),
                           QStringList(names.size(), QStringLiteral("?")).join(u',')));
        for (const QList<QVariant>* values : batch.inserted) {
            for (int f = 0; f < columns.size(); ++f)
                q.addBindValue(fieldvalues::bound(columns.at(f).kind, values->at(f)));
            if (!q.exec())
                throwSqlError(q.lastError());
        }
    }
    q.finish();
    if (beforeCommit)
        beforeCommit();
    transaction.commit();
}
