// Translation of the windows' statements into SQLite, and that each translation runs.
#include "data/dialect.h"
#include "data/querydataset.h"
#include "platform/apperror.h"
#include "support/testprogram.h"

#include <QTest>

class TestDialect : public QObject {
    Q_OBJECT
private slots:
    void translation_data();
    void translation();
    void deepNestingNeedsNoStack();
    void everyStatementRuns_data();
    void everyStatementRuns();
};

void TestDialect::translation_data() {
    QTest::addColumn<QString>("jet");
    QTest::addColumn<QString>("sqlite");
    QTest::newRow("date literal") << "select * from mysalary where adddate=#2003-11-08#"
                                  << "select * from mysalary where adddate='2003-11-08'";
    QTest::newRow("range") << "where adddate >= #2005-01-01# and adddate<= #2005-03-31#"
                           << "where adddate >= '2005-01-01' and adddate<= '2005-03-31'";
    QTest::newRow("left month") << "where left(adddate,7)='2003-11' order by 1 desc"
                                << "where substr(adddate,1,7)='2003-11' order by 1 desc";
    QTest::newRow("left upper case") << "select LEFT(adddate, 4) as x"
                                     << "select substr(adddate,1, 4) as x";
    QTest::newRow("nested") << "left(left(adddate,7),4)"
                            << "substr(substr(adddate,1,7),1,4)";
    QTest::newRow("quoted hash kept") << "select '#1#' from t where a=#2001-01-01#"
                                      << "select '#1#' from t where a='2001-01-01'";
    QTest::newRow("quoted left kept") << "where memo='left(x,1)'"
                                      << "where memo='left(x,1)'";
    QTest::newRow("word ending in left") << "select cleft(a,1)"
                                         << "select cleft(a,1)";
    QTest::newRow("false and like untouched")
        << "select sum(money) from borrow where action like '借给别人' and flag = false"
        << "select sum(money) from borrow where action like '借给别人' and flag = false";
    QTest::newRow("lone hash") << "select 1 # 2"
                               << "select 1 # 2";
    QTest::newRow("quote inside date marks is doubled") << "where adddate=#x' or '1'='1#"
                                                        << "where adddate='x'' or ''1''=''1'";
    QTest::newRow("hash inside quotes does not close") << "where a=#1'#'2# and b=1"
                                                       << "where a='1''#''2' and b=1";
    QTest::newRow("unclosed after quote stays") << "select #a 'b#'"
                                                << "select #a 'b#'";
    QTest::newRow("left as argument after comma") << "left(a,left(b,1))"
                                                  << "substr(a,1,substr(b,1,1))";
    QTest::newRow("date inside left") << "left(#2001-02-03#,4)"
                                      << "substr('2001-02-03',1,4)";
    QTest::newRow("left without comma stays") << "left(a) and left(b,2"
                                              << "left(a) and left(b,2";
}

void TestDialect::translation() {
    QFETCH(QString, jet);
    QFETCH(QString, sqlite);
    QCOMPARE(toSqlite(jet), sqlite);
}

void TestDialect::deepNestingNeedsNoStack() {
    // Deep enough to overflow the stack of a translator that recurses per level.
    const int depth = 200000;
    const QString jet = QStringLiteral("left(").repeated(depth) + QStringLiteral("a") +
                        QStringLiteral(",1)").repeated(depth);
    const QString sqlite = QStringLiteral("substr(").repeated(depth) + QStringLiteral("a") +
                           QStringLiteral(",1,1)").repeated(depth);
    QCOMPARE(toSqlite(jet), sqlite);
}

void TestDialect::everyStatementRuns_data() {
    QTest::addColumn<QString>("statement");
    const QString D = QStringLiteral("2005-03-31");
    const QString M = QStringLiteral("2005-03");
    const QString Y = QStringLiteral("2005");
    const QString S = QStringLiteral("2005-01-01");
    const QString E = QStringLiteral("2005-03-31");
    const QStringList all{
        "select password from user",
        "select * from mysalary order by adddate desc",
        "select * from mysalary",
        "select sz,szdl,szxl,count(szxl) as CountSZ,sum(money) as SumSZ,avg(money) as AvgSZ "
        "from mysalary  group by sz,szdl,szxl order by sz,szdl",
        "select sz as x,sum(money) as y from mysalary group by sz",
        "select szdl as x,sum(money) as y from mysalary group by szdl",
        "select szdl as x, sum(money) as y  from mysalary where sz='收入' group by szdl",
        "select szdl as x, sum(money) as y  from mysalary where sz='支出' group by szdl",
        "select left(adddate,7) as x, sum(money) as y  from mysalary where sz='收入' group by "
        "adddate",
        "select left(adddate,7) as x, sum(money) as y  from mysalary where sz='支出' group by "
        "adddate",
        "select interestname from bankinterest",
        "select sum(money)  from saving",
        "select sum(money) from saving",
        "select sum(totalmoney) from saving",
        "select sum(interestmoney) from saving",
        "select interesttax from tax",
        "select interestmonth,interest from bankinterest where interestname = '整存整取三个月'",
        "select * from borrow",
        "select sum(money) from borrow where action like '借给别人' and flag = false",
        "select sum(money) from borrow where action like '问别人借' and flag = false",
        "select sum(money) from mysalary where sz='收入'",
        "select sum(money) from mysalary where sz='支出'",
        "select sum(money) from mysalary where sz='收入' and adddate=#" + D + "#",
        "select sum(money) from mysalary where sz='支出' and adddate=#" + D + "#",
        "select sum(money) from mysalary where sz='收入' and left(adddate,7)='" + M +
            "' order by 1 desc",
        "select sum(money) from mysalary where sz='支出' and left(adddate,7)='" + M +
            "' order by 1 desc",
        "select sum(money)  from mysalary where sz='收入' and adddate >= #" + S +
            "# and adddate<= #" + E + "#",
        "select sum(money) from mysalary where sz='支出' and adddate >= #" + S +
            "# and adddate<= #" + E + "#",
        "select sum(money)  from mysalary where sz='收入' and left(adddate,4)='" + Y +
            "' order by 1 desc",
        "select sum(money) from mysalary where sz='支出' and left(adddate,4)='" + Y +
            "' order by 1 desc",
        "select * from mysalary where adddate=#" + D + "# order by adddate desc",
        "select * from mysalary where  adddate=#" + D + "# order by adddate desc",
        "select * from mysalary where sz='收入' and adddate=#" + D + "# order by adddate desc",
        "select * from mysalary where sz='支出' and adddate=#" + D + "# order by adddate desc",
        "select * from mysalary where  left(adddate,7)='" + M + "' order by adddate desc",
        "select * from mysalary where sz='收入' and left(adddate,7)='" + M +
            "' order by adddate desc",
        "select * from mysalary where sz='支出' and left(adddate,7)='" + M +
            "' order by adddate desc",
        "select * from mysalary where  adddate >= #" + S + "# and adddate<= #" + E +
            "# order by adddate desc",
        "select * from mysalary where sz='收入' and adddate >= #" + S + "# and adddate<= #" + E +
            "# order by adddate desc",
        "select * from mysalary where sz='支出' and adddate >= #" + S + "# and adddate<= #" + E +
            "# order by adddate desc",
        "select * from mysalary where  left(adddate,4)='" + Y + "' order by adddate desc",
        "select * from mysalary where sz='收入' and left(adddate,4)='" + Y +
            "' order by adddate desc",
        "select * from mysalary where sz='支出' and left(adddate,4)='" + Y +
            "' order by adddate desc",
        "select sz,szdl,szxl,count(szxl) as CountSZ,sum(money) as SumSZ,avg(money) as AvgSZ "
        "from mysalary where adddate=#" +
            D + "# group by sz,szdl,szxl order by sz,szdl",
        "select sz,szdl,szxl,count(szxl) as CountSZ,sum(money) as SumSZ,avg(money) as AvgSZ "
        "from mysalary where left(adddate,7)='" +
            M + "' group by sz,szdl,szxl order by sz,szdl",
        "select sz,szdl,szxl,count(szxl) as CountSZ,sum(money) as SumSZ,avg(money) as AvgSZ "
        "from mysalary where adddate >= #" +
            S + "# and adddate<= #" + E + "#  group by sz,szdl,szxl order by sz,szdl",
        "select sz,szdl,szxl,count(szxl) as CountSZ,sum(money) as SumSZ,avg(money) as AvgSZ "
        "from mysalary where  left(adddate,4)='" +
            Y + "'  group by sz,szdl,szxl order by sz,szdl",
        "update user set password='secret' where id=1",
    };
    for (const QString& s : all)
        QTest::newRow(qPrintable(s.left(90))) << s;
}

void TestDialect::everyStatementRuns() {
    QFETCH(QString, statement);
    TestProgram program;
    program.exec(QStringLiteral("insert into mysalary (adddate, sz, szdl, szxl, money) values "
                                "('2005-03-31', '收入', '工资', '基本', 100)"));
    QueryDataset q(program.books());
    try {
        if (statement.startsWith(QLatin1String("update")))
            q.execute(statement);
        else {
            q.setStatement(statement);
            q.open();
        }
    } catch (const AppError& e) {
        QFAIL(qPrintable(e.text()));
    }
}

QTEST_GUILESS_MAIN(TestDialect)
#include "tst_dialect.moc"
