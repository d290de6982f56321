#include "importactions.h"

#include "import/billimport.h"
#include "rawdb.h"
#include "session.h"

#include <memory>

namespace bench {
namespace {

constexpr int kBillRows = 10000;

// A synthetic Alipay bill as its reader hands it over: mostly spending at a few hundred
// counterparties, some income, neutral moves, and refunds of earlier rows.
bills::BillFile syntheticBill() {
    static const char* const kinds[] = {"餐饮美食", "交通出行", "日用百货", "充值缴费",
                                        "医疗健康", "文化休闲", "新的分类"};
    static const char* const methods[] = {"余额", "花呗", "招商银行(1111)", "交通银行信用卡(7449)",
                                          "余额宝"};
    bills::BillFile bill;
    bill.source = bills::Source::Alipay;
    for (int i = 0; i < kBillRows; ++i) {
        bills::BillRow r;
        r.line = i + 26;
        r.date = QDate(2026, 12, 31).addDays(-(i / 30));
        r.time = QStringLiteral("%1:%2:%3")
                     .arg(i % 24, 2, 10, u'0')
                     .arg(i % 60, 2, 10, u'0')
                     .arg((i / 7) % 60, 2, 10, u'0');
        r.transactionNo = QStringLiteral("2026%1").arg(i, 12, 10, u'0');
        r.merchantNo = QStringLiteral("M%1").arg(i);
        r.counterparty =
            i % 11 == 0 ? QStringLiteral("滴滴出行") : QStringLiteral("商户%1").arg(i % 300);
        r.goods = QStringLiteral("订单%1").arg(i);
        r.kind = QString::fromUtf8(kinds[i % 7]);
        r.method = QString::fromUtf8(methods[i % 5]);
        r.status = QStringLiteral("交易成功");
        r.cents = 100 + (i * 37) % 50000;
        if (i % 20 == 0) {
            r.direction = QStringLiteral("收入");
        } else if (i % 20 == 1) {
            r.direction = QStringLiteral("不计收支");
            r.kind = QStringLiteral("投资理财");
        } else if (i % 20 == 2 && i > 20) {
            // A partial refund of a spending three rows before.
            r.direction = QStringLiteral("不计收支");
            r.kind = QStringLiteral("退款");
            r.status = QStringLiteral("退款成功");
            r.transactionNo = QStringLiteral("2026%1_r").arg(i - 3, 12, 10, u'0');
            r.cents = 50;
        } else {
            r.direction = QStringLiteral("支出");
        }
        bill.rows << r;
    }
    return bill;
}

struct ImportState {
    bills::BillFile bill = syntheticBill();
    std::unique_ptr<BillImport> import;
    bills::Preview preview;
};

void removeImports(RawDb& db, const BooksFacts& facts) {
    restoreLedger(db, facts);
    db.run(QStringLiteral("delete from importentry"));
    db.run(QStringLiteral("delete from importseen"));
    db.run(QStringLiteral("delete from importbatch"));
}

} // namespace

QList<Action> importActions(const BooksFacts& facts) {
    auto state = std::make_shared<ImportState>();
    QList<Action> out;
    const auto knowledgeFloor = [](FloorRun& f) {
        f.open();
        f.db().run(QStringLiteral("select count(*) from sqlite_master where type = 'table' and "
                                  "name in ('importbatch', 'importentry')"));
        f.db().run(QStringLiteral(
            "select e.rowkey, e.txno, e.merchantno, e.counterparty, m.id, m.sz, m.szdl, m.szxl "
            "from importentry e join mysalary m on m.id = e.salaryid where e.source = '支付宝' "
            "order by m.adddate desc, e.id desc"));
        // The rows of other sources around the bill's dates.
        f.db().run(QStringLiteral("select count(*) from sqlite_master where type = 'table' and "
                                  "name = 'importseen'"));
        f.db().run(QStringLiteral(
            "select s.salaryid, s.source, s.adddate, s.cents, s.direction, s.method, s.bank, "
            "s.account, s.rowtext, coalesce(m.memo, s.memo) from importseen s left join mysalary "
            "m on m.id = s.salaryid where s.adddate between '2026-01-29' and '2027-01-03' order "
            "by s.adddate, s.id"));
    };

    // The preview of a bill of 10 000 rows over the books (the bill as its reader returns it).
    out << Action{QStringLiteral("import: preview %1 rows").arg(kBillRows),
                  300,
                  [](Session& s) { s.ensureStarted(); },
                  [state](Session& s) {
                      state->import =
                          std::make_unique<BillImport>(s.databasePath(), s.context().programFolder);
                      state->preview = state->import->preview(state->bill);
                  },
                  [state](Session&) { state->import.reset(); },
                  knowledgeFloor,
                  {}};

    // Writing its new rows: one transaction of entries and their records.
    out << Action{
        QStringLiteral("import: write %1 rows").arg(kBillRows),
        500,
        [state](Session& s) {
            s.ensureStarted();
            state->import =
                std::make_unique<BillImport>(s.databasePath(), s.context().programFolder);
            state->preview = state->import->preview(state->bill);
        },
        [state](Session&) {
            state->import->write(QStringLiteral("bill.csv"), state->preview,
                                 QDateTime::currentDateTime());
        },
        [state, facts](Session& s) {
            state->import.reset();
            RawDb db(s.databasePath());
            removeImports(db, facts);
        },
        [state](FloorRun& f) {
            RawDb& db = f.db();
            db.run(QStringLiteral("begin"));
            {
                RawStatement batch(db, QStringLiteral("insert into importbatch (file, "
                                                      "source, importedat, entries) "
                                                      "values ('bill.csv', '支付宝', "
                                                      "'2026-12-31T10:00:00', 1)"));
                batch.exec();
                const qint64 lastId =
                    db.integer(QStringLiteral("select coalesce(max(id), 0) from mysalary"));
                db.run(QStringLiteral("create temp table importstaging (seq integer primary key, "
                                      "adddate, sz, szdl, szxl, money, zffs, memo)"));
                RawStatement stage(db, QStringLiteral("insert into temp.importstaging (adddate, "
                                                      "sz, szdl, szxl, money, zffs, memo) values "
                                                      "(?, ?, ?, ?, ?, ?, ?)"));
                for (const bills::PreviewRow& r : state->preview.rows) {
                    if (r.state != bills::RowState::New || !r.ticked)
                        continue;
                    stage.bindText(1, r.date.toString(Qt::ISODate));
                    stage.bindText(2, r.direction);
                    stage.bindText(3, r.major);
                    stage.bindText(4, r.minor);
                    stage.bindDouble(5, double(r.cents) / 100.0);
                    stage.bindText(6, r.method);
                    stage.bindText(7, r.memo);
                    stage.exec();
                }
                RawStatement entries(db, QStringLiteral("insert into mysalary (id, adddate, sz, "
                                                        "szdl, szxl, money, zffs, memo) select ? "
                                                        "+ seq, adddate, sz, szdl, szxl, money, "
                                                        "zffs, memo from temp.importstaging "
                                                        "order by seq"));
                entries.bindInteger(1, lastId);
                entries.exec();
                db.run(QStringLiteral("drop table temp.importstaging"));
                RawStatement record(db, QStringLiteral("insert into importentry (salaryid, "
                                                       "batchid, source, txno, rowkey, "
                                                       "counterparty, merchantno) values "
                                                       "(?, 1, '支付宝', ?, ?, ?, ?)"));
                qint64 entryId = lastId;
                for (const bills::PreviewRow& r : state->preview.rows) {
                    if (r.state != bills::RowState::New || !r.ticked)
                        continue;
                    record.bindInteger(1, ++entryId);
                    record.bindText(2, r.txno);
                    record.bindText(3, r.key);
                    record.bindText(4, r.counterparty);
                    record.bindText(5, r.merchantNo);
                    record.exec();
                }
                // The rows as stated, for statements of other sources.
                RawStatement seen(db, QStringLiteral("insert into importseen (batchid, salaryid, "
                                                     "source, rowkey, adddate, cents, direction, "
                                                     "method, bank, account, rowtext, memo) "
                                                     "values (1, ?, '支付宝', ?, ?, ?, ?, ?, "
                                                     "null, null, ?, ?)"));
                qint64 salaryId = lastId + 1;
                for (const bills::PreviewRow& r : state->preview.rows) {
                    if (r.state != bills::RowState::New || !r.ticked)
                        continue;
                    seen.bindInteger(1, salaryId++);
                    seen.bindText(2, r.key);
                    seen.bindText(3, r.asStated.date.toString(Qt::ISODate));
                    seen.bindInteger(4, r.asStated.cents);
                    seen.bindText(5, r.asStated.direction);
                    seen.bindText(6, r.asStated.method);
                    seen.bindText(7, r.asStated.text);
                    seen.bindText(8, r.asStated.memo);
                    seen.exec();
                }
            }
            db.run(QStringLiteral("commit"));
        },
        [facts](FloorRun& f) { removeImports(f.db(), facts); }};
    return out;
}

} // namespace bench
