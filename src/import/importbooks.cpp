#include "import/importbooks.h"

#include "data/boundstatement.h"
#include "data/connection.h"
#include "data/schema.h"
#include "data/transactionguard.h"
#include "import/importseen.h"
#include "platform/apperror.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>
#include <limits>

namespace importbooks {

namespace {

void run(QSqlQuery& q, const QString& sql) {
    if (!q.exec(sql))
        throwSqlError(q.lastError());
}

void exec(QSqlQuery& q) {
    if (!q.exec())
        throwSqlError(q.lastError());
}

// The temporary table the ticked rows wait in before they go into the ledger together.
constexpr const char* kStagingTable = "importstaging";

// Puts the ticked new rows of `preview` into the staging table, numbered from 1 in their order.
void stageEntries(QSqlDatabase db, const bills::Preview& preview) {
    QSqlQuery q(db);
    run(q, QStringLiteral("create temp table %1 (seq integer primary key, adddate, sz, szdl, "
                          "szxl, money, zffs, memo)")
               .arg(QLatin1String(kStagingTable)));
    q.finish();
    BoundStatement insert(db, QStringLiteral("insert into temp.%1 (adddate, sz, szdl, szxl, "
                                             "money, zffs, memo) values (?, ?, ?, ?, ?, ?, ?)")
                                  .arg(QLatin1String(kStagingTable)));
    for (const bills::PreviewRow& r : preview.rows) {
        if (r.state != bills::RowState::New || !r.ticked)
            continue;
        insert.bind(1, r.date.toString(Qt::ISODate));
        insert.bind(2, r.direction);
        insert.bindOrNull(3, r.major);
        insert.bindOrNull(4, r.minor);
        // The decimal value of the exact amount: the nearest double to cents/100, as typed.
        insert.bind(5, static_cast<double>(r.cents) / 100.0);
        insert.bindOrNull(6, r.method);
        insert.bindOrNull(7, r.memo);
        insert.exec();
    }
}

} // namespace

void ensureTables(QSqlDatabase db) {
    schema::ensureImportTables(db);
}

bool hasTables(QSqlDatabase db) {
    QSqlQuery q(db);
    run(q, QStringLiteral("select count(*) from sqlite_master where type = 'table' and name in "
                          "('importbatch', 'importentry')"));
    return q.next() && q.value(0).toInt() == 2;
}

bills::BooksKnowledge knowledgeOf(QSqlDatabase db, bills::Source source) {
    bills::BooksKnowledge k;
    QSqlQuery q(db);
    q.setForwardOnly(true);
    // Newest first, so the first choice seen per counterparty is the most recent one.
    q.prepare(QStringLiteral(
        "select e.rowkey, e.txno, e.merchantno, e.counterparty, m.id, m.sz, m.szdl, m.szxl "
        "from importentry e join mysalary m on m.id = e.salaryid where e.source = ? "
        "order by m.adddate desc, e.id desc"));
    q.addBindValue(bills::sourceName(source));
    exec(q);
    while (q.next()) {
        const bills::EarlierEntry entry{q.value(4).toLongLong(), q.value(5).toString(),
                                        q.value(6).toString(), q.value(7).toString()};
        const QString key = q.value(0).toString();
        ++k.keys[key];
        k.byKey.insert(key, entry);
        const QString txno = q.value(1).toString();
        if (!txno.isEmpty() && !k.byTxno.contains(txno))
            k.byTxno.insert(txno, entry);
        const QString merchant = q.value(2).toString();
        if (!merchant.isEmpty() && !k.byMerchantNo.contains(merchant))
            k.byMerchantNo.insert(merchant, entry);
        const QString counterparty = q.value(3).toString();
        const QString choice = bills::choiceKey(entry.direction, counterparty);
        if (!counterparty.isEmpty() && !entry.major.isEmpty() && !k.choices.contains(choice))
            k.choices.insert(choice, {entry.major, entry.minor});
    }
    return k;
}

QList<ImportBatch> listImports(QSqlDatabase db) {
    QList<ImportBatch> out;
    QSqlQuery q(db);
    q.setForwardOnly(true);
    run(q, QStringLiteral(
               "select b.id, b.file, b.source, b.importedat, (select count(distinct e.salaryid) "
               "from importentry e where e.batchid = b.id) from importbatch b order by b.id desc"));
    while (q.next())
        out << ImportBatch{q.value(0).toLongLong(), q.value(1).toString(), q.value(2).toString(),
                           QDateTime::fromString(q.value(3).toString(), Qt::ISODate),
                           q.value(4).toInt()};
    return out;
}

qint64 writeImport(QSqlDatabase db, const QString& file, const bills::Preview& preview,
                   const QDateTime& importedAt) {
    TransactionGuard transaction(db);
    const qint64 id = writeImportIn(db, file, preview, importedAt);
    transaction.commit();
    return id;
}

qint64 writeImportIn(QSqlDatabase db, const QString& file, const bills::Preview& preview,
                     const QDateTime& importedAt) {
    int count = 0;
    for (const bills::PreviewRow& r : preview.rows)
        count += r.state == bills::RowState::New && r.ticked;
    if (count == 0)
        return 0;
    const QString source = bills::sourceName(preview.source);
    QSqlQuery batch(db);
    batch.prepare(QStringLiteral(
        "insert into importbatch (file, source, importedat, entries) values (?, ?, ?, ?)"));
    batch.addBindValue(file);
    batch.addBindValue(source);
    batch.addBindValue(importedAt.toString(Qt::ISODate));
    batch.addBindValue(count);
    exec(batch);
    const qint64 batchId = batch.lastInsertId().toLongLong();
    batch.finish();
    // The entries take the numbers after the ledger's last one, in the order of the bill.
    QSqlQuery q(db);
    q.setForwardOnly(true);
    run(q, QStringLiteral("select coalesce(max(id), 0) from mysalary"));
    const qint64 lastId = q.next() ? q.value(0).toLongLong() : 0;
    q.finish();
    if (lastId > std::numeric_limits<qint64>::max() - count)
        throw AppError(
            QStringLiteral("The ledger has no entry numbers left for %1 new entries.").arg(count));
    stageEntries(db, preview);
    // One statement for all the entries. A statement on mysalary keeps a statement journal
    // (its triggers write, its expression indexes may fail), and copies into it every page it
    // changes, 64 KiB each: row by row that was every touched page again for each row, in one
    // statement each page is copied once.
    q.prepare(QStringLiteral("insert into mysalary (id, adddate, sz, szdl, szxl, money, zffs, "
                             "memo) select ? + seq, adddate, sz, szdl, szxl, money, zffs, memo "
                             "from temp.%1 order by seq")
                  .arg(QLatin1String(kStagingTable)));
    q.addBindValue(lastId);
    exec(q);
    const int written = q.numRowsAffected();
    q.finish();
    if (written != count)
        throw AppError(
            QStringLiteral("The import wrote %1 of its %2 entries.").arg(written).arg(count));
    run(q, QStringLiteral("drop table temp.%1").arg(QLatin1String(kStagingTable)));
    q.finish();

    BoundStatement record(db, QStringLiteral("insert into importentry (salaryid, batchid, "
                                             "source, txno, rowkey, counterparty, merchantno) "
                                             "values (?, ?, ?, ?, ?, ?, ?)"));
    qint64 salaryId = lastId;
    for (const bills::PreviewRow& r : preview.rows) {
        if (r.state != bills::RowState::New || !r.ticked)
            continue;
        ++salaryId;
        QStringList keys{r.key};
        keys << r.absorbedKeys;
        for (const QString& key : keys) {
            record.bind(1, salaryId);
            record.bind(2, batchId);
            record.bind(3, source);
            record.bind(4, key == r.key ? r.txno : QString());
            record.bind(5, key);
            record.bind(6, r.counterparty);
            record.bind(7, key == r.key ? r.merchantNo : QString());
            record.exec();
        }
    }
    rememberRows(db, batchId, lastId + 1, preview);
    return batchId;
}

int takeBack(QSqlDatabase db, qint64 batchId) {
    TransactionGuard transaction(db);
    QSqlQuery q(db);
    q.prepare(QStringLiteral("delete from mysalary where id in (select salaryid from importentry "
                             "where batchid = ?)"));
    q.addBindValue(batchId);
    exec(q);
    const int removed = q.numRowsAffected();
    q.prepare(QStringLiteral("delete from importentry where batchid = ?"));
    q.addBindValue(batchId);
    exec(q);
    q.prepare(QStringLiteral("delete from importseen where batchid = ?"));
    q.addBindValue(batchId);
    exec(q);
    q.prepare(QStringLiteral("delete from importbatch where id = ?"));
    q.addBindValue(batchId);
    exec(q);
    q.finish();
    transaction.commit();
    return removed;
}

} // namespace importbooks
