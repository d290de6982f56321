// Period keys, the statements of each period, and the totals computed from them.
#include "data/dialect.h"
#include "data/formats.h"
#include "data/querydataset.h"
#include "platform/apperror.h"
#include "reports/logic/periods.h"
#include "support/ledgerentries.h"
#include "support/testprogram.h"

#include <QSqlRecord>
#include <QTest>

using namespace periods;

Q_DECLARE_METATYPE(periods::Period)
Q_DECLARE_METATYPE(periods::StatementKind)

namespace {

using Entry = LedgerEntry;

void insert(TestProgram& tp, const QList<Entry>& entries) {
    insertEntries(tp, entries);
}

} // namespace

class TestPeriods : public QObject {
    Q_OBJECT
private slots:
    void statements_data();
    void statements();
    void overallSums();
    void currentPeriod_data();
    void currentPeriod();
    void quarterBounds_data();
    void quarterBounds();
    void typedQuarterYear_data();
    void typedQuarterYear();
    void quarterOutOfRangeIsRefused_data();
    void quarterOutOfRangeIsRefused();
    void totals_data();
    void totals();
    void periodSelectsItsEntries_data();
    void periodSelectsItsEntries();
    void failedSumLeavesQueryClosed();
    void totalsLine_data();
    void totalsLine();
    void analysisGroupsPerCategory();
    void periodStatementsUseAnIndex_data();
    void periodStatementsUseAnIndex();
};

void TestPeriods::statements_data() {
    QTest::addColumn<Period>("period");
    QTest::addColumn<StatementKind>("kind");
    QTest::addColumn<QString>("sql");

    // Keys: day 2026-12-09, month 2005-03, quarter 4 of 2026, year 2026.
    using K = StatementKind;
    const auto row = [](const char* name, Period p, K k, const char* sql) {
        QTest::newRow(name) << p << k << QString::fromUtf8(sql);
    };

    row("day income sum", Period::Day, K::IncomeSum,
        "select sum(money) from mysalary where sz='收入' and adddate=#2026-12-09#");
    row("day expenditure sum", Period::Day, K::ExpenditureSum,
        "select sum(money) from mysalary where sz='支出' and adddate=#2026-12-09#");
    row("day all entries", Period::Day, K::AllEntries,
        "select * from mysalary where adddate=#2026-12-09# order by adddate desc");
    row("day refreshed entries", Period::Day, K::RefreshedEntries,
        "select * from mysalary where  adddate=#2026-12-09# order by adddate desc");
    row("day income entries", Period::Day, K::IncomeEntries,
        "select * from mysalary where sz='收入' and adddate=#2026-12-09# order by adddate desc");
    row("day expenditure entries", Period::Day, K::ExpenditureEntries,
        "select * from mysalary where sz='支出' and adddate=#2026-12-09# order by adddate desc");
    row("day analysis", Period::Day, K::Analysis,
        "select sz,szdl,szxl,count(szxl) as CountSZ,sum(money) as SumSZ,avg(money) as AvgSZ "
        "from mysalary where adddate=#2026-12-09# group by sz,szdl,szxl order by sz,szdl");

    row("month income sum", Period::Month, K::IncomeSum,
        "select sum(money) from mysalary where sz='收入' and left(adddate,7)='2005-03' "
        "order by 1 desc");
    row("month expenditure sum", Period::Month, K::ExpenditureSum,
        "select sum(money) from mysalary where sz='支出' and left(adddate,7)='2005-03' "
        "order by 1 desc");
    row("month all entries", Period::Month, K::AllEntries,
        "select * from mysalary where  left(adddate,7)='2005-03' order by adddate desc");
    row("month refreshed entries", Period::Month, K::RefreshedEntries,
        "select * from mysalary where  left(adddate,7)='2005-03' order by adddate desc");
    row("month income entries", Period::Month, K::IncomeEntries,
        "select * from mysalary where sz='收入' and left(adddate,7)='2005-03' order by adddate "
        "desc");
    row("month expenditure entries", Period::Month, K::ExpenditureEntries,
        "select * from mysalary where sz='支出' and left(adddate,7)='2005-03' order by adddate "
        "desc");
    row("month analysis", Period::Month, K::Analysis,
        "select sz,szdl,szxl,count(szxl) as CountSZ,sum(money) as SumSZ,avg(money) as AvgSZ "
        "from mysalary where left(adddate,7)='2005-03' group by sz,szdl,szxl order by sz,szdl");

    row("quarter income sum", Period::Quarter, K::IncomeSum,
        "select sum(money)  from mysalary where sz='收入' and adddate >= #2026-10-01# and "
        "adddate<= #2026-12-31#");
    row("quarter expenditure sum", Period::Quarter, K::ExpenditureSum,
        "select sum(money) from mysalary where sz='支出' and adddate >= #2026-10-01# and "
        "adddate<= #2026-12-31#");
    row("quarter all entries", Period::Quarter, K::AllEntries,
        "select * from mysalary where  adddate >= #2026-10-01# and adddate<= #2026-12-31# "
        "order by adddate desc");
    row("quarter refreshed entries", Period::Quarter, K::RefreshedEntries,
        "select * from mysalary where  adddate >= #2026-10-01# and adddate<= #2026-12-31# "
        "order by adddate desc");
    row("quarter income entries", Period::Quarter, K::IncomeEntries,
        "select * from mysalary where sz='收入' and adddate >= #2026-10-01# and adddate<= "
        "#2026-12-31# order by adddate desc");
    row("quarter expenditure entries", Period::Quarter, K::ExpenditureEntries,
        "select * from mysalary where sz='支出' and adddate >= #2026-10-01# and adddate<= "
        "#2026-12-31# order by adddate desc");
    row("quarter analysis", Period::Quarter, K::Analysis,
        "select sz,szdl,szxl,count(szxl) as CountSZ,sum(money) as SumSZ,avg(money) as AvgSZ "
        "from mysalary where adddate >= #2026-10-01# and adddate<= #2026-12-31#  group by "
        "sz,szdl,szxl order by sz,szdl");

    row("year income sum", Period::Year, K::IncomeSum,
        "select sum(money)  from mysalary where sz='收入' and left(adddate,4)='2026' order by 1 "
        "desc");
    row("year expenditure sum", Period::Year, K::ExpenditureSum,
        "select sum(money) from mysalary where sz='支出' and left(adddate,4)='2026' order by 1 "
        "desc");
    row("year all entries", Period::Year, K::AllEntries,
        "select * from mysalary where  left(adddate,4)='2026' order by adddate desc");
    row("year refreshed entries", Period::Year, K::RefreshedEntries,
        "select * from mysalary where  left(adddate,4)='2026' order by adddate desc");
    row("year income entries", Period::Year, K::IncomeEntries,
        "select * from mysalary where sz='收入' and left(adddate,4)='2026' order by adddate desc");
    row("year expenditure entries", Period::Year, K::ExpenditureEntries,
        "select * from mysalary where sz='支出' and left(adddate,4)='2026' order by adddate desc");
    row("year analysis", Period::Year, K::Analysis,
        "select sz,szdl,szxl,count(szxl) as CountSZ,sum(money) as SumSZ,avg(money) as AvgSZ "
        "from mysalary where  left(adddate,4)='2026'  group by sz,szdl,szxl order by sz,szdl");
}

void TestPeriods::statements() {
    QFETCH(Period, period);
    QFETCH(StatementKind, kind);
    QFETCH(QString, sql);
    PeriodKey key;
    switch (period) {
    case Period::Day:
        key = {QStringLiteral("2026-12-09"), {}};
        break;
    case Period::Month:
        key = {QStringLiteral("2005-03"), {}};
        break;
    case Period::Quarter:
        key = periods::quarterBounds(QStringLiteral("2026"), 4);
        break;
    case Period::Year:
        key = {QStringLiteral("2026"), {}};
        break;
    }
    QCOMPARE(periodSql(period, kind, key), sql);
}

void TestPeriods::overallSums() {
    const SumStatements s = periods::overallSums();
    QCOMPARE(s.income, QStringLiteral("select sum(money) from mysalary where sz='收入'"));
    QCOMPARE(s.expenditure, QStringLiteral("select sum(money) from mysalary where sz='支出'"));
}

void TestPeriods::currentPeriod_data() {
    QTest::addColumn<QDateTime>("now");
    QTest::addColumn<QString>("day");
    QTest::addColumn<QString>("month");
    QTest::addColumn<QString>("year");
    QTest::addColumn<int>("monthNumber");
    QTest::addColumn<int>("quarter");
    const auto at = [](int y, int m, int d, int h = 0, int min = 0) {
        return QDateTime(QDate(y, m, d), QTime(h, min));
    };
    QTest::newRow("1 January") << at(2026, 1, 1) << "2026-01-01"
                               << "2026-01"
                               << "2026" << 1 << 1;
    QTest::newRow("31 March, late") << at(2026, 3, 31, 23, 59) << "2026-03-31"
                                    << "2026-03"
                                    << "2026" << 3 << 1;
    QTest::newRow("1 April") << at(2026, 4, 1) << "2026-04-01"
                             << "2026-04"
                             << "2026" << 4 << 2;
    QTest::newRow("May") << at(2026, 5, 17) << "2026-05-17"
                         << "2026-05"
                         << "2026" << 5 << 2;
    QTest::newRow("30 September") << at(2026, 9, 30) << "2026-09-30"
                                  << "2026-09"
                                  << "2026" << 9 << 3;
    QTest::newRow("1 October") << at(2026, 10, 1) << "2026-10-01"
                               << "2026-10"
                               << "2026" << 10 << 4;
    QTest::newRow("31 December") << at(2026, 12, 31, 23, 59) << "2026-12-31"
                                 << "2026-12"
                                 << "2026" << 12 << 4;
    QTest::newRow("March 2005: two-digit month") << at(2005, 3, 8) << "2005-03-08"
                                                 << "2005-03"
                                                 << "2005" << 3 << 1;
}

void TestPeriods::currentPeriod() {
    QFETCH(QDateTime, now);
    const CurrentPeriod p = periods::currentPeriod(now);
    QTEST(p.day, "day");
    QTEST(p.month, "month");
    QTEST(p.year, "year");
    QTEST(p.monthNumber, "monthNumber");
    QTEST(p.quarter, "quarter");
}

void TestPeriods::quarterBounds_data() {
    QTest::addColumn<QString>("year");
    QTest::addColumn<int>("quarter");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("last");
    QTest::newRow("1") << "2026" << 1 << "2026-01-01"
                       << "2026-03-31";
    QTest::newRow("2") << "2026" << 2 << "2026-04-01"
                       << "2026-06-30";
    QTest::newRow("3") << "2026" << 3 << "2026-07-01"
                       << "2026-09-30";
    QTest::newRow("4") << "2026" << 4 << "2026-10-01"
                       << "2026-12-31";
    QTest::newRow("year text unchanged") << "+2004" << 1 << "+2004-01-01"
                                         << "+2004-03-31";
}

void TestPeriods::quarterBounds() {
    QFETCH(QString, year);
    QFETCH(int, quarter);
    const PeriodKey k = periods::quarterBounds(year, quarter);
    QTEST(k.first, "first");
    QTEST(k.last, "last");
}

void TestPeriods::typedQuarterYear_data() {
    QTest::addColumn<QString>("year");
    QTest::addColumn<int>("quarter");
    QTest::addColumn<QString>("incomeText");
    QTest::newRow("2005, first") << "2005" << 1 << "11.00";
    QTest::newRow("1999, a year without entries") << "1999" << 1 << "0.00";
    // As plain bounds, 2005-03-10-01 to 2005-03-12-31 would select 2005-03-11.
    QTest::newRow("2005-03, fourth") << "2005-03" << 4 << "0.00";
    QTest::newRow("empty year") << "" << 1 << "0.00";
    QTest::newRow("year 0000") << "0000" << 1 << "0.00";
    QTest::newRow("signed year") << "+2005" << 1 << "0.00";
}

// A quarter whose typed year makes no date selects nothing, not days of another period.
void TestPeriods::typedQuarterYear() {
    QFETCH(QString, year);
    QFETCH(int, quarter);
    TestProgram tp;
    insert(tp,
           {{"2005-01-15", "收入", 10}, {"2005-03-11", "收入", 1}, {"2026-02-01", "收入", 100}});
    QueryDataset query(tp.books());
    const PeriodKey key = chosenQuarterBounds(year, quarter);
    QTEST(computeTotals(query, periodSums(Period::Quarter, key)).income, "incomeText");
    query.setStatement(periodSql(Period::Quarter, StatementKind::AllEntries, key));
    query.open();
    QFETCH(QString, incomeText);
    QCOMPARE(query.model()->rowCount() == 0, incomeText == QLatin1String("0.00"));
}

void TestPeriods::quarterOutOfRangeIsRefused_data() {
    QTest::addColumn<int>("quarter");
    QTest::newRow("0") << 0;
    QTest::newRow("5") << 5;
    QTest::newRow("-1") << -1;
}

void TestPeriods::quarterOutOfRangeIsRefused() {
    QFETCH(int, quarter);
    try {
        periods::quarterBounds(QStringLiteral("2026"), quarter);
        QFAIL("quarter accepted");
    } catch (const AppError& e) {
        QVERIFY(e.text().contains(QString::number(quarter)));
    }
}

void TestPeriods::totals_data() {
    QTest::addColumn<QList<double>>("income");
    QTest::addColumn<QList<double>>("expenditure");
    QTest::addColumn<QString>("incomeText");
    QTest::addColumn<QString>("expenditureText");
    QTest::addColumn<QString>("balanceText");
    QTest::newRow("no entries") << QList<double>{} << QList<double>{} << "0.00"
                                << "0.00"
                                << "0.00";
    QTest::newRow("negative balance") << QList<double>{10} << QList<double>{12.5} << "10.00"
                                      << "12.50"
                                      << "-2.50";
    QTest::newRow("rounded before subtraction")
        << QList<double>{0.004} << QList<double>{0.006} << "0.00"
        << "0.01"
        << "-0.01";
    QTest::newRow("no thousands separator")
        << QList<double>{12345.6} << QList<double>{} << "12345.60"
        << "0.00"
        << "12345.60";
    QTest::newRow("sums of several")
        << QList<double>{0.1, 0.2} << QList<double>{1000, 250.5} << "0.30"
        << "1250.50"
        << "-1250.20";
}

void TestPeriods::totals() {
    QFETCH(QList<double>, income);
    QFETCH(QList<double>, expenditure);
    TestProgram tp;
    QList<Entry> entries;
    for (double v : income)
        entries << Entry{"2026-12-09", "收入", v};
    for (double v : expenditure)
        entries << Entry{"2026-12-09", "支出", v};
    // Another day's entries stay out of the day's totals.
    entries << Entry{"2026-12-08", "收入", 7} << Entry{"2026-12-10", "支出", 9};
    insert(tp, entries);

    QueryDataset query(tp.books());
    const Totals t =
        computeTotals(query, periodSums(Period::Day, {QStringLiteral("2026-12-09"), {}}));
    QTEST(t.income, "incomeText");
    QTEST(t.expenditure, "expenditureText");
    QTEST(t.balance, "balanceText");
    QVERIFY(!query.isOpen());
}

void TestPeriods::periodSelectsItsEntries_data() {
    QTest::addColumn<Period>("period");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("last");
    QTest::addColumn<QString>("incomeText");

    // Each entry's amount names it: the sum tells which entries a period selected.
    QTest::newRow("quarter 1") << Period::Quarter << "2026-01-01"
                               << "2026-03-31"
                               << "11.00";
    QTest::newRow("quarter 2") << Period::Quarter << "2026-04-01"
                               << "2026-06-30"
                               << "100.00";
    QTest::newRow("quarter 4") << Period::Quarter << "2026-10-01"
                               << "2026-12-31"
                               << "1000.00";
    QTest::newRow("month 2005-03") << Period::Month << "2005-03"
                                   << ""
                                   << "30000.00";
    QTest::newRow("day") << Period::Day << "2026-12-31"
                         << ""
                         << "1000.00";
    QTest::newRow("year") << Period::Year << "2026"
                          << ""
                          << "1111.00";
    QTest::newRow("unknown key") << Period::Month << "2005-3"
                                 << ""
                                 << "0.00";
}

void TestPeriods::periodSelectsItsEntries() {
    QFETCH(Period, period);
    QFETCH(QString, first);
    QFETCH(QString, last);
    TestProgram tp;
    insert(tp, {{"2026-01-01", "收入", 1},
                {"2026-03-31", "收入", 10},
                {"2026-04-01", "收入", 100},
                {"2026-12-31", "收入", 1000},
                {"2005-02-28", "收入", 2000},
                {"2005-03-01", "收入", 10000},
                {"2005-03-31", "收入", 20000},
                {"2005-04-01", "收入", 40000},
                {"2006-03-15", "收入", 80000}});
    QueryDataset query(tp.books());
    const Totals t = computeTotals(query, periodSums(period, {first, last}));
    QTEST(t.income, "incomeText");
    QCOMPARE(t.expenditure, QStringLiteral("0.00"));

    // The entries list of the period holds the same entries, newest first.
    query.setStatement(periodSql(period, StatementKind::AllEntries, {first, last}));
    query.open();
    double sum = 0;
    QString previous = QStringLiteral("9999");
    for (int r = 0; r < query.model()->rowCount(); ++r) {
        const QSqlRecord rec = query.model()->record(r);
        sum += rec.value(QStringLiteral("money")).toDouble();
        const QString date = rec.value(QStringLiteral("adddate")).toString();
        QVERIFY(date <= previous);
        previous = date;
    }
    QCOMPARE(QString::number(sum, 'f', 2), t.income);
}

void TestPeriods::failedSumLeavesQueryClosed() {
    TestProgram tp;
    QueryDataset query(tp.books());
    // A key holding a quote breaks its statement; the data layer's error ends the totals.
    const PeriodKey broken{QStringLiteral("2005-0'3"), {}};
    QVERIFY_THROWS_EXCEPTION(AppError, computeTotals(query, periodSums(Period::Month, broken)));
    QVERIFY(!query.isOpen());
}

void TestPeriods::totalsLine_data() {
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<QStringList>("panels");
    QTest::newRow("day") << "今日"
                         << QStringList{"今日收入：0.00元", "今日支出：0.00元", "今日余额：0.00元"};
    QTest::newRow("month") << "月"
                           << QStringList{"月收入：0.00元", "月支出：0.00元", "月余额：0.00元"};
    QTest::newRow("button: no prefix")
        << "" << QStringList{"收入：0.00元", "支出：0.00元", "余额：0.00元"};
}

void TestPeriods::totalsLine() {
    QFETCH(QString, prefix);
    QFETCH(QStringList, panels);
    const Totals zero{QStringLiteral("0.00"), QStringLiteral("0.00"), QStringLiteral("0.00")};
    const TotalsLine line = periods::totalsLine(prefix, zero);
    QCOMPARE((QStringList{line[0], line[1], line[2]}), panels);

    const Totals t{QStringLiteral("10.00"), QStringLiteral("12.50"), QStringLiteral("-2.50")};
    const TotalsLine month = periods::totalsLine(prefixWord(Period::Month), t);
    QCOMPARE(month[2], QStringLiteral("月余额：-2.50元"));
    const TotalsLine overall = overallTotalsLine(t);
    QCOMPARE((QStringList{overall[0], overall[1], overall[2]}),
             (QStringList{"总收入：10.00元", "总支出：12.50元", "余额：-2.50元"}));
}

void TestPeriods::analysisGroupsPerCategory() {
    TestProgram tp;
    insert(tp, {{"2026-12-01", "收入", 100, "工资", "基本"},
                {"2026-12-02", "收入", 50, "工资", "基本"},
                {"2026-12-03", "支出", 12345.6, "住房", "房租"},
                {"2026-12-04", "支出", 4, "住房", nullptr},
                {"2026-11-30", "收入", 999, "工资", "基本"}});
    QueryDataset query(tp.books());
    query.setStatement(
        periodSql(Period::Month, StatementKind::Analysis, {QStringLiteral("2026-12"), {}}));
    query.open();
    QSqlQueryModel* m = query.model();
    QCOMPARE(m->rowCount(), 3);
    QStringList got;
    for (int r = 0; r < m->rowCount(); ++r) {
        const QSqlRecord rec = m->record(r);
        got << QStringLiteral("%1/%2/%3 %4 %5 %6")
                   .arg(rec.value(QStringLiteral("sz")).toString(),
                        rec.value(QStringLiteral("szdl")).toString(),
                        rec.value(QStringLiteral("szxl")).toString(),
                        rec.value(QStringLiteral("CountSZ")).toString(),
                        formats::general(rec.value(QStringLiteral("SumSZ")).toDouble()),
                        formats::general(rec.value(QStringLiteral("AvgSZ")).toDouble()));
    }
    // 收入 sorts before 支出 in the store's order; an entry without a minor category is not
    // counted but is summed.
    QCOMPARE(got, (QStringList{"支出/住房/ 0 4 4", "支出/住房/房租 1 12345.6 12345.6",
                               "收入/工资/基本 2 150 75"}));
}

void TestPeriods::periodStatementsUseAnIndex_data() {
    QTest::addColumn<QString>("sql");
    const PeriodKey day{QStringLiteral("2026-12-09"), {}};
    const PeriodKey month{QStringLiteral("2026-12"), {}};
    const PeriodKey quarter = periods::quarterBounds(QStringLiteral("2026"), 4);
    const PeriodKey year{QStringLiteral("2026"), {}};
    const struct {
        const char* name;
        Period period;
        PeriodKey key;
    } periods[] = {{"day", Period::Day, day},
                   {"month", Period::Month, month},
                   {"quarter", Period::Quarter, quarter},
                   {"year", Period::Year, year}};
    const struct {
        const char* name;
        StatementKind kind;
    } kinds[] = {{"income sum", StatementKind::IncomeSum},
                 {"expenditure sum", StatementKind::ExpenditureSum},
                 {"all entries", StatementKind::AllEntries},
                 {"refreshed entries", StatementKind::RefreshedEntries},
                 {"income entries", StatementKind::IncomeEntries},
                 {"expenditure entries", StatementKind::ExpenditureEntries},
                 {"analysis", StatementKind::Analysis}};
    for (const auto& p : periods)
        for (const auto& k : kinds)
            QTest::addRow("%s %s", p.name, k.name) << periodSql(p.period, k.kind, p.key);
}

void TestPeriods::periodStatementsUseAnIndex() {
    QFETCH(QString, sql);
    TestProgram tp;
    // The program never gathers statistics, so the planner's choice rests on the indexes and
    // the statement alone, whatever the number of rows.
    tp.exec(QStringLiteral("with recursive n(i) as (select 0 union all select i + 1 from n "
                           "where i < 2000) insert into mysalary (adddate, sz, szdl, szxl, "
                           "money) select date('2020-01-01', '+' || i || ' days'), "
                           "case i % 2 when 0 then '收入' else '支出' end, 'a', 'b', i from n"));
    const QList<QStringList> plan = tp.rows(QStringLiteral("explain query plan ") + toSqlite(sql));
    QVERIFY(!plan.isEmpty());
    bool searched = false;
    for (const QStringList& step : plan) {
        const QString detail = step.last();
        QVERIFY2(!detail.startsWith(QLatin1String("SCAN")), qPrintable(detail));
        if (detail.startsWith(QLatin1String("SEARCH mysalary USING")) &&
            detail.contains(QLatin1String("INDEX mysalary_")))
            searched = true;
    }
    QVERIFY2(searched, qPrintable(plan.last().last()));
}

QTEST_GUILESS_MAIN(TestPeriods)
#include "tst_periods.moc"
