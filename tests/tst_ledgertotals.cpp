// The ledger's kept totals: after any mix of inserts, changes and deletes — through the
// program's table dataset or plain SQL on another connection — every whole-ledger figure read
// from them equals the direct sum over mysalary; and books whose totals are missing, stale or
// tampered with get them back whole.
#include "app/startup.h"
#include "data/connection.h"
#include "data/dialect.h"
#include "data/formats.h"
#include "data/ledgertotals.h"
#include "data/schema.h"
#include "data/tabledataset.h"
#include "data/wholeledger.h"
#include "import/billimport.h"
#include "reports/logic/chartseries.h"
#include "reports/logic/periods.h"
#include "support/testprogram.h"

#include <QFile>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Every statement that the charts and the query window run over the whole ledger, taken from
// their own tables.
QStringList wholeLedgerStatements() {
    QStringList out;
    for (const charts::ChartPage& p : charts::chartPages())
        out << p.statement;
    const periods::SumStatements sums = periods::overallSums();
    out << sums.income << sums.expenditure;
    return out;
}

// The rows as the user sees their figures: labels as they are, amounts to the cent.
QList<QStringList> figures(QList<QStringList> rows) {
    for (QStringList& row : rows) {
        QString& y = row.last();
        if (y != QLatin1String("<null>"))
            y = formats::fixed2(y.toDouble());
    }
    return rows;
}

// Fails the test unless every whole-ledger figure equals the direct sum.
void compareAll(TestProgram& tp, const QString& when) {
    for (const QString& s : wholeLedgerStatements()) {
        // The direct sum: the same statement translated and run over mysalary.
        const QList<QStringList> kept = figures(tp.rows(ledgertotals::sqliteStatement(s)));
        const QList<QStringList> direct = figures(tp.rows(toSqlite(s)));
        if (kept != direct) {
            qWarning().noquote() << when << s << "\nkept:  " << kept << "\ndirect:" << direct;
            QFAIL("a kept total differs from the direct sum");
        }
    }
}

const QStringList kDirections{QStringLiteral("收入"), QStringLiteral("支出")};
const QStringList kMajors{QStringLiteral("工资"), QStringLiteral("餐饮"), QStringLiteral("交通"),
                          QString()};

QString quoted(const QString& s) {
    return s.isNull() ? QStringLiteral("NULL") : u'\'' + s + u'\'';
}

// A random entry's values as SQL literals: some dates, directions, categories and amounts are
// missing, some directions are neither income nor expenditure.
struct RandomEntry {
    QString date, sz, szdl, money;
};

RandomEntry randomEntry(QRandomGenerator& rng) {
    RandomEntry e;
    const int day = int(rng.bounded(60));
    e.date = day == 0 ? QStringLiteral("NULL")
                      : quoted(QDate(2005, 3, 1).addDays(day).toString(Qt::ISODate));
    const int d = int(rng.bounded(10));
    e.sz = d == 0   ? QStringLiteral("NULL")
           : d == 1 ? quoted(QStringLiteral("其他"))
                    : quoted(kDirections.at(d % 2));
    e.szdl = quoted(kMajors.at(int(rng.bounded(kMajors.size()))));
    const int m = int(rng.bounded(12));
    e.money = m == 0 ? QStringLiteral("NULL")
                     : QString::number(double(rng.bounded(1, 1000000)) / 100, 'f', 2);
    return e;
}

} // namespace

class TestLedgerTotals : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void everyWholeLedgerStatementIsAnsweredFromTheTotals();
    void wholeLedgerStatementsAreTheDocumentedOnes_data();
    void wholeLedgerStatementsAreTheDocumentedOnes();
    void emptyLedgerGivesNoRowsAndNullSums();
    void plainSqlChangesKeepTheTotals_data();
    void plainSqlChangesKeepTheTotals();
    void tableDatasetSavesKeepTheTotals();
    void importsAndTakeBacksKeepTheTotals();
    void startUpRepairsMissingOrStaleTotals_data();
    void startUpRepairsMissingOrStaleTotals();
    void intactTotalsAreLeftAsTheyAre();
    void startUpGivesOlderBooksTheTotals();

private:
    QTemporaryDir m_home;
};

// Start-up writes the user's settings: into a home of this test's own, so that the tests that
// read them, running at the same time, are not disturbed.
void TestLedgerTotals::initTestCase() {
    QVERIFY(m_home.isValid());
    qputenv("HOME", QFile::encodeName(m_home.path()));
}

void TestLedgerTotals::everyWholeLedgerStatementIsAnsweredFromTheTotals() {
    const QStringList statements = wholeLedgerStatements();
    QCOMPARE(statements.size(), 8);
    for (const QString& s : statements) {
        const QString over = ledgertotals::statementOverTotals(s);
        QVERIFY2(over.contains(QLatin1String("_totals")), qPrintable(s));
        QCOMPARE(ledgertotals::sqliteStatement(s), over);
    }
    // Only those texts: a period's sum, or the same statement written differently, runs as it is.
    QVERIFY(ledgertotals::statementOverTotals(
                QStringLiteral("select sum(money) from mysalary where sz='收入' and "
                               "left(adddate,7)='2005-03'"))
                .isEmpty());
    QVERIFY(ledgertotals::statementOverTotals(
                QStringLiteral("select sz as x, sum(money) as y from mysalary group by sz"))
                .isEmpty());
}

void TestLedgerTotals::wholeLedgerStatementsAreTheDocumentedOnes_data() {
    QTest::addColumn<QString>("statement");
    QTest::addColumn<QByteArray>("documented");
    const QList<charts::ChartPage>& pages = charts::chartPages();
    QCOMPARE(pages.size(), 6);
    QTest::newRow("收支饼图") << pages.at(0).statement
                              << QByteArray(
                                     "select sz as x,sum(money) as y from mysalary group by sz");
    QTest::newRow("柱状图") << pages.at(1).statement
                            << QByteArray(
                                   "select szdl as x,sum(money) as y from mysalary group by szdl");
    QTest::newRow("月收入图") << pages.at(2).statement
                              << QByteArray("select left(adddate,7) as x, sum(money) as y  from "
                                            "mysalary where sz='收入' group by adddate");
    QTest::newRow("月支出图") << pages.at(3).statement
                              << QByteArray("select left(adddate,7) as x, sum(money) as y  from "
                                            "mysalary where sz='支出' group by adddate");
    QTest::newRow("大类收入图") << pages.at(4).statement
                                << QByteArray("select szdl as x, sum(money) as y  from mysalary "
                                              "where sz='收入' group by szdl");
    QTest::newRow("大类支出图") << pages.at(5).statement
                                << QByteArray("select szdl as x, sum(money) as y  from mysalary "
                                              "where sz='支出' group by szdl");
    const periods::SumStatements sums = periods::overallSums();
    QTest::newRow("总收入") << sums.income
                            << QByteArray("select sum(money) from mysalary where sz='收入'");
    QTest::newRow("总支出") << sums.expenditure
                            << QByteArray("select sum(money) from mysalary where sz='支出'");
}

void TestLedgerTotals::wholeLedgerStatementsAreTheDocumentedOnes() {
    QFETCH(QString, statement);
    QFETCH(QByteArray, documented);
    QCOMPARE(statement.toUtf8(), documented);
}

void TestLedgerTotals::emptyLedgerGivesNoRowsAndNullSums() {
    TestProgram tp;
    compareAll(tp, QStringLiteral("empty"));
    QCOMPARE(tp.rows(ledgertotals::sqliteStatement(wholeledger::kIncomeSum)),
             QList<QStringList>{{"<null>"}});
    QCOMPARE(tp.rows(ledgertotals::sqliteStatement(wholeledger::kByDirection)),
             QList<QStringList>{});
}

void TestLedgerTotals::plainSqlChangesKeepTheTotals_data() {
    QTest::addColumn<quint32>("seed");
    QTest::addColumn<bool>("inTransactions");
    QTest::newRow("seed 1, one statement at a time") << 1u << false;
    QTest::newRow("seed 2, one statement at a time") << 2u << false;
    QTest::newRow("seed 3, batches, some rolled back") << 3u << true;
}

void TestLedgerTotals::plainSqlChangesKeepTheTotals() {
    QFETCH(quint32, seed);
    QFETCH(bool, inTransactions);
    TestProgram tp;
    QRandomGenerator rng(seed);
    auto insert = [&](const QString& verb) {
        const RandomEntry e = randomEntry(rng);
        tp.exec(QStringLiteral("%1 into mysalary (adddate, sz, szdl, szxl, money) values "
                               "(%2, %3, %4, '基本', %5)")
                    .arg(verb, e.date, e.sz, e.szdl, e.money));
    };
    for (int i = 0; i < 300; ++i)
        insert(QStringLiteral("insert"));
    compareAll(tp, QStringLiteral("generated"));

    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("w"));
    db.setDatabaseName(tp.databasePath());
    QVERIFY(db.open());
    {
        QSqlQuery q(db);
        for (int round = 0; round < 12; ++round) {
            const bool rollBack = inTransactions && round % 3 == 2;
            if (inTransactions)
                QVERIFY(db.transaction());
            for (int op = 0; op < 25; ++op) {
                const RandomEntry e = randomEntry(rng);
                const qint64 id = rng.bounded(1, 320);
                QString sql;
                switch (rng.bounded(7)) {
                case 0:
                    sql = QStringLiteral("insert into mysalary (adddate, sz, szdl, money) "
                                         "values (%1, %2, %3, %4)")
                              .arg(e.date, e.sz, e.szdl, e.money);
                    break;
                case 1:
                    sql = QStringLiteral("update mysalary set money = %1 where id = %2")
                              .arg(e.money)
                              .arg(id);
                    break;
                case 2:
                    sql = QStringLiteral("update mysalary set sz = %1, szdl = %2, adddate = %3 "
                                         "where id = %4")
                              .arg(e.sz, e.szdl, e.date)
                              .arg(id);
                    break;
                case 3:
                    sql = QStringLiteral("delete from mysalary where id = %1").arg(id);
                    break;
                case 4:
                    sql = QStringLiteral("update mysalary set money = money + 0.1 where szdl = %1")
                              .arg(e.szdl);
                    break;
                case 5:
                    sql = QStringLiteral("delete from mysalary where adddate = %1").arg(e.date);
                    break;
                default:
                    // The amount as a tool may store it: numeric text, and text that is no number.
                    sql = QStringLiteral("update mysalary set money = '%1' where id = %2")
                              .arg(rng.bounded(2) ? QStringLiteral("12.5") : QStringLiteral("abc"))
                              .arg(id);
                }
                QVERIFY2(q.exec(sql), qPrintable(sql));
            }
            if (inTransactions)
                QVERIFY(rollBack ? db.rollback() : db.commit());
            compareAll(tp, QStringLiteral("round %1").arg(round));
        }
        // Deleting every row leaves no group behind.
        QVERIFY(q.exec(QStringLiteral("delete from mysalary")));
        compareAll(tp, QStringLiteral("emptied"));
        QVERIFY(q.exec(QStringLiteral("select count(*) from mysalary_day_totals")));
        QVERIFY(q.next());
        QCOMPARE(q.value(0).toInt(), 0);
    }
    db.close();
    db = {};
    QSqlDatabase::removeDatabase(QStringLiteral("w"));
}

void TestLedgerTotals::tableDatasetSavesKeepTheTotals() {
    TestProgram tp;
    QRandomGenerator rng(7);
    TableDataset ds(tp.books(), QStringLiteral("mysalary"), TableDataset::Mode::Cached);
    ds.open();
    const int date = ds.fieldIndex(QStringLiteral("adddate"));
    const int sz = ds.fieldIndex(QStringLiteral("sz"));
    const int szdl = ds.fieldIndex(QStringLiteral("szdl"));
    const int money = ds.fieldIndex(QStringLiteral("money"));
    for (int round = 0; round < 6; ++round) {
        for (int i = 0; i < 40; ++i) {
            ds.append();
            ds.setValue(date, QDate(2005, 3, 1).addDays(int(rng.bounded(60))));
            ds.setValue(sz, kDirections.at(int(rng.bounded(2))));
            ds.setValue(szdl, kMajors.at(int(rng.bounded(3))));
            ds.setValue(money, double(rng.bounded(1, 100000)) / 100);
        }
        ds.post();
        for (int i = 0; i < 10 && ds.rowCount() > 0; ++i) {
            ds.setCurrentRow(int(rng.bounded(ds.rowCount())));
            ds.setValue(money, double(rng.bounded(1, 100000)) / 100);
            ds.setValue(sz, kDirections.at(int(rng.bounded(2))));
            ds.post();
        }
        ds.deleteRows({int(rng.bounded(ds.rowCount())), int(rng.bounded(ds.rowCount()))});
        ds.saveAll();
        compareAll(tp, QStringLiteral("save %1").arg(round));
    }
    QVERIFY(tp.scalar(QStringLiteral("select count(*) from mysalary")).toInt() > 200);
}

void TestLedgerTotals::importsAndTakeBacksKeepTheTotals() {
    // Imported entries (refunds of earlier imports negative), and imports taken back whole.
    TestProgram tp;
    tp.exec(QStringLiteral("insert into mysalary (adddate, sz, szdl, money) values "
                           "('2005-03-02', '支出', '餐饮', 1.5)"));
    BillImport import(tp.databasePath(), tp.folder());
    QRandomGenerator rng(21);
    QList<qint64> batches;
    for (int n = 0; n < 6; ++n) {
        bills::Preview p;
        p.source = bills::Source::Alipay;
        for (int i = 0; i < 30; ++i) {
            bills::PreviewRow r;
            r.date = QDate(2005, 3, 1).addDays(int(rng.bounded(60)));
            r.direction = kDirections.at(int(rng.bounded(2)));
            r.major = kMajors.at(int(rng.bounded(kMajors.size())));
            r.cents = qint64(rng.bounded(1, 1000000)) * (i % 7 == 0 ? -1 : 1);
            r.key = QStringLiteral("%1-%2").arg(n).arg(i);
            r.ticked = true;
            p.rows << r;
        }
        batches << import.write(QStringLiteral("bill-%1.csv").arg(n), p, QDateTime());
        compareAll(tp, QStringLiteral("after import %1").arg(n));
    }
    QCOMPARE(import.takeBack(batches[2]), 30);
    compareAll(tp, QStringLiteral("after a take-back"));
    QCOMPARE(import.takeBack(batches[0]), 30);
    compareAll(tp, QStringLiteral("after a second take-back"));
    QCOMPARE(tp.scalar(QStringLiteral("select count(*) from mysalary")).toInt(), 121);
}

void TestLedgerTotals::startUpRepairsMissingOrStaleTotals_data() {
    QTest::addColumn<QString>("damage");
    QTest::newRow("books from before the totals")
        << QStringLiteral("drop trigger mysalary_totals_insert; drop trigger "
                          "mysalary_totals_update; drop trigger mysalary_totals_delete; drop "
                          "table mysalary_day_totals; drop table mysalary_category_totals");
    QTest::newRow("a trigger dropped, then rows added")
        << QStringLiteral("drop trigger mysalary_totals_insert; insert into mysalary (adddate, sz, "
                          "szdl, money) values ('2005-03-09', '收入', '工资', 77.7)");
    QTest::newRow("a trigger replaced by another")
        << QStringLiteral("drop trigger mysalary_totals_delete; create trigger "
                          "mysalary_totals_delete after delete on mysalary begin select 1;end");
    // REPLACE removes the old row without firing a delete trigger.
    QTest::newRow("insert or replace over an existing row")
        << QStringLiteral("insert or replace into mysalary (id, adddate, sz, szdl, money) values "
                          "(1, '2005-04-02', '支出', '交通', 5)");
    QTest::newRow("a total changed by hand")
        << QStringLiteral("update mysalary_category_totals set entries = entries + 1");
}

void TestLedgerTotals::startUpRepairsMissingOrStaleTotals() {
    QFETCH(QString, damage);
    TestProgram tp;
    QRandomGenerator rng(11);
    for (int i = 0; i < 50; ++i) {
        const RandomEntry e = randomEntry(rng);
        tp.exec(QStringLiteral("insert into mysalary (adddate, sz, szdl, money) values "
                               "(%1, %2, %3, %4)")
                    .arg(e.date, e.sz, e.szdl, e.money));
    }
    for (const QString& sql : damage.split(QStringLiteral("; ")))
        tp.exec(sql);

    Connection c = Connection::toFile(tp.databasePath());
    schema::ensureLedgerTotals(c.database());
    compareAll(tp, QStringLiteral("repaired"));
    // The triggers are back: later changes are counted too.
    tp.exec(QStringLiteral("insert into mysalary (adddate, sz, szdl, money) values ('2005-03-02', "
                           "'收入', '工资', 1.25)"));
    tp.exec(QStringLiteral("delete from mysalary where id = 2"));
    compareAll(tp, QStringLiteral("after the repair"));
}

void TestLedgerTotals::intactTotalsAreLeftAsTheyAre() {
    TestProgram tp;
    tp.exec(QStringLiteral("insert into mysalary (adddate, sz, szdl, money) values ('2005-03-05', "
                           "'收入', '工资', 100)"));
    // A mark in a kept row that a refill would wipe out.
    tp.exec(QStringLiteral("update mysalary_day_totals set total = total + 0.000001"));
    Connection c = Connection::toFile(tp.databasePath());
    schema::ensureLedgerTotals(c.database());
    QCOMPARE(tp.scalar(QStringLiteral("select total from mysalary_day_totals")).toDouble(),
             100.000001);
}

void TestLedgerTotals::startUpGivesOlderBooksTheTotals() {
    TestProgram tp;
    tp.exec(QStringLiteral("insert into mysalary (adddate, sz, szdl, money) values ('2005-03-05', "
                           "'收入', '工资', 100), ('2005-03-06', '支出', '餐饮', 42.5)"));
    for (const char* sql :
         {"drop trigger mysalary_totals_insert", "drop trigger mysalary_totals_update",
          "drop trigger mysalary_totals_delete", "drop table mysalary_day_totals",
          "drop table mysalary_category_totals"})
        tp.exec(QString::fromLatin1(sql));
    QVERIFY(runStartup(tp.context()).has_value());
    QVERIFY(tp.dialogs.errors().isEmpty());
    QCOMPARE(tp.rows(ledgertotals::sqliteStatement(wholeledger::kByDirection)),
             (QList<QStringList>{{"支出", "42.5"}, {"收入", "100"}}));
    compareAll(tp, QStringLiteral("after start-up"));
}

QTEST_GUILESS_MAIN(TestLedgerTotals)
#include "tst_ledgertotals.moc"
