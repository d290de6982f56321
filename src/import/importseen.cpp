#include "import/importseen.h"

#include "data/boundstatement.h"
#include "data/connection.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>
#include <optional>

namespace importbooks {

namespace {

void exec(QSqlQuery& q) {
    if (!q.exec())
        throwSqlError(q.lastError());
}

// The source a stored name stands for; nothing for a name no source has.
std::optional<bills::Source> sourceNamed(const QString& name) {
    using bills::Source;
    for (Source s : {Source::Alipay, Source::WeChat, Source::Icbc, Source::Ccb, Source::Ofx,
                     Source::Qif, Source::MappedCsv})
        if (bills::sourceName(s) == name)
            return s;
    return std::nullopt;
}

bool hasSeenTable(QSqlDatabase db) {
    QSqlQuery q(db);
    q.prepare(
        QStringLiteral("select count(*) from sqlite_master where type = 'table' and name = ?"));
    q.addBindValue(QString::fromLatin1(kSeenTable));
    exec(q);
    return q.next() && q.value(0).toInt() == 1;
}

} // namespace

void rememberRows(QSqlDatabase db, qint64 batchId, qint64 firstEntryId,
                  const bills::Preview& preview) {
    qint64 nextEntryId = firstEntryId;
    QSqlQuery known(db);
    known.prepare(QStringLiteral("select count(*) from importseen where source = ? and rowkey = ? "
                                 "and salaryid is null"));
    BoundStatement insert(db, QStringLiteral("insert into importseen (batchid, salaryid, source, "
                                             "rowkey, adddate, cents, direction, method, bank, "
                                             "account, rowtext, memo) values (?, ?, ?, ?, ?, ?, "
                                             "?, ?, ?, ?, ?, ?)"));
    const QString source = bills::sourceName(preview.source);
    for (const bills::PreviewRow& r : preview.rows) {
        const bills::ImportedEntry& e = r.asStated;
        if (!e.date.isValid())
            continue; // a row not made from a bill: nothing stated to remember
        std::optional<qint64> salaryId;
        if (r.state == bills::RowState::New && r.ticked) {
            salaryId = nextEntryId++;
        } else if (r.state == bills::RowState::Skipped && bills::movesMoneyWithBank(e)) {
            known.addBindValue(source);
            known.addBindValue(r.key);
            exec(known);
            const bool before = known.next() && known.value(0).toInt() > 0;
            known.finish();
            if (before)
                continue;
        } else {
            continue;
        }
        insert.bind(1, batchId);
        if (salaryId)
            insert.bind(2, *salaryId);
        else
            insert.bindNull(2);
        insert.bind(3, source);
        insert.bind(4, r.key);
        insert.bind(5, e.date.toString(Qt::ISODate));
        insert.bind(6, qint64(e.cents));
        insert.bind(7, e.direction);
        insert.bindOrNull(8, e.method);
        insert.bindOrNull(9, e.bank);
        insert.bindOrNull(10, e.account);
        insert.bindOrNull(11, e.text);
        insert.bindOrNull(12, e.memo);
        insert.exec();
    }
}

QList<bills::ImportedEntry> rememberedBetween(QSqlDatabase db, const QDate& from, const QDate& to) {
    QList<bills::ImportedEntry> out;
    if (!from.isValid() || !to.isValid() || !hasSeenTable(db))
        return out;
    QSqlQuery q(db);
    q.setForwardOnly(true);
    // The entry's remark as the ledger holds it now; the stated one for a row with no entry.
    q.prepare(QStringLiteral(
        "select s.salaryid, s.source, s.adddate, s.cents, s.direction, s.method, s.bank, "
        "s.account, s.rowtext, coalesce(m.memo, s.memo) from importseen s left join mysalary m "
        "on m.id = s.salaryid where s.adddate between ? and ? order by s.adddate, s.id"));
    q.addBindValue(from.toString(Qt::ISODate));
    q.addBindValue(to.toString(Qt::ISODate));
    exec(q);
    while (q.next()) {
        const std::optional<bills::Source> source = sourceNamed(q.value(1).toString());
        if (!source)
            continue;
        bills::ImportedEntry e;
        e.id = q.value(0).toLongLong();
        e.source = *source;
        e.date = QDate::fromString(q.value(2).toString(), Qt::ISODate);
        e.cents = q.value(3).toLongLong();
        e.direction = q.value(4).toString();
        e.method = q.value(5).toString();
        e.bank = q.value(6).toString();
        e.account = q.value(7).toString();
        e.text = q.value(8).toString();
        e.memo = q.value(9).toString();
        out << e;
    }
    return out;
}

} // namespace importbooks
