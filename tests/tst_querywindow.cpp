// The query window, driven as a user drives it: bring a page to the front by its tab, set the
// period boxes, press the buttons, read the grids and the totals line.
#include "platform/apperror.h"
#include "reports/periodspinbox.h"
#include "reports/querywindow.h"
#include "support/ledgerentries.h"
#include "support/testprogram.h"

#include <QComboBox>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QToolButton>

namespace {

using Entry = LedgerEntry;

void insert(TestProgram& tp, const QList<Entry>& entries) {
    insertEntries(tp, entries, "现金", "");
}

// A ledger over two years with entries on the edges of months and quarters.
const QList<Entry> kLedger{
    {"2004-03-10", "收入", 5},    {"2005-02-28", "收入", 1},     {"2005-03-01", "收入", 10},
    {"2005-03-31", "支出", 12.5}, {"2005-04-01", "收入", 100},   {"2005-05-17", "支出", 0.004},
    {"2005-06-30", "支出", 40},   {"2005-07-01", "收入", 1000},  {"2006-07-05", "收入", 300},
    {"2006-07-20", "支出", 20},   {"2006-07-21", "收入", 100.5}, {"2006-08-01", "收入", 9},
    {"2026-12-01", "收入", 8500}, {"2026-12-09", "支出", 36.8},  {"2026-12-09", "收入", 15.27},
    {"2026-11-30", "支出", 20},
};

QStringList panels(const QueryWindow& w) {
    return {w.statusPanel(0)->text(), w.statusPanel(1)->text(), w.statusPanel(2)->text()};
}

QTableView* grid(const QueryWindow& w, const char* name) {
    auto* g = w.findChild<QTableView*>(QLatin1String(name));
    if (!g)
        qFatal("no grid %s", name);
    return g;
}

// One column of a grid as shown, every row fetched.
QStringList column(QTableView* g, int col) {
    QAbstractItemModel* m = g->model();
    while (m->canFetchMore({}))
        m->fetchMore({});
    QStringList out;
    for (int r = 0; r < m->rowCount(); ++r)
        out << m->data(m->index(r, col)).toString();
    return out;
}

// Whole rows of a grid as shown, cells joined by "|".
QStringList rowsOf(QTableView* g) {
    QAbstractItemModel* m = g->model();
    QStringList out;
    for (int r = 0; r < m->rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < m->columnCount(); ++c)
            cells << m->data(m->index(r, c)).toString();
        out << cells.join(u'|');
    }
    return out;
}

QStringList titles(QTableView* g) {
    QStringList out;
    for (int c = 0; c < g->model()->columnCount(); ++c)
        out << g->model()->headerData(c, Qt::Horizontal).toString();
    return out;
}

void click(const QueryWindow& w, const char* button) {
    auto* b = w.findChild<QToolButton*>(QLatin1String(button));
    if (!b)
        qFatal("no button %s", button);
    QVERIFY2(b->isVisibleTo(&w), button);
    QTest::mouseClick(b, Qt::LeftButton);
}

// Brings a page to the front by clicking its tab.
void enterPage(const QueryWindow& w, int page) {
    QTabBar* bar = w.findChild<QTabWidget*>(QStringLiteral("RzPage"))->tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(page).center());
}

QString textOf(const QueryWindow& w, const char* box) {
    if (auto* s = w.findChild<QAbstractSpinBox*>(QLatin1String(box)))
        return s->text();
    if (auto* c = w.findChild<QComboBox*>(QLatin1String(box)))
        return c->currentText();
    qFatal("no box %s", box);
}

// The period boxes: year_edit, month_edit, RzSpinEdit2, season, year_edit2.
QStringList boxes(const QueryWindow& w) {
    return {textOf(w, "year_edit"), textOf(w, "month_edit"), textOf(w, "RzSpinEdit2"),
            textOf(w, "season"), textOf(w, "year_edit2")};
}

// Replaces the text of a box by typing, as a user does after selecting it.
void type(const QueryWindow& w, const char* box, const QString& text) {
    if (auto* c = w.findChild<QComboBox*>(QLatin1String(box))) {
        c->lineEdit()->selectAll();
        QTest::keyClicks(c->lineEdit(), text);
        return;
    }
    auto* s = w.findChild<QAbstractSpinBox*>(QLatin1String(box));
    s->setFocus();
    s->selectAll();
    if (text.isEmpty())
        QTest::keyClick(s, Qt::Key_Backspace);
    QTest::keyClicks(s, text);
}

// Shows the window as the active one, so that the focus leaves a box for the button clicked.
void showActive(QueryWindow& w) {
    w.show();
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
}

QDateTime at(int y, int m, int d) {
    return QDateTime(QDate(y, m, d), QTime(10, 0));
}

} // namespace

class TestQueryWindow : public QObject {
    Q_OBJECT
private slots:
    void opening_data();
    void opening();
    void openingFailsWithoutDatabase();
    void enteringAPage_data();
    void enteringAPage();
    void monthText_data();
    void monthText();
    void yearBoxTakesDigitsOnly();
    void typedPeriodUsedAsShown_data();
    void typedPeriodUsedAsShown();
    void stepsLandInRange_data();
    void stepsLandInRange();
    void typedYearKeptAcrossPages();
    void monthChosenByTyping();
    void monthRefreshShowsCurrentMonth();
    void seasonRefreshShowsChosenQuarter();
    void dayButtonsLeaveTotals_data();
    void dayButtonsLeaveTotals();
    void analysis_data();
    void analysis();
    void yearButtonsUseYearBox();
    void invalidQuarter_data();
    void invalidQuarter();
    void failedStatementKeepsTotals();
    void longListLoadsAsTheGridScrolls();
    void closeButtons_data();
    void closeButtons();
};

void TestQueryWindow::opening_data() {
    QTest::addColumn<bool>("withEntries");
    QTest::addColumn<QStringList>("totals");
    QTest::newRow("empty ledger") << false
                                  << QStringList{"总收入：0.00元", "总支出：0.00元",
                                                 "余额：0.00元"};
    QTest::newRow("whole ledger") << true
                                  << QStringList{"总收入：10040.77元", "总支出：129.30元",
                                                 "余额：9911.47元"};
}

void TestQueryWindow::opening() {
    QFETCH(bool, withEntries);
    TestProgram tp;
    if (withEntries)
        insert(tp, kLedger);
    QueryWindow w(tp.context());
    w.show();

    QCOMPARE(w.windowTitle(), QStringLiteral("综合查询"));
    QCOMPARE(w.size(), QSize(582, 516));
    QTEST(panels(w), "totals");
    QVERIFY(tp.dialogs.shown.isEmpty());

    auto* pages = w.findChild<QTabWidget*>(QStringLiteral("RzPage"));
    QCOMPARE(pages->currentIndex(), 0);
    QStringList tabs;
    for (int i = 0; i < pages->count(); ++i)
        tabs << pages->tabText(i);
    QCOMPARE(tabs, (QStringList{"今日收支", "月度收支", "季度收支", "年度收支"}));

    // The day page shows its empty entries grid; no list is loaded before the user acts.
    QTableView* day = grid(w, "dayDBGrid");
    QVERIFY(day->isVisible());
    QVERIFY(!grid(w, "calday_dbgrid")->isVisible());
    QCOMPARE(day->model()->rowCount(), 0);
    QCOMPARE(titles(day),
             (QStringList{"日期", "收支", "大类", "细类", "金额", "支付方式", "备注"}));
    QCOMPARE(day->horizontalHeader()->sectionSize(1), 50);
    QCOMPARE(titles(grid(w, "calday_dbgrid")),
             (QStringList{"收支", "收支大类", "收支细类", "笔数", "小计", "每笔平均数"}));

    QCOMPARE(boxes(w), (QStringList{"2003", "01", "2003", "1", "2003"}));
}

void TestQueryWindow::openingFailsWithoutDatabase() {
    TestProgram tp;
    QVERIFY(QFile::remove(tp.databasePath()));
    QVERIFY_THROWS_EXCEPTION(AppError, QueryWindow(tp.context()));
    // The opener shows the error; the window itself showed nothing.
    QVERIFY(tp.dialogs.shown.isEmpty());
}

void TestQueryWindow::enteringAPage_data() {
    QTest::addColumn<QDateTime>("now");
    QTest::addColumn<QList<int>>("pages"); // entered in this order; the last one is checked
    QTest::addColumn<QString>("entriesGrid");
    QTest::addColumn<QStringList>("dates");
    QTest::addColumn<QStringList>("boxTexts");
    QTest::addColumn<QStringList>("totals");

    QTest::newRow("month page in March 2005")
        << at(2005, 3, 8) << QList<int>{1} << "monthDBGrid"
        << QStringList{"2005-03-31", "2005-03-01"} << QStringList{"2005", "03", "2003", "1", "2003"}
        << QStringList{"月收入：10.00元", "月支出：12.50元", "月余额：-2.50元"};
    QTest::newRow("quarter page in May")
        << at(2005, 5, 17) << QList<int>{2} << "seasonDBGrid"
        << QStringList{"2005-06-30", "2005-05-17", "2005-04-01"}
        << QStringList{"2003", "01", "2005", "2", "2003"}
        << QStringList{"季度收入：100.00元", "季度支出：40.00元", "季度余额：60.00元"};
    QTest::newRow("quarter page on 31 March")
        << at(2005, 3, 31) << QList<int>{2} << "seasonDBGrid"
        << QStringList{"2005-03-31", "2005-03-01", "2005-02-28"}
        << QStringList{"2003", "01", "2005", "1", "2003"}
        << QStringList{"季度收入：11.00元", "季度支出：12.50元", "季度余额：-1.50元"};
    QTest::newRow("year page keeps its box")
        << at(2005, 5, 17) << QList<int>{3} << "yearDBGrid"
        << QStringList{"2005-07-01", "2005-06-30", "2005-05-17", "2005-04-01",
                       "2005-03-31", "2005-03-01", "2005-02-28"}
        << QStringList{"2003", "01", "2003", "1", "2003"}
        << QStringList{"年度收入：1111.00元", "年度支出：52.50元", "年度余额：1058.50元"};
    QTest::newRow("day page without entries today")
        << at(2005, 3, 2) << QList<int>{1, 0} << "dayDBGrid" << QStringList{}
        << QStringList{"2005", "03", "2003", "1", "2003"}
        << QStringList{"今日收入：0.00元", "今日支出：0.00元", "今日余额：0.00元"};
    QTest::newRow("day page lists today only")
        << at(2026, 12, 9) << QList<int>{3, 0} << "dayDBGrid"
        << QStringList{"2026-12-09", "2026-12-09"} << QStringList{"2003", "01", "2003", "1", "2003"}
        << QStringList{"今日收入：15.27元", "今日支出：36.80元", "今日余额：-21.53元"};
}

void TestQueryWindow::enteringAPage() {
    QFETCH(QDateTime, now);
    QFETCH(QList<int>, pages);
    QFETCH(QString, entriesGrid);
    TestProgram tp;
    insert(tp, kLedger);
    tp.clock.set(now);
    QueryWindow w(tp.context());
    w.show();
    for (int page : pages)
        enterPage(w, page);

    QTableView* entries = grid(w, qPrintable(entriesGrid));
    QVERIFY(entries->isVisible());
    QTEST(column(entries, 0), "dates");
    QTEST(boxes(w), "boxTexts");
    QTEST(panels(w), "totals");
    QVERIFY(tp.dialogs.shown.isEmpty());
}

void TestQueryWindow::monthText_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("upSteps");
    QTest::addColumn<QString>("text");
    QTest::newRow("7") << "7" << 0 << "07";
    QTest::newRow("1 then 2") << "12" << 0 << "12";
    QTest::newRow("10") << "10" << 0 << "10";
    QTest::newRow("spin up from 01") << "" << 1 << "02";
    QTest::newRow("spin up from 07 to 10") << "7" << 3 << "10";
}

void TestQueryWindow::monthText() {
    QFETCH(QString, typed);
    QFETCH(int, upSteps);
    TestProgram tp;
    QueryWindow w(tp.context());
    w.show();
    enterPage(w, 1);
    auto* month = w.findChild<PeriodSpinBox*>(QStringLiteral("month_edit"));
    month->setValue(1);
    if (!typed.isEmpty())
        type(w, "month_edit", typed);
    for (int i = 0; i < upSteps; ++i)
        month->stepUp();
    QTEST(month->text(), "text");
}

void TestQueryWindow::yearBoxTakesDigitsOnly() {
    TestProgram tp;
    QueryWindow w(tp.context());
    w.show();
    enterPage(w, 3);
    type(w, "year_edit2", QStringLiteral("2x0.0 6a"));
    QCOMPARE(textOf(w, "year_edit2"), QStringLiteral("2006"));
}

void TestQueryWindow::typedPeriodUsedAsShown_data() {
    QTest::addColumn<int>("page");
    QTest::addColumn<QString>("yearText");
    QTest::addColumn<QString>("periodText"); // the month or the quarter; unused on the year page
    QTest::addColumn<QString>("button");
    QTest::addColumn<QStringList>("dates");
    QTest::addColumn<QStringList>("totals");

    const QStringList none{"收入：0.00元", "支出：0.00元", "余额：0.00元"};
    QTest::newRow("month: year below the box's range") << 1 << "1999"
                                                       << "03"
                                                       << "sr_month" << QStringList{} << none;
    QTest::newRow("month: month 13") << 1 << "2005"
                                     << "13"
                                     << "zc_month" << QStringList{} << none;
    QTest::newRow("month: month 00") << 1 << "2005"
                                     << "00"
                                     << "sr_month" << QStringList{} << none;
    QTest::newRow("month: empty year") << 1 << ""
                                       << "03"
                                       << "cal_month" << QStringList{} << none;
    QTest::newRow("month: 2005-03")
        << 1 << "2005"
        << "03"
        << "sr_month" << QStringList{"2005-03-11", "2005-03-01"}
        << QStringList{"收入：17.00元", "支出：12.50元", "余额：4.50元"};
    QTest::newRow("year: below the box's range") << 3 << "1999"
                                                 << ""
                                                 << "sr_year" << QStringList{} << none;
    QTest::newRow("year: above the box's range") << 3 << "10000"
                                                 << ""
                                                 << "zc_year" << QStringList{} << none;
    QTest::newRow("year: empty") << 3 << ""
                                 << ""
                                 << "sr_year" << QStringList{} << none;
    QTest::newRow("year: 2005") << 3 << "2005"
                                << ""
                                << "zc_year"
                                << QStringList{"2005-06-30", "2005-05-17", "2005-03-31"}
                                << QStringList{"收入：1118.00元", "支出：52.50元",
                                               "余额：1065.50元"};
    QTest::newRow("quarter: year below the box's range") << 2 << "1999"
                                                         << "1"
                                                         << "sr_season" << QStringList{} << none;
    // Bounds 2005-03-10-01 to 2005-03-12-31 would take in 2005-03-11 if used as they are.
    QTest::newRow("quarter: year that makes no date") << 2 << "2005-03"
                                                      << "4"
                                                      << "sr_season" << QStringList{} << none;
    QTest::newRow("quarter: empty year") << 2 << ""
                                         << "1"
                                         << "sr_season" << QStringList{} << none;
    QTest::newRow("quarter: 2005, first")
        << 2 << "2005"
        << "1"
        << "sr_season" << QStringList{"2005-03-11", "2005-03-01", "2005-02-28"}
        << QStringList{"收入：18.00元", "支出：12.50元", "余额：5.50元"};
}

// The year and month boxes are used as they read, whatever their ranges: a year or month
// that makes no date gives an empty period, and leaving the box changes nothing in it.
void TestQueryWindow::typedPeriodUsedAsShown() {
    QFETCH(int, page);
    QFETCH(QString, yearText);
    QFETCH(QString, periodText);
    QFETCH(QString, button);
    TestProgram tp; // today is 2026-12-09
    insert(tp, kLedger + QList<Entry>{{"2005-03-11", "收入", 7}});
    QueryWindow w(tp.context());
    showActive(w);
    enterPage(w, page);

    const char* yearBox = page == 1 ? "year_edit" : page == 2 ? "RzSpinEdit2" : "year_edit2";
    type(w, yearBox, yearText);
    if (page == 1)
        type(w, "month_edit", periodText);
    else if (page == 2)
        type(w, "season", periodText);
    click(w, qPrintable(button));

    QVERIFY(tp.dialogs.shown.isEmpty());
    QCOMPARE(textOf(w, yearBox), yearText);
    if (page == 1)
        QCOMPARE(textOf(w, "month_edit"), periodText);
    const char* shown = page == 1   ? (button == "cal_month" ? "calmonth_DBGrid" : "monthDBGrid")
                        : page == 2 ? "seasonDBGrid"
                                    : "yearDBGrid";
    QTableView* g = grid(w, shown);
    QVERIFY(g->isVisible());
    QTEST(column(g, 0), "dates");
    QTEST(panels(w), "totals");
}

void TestQueryWindow::stepsLandInRange_data() {
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("text");
    QTest::newRow("up from a year below the range") << "year_edit"
                                                    << "1999" << int(Qt::Key_Up) << "2003";
    QTest::newRow("down from a year above the range") << "year_edit2"
                                                      << "12345" << int(Qt::Key_Down) << "9999";
    QTest::newRow("down at the range's start") << "RzSpinEdit2"
                                               << "2003" << int(Qt::Key_Down) << "2003";
    QTest::newRow("up at the range's end") << "year_edit"
                                           << "9999" << int(Qt::Key_Up) << "9999";
    QTest::newRow("up from an empty box") << "year_edit"
                                          << "" << int(Qt::Key_Up) << "2003";
    QTest::newRow("up within the range") << "year_edit2"
                                         << "2005" << int(Qt::Key_Up) << "2006";
    QTest::newRow("down from month 13") << "month_edit"
                                        << "13" << int(Qt::Key_Down) << "12";
    QTest::newRow("up from month 00") << "month_edit"
                                      << "00" << int(Qt::Key_Up) << "01";
}

// Only a step of the user's own replaces a typed number, and it lands inside the range.
void TestQueryWindow::stepsLandInRange() {
    QFETCH(QString, box);
    QFETCH(QString, typed);
    QFETCH(int, key);
    TestProgram tp;
    QueryWindow w(tp.context());
    showActive(w);
    enterPage(w, box == "RzSpinEdit2" ? 2 : box == "year_edit2" ? 3 : 1);
    type(w, qPrintable(box), typed);
    QCOMPARE(textOf(w, qPrintable(box)), typed);
    QTest::keyClick(w.findChild<QAbstractSpinBox*>(box), Qt::Key(key));
    QTEST(textOf(w, qPrintable(box)), "text");
}

void TestQueryWindow::typedYearKeptAcrossPages() {
    TestProgram tp;
    QueryWindow w(tp.context());
    showActive(w);
    enterPage(w, 3);
    type(w, "year_edit2", QStringLiteral("1999"));
    enterPage(w, 0);
    enterPage(w, 3);
    QCOMPARE(textOf(w, "year_edit2"), QStringLiteral("1999"));
    click(w, "zc_year");
    QCOMPARE(textOf(w, "year_edit2"), QStringLiteral("1999"));
    QCOMPARE(panels(w), (QStringList{"收入：0.00元", "支出：0.00元", "余额：0.00元"}));
}

void TestQueryWindow::monthChosenByTyping() {
    TestProgram tp;
    insert(tp, kLedger);
    QueryWindow w(tp.context());
    w.show();
    enterPage(w, 1);
    type(w, "year_edit", QStringLiteral("2006"));
    type(w, "month_edit", QStringLiteral("7"));
    QCOMPARE(textOf(w, "month_edit"), QStringLiteral("07"));

    click(w, "sr_month");
    QTableView* g = grid(w, "monthDBGrid");
    QCOMPARE(column(g, 0), (QStringList{"2006-07-21", "2006-07-05"}));
    QCOMPARE(column(g, 1), (QStringList{"收入", "收入"}));
    QCOMPARE(column(g, 4), (QStringList{"￥100.5", "￥300"}));
    QCOMPARE(panels(w), (QStringList{"收入：400.50元", "支出：20.00元", "余额：380.50元"}));

    click(w, "zc_month");
    QCOMPARE(column(g, 0), QStringList{"2006-07-20"});
    QCOMPARE(panels(w), (QStringList{"收入：400.50元", "支出：20.00元", "余额：380.50元"}));
    QVERIFY(tp.dialogs.shown.isEmpty());
}

void TestQueryWindow::monthRefreshShowsCurrentMonth() {
    TestProgram tp; // today is 2026-12-09
    insert(tp, kLedger);
    QueryWindow w(tp.context());
    w.show();
    enterPage(w, 1);
    type(w, "year_edit", QStringLiteral("2006"));
    type(w, "month_edit", QStringLiteral("7"));
    click(w, "cal_month");

    click(w, "month_refresh");
    QVERIFY(grid(w, "monthDBGrid")->isVisible());
    QVERIFY(!grid(w, "calmonth_DBGrid")->isVisible());
    QCOMPARE(column(grid(w, "monthDBGrid"), 0),
             (QStringList{"2026-12-09", "2026-12-09", "2026-12-01"}));
    QCOMPARE(panels(w), (QStringList{"收入：8515.27元", "支出：36.80元", "余额：8478.47元"}));
    QCOMPARE(textOf(w, "year_edit"), QStringLiteral("2006"));
    QCOMPARE(textOf(w, "month_edit"), QStringLiteral("07"));
}

void TestQueryWindow::seasonRefreshShowsChosenQuarter() {
    TestProgram tp; // today is in the fourth quarter of 2026
    insert(tp, kLedger);
    QueryWindow w(tp.context());
    w.show();
    enterPage(w, 2);
    QCOMPARE(textOf(w, "season"), QStringLiteral("4"));
    type(w, "RzSpinEdit2", QStringLiteral("2005"));
    w.findChild<QComboBox*>(QStringLiteral("season"))->setCurrentIndex(1);

    click(w, "seasonrefresh");
    QCOMPARE(column(grid(w, "seasonDBGrid"), 0),
             (QStringList{"2005-06-30", "2005-05-17", "2005-04-01"}));
    QCOMPARE(panels(w), (QStringList{"收入：100.00元", "支出：40.00元", "余额：60.00元"}));
    QCOMPARE(textOf(w, "season"), QStringLiteral("2"));
    QCOMPARE(textOf(w, "RzSpinEdit2"), QStringLiteral("2005"));

    click(w, "zc_season");
    QCOMPARE(column(grid(w, "seasonDBGrid"), 0), (QStringList{"2005-06-30", "2005-05-17"}));
}

void TestQueryWindow::dayButtonsLeaveTotals_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<bool>("analysisView");
    QTest::addColumn<QStringList>("rows");
    QTest::newRow("今日收入") << "sr_day" << false
                              << QStringList{"2026-12-09|收入|工资|基本|￥15.27|现金|"};
    QTest::newRow("今日支出") << "zc_day" << false
                              << QStringList{"2026-12-09|支出|工资|基本|￥36.8|现金|"};
    QTest::newRow("归类分析") << "day_cal" << true
                              << QStringList{"支出|工资|基本|1|￥36.8|￥36.8",
                                             "收入|工资|基本|1|￥15.27|￥15.27"};
    QTest::newRow("数据刷新") << "dayrefresh" << false
                              << QStringList{"2026-12-09|支出|工资|基本|￥36.8|现金|",
                                             "2026-12-09|收入|工资|基本|￥15.27|现金|"};
}

void TestQueryWindow::dayButtonsLeaveTotals() {
    QFETCH(QString, button);
    QFETCH(bool, analysisView);
    TestProgram tp;
    insert(tp, kLedger);
    QueryWindow w(tp.context());
    w.show();
    const QStringList overall = panels(w);

    click(w, qPrintable(button));
    QCOMPARE(panels(w), overall);
    QTableView* shown = grid(w, analysisView ? "calday_dbgrid" : "dayDBGrid");
    QTableView* hidden = grid(w, analysisView ? "dayDBGrid" : "calday_dbgrid");
    QVERIFY(shown->isVisible());
    QVERIFY(!hidden->isVisible());
    QFETCH(QStringList, rows);
    QStringList shownRows = rowsOf(shown);
    if (!analysisView) {
        // Two entries of one day come in the store's order.
        shownRows.sort();
        rows.sort();
    }
    QCOMPARE(shownRows, rows);
}

void TestQueryWindow::analysis_data() {
    QTest::addColumn<int>("page");
    QTest::addColumn<QString>("year"); // typed into the year page's box
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("entriesGrid");
    QTest::addColumn<QString>("analysisGrid");
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QStringList>("totals");
    QTest::newRow("month") << 1 << ""
                           << "cal_month"
                           << "monthDBGrid"
                           << "calmonth_DBGrid"
                           << QStringList{"支出|日常|超市|1|￥12,345.6|￥12,345.6",
                                          "收入|工资|奖金|2|￥150|￥75"}
                           << QStringList{"收入：150.00元", "支出：12345.60元",
                                          "余额：-12195.60元"};
    QTest::newRow("quarter") << 2 << ""
                             << "cal_season"
                             << "seasonDBGrid"
                             << "calseason_DBGrid"
                             << QStringList{"支出|日常|超市|2|￥12,352.6|￥6,176.3",
                                            "收入|工资|奖金|2|￥150|￥75",
                                            "收入|理财|利息|1|￥1|￥1"}
                             << QStringList{"收入：151.00元", "支出：12352.60元",
                                            "余额：-12201.60元"};
    QTest::newRow("year") << 3 << "2026"
                          << "cal_year"
                          << "yearDBGrid"
                          << "calyear_DBGrid"
                          << QStringList{"支出|日常|超市|2|￥12,352.6|￥6,176.3",
                                         "支出|礼物|鲜花|1|￥520|￥520",
                                         "收入|工资|奖金|2|￥150|￥75", "收入|理财|利息|1|￥1|￥1"}
                          << QStringList{"收入：151.00元", "支出：12872.60元", "余额：-12721.60元"};
}

void TestQueryWindow::analysis() {
    QFETCH(int, page);
    QFETCH(QString, year);
    QFETCH(QString, button);
    QFETCH(QString, entriesGrid);
    QFETCH(QString, analysisGrid);
    TestProgram tp; // today is 2026-12-09
    insert(tp, {{"2026-12-01", "收入", 100, "工资", "奖金"},
                {"2026-12-05", "收入", 50, "工资", "奖金"},
                {"2026-12-08", "支出", 12345.6, "日常", "超市"},
                {"2026-11-30", "支出", 7, "日常", "超市"},
                {"2026-10-02", "收入", 1, "理财", "利息"},
                {"2026-02-14", "支出", 520, "礼物", "鲜花"},
                {"2025-12-31", "收入", 3, "工资", "奖金"}});
    QueryWindow w(tp.context());
    w.show();
    enterPage(w, page);
    if (!year.isEmpty())
        type(w, "year_edit2", year);

    click(w, qPrintable(button));
    QTableView* analysis = grid(w, qPrintable(analysisGrid));
    QVERIFY(analysis->isVisible());
    QVERIFY(!grid(w, qPrintable(entriesGrid))->isVisible());
    QTEST(rowsOf(analysis), "rows");
    QTEST(panels(w), "totals");
    QVERIFY(tp.dialogs.shown.isEmpty());

    // Back to the entries: the list of the page's period again, and the analysis closed.
    click(w, page == 2 ? "seasonrefresh" : page == 1 ? "month_refresh" : "yearrefresh");
    QVERIFY(grid(w, qPrintable(entriesGrid))->isVisible());
    QVERIFY(!analysis->isVisible());
    QCOMPARE(analysis->model()->rowCount(), 0);
}

void TestQueryWindow::yearButtonsUseYearBox() {
    TestProgram tp;
    insert(tp, kLedger);
    QueryWindow w(tp.context());
    w.show();
    enterPage(w, 3);
    type(w, "year_edit2", QStringLiteral("2005"));

    click(w, "sr_year");
    QCOMPARE(column(grid(w, "yearDBGrid"), 0),
             (QStringList{"2005-07-01", "2005-04-01", "2005-03-01", "2005-02-28"}));
    QCOMPARE(panels(w), (QStringList{"收入：1111.00元", "支出：52.50元", "余额：1058.50元"}));

    click(w, "yearrefresh");
    QCOMPARE(column(grid(w, "yearDBGrid"), 0),
             (QStringList{"2026-12-09", "2026-12-09", "2026-12-01", "2026-11-30"}));
    QCOMPARE(panels(w), (QStringList{"收入：8515.27元", "支出：56.80元", "余额：8458.47元"}));
    QCOMPARE(textOf(w, "year_edit2"), QStringLiteral("2005"));
}

void TestQueryWindow::invalidQuarter_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("error");
    QTest::newRow("letter, income") << "x"
                                    << "sr_season"
                                    << "'x' is not a valid integer value.";
    QTest::newRow("letter, analysis") << "x"
                                      << "cal_season"
                                      << "'x' is not a valid integer value.";
    QTest::newRow("5, expenditure") << "5"
                                    << "zc_season"
                                    << "季度只能是1、2、3或4：'5'";
    QTest::newRow("0, refresh") << "0"
                                << "seasonrefresh"
                                << "季度只能是1、2、3或4：'0'";
}

void TestQueryWindow::invalidQuarter() {
    QFETCH(QString, typed);
    QFETCH(QString, button);
    TestProgram tp;
    insert(tp, kLedger);
    QueryWindow w(tp.context());
    w.show();
    enterPage(w, 2);
    const QStringList totals = panels(w);
    const QStringList listed = rowsOf(grid(w, "seasonDBGrid"));
    QCOMPARE(listed.size(), 4);

    type(w, "season", typed);
    click(w, qPrintable(button));
    QFETCH(QString, error);
    QCOMPARE(tp.dialogs.errors(), QStringList{error});
    // Nothing else changed: the totals line, the view, the list and the boxes.
    QCOMPARE(panels(w), totals);
    QVERIFY(grid(w, "seasonDBGrid")->isVisible());
    QVERIFY(!grid(w, "calseason_DBGrid")->isVisible());
    QCOMPARE(rowsOf(grid(w, "seasonDBGrid")), listed);
    QCOMPARE(textOf(w, "season"), typed);
}

void TestQueryWindow::failedStatementKeepsTotals() {
    TestProgram tp;
    insert(tp, kLedger);
    QueryWindow w(tp.context());
    w.show();
    enterPage(w, 1);
    const QStringList totals = panels(w);
    QCOMPARE(totals.first(), QStringLiteral("月收入：8515.27元"));

    tp.exec(QStringLiteral("drop table mysalary"));
    click(w, "sr_month");
    const QStringList errors = tp.dialogs.errors();
    QCOMPARE(errors.size(), 1);
    QVERIFY2(errors.first().contains(QLatin1String("mysalary")), qPrintable(errors.first()));
    // The totals line is written only once all three texts exist; the failed query is closed.
    QCOMPARE(panels(w), totals);
    QCOMPARE(grid(w, "monthDBGrid")->model()->rowCount(), 0);
}

void TestQueryWindow::longListLoadsAsTheGridScrolls() {
    TestProgram tp;
    tp.exec(QStringLiteral("with recursive n(i) as (select 0 union all select i + 1 from n "
                           "where i < 599) insert into mysalary (adddate, sz, szdl, szxl, money) "
                           "select date('2026-01-01', '+' || (i % 365) || ' days'), '收入', "
                           "'工资', '基本', 1 from n"));
    QueryWindow w(tp.context());
    w.show();
    enterPage(w, 3);
    QCOMPARE(panels(w).first(), QStringLiteral("年度收入：600.00元"));
    QTableView* g = grid(w, "yearDBGrid");
    QVERIFY(g->model()->rowCount() < 600);
    QVERIFY(g->model()->canFetchMore({}));
    g->scrollToBottom();
    while (g->model()->canFetchMore({})) {
        g->scrollToBottom();
        QCoreApplication::processEvents();
    }
    QCOMPARE(g->model()->rowCount(), 600);
    // The grid follows the rows as they arrive.
    QCOMPARE(g->verticalHeader()->count(), 600);
    QCOMPARE(column(g, 0).last(), QStringLiteral("2026-01-01"));
}

void TestQueryWindow::closeButtons_data() {
    QTest::addColumn<int>("page");
    QTest::addColumn<QString>("button");
    QTest::newRow("今日收支") << 0 << "closeform";
    QTest::newRow("月度收支") << 1 << "close_month";
    QTest::newRow("季度收支") << 2 << "close_season";
    QTest::newRow("年度收支") << 3 << "year_close";
}

void TestQueryWindow::closeButtons() {
    QFETCH(int, page);
    QFETCH(QString, button);
    TestProgram tp;
    QueryWindow w(tp.context());
    w.open();
    if (page > 0)
        enterPage(w, page);
    QVERIFY(w.isVisible());
    click(w, qPrintable(button));
    QVERIFY(!w.isVisible());
    QCOMPARE(w.result(), int(QDialog::Rejected));
    QVERIFY(tp.dialogs.shown.isEmpty());
}

QTEST_MAIN(TestQueryWindow)
#include "tst_querywindow.moc"
