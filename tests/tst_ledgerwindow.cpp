// The ledger window: choices of the category columns, striping, and saving.
#include "data/tabledataset.h"
#include "ledger/ledgerwindow.h"
#include "lists/gbk.h"
#include "lists/listfiles.h"
#include "support/testprogram.h"
#include "support/userinput.h"
#include "ui/celleditor.h"
#include "ui/datagrid.h"
#include "ui/gridmodel.h"

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>

namespace {

QList<QByteArray> gbkLines(const QStringList& lines) {
    QList<QByteArray> out;
    for (const QString& l : lines)
        out << lists::encode(l);
    return out;
}

// A ledger window over small list files of the test's own.
struct LedgerFixture {
    explicit LedgerFixture(const QStringList& rows = {}) {
        const QString folder = program.folder();
        lists::writeList(folder, "szsubshou.txt", gbkLines({"工资", "奖金"}));
        lists::writeList(folder, "szsubzhi.txt", gbkLines({"餐饮", "交通", "居住"}));
        lists::writeList(folder, "szdetailshou.txt",
                         gbkLines({"工资-基本", "奖金-年终", "工资-加班", "无横线", "-前导", ""}));
        lists::writeList(folder, "szdetailzhi.txt", gbkLines({"餐饮-早餐", "交通-地铁"}));
        lists::writeList(folder, "cardname.txt", gbkLines({"现金", "银行卡"}));
        for (const QString& r : rows)
            program.exec("insert into mysalary (adddate, sz, szdl, szxl, money, zffs, memo) "
                         "values " +
                         r);
        open();
    }
    void open() {
        window = std::make_unique<LedgerWindow>(
            program.context(),
            [this](QWidget* parent) {
                ++queriesOpened;
                auto d = std::make_unique<QDialog>(parent);
                QTimer::singleShot(0, d.get(), &QDialog::accept);
                return d;
            },
            WindowFactory{});
        QVERIFY(userinput::showActive(window.get()));
    }
    TableDataset* dataset() const { return window->dataset(); }
    DataGrid* grid() const { return window->grid(); }
    int field(const char* name) const { return dataset()->fieldIndex(QString::fromLatin1(name)); }
    CellEditor* cell(int row, const char* name) {
        grid()->setCurrentIndex(grid()->model()->index(row, field(name)));
        grid()->setFocus();
        grid()->openEditor();
        QCoreApplication::processEvents();
        return grid()->currentEditor();
    }
    void enter(int row, const char* name, const QString& text) {
        CellEditor* e = cell(row, name);
        QVERIFY(e);
        e->lineEdit()->selectAll();
        userinput::key(Qt::Key_Delete);
        userinput::type(text);
        QVERIFY(grid()->commitEditor());
    }
    void click(const char* name) { userinput::click(window->button(QString::fromLatin1(name))); }

    TestProgram program;
    std::unique_ptr<LedgerWindow> window;
    int queriesOpened = 0;
};

const QString kIncome = "('2026-12-01', '收入', '工资', '基本', 100, '现金', '')";
const QString kSpend = "('2026-12-02', '支出', '餐饮', '早餐', 12.5, '现金', '')";

} // namespace

class TestLedgerWindow : public QObject {
    Q_OBJECT
private slots:
    void layout();
    void majorChoicesByDirection_data();
    void majorChoicesByDirection();
    void changingDirectionOffersOtherListAtOnce();
    void minorChoices_data();
    void minorChoices();
    void majorButtonOnEmptyDirectionAppendsEmptyChoice();
    void typedTextKeptOffList();
    void striping();
    void savedEntryVisibleElsewhereOnlyAfterSave();
    void recentMajorsKeepHundredDistinct();
    void recentMajorsOfferedWhileTyping_data();
    void recentMajorsOfferedWhileTyping();
    void unreadableCategoryFileReportedOnce();
    void missingPaymentFileStillOpens();
    void queryButtonOpensQueryWindow();
    void wholeEntryByKeyboard();
};

void TestLedgerWindow::layout() {
    LedgerFixture f({kIncome});
    QCOMPARE(f.window->windowTitle(), QStringLiteral("收支管理"));
    // The documented 561 × 545, wider only as far as its row of buttons needs.
    QCOMPARE(f.window->height(), 545);
    QVERIFY(f.window->width() >= 561);
    for (const QPushButton* b : f.window->findChildren<QPushButton*>())
        QVERIFY2(b->mapTo(f.window.get(), QPoint(b->width(), 0)).x() <= f.window->width(),
                 qPrintable(b->text()));
    QCOMPARE(f.window->paymentChoices(), (QStringList{"现金", "银行卡"}));
    const auto idx = f.grid()->model()->index(0, f.field("money"));
    QCOMPARE(idx.data().toString(), QStringLiteral("￥100"));
    // Focus order: 保存, 删除, 查询, 图表 (with 导入 and 定期 after it), the grid, 取消, 新增.
    QStringList order;
    QWidget* w = f.window->button("szsave");
    for (int i = 0; i < 9; ++i) {
        order << (w == f.grid() ? QStringLiteral("grid") : w->objectName());
        w = w->nextInFocusChain();
        while (w->focusPolicy() == Qt::NoFocus || !w->isVisible() ||
               w->parentWidget() == f.grid() || (w != f.grid() && f.grid()->isAncestorOf(w)))
            w = w->nextInFocusChain();
    }
    QCOMPARE(order, (QStringList{"szsave", "szdel", "sz_query", "szchart", "importbtn",
                                 "schedulebtn", "grid", "szcancle", "addszgl"}));
}

void TestLedgerWindow::majorChoicesByDirection_data() {
    QTest::addColumn<QString>("direction");
    QTest::addColumn<QStringList>("offered");
    const QStringList income{"工资", "奖金"};
    const QStringList spend{"餐饮", "交通", "居住"};
    QTest::newRow("income") << "收入" << income;
    QTest::newRow("expenditure") << "支出" << spend;
    QTest::newRow("empty") << "" << spend;
    QTest::newRow("other text") << "收入 " << spend;
}

void TestLedgerWindow::majorChoicesByDirection() {
    QFETCH(QString, direction);
    QFETCH(QStringList, offered);
    LedgerFixture f({QStringLiteral("('2026-12-01', '%1', '', '', 1, '', '')").arg(direction)});
    CellEditor* e = f.cell(0, "szdl");
    QVERIFY(e);
    QCOMPARE(e->offeredChoices(), offered);
}

void TestLedgerWindow::changingDirectionOffersOtherListAtOnce() {
    LedgerFixture f({kSpend});
    f.enter(0, "sz", QStringLiteral("收入"));
    QCOMPARE(f.window->majorChoices(), (QStringList{"工资", "奖金"}));
    QCOMPARE(f.dataset()->value(0, f.field("szdl")).toString(), QStringLiteral("餐饮"));
    QCOMPARE(f.dataset()->value(0, f.field("szxl")).toString(), QStringLiteral("早餐"));
    CellEditor* e = f.cell(0, "szdl");
    QCOMPARE(e->offeredChoices(), (QStringList{"工资", "奖金"}));
    // Nothing is stored before 保存.
    QCOMPARE(f.program.scalar("select sz from mysalary").toString(), QStringLiteral("支出"));
}

void TestLedgerWindow::minorChoices_data() {
    QTest::addColumn<QString>("major");
    QTest::addColumn<QStringList>("offered");
    QTest::newRow("工资 in file order") << "工资" << QStringList{"基本", "加班"};
    QTest::newRow("major without lines") << "股票" << QStringList{};
    QTest::newRow("empty major") << "" << QStringList{"无横线", "前导", ""};
}

void TestLedgerWindow::minorChoices() {
    QFETCH(QString, major);
    QFETCH(QStringList, offered);
    LedgerFixture f({"('2026-12-01', '收入', '其他', '基本', 100, '现金', '')"});
    f.enter(0, "szdl", major);
    QCOMPARE(f.window->minorChoices(), offered);
    CellEditor* e = f.cell(0, "szxl");
    QCOMPARE(e->offeredChoices(), offered);
    // Entering a new 大类 leaves 细类 as it was.
    QCOMPARE(f.dataset()->value(0, f.field("szxl")).toString(), QStringLiteral("基本"));
}

void TestLedgerWindow::majorButtonOnEmptyDirectionAppendsEmptyChoice() {
    LedgerFixture f({kIncome});
    f.click("addszgl");
    CellEditor* e = f.cell(1, "szdl");
    QVERIFY(e);
    const QStringList before = f.window->majorChoices();
    // Make the list file unreadable: a press on an empty direction must not read it.
    QFile::remove(f.program.listFolder() + "/szsubzhi.txt");
    e->showDropDown();
    QCOMPARE(f.window->majorChoices(), before + QStringList{QString()});
    e->hideDropDown();
    e->showDropDown();
    QCOMPARE(f.window->majorChoices(), before + (QStringList{QString(), QString()}));
    QCoreApplication::processEvents();
    QVERIFY(f.program.dialogs.errors().isEmpty());
}

void TestLedgerWindow::typedTextKeptOffList() {
    LedgerFixture f;
    f.click("addszgl");
    f.enter(0, "adddate", "2026-12-09");
    f.enter(0, "sz", QStringLiteral("支出"));
    f.enter(0, "szdl", QStringLiteral("宠物"));
    f.enter(0, "szxl", QStringLiteral("猫粮"));
    f.enter(0, "money", "88.8");
    f.enter(0, "zffs", QStringLiteral("购物卡"));
    f.click("szsave");
    QCOMPARE(f.program.rows("select adddate, sz, szdl, szxl, money, zffs from mysalary"),
             (QList<QStringList>{{"2026-12-09", "支出", "宠物", "猫粮", "88.8", "购物卡"}}));
}

void TestLedgerWindow::striping() {
    LedgerFixture f({kIncome, kSpend, kIncome});
    QCOMPARE(f.window->rowColor(0), QColor(Qt::white));
    QCOMPARE(f.window->rowColor(1), QColor(234, 234, 234));
    QCOMPARE(f.window->rowColor(2), QColor(Qt::white));
    const QColor shown = f.grid()->model()->index(1, 0).data(Qt::BackgroundRole).value<QColor>();
    QCOMPARE(shown, QColor(234, 234, 234));
    f.click("addszgl");
    for (int row = 0; row < 4; ++row)
        QCOMPARE(f.window->rowColor(row), QColor(Qt::white));
    f.click("szcancle");
    QCOMPARE(f.window->rowColor(1), QColor(234, 234, 234));
}

void TestLedgerWindow::savedEntryVisibleElsewhereOnlyAfterSave() {
    LedgerFixture f;
    f.click("addszgl");
    f.enter(0, "adddate", "2026-12-09");
    f.enter(0, "sz", QStringLiteral("收入"));
    f.enter(0, "money", "10");
    QCOMPARE(f.program.scalar("select count(*) from mysalary").toInt(), 0);
    f.click("szsave");
    QCOMPARE(f.program.scalar("select count(*) from mysalary").toInt(), 1);
    QCOMPARE(f.program.scalar("select adddate from mysalary").toString(),
             QStringLiteral("2026-12-09"));
}

void TestLedgerWindow::recentMajorsKeepHundredDistinct() {
    LedgerFixture f({kIncome});
    for (int i = 0; i < 105; ++i)
        f.enter(0, "szdl", QStringLiteral("类%1").arg(i));
    f.enter(0, "szdl", QStringLiteral("类104"));
    f.enter(0, "szdl", QStringLiteral("   "));
    QCOMPARE(f.window->recentMajors().size(), 100);
    QCOMPARE(f.window->recentMajors().first(), QStringLiteral("类104"));
    QCOMPARE(f.window->recentMajors().last(), QStringLiteral("类5"));
    QCOMPARE(f.window->recentMajors().count(QStringLiteral("类104")), 1);
}

void TestLedgerWindow::recentMajorsOfferedWhileTyping_data() {
    QTest::addColumn<int>("row");
    QTest::addColumn<bool>("typing"); // else the drop-down button is pressed
    QTest::addColumn<QStringList>("offered");
    // Entered before: 奖金 in the income row, then 宠物 in the expenditure row.
    QTest::newRow("expenditure row, button") << 1 << false << QStringList{"餐饮", "交通", "居住"};
    QTest::newRow("income row, button") << 0 << false << QStringList{"工资", "奖金"};
    QTest::newRow("expenditure row, typing")
        << 1 << true << QStringList{"餐饮", "交通", "居住", "宠物", "奖金"};
    QTest::newRow("income row, typing") << 0 << true << QStringList{"工资", "奖金", "宠物"};
}

// The drop-down button offers the majors of the row's direction only; the values entered
// before, of either direction, are offered while the user types.
void TestLedgerWindow::recentMajorsOfferedWhileTyping() {
    QFETCH(int, row);
    QFETCH(bool, typing);
    LedgerFixture f({kIncome, kSpend});
    f.enter(0, "szdl", QStringLiteral("奖金"));
    f.enter(1, "szdl", QStringLiteral("宠物"));
    QCOMPARE(f.window->recentMajors(), (QStringList{"宠物", "奖金"}));
    f.cell(0, "memo"); // the list the typing dropped down goes with its editor

    CellEditor* e = f.cell(row, "szdl");
    QVERIFY(e);
    if (typing) {
        e->lineEdit()->selectAll();
        userinput::key(Qt::Key_Delete);
        userinput::type(QStringLiteral("宠"));
    } else {
        auto* button = e->findChild<QToolButton*>();
        QVERIFY(button);
        userinput::click(button);
    }
    QCoreApplication::processEvents();
    QVERIFY(e->isDropDownVisible());
    QTEST(e->offeredChoices(), "offered");
}

void TestLedgerWindow::unreadableCategoryFileReportedOnce() {
    LedgerFixture f({kIncome, kIncome, kIncome});
    QFile::remove(f.program.listFolder() + "/szsubshou.txt");
    for (int row = 0; row < 3; ++row)
        f.cell(row, "szdl");
    f.grid()->viewport()->repaint();
    QTRY_COMPARE(f.program.dialogs.errors().size(), 1);
    QTest::qWait(20);
    QCOMPARE(f.program.dialogs.errors().size(), 1);
    QVERIFY(f.program.dialogs.errors().first().startsWith(QStringLiteral("Cannot open file")));
}

void TestLedgerWindow::missingPaymentFileStillOpens() {
    TestProgram program;
    QFile::remove(program.listFolder() + "/cardname.txt");
    LedgerWindow window(program.context(), {}, {});
    QCOMPARE(program.dialogs.errors().size(), 1);
    QVERIFY(program.dialogs.errors().first().startsWith(QStringLiteral("Cannot open file")));
    QVERIFY(window.paymentChoices().isEmpty());
}

void TestLedgerWindow::queryButtonOpensQueryWindow() {
    LedgerFixture f({kIncome});
    f.click("sz_query");
    QCOMPARE(f.queriesOpened, 1);
}

// A whole entry typed cell by cell with Tab into an empty ledger, Chinese text through the
// input method, and saved with the keyboard: stored as typed.
void TestLedgerWindow::wholeEntryByKeyboard() {
    LedgerFixture f;
    f.grid()->setFocus();
    const QStringList cells{"2026-12-03", "支出", "餐饮", "午餐", "12.5", "现金", "工作餐"};
    for (const QString& text : cells) {
        userinput::type(text);
        if (&text != &cells.last())
            userinput::key(Qt::Key_Tab);
    }
    userinput::key(Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(f.program.dialogs.errors(), QStringList{});
    QCOMPARE(f.program.rows("select adddate, sz, szdl, szxl, money, zffs, memo from mysalary"),
             QList<QStringList>{cells});
}

QTEST_MAIN(TestLedgerWindow)
#include "tst_ledgerwindow.moc"
