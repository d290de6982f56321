// The data grid's keyboard and columns, and the commit hook, on the loans window's grid and
// on a small window of its own.
#include "data/tabledataset.h"
#include "platform/apperror.h"
#include "registers/loanswindow.h"
#include "support/editingwindow.h"
#include "support/loansfixture.h"
#include "support/testprogram.h"
#include "support/typing.h"
#include "ui/celleditor.h"
#include "ui/datagrid.h"
#include "ui/gridmodel.h"
#include "ui/tablewindow.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {

// A small editing window over `borrow` whose 借贷行为 column has a commit hook: it fills
// 备注 and 金额 from the committed text, refuses "拒绝", and refuses "半途" after it has
// already set 备注.
class HookWindow : public TableWindow {
public:
    explicit HookWindow(const Context& context)
        : TableWindow(
              context,
              {.objectName = QStringLiteral("hook"),
               .caption = QStringLiteral("hook"),
               .table = QStringLiteral("borrow"),
               .clientSize = QSize(480, 300)},
              {{QStringLiteral("人员"), QStringLiteral("listman")},
               {QStringLiteral("借贷行为"), QStringLiteral("action")},
               {QStringLiteral("金额"), QStringLiteral("money"), 64, ColumnKind::Amount, {}},
               {QStringLiteral("备注"), QStringLiteral("memo")}}) {
        onCommit(QStringLiteral("action"), [this](CommittedRow& row, const QVariant& value) {
            hookRow = row.row();
            currentAtHook = dataset()->currentRow();
            storedAtHook = row.value(QStringLiteral("action")).toString();
            const QString text = value.toString();
            if (text == QStringLiteral("拒绝"))
                throw AppError(QStringLiteral("不接受"));
            row.set(QStringLiteral("memo"), QStringLiteral("由") + text);
            if (text == QStringLiteral("半途"))
                throw AppError(QStringLiteral("半途而废"));
            row.set(QStringLiteral("money"), QStringLiteral("12.5"));
        });
    }
    int hookRow = -1;
    int currentAtHook = -1;
    QString storedAtHook;
};

} // namespace

class TestDataGrid : public QObject {
    Q_OBJECT
private slots:
    void keyDownPastLastRowAppendsOnce();
    void tabWrapsToNextRow();
    void shiftTabWrapsBack();
    void insertKeyInsertsAtCursor();
    void ctrlDeleteAsksGridQuestion_data();
    void ctrlDeleteAsksGridQuestion();
    void escapeAbandonsCellThenRow();
    void newUntouchedRowVanishesWhenFocusLeaves();
    void columnsFillTheGrid();
    void commitHookFillsRowBeforeStoring();
    void commitHookRefusalChangesNothing_data();
    void commitHookRefusalChangesNothing();
    void sameTextEnteredAgain_data();
    void sameTextEnteredAgain();
};

void TestDataGrid::keyDownPastLastRowAppendsOnce() {
    LoansFixture f({kLent});
    QLineEdit* e = f.cell(0, "listman");
    QTest::keyClick(e, Qt::Key_Down);
    QCOMPARE(f.dataset()->rowCount(), 2);
    QVERIFY(f.dataset()->isInserting());
    QTest::keyClick(f.grid()->currentEditor()->lineEdit(), Qt::Key_Down);
    QCOMPARE(f.dataset()->rowCount(), 2);
}

void TestDataGrid::tabWrapsToNextRow() {
    LoansFixture f({kLent, kBorrowed});
    QLineEdit* e = f.cell(0, "memo");
    QTest::keyClick(e, Qt::Key_Tab);
    QCOMPARE(f.grid()->currentIndex().row(), 1);
    QCOMPARE(f.grid()->currentIndex().column(), f.dataset()->fieldIndex("borrowdate"));
    // Enter moves like Tab.
    QTest::keyClick(f.grid()->currentEditor()->lineEdit(), Qt::Key_Return);
    QCOMPARE(f.grid()->currentIndex().column(), f.dataset()->fieldIndex("action"));
}

void TestDataGrid::shiftTabWrapsBack() {
    LoansFixture f({kLent, kBorrowed});
    QLineEdit* e = f.cell(1, "borrowdate");
    QTest::keyClick(e, Qt::Key_Backtab, Qt::ShiftModifier);
    QCOMPARE(f.grid()->currentIndex().row(), 0);
    QCOMPARE(f.grid()->currentIndex().column(), f.dataset()->fieldIndex("memo"));
}

void TestDataGrid::insertKeyInsertsAtCursor() {
    LoansFixture f({kLent, kBorrowed});
    QLineEdit* e = f.cell(1, "listman");
    QTest::keyClick(e, Qt::Key_Insert);
    QCOMPARE(f.dataset()->rowCount(), 3);
    QCOMPARE(f.dataset()->currentRow(), 1);
    QCOMPARE(f.dataset()->rowState(1), TableDataset::RowState::New);
    QCOMPARE(f.dataset()->value(2, f.dataset()->fieldIndex("listman")).toString(),
             QStringLiteral("李娜"));
    typeText(f.grid()->currentEditor()->lineEdit(), QStringLiteral("中间"));
    f.click("szsave");
    QCOMPARE(f.stored(), 3);
}

void TestDataGrid::ctrlDeleteAsksGridQuestion_data() {
    QTest::addColumn<bool>("several");
    QTest::addColumn<int>("answer");
    QTest::addColumn<int>("rowsLeft");
    QTest::newRow("one row, OK") << false << int(Dialogs::Answer::Ok) << 2;
    QTest::newRow("one row, Cancel") << false << int(Dialogs::Answer::Cancel) << 3;
    QTest::newRow("two rows, OK") << true << int(Dialogs::Answer::Ok) << 1;
}

void TestDataGrid::ctrlDeleteAsksGridQuestion() {
    QFETCH(bool, several);
    QFETCH(int, answer);
    QFETCH(int, rowsLeft);
    LoansFixture f({kLent, kBorrowed, "('2026-03-01', '借给别人', 1, '赵六', 0, '')"});
    QLineEdit* e = f.cell(0, "listman");
    if (several) {
        auto* sm = f.grid()->selectionModel();
        sm->select(f.grid()->model()->index(0, 0), QItemSelectionModel::Select);
        sm->select(f.grid()->model()->index(1, 0), QItemSelectionModel::Select);
    }
    f.program.dialogs.answerNext(Dialogs::Answer(answer));
    QTest::keyClick(e, Qt::Key_Delete, Qt::ControlModifier);
    QCOMPARE(f.program.dialogs.shown.last().text,
             several ? QStringLiteral("Delete all selected records?")
                     : QStringLiteral("Delete record?"));
    QCOMPARE(f.program.dialogs.shown.last().buttons, Dialogs::Buttons::OkCancel);
    QCOMPARE(f.dataset()->rowCount(), rowsLeft);
    QCOMPARE(f.stored(), 3); // only 保存 writes
}

void TestDataGrid::escapeAbandonsCellThenRow() {
    LoansFixture f({kLent});
    f.type(0, "listman", QStringLiteral("甲"));
    QVERIFY(f.grid()->commitEditor());
    f.type(0, "memo", QStringLiteral("乙"));
    QLineEdit* e = f.grid()->currentEditor()->lineEdit();
    QTest::keyClick(e, Qt::Key_Escape);
    QCOMPARE(f.grid()->currentEditor()->text(), QString());
    QCOMPARE(f.dataset()->value(0, f.dataset()->fieldIndex("listman")).toString(),
             QStringLiteral("甲"));
    QTest::keyClick(f.grid()->currentEditor()->lineEdit(), Qt::Key_Escape);
    QCOMPARE(f.dataset()->value(0, f.dataset()->fieldIndex("listman")).toString(),
             QStringLiteral("张伟"));
    QVERIFY(!f.dataset()->hasPendingChanges());
    // On a new row Esc makes it vanish.
    f.click("addszgl");
    QCOMPARE(f.dataset()->rowCount(), 2);
    QTest::keyClick(f.grid()->currentEditor()->lineEdit(), Qt::Key_Escape);
    QCOMPARE(f.dataset()->rowCount(), 1);
}

void TestDataGrid::newUntouchedRowVanishesWhenFocusLeaves() {
    LoansFixture f({kLent});
    f.cell(0, "listman");
    f.click("addszgl");
    QCOMPARE(f.dataset()->rowCount(), 2);
    QVERIFY(f.grid()->currentEditor());
    QLineEdit outside(f.window.get());
    outside.show();
    f.window->activateWindow();
    f.grid()->currentEditor()->lineEdit()->setFocus();
    QCoreApplication::processEvents();
    outside.setFocus();
    QCoreApplication::processEvents();
    QCOMPARE(f.dataset()->rowCount(), 1);
}

void TestDataGrid::columnsFillTheGrid() {
    LoansFixture f({kLent});
    auto total = [&] {
        int sum = 0;
        for (int c = 0; c < f.dataset()->fieldCount(); ++c)
            if (!f.grid()->isColumnHidden(c))
                sum += f.grid()->columnWidth(c);
        return sum;
    };
    QCOMPARE(total(), f.grid()->viewport()->width());
    const int money = f.dataset()->fieldIndex("money");
    const int person = f.dataset()->fieldIndex("listman");
    QVERIFY(f.grid()->columnWidth(person) < f.grid()->columnWidth(money) * 2);
    // A dragged column keeps its width; the others shrink to fill the rest.
    f.grid()->horizontalHeader()->resizeSection(money, 200);
    QTRY_COMPARE(total(), f.grid()->viewport()->width());
    QVERIFY(qAbs(f.grid()->columnWidth(money) - 200) <= 1);
}

void TestDataGrid::commitHookFillsRowBeforeStoring() {
    TestProgram program;
    program.exec(kLoanInsert + kLent);
    program.exec(kLoanInsert + kBorrowed);
    HookWindow window(program.context());
    EditingWindowDriver f(window);
    f.show();
    f.type(1, QStringLiteral("action"), QStringLiteral("借给别人"));
    // Leaving the cell for another row commits it: the hook runs on the edited row, which is
    // then the current row, and sees the value the row held before.
    f.grid()->setCurrentIndex(f.grid()->model()->index(0, f.field(QStringLiteral("listman"))));
    QCoreApplication::processEvents();
    QCOMPARE(window.hookRow, 1);
    QCOMPARE(window.currentAtHook, 1);
    QCOMPARE(window.storedAtHook, QStringLiteral("问别人借"));
    QCOMPARE(f.value(1, QStringLiteral("action")), QStringLiteral("借给别人"));
    QCOMPARE(f.value(1, QStringLiteral("memo")), QStringLiteral("由借给别人"));
    QCOMPARE(f.dataset()->value(1, f.field(QStringLiteral("money"))).toDouble(), 12.5);
    QCOMPARE(f.value(0, QStringLiteral("memo")), QString());
    QVERIFY(program.dialogs.errors().isEmpty());
    f.press(QStringLiteral("保存"));
    QCOMPARE(
        program.scalar("select memo || '/' || money from borrow where listman = '李娜'").toString(),
        QStringLiteral("由借给别人/12.5"));
}

void TestDataGrid::commitHookRefusalChangesNothing_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("error");
    QTest::newRow("refused at once") << QStringLiteral("拒绝") << QStringLiteral("不接受.");
    QTest::newRow("refused after setting a cell")
        << QStringLiteral("半途") << QStringLiteral("半途而废.");
}

void TestDataGrid::commitHookRefusalChangesNothing() {
    QFETCH(QString, typed);
    QFETCH(QString, error);
    TestProgram program;
    program.exec(kLoanInsert + kLent);
    HookWindow window(program.context());
    EditingWindowDriver f(window);
    f.show();
    QVERIFY(!f.enter(0, QStringLiteral("action"), typed));
    QCOMPARE(program.dialogs.errors(), QStringList{error});
    QCOMPARE(f.value(0, QStringLiteral("action")), QStringLiteral("借给别人"));
    QCOMPARE(f.value(0, QStringLiteral("memo")), QString());
    QCOMPARE(f.dataset()->value(0, f.field(QStringLiteral("money"))).toDouble(), 1500.0);
    QVERIFY(!f.dataset()->hasPendingChanges());
    // The editor keeps the text as typed, so the user can mend it.
    QVERIFY(f.grid()->currentEditor());
    QCOMPARE(f.grid()->currentEditor()->text(), typed);
}

void TestDataGrid::sameTextEnteredAgain_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text"); // what the row already holds
    QTest::addColumn<bool>("hooked");
    QTest::newRow("column with a hook") << "action"
                                        << "借给别人" << true;
    QTest::newRow("plain column") << "listman"
                                  << "张伟" << false;
}

void TestDataGrid::sameTextEnteredAgain() {
    QFETCH(QString, field);
    QFETCH(QString, text);
    QFETCH(bool, hooked);
    TestProgram program;
    program.exec(kLoanInsert + kLent);
    HookWindow window(program.context());
    EditingWindowDriver f(window);
    f.show();
    // Typed over with the text the cell already holds: a hook runs again (it may derive other
    // cells from it); a plain column is left as it was.
    QVERIFY(f.enter(0, field, text));
    QCOMPARE(window.hookRow, hooked ? 0 : -1);
    QCOMPARE(f.value(0, QStringLiteral("memo")), hooked ? QStringLiteral("由") + text : QString());
    QCOMPARE(f.dataset()->hasPendingChanges() || f.dataset()->editTouched(), hooked);
    // Committing the editor again without a new entry runs nothing.
    window.hookRow = -1;
    QVERIFY(f.grid()->commitEditor());
    QCOMPARE(window.hookRow, -1);
}

QTEST_MAIN(TestDataGrid)
#include "tst_datagrid.moc"
