// Values the books cannot hold whole: amounts too large to total, infinite amounts stored by
// another tool, control characters and over-long pastes in a cell.
#include "data/checkedsum.h"
#include "data/querydataset.h"
#include "data/tabledataset.h"
#include "platform/apperror.h"
#include "registers/loanswindow.h"
#include "reports/logic/periods.h"
#include "reports/querygridmodel.h"
#include "reports/querywindow.h"
#include "support/ledgerentries.h"
#include "support/loansfixture.h"
#include "support/testprogram.h"
#include "support/userinput.h"
#include "ui/celleditor.h"
#include "ui/datagrid.h"
#include "ui/gridmodel.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <limits>

namespace {

// Texts that a format must never show: the digits of "inf" or "nan" spread over a pattern.
bool looksGarbled(const QString& text) {
    return text.contains(QStringLiteral("nf"), Qt::CaseInsensitive) ||
           text.contains(QStringLiteral("an"), Qt::CaseInsensitive);
}

// Opens the context menu of `edit` as the menu key does (a right click shows the grid's own
// menu) and chooses its paste entry.
void triggerMenuPaste(QLineEdit* edit) {
    QContextMenuEvent menuEvent(QContextMenuEvent::Keyboard, QPoint(2, 2),
                                edit->mapToGlobal(QPoint(2, 2)));
    QCoreApplication::sendEvent(edit, &menuEvent);
    QMenu* menu = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* m = qobject_cast<QMenu*>(w); m && m->isVisible())
            menu = m;
    QVERIFY(menu);
    QAction* paste = nullptr;
    for (QAction* a : menu->actions())
        if (a->text().startsWith(QStringLiteral("&Paste")))
            paste = a;
    QVERIFY(paste);
    paste->trigger();
    menu->close();
    QCoreApplication::processEvents();
}

} // namespace

class TestBadValues : public QObject {
    Q_OBJECT
private slots:
    void typedAmountOutOfRange_data();
    void typedAmountOutOfRange();
    void storedAmountShowsErrorInCell_data();
    void storedAmountShowsErrorInCell();
    void loansTotalsNameTheRow_data();
    void loansTotalsNameTheRow();
    void queryTotalsNameTheRow();
    void analysisCellsNeverGarbled();
    void badRowStatement_data();
    void badRowStatement();
    void controlCharacterRefusedInCell_data();
    void controlCharacterRefusedInCell();
    void pasteRefused_data();
    void pasteRefused();
    void contextMenuPasteChecked();
    void contextMenuPasteStillPastes();
    void dropChecked_data();
    void dropChecked();
};

void TestBadValues::typedAmountOutOfRange_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("error"); // empty: taken over and saved
    QTest::addColumn<double>("stored");
    const QString tooLarge = QStringLiteral("金额的绝对值必须小于10000000000000：'%1'");
    QTest::newRow("1e308") << "1e308" << tooLarge.arg("1e308") << 1500.0;
    QTest::newRow("the limit") << "10000000000000" << tooLarge.arg("10000000000000") << 1500.0;
    QTest::newRow("negative") << "-2e13" << tooLarge.arg("-2e13") << 1500.0;
    QTest::newRow("largest amount") << "9999999999999.99"
                                    << "" << 9999999999999.99;
}

void TestBadValues::typedAmountOutOfRange() {
    QFETCH(QString, typed);
    QFETCH(QString, error);
    QFETCH(double, stored);
    LoansFixture f({kLent});
    QLineEdit* e = f.cell(0, "money");
    QVERIFY(e);
    e->selectAll();
    userinput::type(typed);
    userinput::key(Qt::Key_Tab);
    if (error.isEmpty()) {
        QVERIFY(f.program.dialogs.errors().isEmpty());
    } else {
        // The text is named, the editor keeps it, and nothing reaches the books.
        QCOMPARE(f.program.dialogs.errors(), QStringList{error});
        QCOMPARE(f.grid()->currentEditor()->text(), typed);
        QCOMPARE(f.grid()->currentIndex().column(), f.field("money"));
    }
    f.window->button(QStringLiteral("szsave"))->click();
    QCOMPARE(f.program.scalar(QStringLiteral("select money from borrow")).toDouble(), stored);
}

void TestBadValues::storedAmountShowsErrorInCell_data() {
    QTest::addColumn<QString>("money");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("edited"); // what the cell's editor starts with
    QTest::newRow("infinite") << "1e999"
                              << "#无效数值"
                              << "#无效数值";
    QTest::newRow("minus infinite") << "-1e999"
                                    << "#无效数值"
                                    << "#无效数值";
    QTest::newRow("too large") << "1e20"
                               << "#超出范围"
                               << "1E20";
    QTest::newRow("largest amount") << "9999999999999.99"
                                    << "￥9,999,999,999,999.99"
                                    << "9999999999999.99";
}

void TestBadValues::storedAmountShowsErrorInCell() {
    QFETCH(QString, money);
    QFETCH(QString, shown);
    QFETCH(QString, edited);
    // Settled, so the totals stay out of it.
    LoansFixture f({QStringLiteral("('2026-01-05', '借给别人', %1, '张伟', 1, '')").arg(money)});
    QCOMPARE(f.shown(0, "money"), shown);
    QCOMPARE(f.grid()->model()->index(0, f.field("money")).data(Qt::AccessibleTextRole).toString(),
             shown);
    QLineEdit* e = f.cell(0, "money");
    QVERIFY(e);
    QCOMPARE(e->text(), edited);
    QVERIFY(f.program.dialogs.errors().isEmpty());
}

void TestBadValues::loansTotalsNameTheRow_data() {
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QString>("error"); // empty: the totals show
    QTest::addColumn<QStringList>("panels");
    const QString unsettled = QStringLiteral("('2026-01-06', '%1', %2, 'x', 0, '')");
    QTest::newRow("infinite lent")
        << QStringList{kLent, unsettled.arg("借给别人", "1e999")}
        << "无法计算合计：表 borrow 第 2 行的 money 不是有效金额：'Inf'" << QStringList{"", "", ""};
    QTest::newRow("infinities that cancel")
        << QStringList{kLent, unsettled.arg("问别人借", "-1e999"),
                       unsettled.arg("问别人借", "1e999")}
        << "无法计算合计：表 borrow 第 2 行的 money 不是有效金额：'-Inf'"
        << QStringList{"", "", ""};
    QTest::newRow("too large")
        << QStringList{kLent, kLent, unsettled.arg("问别人借", "9223372036854775807")}
        << "无法计算合计：表 borrow 第 3 行的 money 不是有效金额：'9.22337203685478e+18'"
        << QStringList{"", "", ""};
    QTest::newRow("settled rows do not count")
        << QStringList{kLent, QStringLiteral("('2026-01-06', '借给别人', 1e999, 'x', 1, '')")} << ""
        << QStringList{"借出：1500元", "欠款：0元", "余额：1500元"};
}

void TestBadValues::loansTotalsNameTheRow() {
    QFETCH(QStringList, rows);
    QFETCH(QString, error);
    QFETCH(QStringList, panels);
    LoansFixture f(rows);
    QCOMPARE(f.program.dialogs.errors(), error.isEmpty() ? QStringList() : QStringList{error});
    QCOMPARE(f.panels(), panels);
}

void TestBadValues::queryTotalsNameTheRow() {
    TestProgram tp;
    insertEntries(tp, {{"2026-12-09", "收入", 10}, {"2026-12-09", "支出", 5}});
    tp.exec(QStringLiteral("insert into mysalary (adddate, sz, money) values "
                           "('2026-12-09', '支出', 1e999)"));
    QueryWindow w(tp.context());
    w.show();
    const QString error =
        QStringLiteral("无法计算合计：表 mysalary 第 3 行的 money 不是有效金额：'Inf'");
    QCOMPARE(tp.dialogs.errors(), QStringList{error});
    for (int i = 0; i < 3; ++i)
        QVERIFY2(!looksGarbled(w.statusPanel(i)->text()), qPrintable(w.statusPanel(i)->text()));

    // The same through the totals of one period.
    QueryDataset q(tp.books());
    try {
        periods::computeTotals(q, periods::periodSums(periods::Period::Day, {"2026-12-09", {}}));
        QFAIL("a spoilt total was computed");
    } catch (const AppError& e) {
        QCOMPARE(e.text(), error);
    }
    // Income is not spoilt by an expenditure row.
    QCOMPARE(
        checkedsum::readSum(q, periods::periodSums(periods::Period::Day, {"2026-12-09", {}}).income)
            .toDouble(),
        10.0);
}

void TestBadValues::analysisCellsNeverGarbled() {
    const double inf = std::numeric_limits<double>::infinity();
    using D = QueryGridModel::Display;
    QCOMPARE(QueryGridModel::displayText(inf, D::Amount), QStringLiteral("#无效数值"));
    QCOMPARE(QueryGridModel::displayText(-inf, D::Amount), QStringLiteral("#无效数值"));
    QCOMPARE(QueryGridModel::displayText(1e14, D::Amount), QStringLiteral("#超出范围"));
    QCOMPARE(QueryGridModel::displayText(inf, D::Text), QStringLiteral("#无效数值"));
    QCOMPARE(QueryGridModel::displayText(1234.5, D::Amount), QStringLiteral("￥1,234.5"));
}

void TestBadValues::badRowStatement_data() {
    QTest::addColumn<QString>("sum");
    QTest::addColumn<QString>("find");
    QTest::newRow("whole table")
        << "select sum(money) from saving"
        << "select id, cast(money as text) from saving where money is not null and "
           "abs(money) >= 10000000000000 order by id limit 1";
    QTest::newRow("condition and order by 1")
        << "select sum(money) from mysalary where sz='收入' and adddate=#2026-12-09# order by 1 "
           "desc"
        << "select id, cast(money as text) from mysalary where (sz='收入' and "
           "adddate=#2026-12-09#) and money is not null and abs(money) >= 10000000000000 "
           "order by id limit 1";
    QTest::newRow("not a sum") << "select * from mysalary"
                               << "";
}

void TestBadValues::badRowStatement() {
    QFETCH(QString, sum);
    QFETCH(QString, find);
    QCOMPARE(checkedsum::badRowStatement(sum), find);
}

void TestBadValues::controlCharacterRefusedInCell_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("error");
    QTest::newRow("NUL in a remark") << "memo" << QString::fromUtf16(u"ab\u0000cd", 5)
                                     << "文本中不能有控制字符：第 3 个字符是 U+0000.";
    QTest::newRow("line break in a name") << "listman"
                                          << "张\n伟"
                                          << "文本中不能有控制字符：第 2 个字符是 U+000A.";
    QTest::newRow("escape in a pick list") << "action"
                                           << "借给\x1b"
                                           << "文本中不能有控制字符：第 3 个字符是 U+001B.";
    QTest::newRow("tab is kept") << "memo"
                                 << "a\tb"
                                 << "";
}

void TestBadValues::controlCharacterRefusedInCell() {
    QFETCH(QString, field);
    QFETCH(QString, text);
    QFETCH(QString, error);
    LoansFixture f({kLent});
    QLineEdit* e = f.cell(0, field.toLatin1().constData());
    QVERIFY(e);
    // However the text got there (a drop, an input method), it is checked when taken over.
    e->setText(text);
    const bool taken = f.grid()->commitEditor();
    f.window->button(QStringLiteral("szsave"))->click();
    const QVariant stored = f.program.scalar(QStringLiteral("select %1 from borrow").arg(field));
    if (error.isEmpty()) {
        QVERIFY(taken);
        QCOMPARE(stored.toString(), text);
        return;
    }
    QVERIFY(!taken);
    QCOMPARE(f.program.dialogs.errors().value(0), error);
    QCOMPARE(f.grid()->currentEditor()->text(), text);
    QVERIFY(stored.toString() != text);
}

void TestBadValues::pasteRefused_data() {
    QTest::addColumn<QString>("clip");
    QTest::addColumn<QString>("error"); // empty: pasted
    QTest::newRow("fits") << "午饭"
                          << "";
    QTest::newRow("NUL") << QString::fromUtf16(u"a\u0000b", 3)
                         << "粘贴的文本中不能有控制字符：第 2 个字符是 U+0000.";
    QTest::newRow("line break") << "一\r\n二"
                                << "粘贴的文本中不能有控制字符：第 2 个字符是 U+000D.";
    QTest::newRow("longer than the column")
        << QString(CellEditor::kTextLimit, u'x')
        << QStringLiteral("粘贴的文本太长，没有粘贴：本列最多容纳 %1 个字符，粘贴后将有 %2 个字符.")
               .arg(CellEditor::kTextLimit)
               .arg(CellEditor::kTextLimit + 3);
}

void TestBadValues::pasteRefused() {
    QFETCH(QString, clip);
    QFETCH(QString, error);
    LoansFixture f({kLent});
    QLineEdit* e = f.cell(0, "memo");
    QVERIFY(e);
    e->setText(QStringLiteral("abc"));
    e->end(false);
    QGuiApplication::clipboard()->setText(clip);
    userinput::key(Qt::Key_V, Qt::ControlModifier);
    QCoreApplication::processEvents();
    if (error.isEmpty()) {
        QCOMPARE(e->text(), QStringLiteral("abc") + clip);
        QVERIFY(f.program.dialogs.errors().isEmpty());
        return;
    }
    // Nothing is cut or pasted, and the user is told why.
    QCOMPARE(e->text(), QStringLiteral("abc"));
    QCOMPARE(f.program.dialogs.errors(), QStringList{error});
}

void TestBadValues::contextMenuPasteChecked() {
    LoansFixture f({kLent});
    QLineEdit* e = f.cell(0, "memo");
    QVERIFY(e);
    e->setText(QStringLiteral("abc"));
    QGuiApplication::clipboard()->setText(QString::fromUtf16(u"x\u0000", 2));
    triggerMenuPaste(e);
    QCOMPARE(e->text(), QStringLiteral("abc"));
    QCOMPARE(f.program.dialogs.errors(),
             QStringList{"粘贴的文本中不能有控制字符：第 2 个字符是 U+0000."});
}

// The menu's paste still pastes what the cell can hold.
void TestBadValues::contextMenuPasteStillPastes() {
    LoansFixture f({kLent});
    QLineEdit* e = f.cell(0, "memo");
    QVERIFY(e);
    e->setText(QStringLiteral("abc"));
    QGuiApplication::clipboard()->setText(QStringLiteral("午饭"));
    triggerMenuPaste(e);
    QCOMPARE(e->text(), QStringLiteral("abc午饭"));
    QVERIFY(f.program.dialogs.errors().isEmpty());
}

void TestBadValues::dropChecked_data() {
    QTest::addColumn<QString>("dropped");
    QTest::addColumn<QString>("error"); // empty: dropped in
    QTest::newRow("fits") << "午饭"
                          << "";
    QTest::newRow("NUL") << QString::fromUtf16(u"\u0000", 1)
                         << "粘贴的文本中不能有控制字符：第 1 个字符是 U+0000.";
    // A drop adds to the text; it replaces nothing.
    QTest::newRow("longer than the column")
        << QString(CellEditor::kTextLimit - 2, u'x')
        << QStringLiteral("粘贴的文本太长，没有粘贴：本列最多容纳 %1 个字符，粘贴后将有 %2 个字符.")
               .arg(CellEditor::kTextLimit)
               .arg(CellEditor::kTextLimit + 1);
}

void TestBadValues::dropChecked() {
    QFETCH(QString, dropped);
    QFETCH(QString, error);
    LoansFixture f({kLent});
    QLineEdit* e = f.cell(0, "memo");
    QVERIFY(e);
    e->setText(QStringLiteral("abc"));
    e->selectAll();
    QMimeData mime;
    mime.setText(dropped);
    const QPointF end(e->width() - 2, e->height() / 2);
    QDropEvent drop(end, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    // As a drag delivers it: entering the cell, then the drop.
    QDragEnterEvent enter(end.toPoint(), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(e, &enter);
    QCoreApplication::sendEvent(e, &drop);
    QCoreApplication::processEvents();
    if (error.isEmpty()) {
        QVERIFY(e->text().contains(dropped));
        QVERIFY(f.program.dialogs.errors().isEmpty());
        return;
    }
    QCOMPARE(e->text(), QStringLiteral("abc"));
    QCOMPARE(f.program.dialogs.errors(), QStringList{error});
}

QTEST_MAIN(TestBadValues)
#include "tst_badvalues.moc"
