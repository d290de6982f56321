// Reading single values through a query dataset: NULL totals, the three readings, month and
// range filters at the edges of a month, and statements that fail.
#include "data/datasourceentry.h"
#include "data/querydataset.h"
#include "platform/apperror.h"
#include "support/testprogram.h"

#include <QTest>

class TestQueryDataset : public QObject {
    Q_OBJECT
private slots:
    void singleValues_data();
    void singleValues();
    void brokenStatementWritesNothing();
    void passwordUpdate();
    void boundValues();
    void rowsOfAStatement();
    void entryIsNeverReadBack();
};

void TestQueryDataset::singleValues_data() {
    QTest::addColumn<QString>("rows"); // inserted into mysalary first, ';'-separated
    QTest::addColumn<QString>("statement");
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("number"); // NaN: no number
    QTest::addColumn<qint64>("integer");

    QTest::newRow("total over no rows") << ""
                                        << "select sum(money) from mysalary"
                                        << "" << 0.0 << qint64(0);
    QTest::newRow("no row at all") << ""
                                   << "select money from mysalary"
                                   << "" << 0.0 << qint64(0);
    QTest::newRow("binary fractions add up")
        << "('2026-12-01','收入',0.1);('2026-12-02','收入',0.2)"
        << "select sum(money) from mysalary where sz='收入'"
        << "0.3" << 0.30000000000000004 << qint64(0);
    QTest::newRow("empty amounts skipped")
        << "('2026-12-01','支出',12.25);('2026-12-02','支出',null)"
        << "select sum(money) from mysalary where sz='支出'"
        << "12.25" << 12.25 << qint64(12);
    QTest::newRow("first day of the month")
        << "('2026-11-30','收入',1);('2026-12-01','收入',2);('2026-12-31','收入',4);"
           "('2027-01-01','收入',8)"
        << "select sum(money) from mysalary where sz='收入' and left(adddate,7)='2026-12' "
           "order by 1 desc"
        << "6" << 6.0 << qint64(6);
    QTest::newRow("range ends belong to it")
        << "('2026-09-30','支出',1);('2026-10-01','支出',2);('2026-12-31','支出',4);"
           "('2027-01-01','支出',8)"
        << "select sum(money) from mysalary where sz='支出' and adddate >= #2026-10-01# and "
           "adddate<= #2026-12-31#"
        << "6" << 6.0 << qint64(6);
    QTest::newRow("one day") << "('2026-12-09','收入',3);('2026-12-10','收入',5)"
                             << "select sum(money) from mysalary where sz='收入' and "
                                "adddate=#2026-12-09#"
                             << "3" << 3.0 << qint64(3);
    QTest::newRow("year") << "('2025-12-31','收入',3);('2026-01-01','收入',5)"
                          << "select sum(money) from mysalary where sz='收入' and "
                             "left(adddate,4)='2026' order by 1 desc"
                          << "5" << 5.0 << qint64(5);
    // Text that is no number: reading it as a number is a conversion error.
    QTest::newRow("text") << ""
                          << "select interestname from bankinterest"
                          << "整存整取三个月" << qQNaN() << qint64(0);
    QTest::newRow("large total in the general format")
        << "('2026-12-01','收入',123456789012.345)"
        << "select sum(money) from mysalary"
        << "123456789012.345" << 123456789012.345 << qint64(123456789012);
}

void TestQueryDataset::singleValues() {
    QFETCH(QString, rows);
    QFETCH(QString, statement);
    QFETCH(QString, text);
    QFETCH(double, number);
    QFETCH(qint64, integer);
    TestProgram tp;
    for (const QString& r : rows.split(u';', Qt::SkipEmptyParts))
        tp.exec(QStringLiteral("insert into mysalary (adddate, sz, money) values %1").arg(r));
    QueryDataset q(tp.books());
    QCOMPARE(q.readText(statement), text);
    QVERIFY(!q.isOpen());
    if (qIsNaN(number)) {
        QVERIFY_THROWS_EXCEPTION(AppError, q.readNumber(statement));
    } else {
        QCOMPARE(q.readNumber(statement), number);
    }
    q.setStatement(statement);
    q.open();
    QCOMPARE(q.integer(), integer);
    QCOMPARE(q.text(), text);
}

void TestQueryDataset::brokenStatementWritesNothing() {
    // A value holding a single quote breaks its statement; nothing is written.
    TestProgram tp;
    tp.exec(QStringLiteral("update user set password='old' where id=1"));
    QueryDataset q(tp.books());
    try {
        q.execute(QStringLiteral("update user set password='it's' where id=1"));
        QFAIL("the broken statement ran");
    } catch (const AppError& e) {
        QCOMPARE(e.text(), QStringLiteral("near \"s\": syntax error"));
    }
    QCOMPARE(tp.scalar(QStringLiteral("select password from user")).toString(),
             QStringLiteral("old"));
    try {
        q.readText(QStringLiteral("select x from nowhere"));
        QFAIL("the broken statement ran");
    } catch (const AppError& e) {
        QCOMPARE(e.text(), QStringLiteral("no such table: nowhere"));
    }
    QVERIFY(!q.isOpen());
}

void TestQueryDataset::passwordUpdate() {
    TestProgram tp;
    QueryDataset q(tp.books(), QStringLiteral("select password from user"));
    q.execute(QStringLiteral("update user set password='0123' where id=1"));
    // Digits stay text: the leading zero is kept.
    QCOMPARE(q.readText(QStringLiteral("select password from user")), QStringLiteral("0123"));
    QCOMPARE(tp.scalar(QStringLiteral("select password from user")).toString(),
             QStringLiteral("0123"));
}

void TestQueryDataset::boundValues() {
    TestProgram tp;
    tp.exec(QStringLiteral("insert into mysalary (adddate, sz, szdl, money) values "
                           "('2026-12-01', '支出', 'a''b', 1), ('2026-12-02', '支出', 'c', 2)"));
    QueryDataset q(tp.books());
    // Values reach the statement as values: quotes, a backslash and statement text included.
    const QString odd = QStringLiteral("it's \\ ' or '1'='1");
    QCOMPARE(q.execute(QStringLiteral("update mysalary set memo=? where szdl=?"),
                       {odd, QStringLiteral("a'b")}),
             1);
    QCOMPARE(tp.scalar(QStringLiteral("select memo from mysalary where szdl='a''b'")).toString(),
             odd);
    QCOMPARE(q.execute(QStringLiteral("update mysalary set memo=? where szdl=?"),
                       {QStringLiteral("x"), odd}),
             0);
    // The dialect still applies around the placeholders.
    q.setStatement(QStringLiteral(
        "select sum(money) from mysalary where left(adddate,7)=? and adddate >= #2026-12-02#"));
    q.open({QStringLiteral("2026-12")});
    QCOMPARE(q.text(), QStringLiteral("2"));
    q.setStatement(QStringLiteral("select count(*) from mysalary where memo=?"));
    q.open({odd});
    QCOMPARE(q.integer(), qint64(1));
    // A value count that does not fit is the data layer's error.
    QVERIFY_THROWS_EXCEPTION(AppError, q.open({odd, odd}));
}

void TestQueryDataset::rowsOfAStatement() {
    TestProgram tp;
    tp.exec(QStringLiteral("insert into mysalary (adddate, sz, money) values "
                           "('2026-12-01','收入',1), ('2026-12-03','支出',2), "
                           "('2026-12-02','收入',3)"));
    QueryDataset q(tp.books());
    q.setStatement(QStringLiteral("select adddate, money from mysalary order by adddate desc"));
    q.open();
    QCOMPARE(q.model()->rowCount(), 3);
    QCOMPARE(q.model()->data(q.model()->index(0, 0)).toString(), QStringLiteral("2026-12-03"));
    QCOMPARE(q.model()->data(q.model()->index(2, 1)).toDouble(), 1.0);
    q.close();
    QCOMPARE(q.model()->rowCount(), 0);
}

void TestQueryDataset::entryIsNeverReadBack() {
    // The data source entry is for other tools: a dataset opens the books it was given, with
    // the entry gone or naming another file.
    TestProgram tp;
    tp.exec(QStringLiteral("update user set password='ours' where id=1"));
    QFile::remove(tp.odbcIniPath());
    QueryDataset q(tp.books());
    QCOMPARE(q.readText(QStringLiteral("select password from user")), QStringLiteral("ours"));
    QVERIFY(datasource::writeEntry(tp.odbcIniPath(), tp.folder() + QStringLiteral("/other.mdb")) ==
            datasource::WriteResult::Written);
    QueryDataset later(tp.books());
    QCOMPARE(later.readText(QStringLiteral("select password from user")), QStringLiteral("ours"));
}

QTEST_GUILESS_MAIN(TestQueryDataset)
#include "tst_querydataset.moc"
