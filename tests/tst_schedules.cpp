// Recurring entries in the ledger, and what falls due: rows brought as the ledger opens,
// 取消 and 保存, marks kept in the save's transaction, a changed schedule, the reminder told
// once a day in the main window, and its days-ahead setting.
#include "app/dueline.h"
#include "app/duenotice.h"
#include "app/mainwindow.h"
#include "app/startup.h"
#include "data/connection.h"
#include "data/schedulebook.h"
#include "data/tabledataset.h"
#include "ledger/ledgerwindow.h"
#include "ledger/schedulewindow.h"
#include "settings/duedaysbox.h"
#include "support/editingwindow.h"
#include "support/testprogram.h"
#include "support/userinput.h"
#include "ui/celleditor.h"
#include "ui/datagrid.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <QToolButton>

namespace {

const QString kRent = QStringLiteral(
    "insert into schedule (sz, szdl, szxl, money, zffs, memo, every, day, firstdate) values "
    "('支出', '居住', '房租', 2500, '现金', '房租', '每月', '5', '2026-10-01')");

void setToday(TestProgram& tp, int year, int month, int day) {
    tp.clock.set(QDateTime(QDate(year, month, day), QTime(9, 0)));
}

// A ledger window over the test program's books, shown.
struct Ledger {
    explicit Ledger(TestProgram& tp)
        : window(tp.context(), WindowFactory{}, WindowFactory{}), driver(window) {
        driver.show();
    }
    int rows() const { return window.dataset()->rowCount(); }
    int newRows() const {
        int n = 0;
        for (int r = 0; r < rows(); ++r)
            n += window.dataset()->rowState(r) == TableDataset::RowState::New;
        return n;
    }
    LedgerWindow window;
    EditingWindowDriver driver;
};

int count(TestProgram& tp, const QString& table) {
    return tp.scalar(QStringLiteral("select count(*) from ") + table).toInt();
}

} // namespace

class TestSchedules : public QObject {
    Q_OBJECT
private slots:
    void olderBooksGetTheTablesAtStartUp();
    void openingBringsTheDueRowsFilledIn();
    void cancelOrCloseBringsThemAgain();
    void saveStoresAndMarksThem();
    void aDeletedEntryDoesNotComeBack();
    void aChangedScheduleAffectsOnlyWhatIsNotEntered();
    void aRowDeletedBeforeSaveComesAgain();
    void aRefusedSaveMarksNothing_data();
    void aRefusedSaveMarksNothing();
    void unusedFor14Months();
    void severalSchedulesComeInDateOrder();
    void scheduleWindowRefusesADayThatDoesNotFit_data();
    void scheduleWindowRefusesADayThatDoesNotFit();
    void ledgerOpensTheScheduleWindow();
    void dueListFromTheBooks();
    void toldOnceADay();
    void nothingDueTellsNothing();
    void mainWindowTellsAfterThePassword();
    void mainWindowWithoutPasswordTellsAtOnce();
    void daysAheadIsKeptInTheBooks();
    void keyboardAndMouseAtTheWindow();
};

void TestSchedules::olderBooksGetTheTablesAtStartUp() {
    TestProgram tp;
    tp.exec(QStringLiteral("drop table schedule"));
    tp.exec(QStringLiteral("drop table scheduleentered"));
    tp.exec(QStringLiteral("drop table duenotice"));
    // Books without the tables open all the same, and bring nothing.
    {
        Ledger l(tp);
        QCOMPARE(l.rows(), 0);
        QVERIFY(tp.dialogs.errors().isEmpty());
    }
    QVERIFY(runStartup(tp.context()).has_value());
    QVERIFY(tp.dialogs.errors().isEmpty());
    QCOMPARE(tp.rows(QStringLiteral("select daysahead, lasttold from duenotice")),
             (QList<QStringList>{{"30", "<null>"}}));
    tp.exec(kRent);
    // Deleting a schedule deletes its marks, so a schedule made later under the same key
    // starts afresh.
    tp.exec(QStringLiteral("insert into scheduleentered (scheduleid, occurrence) values "
                           "(1, '2026-12-05')"));
    tp.exec(QStringLiteral("delete from schedule"));
    QCOMPARE(count(tp, QStringLiteral("scheduleentered")), 0);
    // A second start changes nothing.
    QVERIFY(runStartup(tp.context()).has_value());
    QCOMPARE(count(tp, QStringLiteral("duenotice")), 1);
}

void TestSchedules::openingBringsTheDueRowsFilledIn() {
    TestProgram tp;
    tp.exec(kRent);
    Ledger l(tp); // 2026-12-09: October, November and December are due
    QCOMPARE(l.rows(), 3);
    QCOMPARE(l.newRows(), 3);
    QCOMPARE(l.driver.value(0, QStringLiteral("adddate")), QStringLiteral("2026-10-05"));
    QCOMPARE(l.driver.value(2, QStringLiteral("adddate")), QStringLiteral("2026-12-05"));
    QCOMPARE(l.driver.value(1, QStringLiteral("szxl")), QStringLiteral("房租"));
    QCOMPARE(l.driver.value(1, QStringLiteral("money")), QStringLiteral("2500"));
    QCOMPARE(l.driver.value(1, QStringLiteral("zffs")), QStringLiteral("现金"));
    QCOMPARE(l.window.dataset()->currentRow(), 0);
    QLabel* line = l.window.scheduleLine();
    QCOMPARE(line->text(), QStringLiteral("3 条定期收支已加入，保存后生效"));
    QCOMPARE(line->accessibleName(), line->text());
    QVERIFY(line->isVisible());
    // Nothing is written behind the user's back.
    QCOMPARE(count(tp, QStringLiteral("mysalary")), 0);
    QCOMPARE(count(tp, QStringLiteral("scheduleentered")), 0);
    QVERIFY(tp.dialogs.errors().isEmpty());
}

void TestSchedules::cancelOrCloseBringsThemAgain() {
    TestProgram tp;
    tp.exec(kRent);
    {
        Ledger l(tp);
        l.driver.press(QStringLiteral("取消"));
        QCOMPARE(l.rows(), 0);
        QVERIFY(!l.window.scheduleLine()->isVisible());
        // Something else saved after 取消 marks none of the dropped occurrences.
        l.driver.press(QStringLiteral("新增"));
        l.driver.type(0, QStringLiteral("memo"), QStringLiteral("别的"));
        l.driver.press(QStringLiteral("保存"));
        QCOMPARE(count(tp, QStringLiteral("mysalary")), 1);
    }
    QCOMPARE(count(tp, QStringLiteral("scheduleentered")), 0);
    {
        Ledger l(tp);
        QCOMPARE(l.newRows(), 3);
        l.window.close(); // the close box: nothing is asked, nothing saved
    }
    Ledger again(tp);
    QCOMPARE(again.newRows(), 3);
}

void TestSchedules::saveStoresAndMarksThem() {
    TestProgram tp;
    tp.exec(kRent);
    {
        Ledger l(tp);
        l.driver.press(QStringLiteral("保存"));
        QVERIFY(tp.dialogs.errors().isEmpty());
        QVERIFY(!l.window.scheduleLine()->isVisible());
    }
    QCOMPARE(tp.rows(QStringLiteral("select adddate, szxl, money from mysalary order by id")),
             (QList<QStringList>{{"2026-10-05", "房租", "2500"},
                                 {"2026-11-05", "房租", "2500"},
                                 {"2026-12-05", "房租", "2500"}}));
    QCOMPARE(tp.rows(QStringLiteral("select occurrence from scheduleentered order by 1")),
             (QList<QStringList>{{"2026-10-05"}, {"2026-11-05"}, {"2026-12-05"}}));
    {
        Ledger l(tp);
        QCOMPARE(l.newRows(), 0);
        QCOMPARE(l.rows(), 3);
        QVERIFY(!l.window.scheduleLine()->isVisible());
    }
    // A month later, only January's comes.
    setToday(tp, 2027, 1, 6);
    Ledger l(tp);
    QCOMPARE(l.newRows(), 1);
    QCOMPARE(l.driver.value(3, QStringLiteral("adddate")), QStringLiteral("2027-01-05"));
    QCOMPARE(l.window.scheduleLine()->text(), QStringLiteral("1 条定期收支已加入，保存后生效"));
}

void TestSchedules::aDeletedEntryDoesNotComeBack() {
    TestProgram tp;
    tp.exec(kRent);
    {
        Ledger l(tp);
        l.driver.press(QStringLiteral("保存"));
        // The user deletes November's entry in the ledger.
        l.driver.cell(1, QStringLiteral("memo"));
        tp.dialogs.answerNext(Dialogs::Answer::Yes);
        l.driver.press(QStringLiteral("删除"));
        l.driver.press(QStringLiteral("保存"));
    }
    tp.exec(QStringLiteral("delete from mysalary where adddate = '2026-12-05'")); // and a tool
    QCOMPARE(count(tp, QStringLiteral("mysalary")), 1);
    Ledger l(tp);
    QCOMPARE(l.newRows(), 0);
}

void TestSchedules::aChangedScheduleAffectsOnlyWhatIsNotEntered() {
    TestProgram tp;
    tp.exec(kRent);
    {
        Ledger l(tp);
        l.driver.press(QStringLiteral("保存"));
    }
    // The rent rises and moves to the 20th: December is entered, so it waits for January.
    tp.exec(QStringLiteral("update schedule set money = 2600, day = '20'"));
    setToday(tp, 2026, 12, 25);
    {
        Ledger l(tp);
        QCOMPARE(l.newRows(), 0);
    }
    setToday(tp, 2027, 1, 25);
    Ledger l(tp);
    QCOMPARE(l.newRows(), 1);
    QCOMPARE(l.driver.value(3, QStringLiteral("adddate")), QStringLiteral("2027-01-20"));
    QCOMPARE(l.driver.value(3, QStringLiteral("money")), QStringLiteral("2600"));
    // The entries stored earlier keep what they were entered with.
    QCOMPARE(tp.scalar(QStringLiteral("select sum(money) from mysalary")).toDouble(), 7500.0);
}

void TestSchedules::aRowDeletedBeforeSaveComesAgain() {
    TestProgram tp;
    tp.exec(kRent);
    {
        Ledger l(tp);
        l.driver.cell(2, QStringLiteral("memo"));
        tp.dialogs.answerNext(Dialogs::Answer::Yes);
        l.driver.press(QStringLiteral("删除")); // December's row, never stored
        l.driver.press(QStringLiteral("保存"));
    }
    QCOMPARE(count(tp, QStringLiteral("mysalary")), 2);
    QCOMPARE(tp.rows(QStringLiteral("select occurrence from scheduleentered order by 1")),
             (QList<QStringList>{{"2026-10-05"}, {"2026-11-05"}}));
    Ledger l(tp);
    QCOMPARE(l.newRows(), 1);
    QCOMPARE(l.driver.value(2, QStringLiteral("adddate")), QStringLiteral("2026-12-05"));
}

void TestSchedules::aRefusedSaveMarksNothing_data() {
    QTest::addColumn<QString>("table");
    QTest::newRow("the ledger refuses a row") << "mysalary";
    QTest::newRow("the mark is refused") << "scheduleentered";
}

void TestSchedules::aRefusedSaveMarksNothing() {
    QFETCH(QString, table);
    TestProgram tp;
    tp.exec(kRent);
    tp.exec(QStringLiteral("create trigger refuse before insert on %1 begin select "
                           "raise(abort, 'refused by the books'); end")
                .arg(table));
    Ledger l(tp);
    l.driver.press(QStringLiteral("保存"));
    QCOMPARE(tp.dialogs.errors().size(), 1);
    QCOMPARE(count(tp, QStringLiteral("mysalary")), 0);
    QCOMPARE(count(tp, QStringLiteral("scheduleentered")), 0);
    // The rows wait in the cache, and the next save stores and marks them.
    QCOMPARE(l.newRows(), 3);
    QVERIFY(l.window.scheduleLine()->isVisible());
    tp.exec(QStringLiteral("drop trigger refuse"));
    l.driver.press(QStringLiteral("保存"));
    QCOMPARE(count(tp, QStringLiteral("mysalary")), 3);
    QCOMPARE(count(tp, QStringLiteral("scheduleentered")), 3);
}

void TestSchedules::unusedFor14Months() {
    TestProgram tp;
    tp.exec(QStringLiteral(
        "insert into schedule (sz, szdl, szxl, money, zffs, memo, every, day, firstdate) values "
        "('收入', '工资', '基本工资', 8000, '工资卡', '', '每月', '31', '2025-10-01')"));
    Ledger l(tp);
    // October 2025 to November 2026: 14 months, each once, on its last day.
    QCOMPARE(l.newRows(), 14);
    QCOMPARE(l.driver.value(4, QStringLiteral("adddate")), QStringLiteral("2026-02-28"));
    QCOMPARE(l.driver.value(13, QStringLiteral("adddate")), QStringLiteral("2026-11-30"));
    QCOMPARE(l.window.scheduleLine()->text(), QStringLiteral("14 条定期收支已加入，保存后生效"));
}

void TestSchedules::severalSchedulesComeInDateOrder() {
    TestProgram tp;
    tp.exec(kRent); // the 5th of each month from October
    tp.exec(QStringLiteral(
        "insert into schedule (sz, szdl, szxl, money, zffs, memo, every, day, firstdate, "
        "lastdate) values ('支出', '餐饮', '牛奶', 28, '支付宝', '', '每周', '1', "
        "'2026-11-30', '2026-12-06')"));
    Ledger l(tp);
    QStringList dates;
    for (int r = 0; r < l.rows(); ++r)
        dates << l.driver.value(r, QStringLiteral("adddate"));
    QCOMPARE(dates, (QStringList{"2026-10-05", "2026-11-05", "2026-11-30", "2026-12-05"}));
}

void TestSchedules::scheduleWindowRefusesADayThatDoesNotFit_data() {
    QTest::addColumn<QString>("every");
    QTest::addColumn<QString>("day");
    QTest::addColumn<bool>("taken");
    QTest::newRow("monthly 31") << "每月"
                                << "31" << true;
    QTest::newRow("monthly 32") << "每月"
                                << "32" << false;
    QTest::newRow("weekly 8") << "每周"
                              << "8" << false;
    QTest::newRow("yearly 03-15") << "每年"
                                  << "03-15" << true;
    QTest::newRow("yearly 15") << "每年"
                               << "15" << false;
}

void TestSchedules::scheduleWindowRefusesADayThatDoesNotFit() {
    QFETCH(QString, every);
    QFETCH(QString, day);
    QFETCH(bool, taken);
    TestProgram tp;
    ScheduleWindow w(tp.context());
    EditingWindowDriver f(w);
    f.show();
    f.press(QStringLiteral("新增"));
    QVERIFY(f.enter(0, QStringLiteral("every"), every));
    f.enter(0, QStringLiteral("day"), day);
    f.press(QStringLiteral("保存"));
    QCOMPARE(tp.dialogs.errors().isEmpty(), taken);
    if (taken)
        QCOMPARE(tp.scalar(QStringLiteral("select day from schedule")).toString(), day);
}

void TestSchedules::ledgerOpensTheScheduleWindow() {
    TestProgram tp;
    QString opened;
    WindowFactory schedules = [&](QWidget* parent) -> std::unique_ptr<QDialog> {
        auto w = std::make_unique<ScheduleWindow>(tp.context(), parent);
        QTimer::singleShot(0, w.get(), [&opened, raw = w.get()] {
            opened = raw->objectName() + QStringLiteral(" ") + raw->windowTitle();
            raw->close();
        });
        return w;
    };
    LedgerWindow l(tp.context(), WindowFactory{}, WindowFactory{}, nullptr, schedules);
    QPushButton* b = l.button(QStringLiteral("schedulebtn"));
    QVERIFY(b);
    QCOMPARE(b->text(), QStringLiteral("定期"));
    // After 图表 in the row of buttons, and the whole row fits in the window.
    l.show();
    QVERIFY(QTest::qWaitForWindowExposed(&l));
    QVERIFY(b->x() > l.button(QStringLiteral("szchart"))->x());
    QVERIFY(b->geometry().right() < l.width());
    b->click();
    QCOMPARE(opened, QStringLiteral("fmschedule 定期收支"));
}

void TestSchedules::dueListFromTheBooks() {
    TestProgram tp;
    tp.exec(QStringLiteral(
        "insert into saving (bankuser, bankname, totalmoney, enddate) values "
        "('张伟', '中国银行', 10150, '2026-12-20'), ('王芳', '工商银行', 5000, '2027-03-01'), "
        "('李娜', '建设银行', 3000, '2026-10-01')"));
    tp.exec(QStringLiteral("insert into borrow (action, money, listman, hopedate, flag) values "
                           "('借给别人', 1500, '赵强', '2026-12-01', 0), "
                           "('问别人借', 800, '孙丽', '2026-11-01', 1), "
                           "('问别人借', 2000, '周杰', '2027-01-01', 0)"));
    tp.exec(kRent);
    const duelist::DueList due = duenotice::readDue(tp.context(), QDate(2026, 12, 9));
    QCOMPARE(due.deposits, QStringList{"张伟 中国银行 10150.00元 2026-12-20 到期"});
    QCOMPARE(due.loans, QStringList{"借给 赵强 1500.00元，预还款日期 2026-12-01"});
    QCOMPARE(due.schedules, 3);
    // After its maturity the deposit is still told for 30 days; the loan until repaid.
    QCOMPARE(duenotice::readDue(tp.context(), QDate(2027, 1, 19)).deposits.size(), 1);
    QCOMPARE(duenotice::readDue(tp.context(), QDate(2027, 1, 20)).deposits.size(), 0);
    tp.exec(QStringLiteral("update borrow set flag = 1 where listman = '赵强'"));
    QCOMPARE(duenotice::readDue(tp.context(), QDate(2026, 12, 9)).loans, QStringList{});
}

void TestSchedules::toldOnceADay() {
    TestProgram tp;
    tp.exec(QStringLiteral("insert into borrow (action, money, listman, hopedate, flag) values "
                           "('借给别人', 1500, '赵强', '2026-12-01', 0)"));
    QVERIFY(duenotice::toTellNow(tp.context()).has_value());
    QCOMPARE(tp.scalar(QStringLiteral("select lasttold from duenotice")).toString(),
             QStringLiteral("2026-12-09"));
    QVERIFY(!duenotice::toTellNow(tp.context()).has_value()); // the same day again
    setToday(tp, 2026, 12, 10);
    const auto next = duenotice::toTellNow(tp.context());
    QVERIFY(next.has_value());
    QCOMPARE(next->loans.size(), 1);
}

void TestSchedules::nothingDueTellsNothing() {
    TestProgram tp;
    QVERIFY(!duenotice::toTellNow(tp.context()).has_value());
    QVERIFY(tp.scalar(QStringLiteral("select lasttold from duenotice")).isNull());
    // Something that falls due later the same day is still told.
    tp.exec(kRent);
    QVERIFY(duenotice::toTellNow(tp.context()).has_value());
}

void TestSchedules::mainWindowTellsAfterThePassword() {
    TestProgram tp;
    tp.exec(QStringLiteral("insert into saving (bankuser, bankname, totalmoney, enddate) values "
                           "('张伟', '中国银行', 10150, '2026-12-20')"));
    QStringList opened;
    auto record = [&](const QString& name) -> WindowFactory {
        return [&opened, name](QWidget* parent) -> std::unique_ptr<QDialog> {
            auto d = std::make_unique<QDialog>(parent);
            QTimer::singleShot(0, d.get(), [raw = d.get()] { raw->accept(); });
            opened << name;
            return d;
        };
    };
    MainWindow bank(tp.context(), QStringLiteral("secret"),
                    {record("ledger"), record("loans"), record("savings"), record("settings")});
    bank.show();
    QVERIFY(QTest::qWaitForWindowExposed(&bank));
    QCoreApplication::processEvents();
    QVERIFY(!bank.dueLine()->isVisible()); // not before the books are open to the user
    tp.dialogs.typeNext(QStringLiteral("wrong"));
    QTest::mouseClick(bank.button(QStringLiteral("login")), Qt::LeftButton);
    QVERIFY(!bank.dueLine()->isVisible());
    tp.dialogs.typeNext(QStringLiteral("secret"));
    QTest::mouseClick(bank.button(QStringLiteral("login")), Qt::LeftButton);
    QVERIFY(bank.dueLine()->isVisible());
    QPushButton* deposits = bank.dueLine()->depositsButton();
    QCOMPARE(deposits->text(), QStringLiteral("1 笔存款到期"));
    QCOMPARE(deposits->accessibleDescription(),
             QStringLiteral("张伟 中国银行 10150.00元 2026-12-20 到期"));
    QVERIFY(!bank.dueLine()->loansButton()->isVisible());
    QTest::mouseClick(deposits, Qt::LeftButton);
    QCOMPARE(opened, QStringList{"savings"});
    QVERIFY(tp.dialogs.shown.size() == 0 || tp.dialogs.errors().isEmpty());
}

void TestSchedules::mainWindowWithoutPasswordTellsAtOnce() {
    TestProgram tp;
    tp.exec(kRent);
    {
        MainWindow bank(tp.context(), QString(), {});
        QStringList notified;
        bank.setDesktopNotifier(
            [&](const QString& summary, const QString& body) { notified << summary << body; });
        bank.show();
        QVERIFY(QTest::qWaitForWindowExposed(&bank));
        QTRY_VERIFY(bank.dueLine()->isVisible());
        QCOMPARE(bank.dueLine()->schedulesButton()->text(), QStringLiteral("3 条定期收支待入账"));
        QCOMPARE(notified.size(), 2);
        QVERIFY(notified.last().startsWith(QStringLiteral("3 条定期收支待入账")));
    }
    // A second start the same day says nothing.
    MainWindow again(tp.context(), QString(), {});
    again.show();
    QVERIFY(QTest::qWaitForWindowExposed(&again));
    QTest::qWait(20);
    QVERIFY(!again.dueLine()->isVisible());
}

void TestSchedules::daysAheadIsKeptInTheBooks() {
    TestProgram tp;
    tp.exec(QStringLiteral("insert into saving (bankuser, bankname, totalmoney, enddate) values "
                           "('张伟', '中国银行', 10150, '2026-12-20')"));
    {
        DueDaysBox box(tp.books(), tp.dialogs);
        QCOMPARE(box.days()->value(), 30);
        box.days()->setValue(10);
        box.save();
        QCOMPARE(tp.dialogs.shown.last().text, QStringLiteral("提醒天数设置完成！"));
    }
    QCOMPARE(tp.scalar(QStringLiteral("select daysahead from duenotice")).toInt(), 10);
    DueDaysBox reopened(tp.books(), tp.dialogs);
    QCOMPARE(reopened.days()->value(), 10);
    // 11 days to maturity is beyond 10 days ahead.
    QVERIFY(duenotice::readDue(tp.context(), QDate(2026, 12, 9)).deposits.isEmpty());
    QCOMPARE(duenotice::readDue(tp.context(), QDate(2026, 12, 10)).deposits.size(), 1);
}

namespace {
// Input through the window system, as a person at the display gives it (tests/support).
struct AtWindow {
    QWidget& top;
    void click(QWidget* w) const { userinput::click(w); }
    void key(Qt::Key k) const { userinput::key(k); }
    void type(const QString& text) const { userinput::type(text); }
};

// Types into the grid's current cell and moves on with Tab, which takes what the cell shows
// also while its list or calendar is down, as a keyboard user does.
void typeCell(const AtWindow& at, DataGrid*, const QString& text) {
    at.type(text);
    at.key(Qt::Key_Tab);
}
} // namespace

// A monthly schedule typed in, the ledger opened on a later day, 保存, and opened again.
void TestSchedules::keyboardAndMouseAtTheWindow() {
    TestProgram tp;
    {
        ScheduleWindow w(tp.context());
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        AtWindow at{w};
        at.click(w.button(QStringLiteral("addszgl")));
        QTRY_VERIFY(w.grid()->currentEditor());
        typeCell(at, w.grid(), QStringLiteral("2026-12-01")); // 开始日期
        typeCell(at, w.grid(), QString());                    // 结束日期 stays empty
        typeCell(at, w.grid(), QStringLiteral("每月"));
        typeCell(at, w.grid(), QStringLiteral("15"));
        typeCell(at, w.grid(), QStringLiteral("支出"));
        typeCell(at, w.grid(), QString()); // 大类
        typeCell(at, w.grid(), QString()); // 细类
        typeCell(at, w.grid(), QStringLiteral("99.5"));
        typeCell(at, w.grid(), QString()); // 支付方式
        at.type(QStringLiteral("电话费"));
        at.click(w.button(QStringLiteral("szsave")));
        QCOMPARE(tp.dialogs.errors(), QStringList{});
        at.click(w.button(QStringLiteral("cmdclose")));
        QTRY_VERIFY(!w.isVisible());
    }
    QCOMPARE(tp.rows(QStringLiteral("select firstdate, every, day, sz, money, memo from schedule")),
             (QList<QStringList>{{"2026-12-01", "每月", "15", "支出", "99.5", "电话费"}}));
    setToday(tp, 2027, 1, 20);
    {
        LedgerWindow l(tp.context(), WindowFactory{}, WindowFactory{});
        l.show();
        QVERIFY(QTest::qWaitForWindowExposed(&l));
        QCOMPARE(l.dataset()->rowCount(), 2); // 2026-12-15 and 2027-01-15
        QCOMPARE(l.scheduleLine()->text(), QStringLiteral("2 条定期收支已加入，保存后生效"));
        AtWindow at{l};
        at.click(l.button(QStringLiteral("szsave")));
        QCOMPARE(tp.dialogs.errors(), QStringList{});
    }
    QCOMPARE(tp.rows(QStringLiteral("select adddate, memo from mysalary order by adddate")),
             (QList<QStringList>{{"2026-12-15", "电话费"}, {"2027-01-15", "电话费"}}));
    LedgerWindow l(tp.context(), WindowFactory{}, WindowFactory{});
    l.show();
    QVERIFY(QTest::qWaitForWindowExposed(&l));
    QCOMPARE(l.dataset()->rowCount(), 2);
    QVERIFY(!l.dataset()->hasPendingChanges());
    QVERIFY(!l.scheduleLine()->isVisible());
}

QTEST_MAIN(TestSchedules)
#include "tst_schedules.moc"
