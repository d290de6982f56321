// Imports in the books: written all or none, never twice, taken back exactly, refused on
// read-only books; and teloq-import over the same code.
#include "data/booksaccess.h"
#include "data/schema.h"
#include "import/billimport.h"
#include "import/importbooks.h"
#include "import/importcommand.h"
#include "platform/apperror.h"
#include "support/testbills.h"
#include "support/testprogram.h"

#include <QDir>
#include <QFile>
#include <QSqlQuery>
#include <QTest>
#include <unistd.h>

using namespace bills;

namespace {

const QDateTime kAt(QDate(2026, 12, 9), QTime(10, 0));

BillFile alipay(const QList<BillRow>& rows) {
    BillFile b;
    b.source = Source::Alipay;
    b.rows = rows;
    return b;
}

const QList<BillRow> kJanuary = {
    billRow("2024-01-03", "支出", "12.50", "滴滴出行", "交通出行", "a1"),
    billRow("2024-01-04", "支出", "0.10", "美团外卖", "餐饮美食", "a2"),
    billRow("2024-01-05", "收入", "0.20", "某人", "转账红包", "a3"),
    billRow("2024-01-06", "不计收支", "100.00", "余额宝", "投资理财", "a4"),
};

int entries(TestProgram& p) {
    return p.scalar(QStringLiteral("select count(*) from mysalary")).toInt();
}

} // namespace

class TestImportBooks : public QObject {
    Q_OBJECT
private slots:
    void tablesOfNewAndOldBooks();
    void writesEntriesExactly();
    void sameFileTwiceAddsNothing();
    void overlappingBillAddsOnlyNew();
    void earlierChoiceAfterLedgerChange();
    void refundOfEarlierImportIsNegative();
    void takeBackRemovesExactlyOneImport();
    void deletedEntryIsForgotten();
    void entriesTakeTheNumbersAfterTheLast_data();
    void entriesTakeTheNumbersAfterTheLast();
    void noEntryNumbersLeftRefuses();
    void allOrNone();
    void writesAgainAfterARefusal();
    void readOnlyBooksRefuse();
    void commandLine_data();
    void commandLine();
    void commandLineTwoFilesOneTransaction();
};

void TestImportBooks::tablesOfNewAndOldBooks() {
    TestProgram p;
    QCOMPARE(p.scalar(QStringLiteral("select count(*) from sqlite_master where name in "
                                     "('importbatch','importentry','importentry_forget')"))
                 .toInt(),
             3);
    // Older books without them get them, and their ledger stays.
    p.exec(QStringLiteral("drop trigger importentry_forget"));
    p.exec(QStringLiteral("drop table importentry"));
    p.exec(QStringLiteral("drop table importbatch"));
    p.exec(QStringLiteral(
        "insert into mysalary (adddate, sz, money) values ('2024-01-01', '收入', 5)"));
    {
        BillImport import(p.databasePath(), p.folder());
        QVERIFY(importbooks::hasTables(import.database()));
    }
    QCOMPARE(entries(p), 1);
}

void TestImportBooks::writesEntriesExactly() {
    TestProgram p;
    BillImport import(p.databasePath(), p.folder());
    const Preview preview = import.preview(alipay(kJanuary));
    QVERIFY(import.write(QStringLiteral("bill.csv"), preview, kAt) > 0);
    QCOMPARE(p.rows(QStringLiteral("select adddate, sz, szdl, szxl, money, zffs, memo from "
                                   "mysalary order by adddate")),
             (QList<QStringList>{
                 {"2024-01-03", "支出", "交通", "打车", "12.5", "支付宝", "滴滴出行"},
                 {"2024-01-04", "支出", "餐饮", "外卖", "0.1", "支付宝", "美团外卖"},
                 {"2024-01-05", "收入", "红包礼金", "红包", "0.2", "支付宝", "某人"},
             }));
    QCOMPARE(p.scalar(QStringLiteral("select sum(money) from mysalary where sz='支出'")).toString(),
             QStringLiteral("12.6"));
    QCOMPARE(p.rows(QStringLiteral("select file, source, importedat, entries from importbatch")),
             (QList<QStringList>{{"bill.csv", "支付宝", "2026-12-09T10:00:00", "3"}}));
}

void TestImportBooks::sameFileTwiceAddsNothing() {
    TestProgram p;
    BillImport import(p.databasePath(), p.folder());
    import.write(QStringLiteral("a.csv"), import.preview(alipay(kJanuary)), kAt);
    const Preview again = import.preview(alipay(kJanuary));
    const PreviewTotals t = totalsOf(again);
    QCOMPARE(t.entries, 0);
    QCOMPARE(t.duplicates, 3);
    QCOMPARE(t.skipped, 1);
    QCOMPARE(import.write(QStringLiteral("a.csv"), again, kAt), qint64(0));
    QCOMPARE(entries(p), 3);
}

void TestImportBooks::overlappingBillAddsOnlyNew() {
    TestProgram p;
    BillImport import(p.databasePath(), p.folder());
    import.write(QStringLiteral("jan.csv"), import.preview(alipay(kJanuary)), kAt);
    QList<BillRow> later = kJanuary.mid(1);
    later << billRow("2024-02-01", "支出", "3.00", "某店", "", "b1");
    const Preview preview = import.preview(alipay(later));
    QCOMPARE(totalsOf(preview).entries, 1);
    QCOMPARE(totalsOf(preview).duplicates, 2);
    import.write(QStringLiteral("feb.csv"), preview, kAt);
    QCOMPARE(entries(p), 4);
}

void TestImportBooks::earlierChoiceAfterLedgerChange() {
    TestProgram p;
    BillImport import(p.databasePath(), p.folder());
    import.write(QStringLiteral("a.csv"), import.preview(alipay(kJanuary.mid(0, 1))), kAt);
    // The user moves the entry to another category in the ledger: that is the choice now.
    p.exec(QStringLiteral("update mysalary set szdl='娱乐', szxl='旅游'"));
    const Preview next = import.preview(
        alipay({billRow("2024-03-01", "支出", "30.00", "滴滴出行", "交通出行", "c1")}));
    QCOMPARE(next.rows[0].major, QStringLiteral("娱乐"));
    QCOMPARE(next.rows[0].minor, QStringLiteral("旅游"));
    // A choice no longer in the lists is not offered: the mapping table is.
    p.exec(QStringLiteral("update mysalary set szdl='不存在', szxl=null"));
    const Preview other = import.preview(
        alipay({billRow("2024-03-01", "支出", "30.00", "滴滴出行", "交通出行", "c1")}));
    QCOMPARE(other.rows[0].major, QStringLiteral("交通"));
}

void TestImportBooks::refundOfEarlierImportIsNegative() {
    TestProgram p;
    BillImport import(p.databasePath(), p.folder());
    import.write(QStringLiteral("jan.csv"), import.preview(alipay(kJanuary)), kAt);
    const BillRow refund = billRow("2024-02-02", "不计收支", "2.50", "滴滴出行", "退款", "a1_r",
                                   "退款成功", "余额", "退款-行程");
    import.write(QStringLiteral("feb.csv"), import.preview(alipay({refund})), kAt);
    QCOMPARE(p.rows(QStringLiteral("select sz, szdl, szxl, money from mysalary where adddate = "
                                   "'2024-02-02'")),
             (QList<QStringList>{{"支出", "交通", "打车", "-2.5"}}));
    // The same refund again is a duplicate.
    QCOMPARE(totalsOf(import.preview(alipay({refund}))).duplicates, 1);
}

void TestImportBooks::takeBackRemovesExactlyOneImport() {
    TestProgram p;
    p.exec(QStringLiteral(
        "insert into mysalary (adddate, sz, money) values ('2024-01-01', '收入', 5)"));
    BillImport import(p.databasePath(), p.folder());
    import.write(QStringLiteral("jan.csv"), import.preview(alipay(kJanuary)), kAt);
    const qint64 second = import.write(
        QStringLiteral("feb.csv"),
        import.preview(alipay({billRow("2024-02-01", "支出", "3.00", "某店", "", "b1")})), kAt);
    const QList<importbooks::ImportBatch> batches = import.imports();
    QCOMPARE(batches.size(), 2);
    QCOMPARE(batches[0].file, QStringLiteral("feb.csv"));
    QCOMPARE(batches[0].entries, 1);
    QCOMPARE(batches[1].entries, 3);
    QCOMPARE(import.takeBack(batches[1].id), 3);
    QCOMPARE(p.rows(QStringLiteral("select adddate, money from mysalary order by adddate")),
             (QList<QStringList>{{"2024-01-01", "5"}, {"2024-02-01", "3"}}));
    QCOMPARE(import.imports().size(), 1);
    QCOMPARE(import.imports()[0].id, second);
    // Taken back, the bill imports afresh.
    QCOMPARE(totalsOf(import.preview(alipay(kJanuary))).entries, 3);
}

void TestImportBooks::deletedEntryIsForgotten() {
    TestProgram p;
    BillImport import(p.databasePath(), p.folder());
    const qint64 batch =
        import.write(QStringLiteral("a.csv"), import.preview(alipay(kJanuary.mid(0, 1))), kAt);
    const QString id = p.scalar(QStringLiteral("select max(id) from mysalary")).toString();
    p.exec(QStringLiteral("delete from mysalary"));
    // A new entry of the user's that takes the same key is never taken back with the import.
    p.exec(QStringLiteral("insert into mysalary (id, adddate, sz, money) values (%1, "
                          "'2024-05-05', '支出', 7)")
               .arg(id));
    QCOMPARE(import.takeBack(batch), 0);
    QCOMPARE(entries(p), 1);
}

void TestImportBooks::entriesTakeTheNumbersAfterTheLast_data() {
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<int>("firstId");
    const auto entry = [](int id) {
        return QStringLiteral("insert into mysalary (id, adddate, sz, money) values (%1, "
                              "'2023-06-01', '支出', 1)")
            .arg(id);
    };
    QTest::newRow("empty ledger") << QStringList() << 1;
    QTest::newRow("after the user's entries") << QStringList{entry(1), entry(2)} << 3;
    QTest::newRow("gap before the last") << QStringList{entry(1), entry(7)} << 8;
    QTest::newRow("last entry deleted")
        << QStringList{entry(1), entry(2), entry(3),
                       QStringLiteral("delete from mysalary where id = 3")}
        << 3;
}

void TestImportBooks::entriesTakeTheNumbersAfterTheLast() {
    QFETCH(QStringList, before);
    QFETCH(int, firstId);
    TestProgram p;
    for (const QString& sql : before)
        p.exec(sql);
    const int userEntries = entries(p);
    BillImport import(p.databasePath(), p.folder());
    // A refund netted into its purchase: both rows' records point to the one entry.
    QList<BillRow> bill = kJanuary;
    bill << billRow("2024-01-07", "不计收支", "2.50", "滴滴出行", "退款", "a1_r", "退款成功");
    const Preview preview = import.preview(alipay(bill));
    QCOMPARE(totalsOf(preview).entries, 3);
    const qint64 batch = import.write(QStringLiteral("bill.csv"), preview, kAt);
    QVERIFY(batch > 0);
    const auto id = [&](int n) { return QString::number(firstId + n); };
    QCOMPARE(p.rows(QStringLiteral("select m.id, m.adddate, m.money, count(*) from importentry e "
                                   "join mysalary m on m.id = e.salaryid group by m.id order by "
                                   "m.id")),
             (QList<QStringList>{{id(0), "2024-01-03", "10", "2"},
                                 {id(1), "2024-01-04", "0.1", "1"},
                                 {id(2), "2024-01-05", "0.2", "1"}}));
    // The refund's record has no transaction number of its own.
    QCOMPARE(
        p.scalar(QStringLiteral("select count(*) from importentry where txno is null")).toInt(), 1);
    // The rows as stated point to the same entries.
    QCOMPARE(p.rows(QStringLiteral("select s.salaryid, s.adddate = m.adddate from importseen s "
                                   "join mysalary m on m.id = s.salaryid order by s.salaryid")),
             (QList<QStringList>{{id(0), "1"}, {id(1), "1"}, {id(2), "1"}}));
    QCOMPARE(import.takeBack(batch), 3);
    QCOMPARE(entries(p), userEntries);
}

void TestImportBooks::noEntryNumbersLeftRefuses() {
    TestProgram p;
    p.exec(QStringLiteral("insert into mysalary (id, adddate, sz, money) values "
                          "(9223372036854775806, '2023-06-01', '支出', 1)"));
    BillImport import(p.databasePath(), p.folder());
    bool refused = false;
    try {
        import.write(QStringLiteral("a.csv"), import.preview(alipay(kJanuary)), kAt);
    } catch (const AppError& e) {
        refused = true;
        QVERIFY(e.text().contains(QStringLiteral("no entry numbers left")));
    }
    QVERIFY(refused);
    QCOMPARE(entries(p), 1);
    QCOMPARE(p.scalar(QStringLiteral("select count(*) from importbatch")).toInt(), 0);
}

void TestImportBooks::allOrNone() {
    TestProgram p;
    // The books refuse the third entry: nothing of the import stays.
    p.exec(QStringLiteral("create trigger refuse before insert on mysalary when new.money = 0.2 "
                          "begin select raise(abort, 'refused'); end"));
    BillImport import(p.databasePath(), p.folder());
    bool thrown = false;
    try {
        import.write(QStringLiteral("a.csv"), import.preview(alipay(kJanuary)), kAt);
    } catch (const AppError& e) {
        thrown = true;
        QVERIFY(e.text().contains(QStringLiteral("refused")));
    }
    QVERIFY(thrown);
    QCOMPARE(entries(p), 0);
    QCOMPARE(p.scalar(QStringLiteral("select count(*) from importbatch")).toInt(), 0);
    QCOMPARE(p.scalar(QStringLiteral("select count(*) from importentry")).toInt(), 0);
}

void TestImportBooks::writesAgainAfterARefusal() {
    TestProgram p;
    p.exec(QStringLiteral("create trigger refuse before insert on mysalary when new.money = 0.2 "
                          "begin select raise(abort, 'refused'); end"));
    BillImport import(p.databasePath(), p.folder());
    const Preview preview = import.preview(alipay(kJanuary));
    QVERIFY_THROWS_EXCEPTION(AppError, import.write(QStringLiteral("a.csv"), preview, kAt));
    // Nothing of the refused write is left on the connection to stand in the way of the next.
    p.exec(QStringLiteral("drop trigger refuse"));
    QVERIFY(import.write(QStringLiteral("a.csv"), preview, kAt) > 0);
    QCOMPARE(entries(p), 3);
    QCOMPARE(p.scalar(QStringLiteral("select count(*) from importentry")).toInt(), 3);
}

void TestImportBooks::readOnlyBooksRefuse() {
    if (::geteuid() == 0)
        QSKIP("permission bits do not stop root; read-only books are decided in tst_books");
    TestProgram p;
    QFile::setPermissions(p.databasePath(), QFileDevice::ReadOwner);
    BillImport import(p.databasePath(), p.folder());
    QVERIFY(import.isReadOnly());
    const Preview preview = import.preview(alipay(kJanuary));
    QCOMPARE(totalsOf(preview).entries, 3);
    bool refused = false;
    try {
        import.write(QStringLiteral("a.csv"), preview, kAt);
    } catch (const AppError& e) {
        refused = true;
        QCOMPARE(e.text(), books::readOnlyRefusal());
    }
    QVERIFY(refused);
    QFile::setPermissions(p.databasePath(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    QCOMPARE(entries(p), 0);
}

void TestImportBooks::commandLine_data() {
    QTest::addColumn<QStringList>("extra");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("err");
    QTest::addColumn<int>("written");
    QTest::newRow("import") << QStringList{} << 0 << "BILL: 2 条新记录, 0 条重复, 1 条跳过\n"
                            << "" << 2;
    QTest::newRow("dry run") << QStringList{"--dry-run"} << 0
                             << "日期,收支,大类,细类,金额,支付方式,备注,状态\r\n"
                                "2024-01-03,支出,交通,打车,12.50,支付宝,滴滴出行 行程,\r\n"
                                "2024-01-04,收入,,,0.20,支付宝,\"某人, 朋友\",\r\n"
                             << "BILL: 2 条新记录, 0 条重复, 1 条跳过\n"
                             << 0;
    QTest::newRow("unknown option") << QStringList{"--fast"} << 2 << ""
                                    << "未知选项" << 0;
    QTest::newRow("missing file") << QStringList{"/nonexistent.csv"} << 1 << ""
                                  << "无法读取" << 0;
}

void TestImportBooks::commandLine() {
    QFETCH(QStringList, extra);
    QFETCH(int, status);
    QFETCH(QString, out);
    QFETCH(QString, err);
    QFETCH(int, written);
    TestProgram p;
    const QString bill = p.folder() + QStringLiteral("/BILL");
    writeTestBill(
        bill, QStringLiteral("支付宝"),
        {QStringLiteral("2024-01-03,08:00:00,支出,12.50,交通出行,滴滴出行,行程,余额,交易成功,t1,,"),
         QStringLiteral("2024-01-04,09:00:00,收入,0.20,新类型,\"某人, 朋友\",/,余额,交易成功,t2,,"),
         QStringLiteral("2024-01-05,09:00:00,不计收支,9.00,投资理财,余额宝,/,余额,交易成功,t3,,")});
    QString outText, errText;
    QTextStream outStream(&outText), errStream(&errText);
    importcommand::Environment env{outStream,
                                   errStream,
                                   [](const QString& path, const PasswordPrompt&,
                                      const StatementOptions&) { return readTestBill(path); },
                                   nullptr,
                                   p.databasePath(),
                                   p.folder(),
                                   kAt};
    QDir::setCurrent(p.folder());
    QStringList args = extra;
    if (!extra.contains(QStringLiteral("/nonexistent.csv")))
        args << QStringLiteral("BILL");
    QCOMPARE(importcommand::run(args, env), status);
    QCOMPARE(outText, out);
    if (err.isEmpty())
        QCOMPARE(errText, err);
    else
        QVERIFY2(errText.contains(err), qPrintable(errText));
    QCOMPARE(entries(p), written);
}

void TestImportBooks::commandLineTwoFilesOneTransaction() {
    TestProgram p;
    const QString a = p.folder() + QStringLiteral("/a.csv");
    const QString b = p.folder() + QStringLiteral("/b.csv");
    const QString row1 = QStringLiteral("2024-01-03,08:00:00,支出,12.50,,店,/,余额,交易成功,t1,,");
    const QString row2 = QStringLiteral("2024-01-04,08:00:00,支出,1.50,,店,/,余额,交易成功,t2,,");
    writeTestBill(a, QStringLiteral("支付宝"), {row1});
    writeTestBill(b, QStringLiteral("支付宝"), {row1, row2});
    QString outText, errText;
    QTextStream outStream(&outText), errStream(&errText);
    importcommand::Environment env{outStream,
                                   errStream,
                                   [](const QString& path, const PasswordPrompt&,
                                      const StatementOptions&) { return readTestBill(path); },
                                   nullptr,
                                   p.databasePath(),
                                   p.folder(),
                                   kAt};
    // The second bill overlaps the first: only its new row is added.
    QCOMPARE(importcommand::run({a, b}, env), 0);
    QVERIFY2(outText.contains(b + QStringLiteral(": 1 条新记录, 1 条重复, 0 条跳过")),
             qPrintable(outText));
    QCOMPARE(entries(p), 2);
    // A failing file among them writes nothing at all.
    const QString c = p.folder() + QStringLiteral("/c.csv");
    writeTestBill(c, QStringLiteral("支付宝"),
                  {QStringLiteral("2024-02-04,08:00:00,支出,1.50,,店,/,余额,交易成功,t9,,")});
    QCOMPARE(importcommand::run({c, QStringLiteral("/nonexistent.csv")}, env), 1);
    QCOMPARE(entries(p), 2);
}

QTEST_GUILESS_MAIN(TestImportBooks)
#include "tst_importbooks.moc"
