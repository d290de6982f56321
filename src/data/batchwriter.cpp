#include "data/batchwriter.h"

#include "data/connection.h"
#include "data/fieldvalues.h"
#include "data/formats.h"
#include "data/transactionguard.h"
#include "platform/apperror.h"

#include <QSqlError>
#include <QSqlQuery>
#include <algorithm>

namespace {

QString fieldName(const QList<schema::Column>& columns, int field) {
    return QString::fromLatin1(columns.at(field).name);
}

// The row as the user saw it, for a message: its non-empty values in column order.
QString describe(const QList<schema::Column>& columns, const QList<QVariant>& values) {
    QStringList shown;
    for (int f = 0; f < values.size() && f < columns.size(); ++f) {
        if (columns.at(f).kind == schema::Kind::YesNo)
            continue;
        const QString text = formats::toText(values.at(f)).trimmed();
        if (!text.isEmpty())
            shown << text;
    }
    QString out = shown.join(QStringLiteral("，"));
    if (out.size() > 80)
        out = out.left(79) + u'…';
    return out;
}

bool sameValue(const QVariant& a, const QVariant& b) {
    return a.isNull() == b.isNull() && a == b;
}

// Refuses the batch when the row `id` no longer holds the values it had when it was read.
void checkUnchanged(QSqlQuery& q, const QString& table, const QList<schema::Column>& columns,
                    qint64 id, const QList<QVariant>& asRead) {
    QStringList names;
    for (const auto& c : columns)
        names << QString::fromLatin1(c.name);
    if (!q.exec(QStringLiteral("select %1 from \"%2\" where id = %3")
                    .arg(names.join(u','), table)
                    .arg(id)))
        throwSqlError(q.lastError());
    const QString refusal =
        QStringLiteral("保存没有进行：另一个程序在你修改期间%1了这一行：%2。没有写入任何修改，"
                       "你的修改都还保留着；请取消修改、重新打开后再改。");
    if (!q.next()) {
        if (q.lastError().isValid())
            throwSqlError(q.lastError());
        throw AppError(refusal.arg(QStringLiteral("删除"), describe(columns, asRead)));
    }
    for (int f = 0; f < columns.size() && f < asRead.size(); ++f) {
        if (!sameValue(fieldvalues::normalised(columns.at(f).kind, q.value(f)), asRead.at(f)))
            throw AppError(refusal.arg(QStringLiteral("修改"), describe(columns, asRead)));
    }
}

} // namespace

void writeBatch(QSqlDatabase db, const QString& table, const QList<schema::Column>& columns,
                const Batch& batch, const std::function<void()>& beforeCommit) {
    TransactionGuard transaction(db);
    QSqlQuery q(db);
    // Optimistic: the rows are compared inside the transaction, before the first write.
    for (auto it = batch.asRead.constBegin(); it != batch.asRead.constEnd(); ++it) {
        if (batch.deleted.contains(it.key()) || batch.changed.contains(it.key()))
            checkUnchanged(q, table, columns, it.key(), it.value());
    }
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
