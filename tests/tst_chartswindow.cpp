// The charts window: its pages and charts as it opens, what each chart shows over the ledger
// (the edge cases of the whole-ledger charts), a page change that runs its statement again, a
// statement that fails, and the opening through the ledger's 图表.
#include "app/windowfactories.h"
#include "platform/apperror.h"
#include "reports/chartswindow.h"
#include "support/ledgerentries.h"
#include "support/testprogram.h"

#include <QChart>
#include <QChartView>
#include <QPieSeries>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

using namespace charts;

namespace {

QTabWidget* pagesOf(ChartsWindow& w) {
    return w.findChild<QTabWidget*>(QStringLiteral("rzpage"));
}

QChartView* chartOf(ChartsWindow& w, int page) {
    return w.findChild<QChartView*>(chartPages().at(page).chartName);
}

// Brings a page to the front by its tab, as the user does.
void showPage(ChartsWindow& w, int page) {
    pagesOf(w)->setCurrentIndex(page);
}

// Direction, major category, date and amount of each entry of a case.
using Entries = QList<LedgerEntry>;

} // namespace

Q_DECLARE_METATYPE(Entries)

class TestChartsWindow : public QObject {
    Q_OBJECT
private slots:
    void opensOnThePie();
    void pagesShowTheLedger_data();
    void pagesShowTheLedger();
    void comingBackToAPageRunsItsStatementAgain();
    void everyRowOfALongResultCounts();
    void aFailingPageShowsTheErrorAndStaysUsable();
    void aWindowThatCannotOpenLeavesTheLedgerUsable();
};

void TestChartsWindow::opensOnThePie() {
    TestProgram tp;
    insertEntries(tp, {{"2005-03-05", "收入", 1100}, {"2005-03-06", "支出", 42.5, "餐饮"}});
    ChartsWindow w(tp.context());
    QCOMPARE(w.objectName(), QStringLiteral("fmchart"));
    QCOMPARE(w.windowTitle(), QStringLiteral("收支平衡图"));
    QCOMPARE(w.size(), QSize(534, 453));
    QVERIFY(w.maximumSize() != w.minimumSize()); // resizable

    QTabWidget* pages = pagesOf(w);
    QVERIFY(pages);
    QCOMPARE(pages->currentIndex(), 0);
    QCOMPARE(pages->count(), 6);
    for (int i = 0; i < 6; ++i) {
        QCOMPARE(pages->tabText(i), chartPages().at(i).tabText);
        QCOMPARE(pages->widget(i)->objectName(), chartPages().at(i).pageName);
        QVERIFY2(chartOf(w, i), qPrintable(chartPages().at(i).chartName));
    }
    QCOMPARE(w.dataset().statement(), chartPages().at(0).statement);
    QVERIFY(w.dataset().isOpen());

    // The pie: one slice per direction, in result order, and its description.
    QChartView* pie = chartOf(w, 0);
    const auto series = pie->chart()->series();
    QCOMPARE(series.size(), 1);
    auto* slices = qobject_cast<QPieSeries*>(series.first());
    QVERIFY(slices);
    QCOMPARE(slices->count(), 2);
    QCOMPARE(slices->slices().at(0)->label(), QStringLiteral("支出"));
    QCOMPARE(slices->slices().at(0)->value(), 42.5);
    QCOMPARE(slices->slices().at(1)->value(), 1100.0);
    QVERIFY(slices->slices().at(0)->isLabelVisible());
    QCOMPARE(pie->accessibleName(), QStringLiteral("收支饼图"));
    QCOMPARE(pie->accessibleDescription(), QStringLiteral("支出 42.50；收入 1100.00"));
    QVERIFY(pie->chart()->title().isEmpty());

    // The window shows and paints.
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QVERIFY(pagesOf(w)->geometry().size() == w.size());
}

void TestChartsWindow::pagesShowTheLedger_data() {
    QTest::addColumn<Entries>("entries");
    QTest::addColumn<QString>("more");             // further rows, in plain SQL
    QTest::addColumn<QStringList>("descriptions"); // of the six pages in order

    const QString none = QStringLiteral("无数据");
    QTest::newRow("empty ledger") << Entries{} << QString() << QStringList(6, none);
    QTest::newRow("income by month: daily rows summed per month, in date order")
        << Entries{{"2005-04-02", "收入", 30},
                   {"2005-03-07", "收入", 50},
                   {"2005-03-05", "收入", 100}}
        << QString() << QStringList{"收入 180.00", "工资 180.00", "2005-03 150.00；2005-04 30.00",
                                    none,          "工资 180.00", none};
    QTest::newRow("a major category in both directions")
        << Entries{{"2005-03-05", "收入", 200, "奖金"}, {"2005-03-06", "支出", 80, "奖金"}}
        << QString() << QStringList{"支出 80.00；收入 200.00", "奖金 280.00", "2005-03 200.00",
                                    "2005-03 80.00",           "奖金 200.00", "奖金 80.00"};
    QTest::newRow("entries without a major category are one empty label")
        << Entries{{"2005-03-05", "支出", 10, "餐饮"}, {"2005-03-06", "支出", 5, ""}}
        << QStringLiteral("insert into mysalary (adddate, sz, szdl, money) values "
                          "('2005-03-05', '支出', NULL, 20)")
        << QStringList{"支出 35.00", " 25.00；餐饮 10.00", none, "2005-03 35.00",
                       none,         " 25.00；餐饮 10.00"};
}

void TestChartsWindow::pagesShowTheLedger() {
    QFETCH(Entries, entries);
    QFETCH(QString, more);
    QFETCH(QStringList, descriptions);
    TestProgram tp;
    insertEntries(tp, entries);
    if (!more.isEmpty())
        tp.exec(more);
    ChartsWindow w(tp.context());
    // The pie first as the window opens, then each page by its tab.
    QStringList seen{chartOf(w, 0)->accessibleDescription()};
    for (int page = 1; page < 6; ++page) {
        showPage(w, page);
        QCOMPARE(w.dataset().statement(), chartPages().at(page).statement);
        seen << chartOf(w, page)->accessibleDescription();
        QCOMPARE(chartOf(w, page)->accessibleName(), chartPages().at(page).tabText);
    }
    QCOMPARE(seen, descriptions);
    QVERIFY(tp.dialogs.errors().isEmpty());
    if (entries.isEmpty()) {
        showPage(w, 0);
        auto* pie = qobject_cast<QPieSeries*>(chartOf(w, 0)->chart()->series().value(0));
        QVERIFY(pie);
        QCOMPARE(pie->count(), 0);
    }
}

void TestChartsWindow::everyRowOfALongResultCounts() {
    // 400 days of income, one yuan a day: more rows than a grid fetches at first.
    TestProgram tp;
    tp.exec(QStringLiteral(
        "with recursive d(n) as (select 0 union all select n + 1 from d where n < 399) "
        "insert into mysalary (adddate, sz, szdl, money) "
        "select date('2005-01-01', '+' || n || ' days'), '收入', '工资', 1 from d"));
    ChartsWindow w(tp.context());
    showPage(w, 2);
    const QList<SeriesPoint> months = w.points(2);
    QCOMPARE(months.size(), 14); // 2005-01 to 2006-02
    QCOMPARE(months.first(), (SeriesPoint{"2005-01", 31}));
    QCOMPARE(months.last(), (SeriesPoint{"2006-02", 4}));
    double total = 0;
    for (const SeriesPoint& p : months)
        total += p.value;
    QCOMPARE(total, 400.0);
}

void TestChartsWindow::comingBackToAPageRunsItsStatementAgain() {
    TestProgram tp;
    insertEntries(tp, {{"2005-03-05", "收入", 100}});
    ChartsWindow w(tp.context());
    QCOMPARE(chartOf(w, 0)->accessibleDescription(), QStringLiteral("收入 100.00"));
    tp.exec(QStringLiteral("insert into mysalary (adddate, sz, szdl, money) values "
                           "('2005-03-06', '支出', '餐饮', 12.5)"));
    // Still the result of its first run...
    QCOMPARE(chartOf(w, 0)->accessibleDescription(), QStringLiteral("收入 100.00"));
    showPage(w, 1);
    showPage(w, 0);
    // ...and the pie again, from a fresh run.
    QCOMPARE(w.dataset().statement(), chartPages().at(0).statement);
    QCOMPARE(chartOf(w, 0)->accessibleDescription(), QStringLiteral("支出 12.50；收入 100.00"));
    QCOMPARE(w.points(0), (QList<SeriesPoint>{{"支出", 12.5}, {"收入", 100}}));
}

void TestChartsWindow::aFailingPageShowsTheErrorAndStaysUsable() {
    TestProgram tp;
    insertEntries(tp, {{"2005-03-05", "收入", 100}});
    ChartsWindow w(tp.context());
    showPage(w, 2);
    QCOMPARE(chartOf(w, 2)->accessibleDescription(), QStringLiteral("2005-03 100.00"));
    // The month totals go (a plain SQLite tool could do this): the month pages fail.
    tp.exec(QStringLiteral("drop trigger mysalary_totals_insert"));
    tp.exec(QStringLiteral("drop trigger mysalary_totals_update"));
    tp.exec(QStringLiteral("drop trigger mysalary_totals_delete"));
    tp.exec(QStringLiteral("drop table mysalary_day_totals"));

    showPage(w, 3);
    QCOMPARE(tp.dialogs.errors().size(), 1);
    QVERIFY2(tp.dialogs.errors().first().contains(QLatin1String("mysalary_day_totals")),
             qPrintable(tp.dialogs.errors().first()));
    QVERIFY(!w.dataset().isOpen());
    QCOMPARE(chartOf(w, 3)->accessibleDescription(), QStringLiteral("无数据"));
    QVERIFY(w.points(3).isEmpty());

    // The other pages still work.
    showPage(w, 4);
    QVERIFY(w.dataset().isOpen());
    QCOMPARE(chartOf(w, 4)->accessibleDescription(), QStringLiteral("工资 100.00"));
    QCOMPARE(tp.dialogs.errors().size(), 1);
}

void TestChartsWindow::aWindowThatCannotOpenLeavesTheLedgerUsable() {
    TestProgram tp;
    tp.exec(QStringLiteral("drop trigger mysalary_totals_insert"));
    tp.exec(QStringLiteral("drop trigger mysalary_totals_update"));
    tp.exec(QStringLiteral("drop trigger mysalary_totals_delete"));
    tp.exec(QStringLiteral("drop table mysalary_category_totals"));
    QVERIFY_THROWS_EXCEPTION(AppError, ChartsWindow(tp.context()));

    // Through the ledger's 图表: the error is shown and no window opens.
    const MainWindow::Windows windows = programWindows(tp.context());
    std::unique_ptr<QDialog> ledger = windows.ledger(nullptr);
    ledger->show();
    auto* chart = ledger->findChild<QPushButton*>(QStringLiteral("szchart"));
    QVERIFY(chart);
    chart->click();
    QCOMPARE(tp.dialogs.errors().size(), 1);
    QVERIFY(tp.dialogs.errors().first().contains(QLatin1String("mysalary_category_totals")));
    QVERIFY(!ledger->findChild<ChartsWindow*>());
    QVERIFY(ledger->isVisible());
    QVERIFY(ledger->isEnabled());
}

QTEST_MAIN(TestChartsWindow)
#include "tst_chartswindow.moc"
