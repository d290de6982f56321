// The data grid's keyboard and columns, and the commit hook, on the loans window's grid and
// on a small window of its own.
#include "data/tabledataset.h"
#include "platform/apperror.h"
#include "registers/loanswindow.h"
#include "support/editingwindow.h"
#include "support/loansfixture.h"
#include "support/testprogram.h"
#include "support/userinput.h"
#include "ui/celleditor.h"
#include "ui/datagrid.h"
#include "ui/gridmodel.h"
#include "ui/tablewindow.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCalendarWidget>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

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

// The popup that is down now (a pick list or a calendar), or null.
QWidget* openPopup() {
    return QApplication::activePopupWidget();
}

QCalendarWidget* openCalendar() {
    QWidget* popup = openPopup();
    return popup ? popup->findChild<QCalendarWidget*>() : nullptr;
}

// Whether the keyboard focus is on the grid or on a widget inside it (the cell editor).
bool focusInGrid(const DataGrid* grid) {
    const QWidget* w = QApplication::focusWidget();
    return w && (w == grid || grid->isAncestorOf(w));
}

// Where a cell is on the grid's viewport, `dx` pixels from its left edge (from its right edge
// when negative), at half its height.
QPoint cellPoint(const DataGrid* grid, int row, int column, int dx) {
    const QRect r = grid->visualRect(grid->model()->index(row, column));
    return {dx >= 0 ? r.left() + dx : r.right() + dx, r.center().y()};
}

// The entries of the menu that `act` shows; the menu is closed again. Empty when none showed.
QStringList menuShownBy(const std::function<void()>& act) {
    QStringList entries;
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* m = qobject_cast<QMenu*>(w); m && m->isVisible()) {
                for (QAction* a : m->actions())
                    if (!a->isSeparator())
                        entries << a->text();
                m->close();
            }
    });
    poll.start();
    act();
    QTest::qWait(100);
    return entries;
}

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
    void leavingTheGridByKeyboard_data();
    void leavingTheGridByKeyboard();
    void yesNoCellKeepsTabInTheGrid();
    void yesNoToggles_data();
    void yesNoToggles();
    void pickListKeysStoreWhatIsShown_data();
    void pickListKeysStoreWhatIsShown();
    void typingGoesOnWhileCalendarIsDown_data();
    void typingGoesOnWhileCalendarIsDown();
    void altDownGivesTheCalendarTheKeyboard();
    void digitOpensCalendarOnTheCellsDate();
    void escapeOnCalendarRestoresTheCell();
    void rightClickShowsTheGridsMenu_data();
    void rightClickShowsTheGridsMenu();
    void insertThenEscapeKeepsTheRow();
    void dropDownButtonOfAnotherCellOpensAtOnce_data();
    void dropDownButtonOfAnotherCellOpensAtOnce();
    void listRowsFitTheFont();
    void keysReachTheOpenPopup();
};

void TestDataGrid::keyDownPastLastRowAppendsOnce() {
    LoansFixture f({kLent});
    QVERIFY(f.cell(0, "listman"));
    userinput::key(Qt::Key_Down);
    QCOMPARE(f.dataset()->rowCount(), 2);
    QVERIFY(f.dataset()->isInserting());
    userinput::key(Qt::Key_Down);
    QCOMPARE(f.dataset()->rowCount(), 2);
}

void TestDataGrid::tabWrapsToNextRow() {
    LoansFixture f({kLent, kBorrowed});
    QVERIFY(f.cell(0, "memo"));
    userinput::key(Qt::Key_Tab);
    QCOMPARE(f.grid()->currentIndex().row(), 1);
    QCOMPARE(f.grid()->currentIndex().column(), f.dataset()->fieldIndex("borrowdate"));
    // Enter moves like Tab.
    userinput::key(Qt::Key_Return);
    QCOMPARE(f.grid()->currentIndex().column(), f.dataset()->fieldIndex("action"));
}

void TestDataGrid::shiftTabWrapsBack() {
    LoansFixture f({kLent, kBorrowed});
    QVERIFY(f.cell(1, "borrowdate"));
    userinput::key(Qt::Key_Backtab, Qt::ShiftModifier);
    QCOMPARE(f.grid()->currentIndex().row(), 0);
    QCOMPARE(f.grid()->currentIndex().column(), f.dataset()->fieldIndex("memo"));
}

void TestDataGrid::insertKeyInsertsAtCursor() {
    LoansFixture f({kLent, kBorrowed});
    QVERIFY(f.cell(1, "listman"));
    userinput::key(Qt::Key_Insert);
    QCOMPARE(f.dataset()->rowCount(), 3);
    QCOMPARE(f.dataset()->currentRow(), 1);
    QCOMPARE(f.dataset()->rowState(1), TableDataset::RowState::New);
    QCOMPARE(f.dataset()->value(2, f.dataset()->fieldIndex("listman")).toString(),
             QStringLiteral("李娜"));
    userinput::type(QStringLiteral("中间"));
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
    QVERIFY(f.cell(0, "listman"));
    if (several) {
        auto* sm = f.grid()->selectionModel();
        sm->select(f.grid()->model()->index(0, 0), QItemSelectionModel::Select);
        sm->select(f.grid()->model()->index(1, 0), QItemSelectionModel::Select);
    }
    f.program.dialogs.answerNext(Dialogs::Answer(answer));
    userinput::key(Qt::Key_Delete, Qt::ControlModifier);
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
    userinput::key(Qt::Key_Escape);
    QCOMPARE(f.grid()->currentEditor()->text(), QString());
    QCOMPARE(f.dataset()->value(0, f.dataset()->fieldIndex("listman")).toString(),
             QStringLiteral("甲"));
    userinput::key(Qt::Key_Escape);
    QCOMPARE(f.dataset()->value(0, f.dataset()->fieldIndex("listman")).toString(),
             QStringLiteral("张伟"));
    QVERIFY(!f.dataset()->hasPendingChanges());
    // On a new row Esc makes it vanish.
    f.click("addszgl");
    QCOMPARE(f.dataset()->rowCount(), 2);
    userinput::key(Qt::Key_Escape);
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

void TestDataGrid::leavingTheGridByKeyboard_data() {
    QTest::addColumn<QString>("from"); // the cell the cursor is in
    QTest::addColumn<bool>("newRow");  // an untouched new row appended first
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("focused"); // where the focus goes
    const int ctrl = int(Qt::ControlModifier);
    const int shift = int(Qt::ShiftModifier);
    QTest::newRow("Ctrl+Tab") << "listman" << false << int(Qt::Key_Tab) << ctrl << "addszgl";
    QTest::newRow("Ctrl+Shift+Tab")
        << "listman" << false << int(Qt::Key_Backtab) << (ctrl | shift) << "cmdclose";
    QTest::newRow("Shift+Tab on the first cell")
        << "borrowdate" << false << int(Qt::Key_Backtab) << shift << "cmdclose";
    QTest::newRow("Tab past an untouched new row")
        << "memo" << true << int(Qt::Key_Tab) << 0 << "addszgl";
}

// The grid lets the keyboard out: Ctrl+Tab and Ctrl+Shift+Tab from any cell, Shift+Tab from
// the first cell, Tab from the last cell of a new row nothing was typed into.
void TestDataGrid::leavingTheGridByKeyboard() {
    QFETCH(QString, from);
    QFETCH(bool, newRow);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QString, focused);
    LoansFixture f({kLent});
    if (newRow) {
        f.cell(0, "listman");
        userinput::key(Qt::Key_Down);
        QCOMPARE(f.dataset()->rowCount(), 2);
    }
    f.cell(f.dataset()->rowCount() - 1, from.toLatin1().constData());
    userinput::key(Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QVERIFY(userinput::focusWidget());
    QCOMPARE(userinput::focusWidget()->objectName(), focused);
    // The untouched new row went with the focus.
    QCOMPARE(f.dataset()->rowCount(), 1);
    // Tab from the last button comes back into the grid, with the cell editor open.
    if (focused == QStringLiteral("cmdclose")) {
        userinput::key(Qt::Key_Tab);
        QVERIFY(focusInGrid(f.grid()));
        QVERIFY(f.grid()->currentEditor());
        QVERIFY(f.grid()->currentEditor()->lineEdit()->hasFocus());
    }
}

void TestDataGrid::yesNoCellKeepsTabInTheGrid() {
    LoansFixture f({kLent});
    f.cell(0, "infactdate");
    userinput::key(Qt::Key_Tab);
    QCOMPARE(f.grid()->currentIndex().column(), f.field("flag"));
    QVERIFY(focusInGrid(f.grid()));
    userinput::key(Qt::Key_Tab);
    QCOMPARE(f.grid()->currentIndex().column(), f.field("memo"));
    QVERIFY(focusInGrid(f.grid()));
    userinput::key(Qt::Key_Backtab, Qt::ShiftModifier);
    userinput::key(Qt::Key_Backtab, Qt::ShiftModifier);
    QCOMPARE(f.grid()->currentIndex().column(), f.field("infactdate"));
    QVERIFY(focusInGrid(f.grid()));
}

void TestDataGrid::yesNoToggles_data() {
    QTest::addColumn<bool>("space"); // else a click
    QTest::addColumn<int>("dx");     // where in the cell the click falls
    QTest::newRow("space") << true << 0;
    QTest::newRow("click near the left edge") << false << 3;
    QTest::newRow("click in the middle") << false << 0;
    QTest::newRow("click near the right edge") << false << -3;
}

// Space on the 标志 cell and a click anywhere in it toggle the flag; neither leaves the grid
// nor presses a button.
void TestDataGrid::yesNoToggles() {
    QFETCH(bool, space);
    QFETCH(int, dx);
    LoansFixture f({kLent});
    const int flag = f.field("flag");
    QSignalSpy added(f.window->button(QStringLiteral("addszgl")), &QPushButton::clicked);
    QSignalSpy removed(f.window->button(QStringLiteral("szdel")), &QPushButton::clicked);
    for (bool expected : {true, false}) {
        if (space) {
            f.cell(0, "flag");
            userinput::key(Qt::Key_Space);
        } else {
            f.cell(0, "listman");
            const QRect r = f.grid()->visualRect(f.grid()->model()->index(0, flag));
            const QPoint at = dx == 0 ? r.center() : cellPoint(f.grid(), 0, flag, dx);
            userinput::click(f.grid()->viewport(), at);
        }
        QCOMPARE(f.dataset()->value(0, flag).toBool(), expected);
        QVERIFY(focusInGrid(f.grid()));
    }
    QCOMPARE(added.count(), 0);
    QCOMPARE(removed.count(), 0);
    f.click("szsave");
    QCOMPARE(f.program.scalar("select flag from borrow").toInt(), 0);
}

void TestDataGrid::pickListKeysStoreWhatIsShown_data() {
    QTest::addColumn<bool>("chooseWithDown"); // Down moves to the first match before leaving
    QTest::addColumn<QString>("leaveBy");     // Tab, Enter or click
    QTest::addColumn<QString>("stored");
    for (const char* leave : {"Tab", "Enter", "click"}) {
        QTest::addRow("typed, %s", leave) << false << leave << "问";
        QTest::addRow("chosen, %s", leave) << true << leave << "问别人借";
    }
}

// With its list down, one Tab or Enter commits the pick-list cell and moves on; what is stored
// is the text in the cell, whether the cell is left by a key or by a click: typed text as typed,
// an entry chosen in the list as chosen.
void TestDataGrid::pickListKeysStoreWhatIsShown() {
    QFETCH(bool, chooseWithDown);
    QFETCH(QString, leaveBy);
    QFETCH(QString, stored);
    LoansFixture f({kLent, kBorrowed});
    f.type(0, "action", QStringLiteral("问"));
    QTRY_VERIFY(openPopup());
    if (chooseWithDown)
        userinput::key(Qt::Key_Down);
    if (leaveBy == QStringLiteral("Tab"))
        userinput::key(Qt::Key_Tab);
    else if (leaveBy == QStringLiteral("Enter"))
        userinput::key(Qt::Key_Return);
    else
        userinput::click(f.grid()->viewport(), cellPoint(f.grid(), 1, f.field("listman"), 4));
    QVERIFY(!openPopup());
    QCOMPARE(f.dataset()->value(0, f.field("action")).toString(), stored);
    if (leaveBy != QStringLiteral("click")) {
        QCOMPARE(f.grid()->currentIndex().row(), 0);
        QCOMPARE(f.grid()->currentIndex().column(), f.field("money"));
        QVERIFY(f.grid()->currentEditor());
        QVERIFY(f.grid()->currentEditor()->lineEdit()->hasFocus());
    }
}

void TestDataGrid::typingGoesOnWhileCalendarIsDown_data() {
    QTest::addColumn<int>("key");
    QTest::newRow("Tab") << int(Qt::Key_Tab);
    QTest::newRow("Enter") << int(Qt::Key_Return);
}

// The calendar drops down on the first character; the rest of the date goes on into the cell,
// the calendar follows it once it reads as a date, and Tab or Enter commits it and moves on,
// so what is typed next goes into the next cell.
void TestDataGrid::typingGoesOnWhileCalendarIsDown() {
    QFETCH(int, key);
    LoansFixture f({kLent});
    f.type(0, "borrowdate", QStringLiteral("2026-03-04"));
    QVERIFY(openCalendar());
    QCOMPARE(openCalendar()->selectedDate(), QDate(2026, 3, 4));
    QCOMPARE(f.grid()->currentEditor()->text(), QStringLiteral("2026-03-04"));
    userinput::key(Qt::Key(key));
    QVERIFY(!openPopup());
    QCOMPARE(f.dataset()->value(0, f.field("borrowdate")).toDate(), QDate(2026, 3, 4));
    QCOMPARE(f.grid()->currentIndex().column(), f.field("action"));
    userinput::key(Qt::Key_A, Qt::ControlModifier);
    userinput::type(QStringLiteral("问别人借"));
    userinput::key(Qt::Key(key));
    QCOMPARE(f.dataset()->value(0, f.field("action")).toString(), QStringLiteral("问别人借"));
    QCOMPARE(f.dataset()->value(0, f.field("borrowdate")).toDate(), QDate(2026, 3, 4));
    f.click("szsave");
    QCOMPARE(f.program.scalar("select borrowdate || '/' || action from borrow").toString(),
             QStringLiteral("2026-03-04/问别人借"));
}

// Alt+Down drops the calendar down with the keyboard in it: the arrows move the day and Enter
// takes it.
void TestDataGrid::altDownGivesTheCalendarTheKeyboard() {
    LoansFixture f({kLent});
    f.cell(0, "borrowdate");
    userinput::key(Qt::Key_Down, Qt::AltModifier);
    QVERIFY(openCalendar());
    QCOMPARE(openCalendar()->selectedDate(), QDate(2026, 1, 5));
    userinput::key(Qt::Key_Right);
    userinput::key(Qt::Key_Down);
    QCOMPARE(openCalendar()->selectedDate(), QDate(2026, 1, 13));
    userinput::key(Qt::Key_Return);
    QVERIFY(!openPopup());
    QCOMPARE(f.dataset()->value(0, f.field("borrowdate")).toDate(), QDate(2026, 1, 13));
    QCOMPARE(f.dataset()->rowCount(), 1);
}

void TestDataGrid::digitOpensCalendarOnTheCellsDate() {
    LoansFixture f({kLent});
    f.type(0, "borrowdate", QStringLiteral("2"));
    QVERIFY(openCalendar());
    QCOMPARE(openCalendar()->selectedDate(), QDate(2026, 1, 5));
    QCOMPARE(f.grid()->currentEditor()->text(), QStringLiteral("2"));
}

// Esc on the calendar puts the cell back as it was before the calendar dropped down; the next
// Esc leaves the row's edit, and nothing is changed.
void TestDataGrid::escapeOnCalendarRestoresTheCell() {
    LoansFixture f({kLent});
    f.type(0, "borrowdate", QStringLiteral("20"));
    QVERIFY(openCalendar());
    userinput::key(Qt::Key_Escape);
    QVERIFY(!openPopup());
    QCOMPARE(f.grid()->currentEditor()->text(), QStringLiteral("2026-01-05"));
    userinput::key(Qt::Key_Escape);
    QVERIFY(!f.dataset()->hasPendingChanges());
    QVERIFY(!f.dataset()->isEditing());
    QCOMPARE(f.dataset()->value(0, f.field("borrowdate")).toDate(), QDate(2026, 1, 5));
}

void TestDataGrid::rightClickShowsTheGridsMenu_data() {
    QTest::addColumn<int>("row");
    QTest::newRow("the current cell") << 0;
    QTest::newRow("a cell of another row") << 1;
}

// A right click shows the grid's own menu, on the cell being edited too, and leaves the cursor
// where it is.
void TestDataGrid::rightClickShowsTheGridsMenu() {
    QFETCH(int, row);
    LoansFixture f({kLent, kBorrowed});
    f.cell(0, "listman");
    const QStringList entries = menuShownBy([&] {
        userinput::click(f.grid()->viewport(), cellPoint(f.grid(), row, f.field("listman"), 6),
                         Qt::RightButton);
    });
    QCOMPARE(entries, QStringList{QStringLiteral("导出为 CSV…")});
    QCOMPARE(f.dataset()->currentRow(), 0);
    QCOMPARE(f.grid()->currentIndex().row(), 0);
}

void TestDataGrid::insertThenEscapeKeepsTheRow() {
    LoansFixture f({kLent, kBorrowed, "('2026-03-01', '借给别人', 1, '赵六', 0, '')"});
    f.cell(2, "listman");
    userinput::key(Qt::Key_Insert);
    QCOMPARE(f.dataset()->rowCount(), 4);
    userinput::key(Qt::Key_Escape);
    QCOMPARE(f.dataset()->rowCount(), 3);
    QCOMPARE(f.dataset()->currentRow(), 2);
    QCOMPARE(f.grid()->currentIndex().row(), 2);
    QCOMPARE(f.grid()->currentIndex().column(), f.field("listman"));
}

void TestDataGrid::dropDownButtonOfAnotherCellOpensAtOnce_data() {
    QTest::addColumn<QString>("field");
    QTest::newRow("calendar") << "hopedate";
    QTest::newRow("pick list") << "action";
}

void TestDataGrid::dropDownButtonOfAnotherCellOpensAtOnce() {
    QFETCH(QString, field);
    LoansFixture f({kLent, kBorrowed});
    f.cell(0, "listman");
    const int column = f.field(field.toLatin1().constData());
    userinput::click(f.grid()->viewport(), cellPoint(f.grid(), 1, column, -5));
    QTRY_VERIFY(openPopup());
    QCOMPARE(f.grid()->currentIndex().row(), 1);
    QCOMPARE(f.grid()->currentIndex().column(), column);
}

// The rows of a drop-down list leave room around the grid's 12-pixel CJK font.
void TestDataGrid::listRowsFitTheFont() {
    LoansFixture f({kLent});
    f.cell(0, "action");
    f.grid()->currentEditor()->showDropDown();
    auto* list = qobject_cast<QAbstractItemView*>(openPopup());
    QVERIFY(list);
    QCOMPARE(list->font().pixelSize(), f.grid()->font().pixelSize());
    const int rowHeight = list->visualRect(list->model()->index(0, 0)).height();
    QVERIFY2(rowHeight >= QFontMetrics(f.grid()->font()).height() + 4,
             qPrintable(QString::number(rowHeight)));
}

// The display path itself: with a calendar down, a key pressed at the window arrives at the
// popup first, as a real key under the popup's keyboard grab does.
void TestDataGrid::keysReachTheOpenPopup() {
    struct KeyCounter : QObject {
        int keys = 0;
        bool eventFilter(QObject*, QEvent* e) override {
            if (e->type() == QEvent::KeyPress)
                ++keys;
            return false;
        }
    } counter;
    LoansFixture f({kLent});
    f.cell(0, "borrowdate");
    userinput::key(Qt::Key_Down, Qt::AltModifier);
    QWidget* popup = openPopup();
    QVERIFY(popup);
    popup->installEventFilter(&counter);
    userinput::key(Qt::Key_Right);
    QCOMPARE(counter.keys, 1);
    popup->removeEventFilter(&counter);
}

QTEST_MAIN(TestDataGrid)
#include "tst_datagrid.moc"
