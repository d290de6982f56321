// What every editing window shares, run over each of them: documented names, 新增, 删除,
// 保存, 取消, a refused batch and the grid's keys. A new editing window joins by adding one
// entry to windowCases().
#include "data/tabledataset.h"
#include "ledger/ledgerwindow.h"
#include "ledger/schedulewindow.h"
#include "registers/loanswindow.h"
#include "registers/savingswindow.h"
#include "support/editingwindow.h"
#include "support/testprogram.h"
#include "support/userinput.h"
#include "ui/celleditor.h"
#include "ui/datagrid.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

namespace {

// One editing window as these tests see it.
struct WindowCase {
    QString name;
    std::function<std::unique_ptr<TableWindow>(const Context&)> make;
    QString table;
    QString storedRow;  // an insert statement of one row whose text field is "甲"
    QString firstField; // first and last column of the grid
    QString lastField;
    QString objectName;
    QString gridName;
    QString closeButton; // empty: no 关闭 button
    // A plain text column the tests type into.
    QString textField = QStringLiteral("memo");
};

const QList<WindowCase>& windowCases() {
    static const QList<WindowCase> cases{
        {QStringLiteral("ledger"),
         [](const Context& c) {
             return std::make_unique<LedgerWindow>(c, WindowFactory{}, WindowFactory{});
         },
         QStringLiteral("mysalary"),
         QStringLiteral("insert into mysalary (adddate, sz, szdl, szxl, money, zffs, memo) "
                        "values ('2026-01-05', '收入', '工资', '基本工资', 100, '现金', '甲')"),
         QStringLiteral("adddate"), QStringLiteral("memo"), QStringLiteral("fmszgl"),
         QStringLiteral("szDBGrid"), QString()},
        {QStringLiteral("loans"), [](const Context& c) { return std::make_unique<LoansWindow>(c); },
         QStringLiteral("borrow"),
         QStringLiteral("insert into borrow (borrowdate, action, money, listman, flag, memo) "
                        "values ('2026-01-05', '借给别人', 1500, '张伟', 0, '甲')"),
         QStringLiteral("borrowdate"), QStringLiteral("memo"), QStringLiteral("fmjdgl"),
         QStringLiteral("szDBGrid"), QStringLiteral("cmdclose")},
        {QStringLiteral("savings"),
         [](const Context& c) { return std::make_unique<SavingsWindow>(c); },
         QStringLiteral("saving"),
         QStringLiteral("insert into saving (bankuser, begindate, money, savingtype, banknumber, "
                        "bankname) values ('张伟', '2026-01-05', 10000, '整存整取一年', '甲', "
                        "'中国银行')"),
         QStringLiteral("bankuser"), QStringLiteral("bankname"), QStringLiteral("fmcxgl"),
         QStringLiteral("cxDBGrid"), QStringLiteral("closeform"), QStringLiteral("banknumber")},
        {QStringLiteral("schedule"),
         [](const Context& c) { return std::make_unique<ScheduleWindow>(c); },
         QStringLiteral("schedule"),
         QStringLiteral("insert into schedule (sz, szdl, szxl, money, zffs, memo, every, day, "
                        "firstdate) values ('支出', '居住', '房租', 2500, '现金', '甲', '每月', "
                        "'5', '2026-01-01')"),
         QStringLiteral("firstdate"), QStringLiteral("memo"), QStringLiteral("fmschedule"),
         QStringLiteral("szDBGrid"), QStringLiteral("cmdclose")},
    };
    return cases;
}

// A window of one case over books holding `rows` copies of its stored row.
struct Fixture {
    Fixture(const QString& name, int rows) {
        for (const WindowCase& c : windowCases())
            if (c.name == name)
                window = c;
        for (int i = 0; i < rows; ++i)
            program.exec(window.storedRow);
        opened = window.make(program.context());
        driver = std::make_unique<EditingWindowDriver>(*opened);
        driver->show();
    }
    int stored() {
        return program.scalar(QStringLiteral("select count(*) from ") + window.table).toInt();
    }
    // The text field of the stored rows.
    QStringList storedMemos() {
        QStringList out;
        for (const QStringList& r : program.rows(QStringLiteral("select %1 from %2 order by id")
                                                     .arg(window.textField, window.table)))
            out << r.first();
        return out;
    }
    EditingWindowDriver& f() { return *driver; }

    TestProgram program;
    WindowCase window;
    std::unique_ptr<TableWindow> opened;
    std::unique_ptr<EditingWindowDriver> driver;
};

// What the keyboard meets in each window: the order Tab goes round (the grid as "grid"), the
// date columns, and a pick-list column whose list takes any text.
struct KeyboardCase {
    QStringList focusCycle;
    QStringList dateFields;
    QString listField;
};

KeyboardCase keyboardCase(const QString& window) {
    if (window == QStringLiteral("ledger"))
        return {{"szsave", "szdel", "sz_query", "szchart", "importbtn", "schedulebtn", "grid",
                 "szcancle", "addszgl"},
                {"adddate"},
                "zffs"};
    if (window == QStringLiteral("schedule"))
        return {{"grid", "addszgl", "szdel", "szsave", "szcancle", "cmdclose"},
                {"firstdate", "lastdate"},
                "zffs"};
    if (window == QStringLiteral("loans"))
        return {{"grid", "addszgl", "szdel", "szsave", "szcancle", "cmdclose"},
                {"borrowdate", "hopedate", "infactdate"},
                "action"};
    return {{"grid", "addszgl", "szdel", "szsave", "szcancle", "closeform"},
            {"begindate", "enddate"},
            "bankname"};
}

// The name of the widget with the keyboard focus, "grid" for the grid and its cell editor.
QString focusName(const EditingWindowDriver& f) {
    const QWidget* w = QApplication::focusWidget();
    if (!w)
        return QStringLiteral("(none)");
    if (w == f.grid() || f.grid()->isAncestorOf(w))
        return QStringLiteral("grid");
    return w->objectName();
}

void addWindowColumn() {
    QTest::addColumn<QString>("window");
}

} // namespace

class TestEditingWindows : public QObject {
    Q_OBJECT
private slots:
    void documentedNames_data() { everyWindow(); }
    void documentedNames();
    void addTwiceThenSaveStoresOneRow_data() { everyWindow(); }
    void addTwiceThenSaveStoresOneRow();
    void deleteAsks_data();
    void deleteAsks();
    void deleteTakesTheUnfinishedEdit_data();
    void deleteTakesTheUnfinishedEdit();
    void cancelDropsEveryPendingChange_data() { everyWindow(); }
    void cancelDropsEveryPendingChange();
    void refusedBatchKeepsEverything_data() { everyWindow(); }
    void refusedBatchKeepsEverything();
    void keys_data() { everyWindow(); }
    void keys();
    void tabGoesRoundTheWindow_data() { everyWindow(); }
    void tabGoesRoundTheWindow();
    void shortcutsPressTheButtons_data();
    void shortcutsPressTheButtons();
    void buttonActsWhileAPopupIsDown_data();
    void buttonActsWhileAPopupIsDown();
    void typedDateIsStored_data();
    void typedDateIsStored();

private:
    static void everyWindow() {
        addWindowColumn();
        for (const WindowCase& c : windowCases())
            QTest::newRow(qPrintable(c.name)) << c.name;
    }
};

void TestEditingWindows::documentedNames() {
    QFETCH(QString, window);
    Fixture x(window, 0);
    QCOMPARE(x.opened->objectName(), x.window.objectName);
    QCOMPARE(x.f().grid()->objectName(), x.window.gridName);
    const QList<std::pair<QString, QString>> buttons{
        {"addszgl", "新增"}, {"szdel", "删除"}, {"szsave", "保存"}, {"szcancle", "取消"}};
    for (const auto& [name, caption] : buttons) {
        QVERIFY2(x.opened->button(name), qPrintable(name));
        QCOMPARE(x.opened->button(name)->text(), caption);
    }
    if (x.window.closeButton.isEmpty()) {
        for (QPushButton* b : x.opened->findChildren<QPushButton*>())
            QVERIFY(b->text() != QStringLiteral("关闭"));
    } else {
        QVERIFY(x.opened->button(x.window.closeButton));
        QCOMPARE(x.opened->button(x.window.closeButton)->text(), QStringLiteral("关闭"));
    }
}

void TestEditingWindows::addTwiceThenSaveStoresOneRow() {
    QFETCH(QString, window);
    Fixture x(window, 1);
    x.f().press(QStringLiteral("新增"));
    x.f().press(QStringLiteral("新增")); // an untouched new row is not added twice
    QCOMPARE(x.f().dataset()->rowCount(), 2);
    x.f().type(1, x.window.textField, QStringLiteral("乙"));
    x.f().press(QStringLiteral("保存"));
    QVERIFY(x.program.dialogs.errors().isEmpty());
    QCOMPARE(x.storedMemos(), (QStringList{"甲", "乙"}));
    QVERIFY(!x.f().dataset()->hasPendingChanges());
}

void TestEditingWindows::deleteAsks_data() {
    addWindowColumn();
    QTest::addColumn<int>("answer");
    QTest::addColumn<int>("storedAfterSave");
    for (const WindowCase& c : windowCases()) {
        QTest::addRow("%s, yes", qPrintable(c.name)) << c.name << int(Dialogs::Answer::Yes) << 1;
        QTest::addRow("%s, no", qPrintable(c.name)) << c.name << int(Dialogs::Answer::No) << 2;
    }
}

void TestEditingWindows::deleteAsks() {
    QFETCH(QString, window);
    QFETCH(int, answer);
    QFETCH(int, storedAfterSave);
    Fixture x(window, 2);
    x.f().cell(0, x.window.textField);
    x.program.dialogs.answerNext(Dialogs::Answer(answer));
    x.f().press(QStringLiteral("删除"));
    QCOMPARE(x.program.dialogs.shown.last().text, QStringLiteral("是否确定要删除此数据?  "));
    QCOMPARE(x.program.dialogs.shown.last().buttons, Dialogs::Buttons::YesNo);
    QCOMPARE(x.f().dataset()->rowCount(), storedAfterSave);
    QCOMPARE(x.stored(), 2); // only 保存 writes
    x.f().press(QStringLiteral("保存"));
    QCOMPARE(x.stored(), storedAfterSave);
}

void TestEditingWindows::deleteTakesTheUnfinishedEdit_data() {
    addWindowColumn();
    QTest::addColumn<bool>("dateColumn"); // else the amount
    QTest::addColumn<QString>("typed");
    for (const WindowCase& c : windowCases()) {
        QTest::addRow("%s, amount that is no number", qPrintable(c.name))
            << c.name << false << "abc";
        QTest::addRow("%s, date that is no date", qPrintable(c.name))
            << c.name << true << "2026-13-45";
        QTest::addRow("%s, amount that converts", qPrintable(c.name)) << c.name << false << "7";
    }
}

// 删除 → Yes takes the row together with what is typed into it, whether or not that text
// converts: no error, and neither the row nor the text comes back.
void TestEditingWindows::deleteTakesTheUnfinishedEdit() {
    QFETCH(QString, window);
    QFETCH(bool, dateColumn);
    QFETCH(QString, typed);
    Fixture x(window, 2);
    const QString field = dateColumn ? x.window.firstField : QStringLiteral("money");
    x.f().type(0, field, typed);
    x.program.dialogs.answerNext(Dialogs::Answer::Yes);
    x.f().press(QStringLiteral("删除"));
    QCOMPARE(x.program.dialogs.errors(), QStringList{});
    QCOMPARE(x.f().dataset()->rowCount(), 1);
    if (CellEditor* e = x.f().grid()->currentEditor())
        QVERIFY(e->text() != typed);
    x.f().press(QStringLiteral("保存"));
    QCOMPARE(x.program.dialogs.errors(), QStringList{});
    // The first row went; the second, untouched, stays.
    QCOMPARE(x.program.rows(QStringLiteral("select id from ") + x.window.table),
             QList<QStringList>{{"2"}});
}

void TestEditingWindows::cancelDropsEveryPendingChange() {
    QFETCH(QString, window);
    Fixture x(window, 2);
    QVERIFY(x.f().enter(0, x.window.textField, QStringLiteral("改")));
    x.program.dialogs.answerNext(Dialogs::Answer::Yes);
    x.f().cell(1, x.window.textField);
    x.f().press(QStringLiteral("删除"));
    x.f().press(QStringLiteral("新增"));
    x.f().type(1, x.window.textField, QStringLiteral("新"));
    x.f().press(QStringLiteral("取消"));
    QCOMPARE(x.f().dataset()->rowCount(), 2);
    QCOMPARE(x.f().value(0, x.window.textField), QStringLiteral("甲"));
    QVERIFY(!x.f().dataset()->hasPendingChanges());
    x.f().press(QStringLiteral("保存"));
    QCOMPARE(x.storedMemos(), (QStringList{"甲", "甲"}));
}

void TestEditingWindows::refusedBatchKeepsEverything() {
    QFETCH(QString, window);
    Fixture x(window, 1);
    x.program.exec(QStringLiteral("create trigger refuse before insert on %1 when new.%2 = "
                                  "'bad' begin select raise(abort, 'refused by the books'); end")
                       .arg(x.window.table, x.window.textField));
    QVERIFY(x.f().enter(0, x.window.textField, QStringLiteral("改")));
    x.f().press(QStringLiteral("新增"));
    x.f().type(1, x.window.textField, QStringLiteral("bad"));
    x.f().press(QStringLiteral("保存"));
    QCOMPARE(x.program.dialogs.errors().size(), 1);
    QVERIFY(x.program.dialogs.errors().first().startsWith(QStringLiteral("refused by the books")));
    QCOMPARE(x.storedMemos(), QStringList{"甲"});
    QCOMPARE(x.f().dataset()->rowState(0), TableDataset::RowState::Changed);
    QCOMPARE(x.f().dataset()->rowState(1), TableDataset::RowState::New);
    // Mend the row and save again: every edit arrives.
    x.f().type(1, x.window.textField, QStringLiteral("good"));
    x.f().press(QStringLiteral("保存"));
    QCOMPARE(x.storedMemos(), (QStringList{"改", "good"}));
}

void TestEditingWindows::keys() {
    QFETCH(QString, window);
    Fixture x(window, 2);
    EditingWindowDriver& f = x.f();
    // Tab from the last column goes to the first column of the next row.
    f.cell(0, x.window.lastField);
    userinput::key(Qt::Key_Tab);
    QCOMPARE(f.grid()->currentIndex().row(), 1);
    QCOMPARE(f.grid()->currentIndex().column(), f.field(x.window.firstField));
    // Down past the last row appends one new row, and only one.
    userinput::key(Qt::Key_Down);
    QCOMPARE(f.dataset()->rowCount(), 3);
    QVERIFY(f.dataset()->isInserting());
    userinput::key(Qt::Key_Down);
    QCOMPARE(f.dataset()->rowCount(), 3);
    // Esc on the untouched new row makes it vanish.
    userinput::key(Qt::Key_Escape);
    QCOMPARE(f.dataset()->rowCount(), 2);
    QCOMPARE(x.stored(), 2);
}

// Every button is reached by keyboard: Ctrl+Tab leaves the grid for the next widget, Tab goes
// round the window in its order and back into the grid, Ctrl+Shift+Tab leaves it backwards.
void TestEditingWindows::tabGoesRoundTheWindow() {
    QFETCH(QString, window);
    Fixture x(window, 1);
    EditingWindowDriver& f = x.f();
    const QStringList cycle = keyboardCase(window).focusCycle;
    const int grid = int(cycle.indexOf(QStringLiteral("grid")));
    f.cell(0, x.window.textField);
    userinput::key(Qt::Key_Tab, Qt::ControlModifier);
    QStringList visited{QStringLiteral("grid")};
    for (int i = 0; i < cycle.size(); ++i) {
        visited << focusName(f);
        if (visited.last() == QStringLiteral("grid"))
            break;
        userinput::key(Qt::Key_Tab);
    }
    QStringList expected = cycle.mid(grid) + cycle.mid(0, grid);
    expected << QStringLiteral("grid");
    QCOMPARE(visited, expected);
    // Back in the grid, typing goes into the cell.
    QVERIFY(f.grid()->currentEditor());
    QVERIFY(f.grid()->currentEditor()->lineEdit()->hasFocus());
    userinput::key(Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(focusName(f), cycle.at((grid + cycle.size() - 1) % cycle.size()));
}

void TestEditingWindows::shortcutsPressTheButtons_data() {
    addWindowColumn();
    QTest::addColumn<QString>("button");
    QTest::addColumn<QKeySequence>("keys");
    const QList<std::pair<QString, QKeySequence>> common{
        {"addszgl", QKeySequence(Qt::CTRL | Qt::Key_N)},
        {"szdel", QKeySequence(Qt::CTRL | Qt::Key_D)},
        {"szsave", QKeySequence(Qt::CTRL | Qt::Key_S)},
        {"szcancle", QKeySequence(Qt::CTRL | Qt::Key_R)}};
    for (const WindowCase& c : windowCases()) {
        for (const auto& [button, keys] : common)
            QTest::addRow("%s, %s", qPrintable(c.name), qPrintable(button))
                << c.name << button << keys;
        if (!c.closeButton.isEmpty())
            QTest::addRow("%s, %s", qPrintable(c.name), qPrintable(c.closeButton))
                << c.name << c.closeButton << QKeySequence(Qt::CTRL | Qt::Key_W);
    }
    QTest::newRow("ledger, sz_query") << "ledger"
                                      << "sz_query" << QKeySequence(Qt::CTRL | Qt::Key_F);
    QTest::newRow("ledger, szchart") << "ledger"
                                     << "szchart" << QKeySequence(Qt::CTRL | Qt::Key_T);
}

// Each button has a shortcut that presses it from the grid, the documented caption unchanged;
// the tool tip names it.
void TestEditingWindows::shortcutsPressTheButtons() {
    QFETCH(QString, window);
    QFETCH(QString, button);
    QFETCH(QKeySequence, keys);
    Fixture x(window, 1);
    QPushButton* b = x.opened->button(button);
    QVERIFY(b);
    QSignalSpy pressed(b, &QPushButton::clicked);
    x.program.dialogs.answerNext(Dialogs::Answer::No);
    x.f().cell(0, x.window.textField);
    const QKeyCombination k = keys[0];
    userinput::key(k.key(), k.keyboardModifiers());
    QCOMPARE(pressed.count(), 1);
    QVERIFY(b->toolTip().contains(keys.toString(QKeySequence::NativeText)));
    QVERIFY(!b->text().contains(keys.toString(QKeySequence::NativeText)));
}

void TestEditingWindows::buttonActsWhileAPopupIsDown_data() {
    addWindowColumn();
    QTest::addColumn<bool>("dateColumn"); // else the pick list
    QTest::addColumn<bool>("shortcut");   // else a click
    QTest::addColumn<QString>("button");
    for (const WindowCase& c : windowCases())
        for (bool date : {true, false})
            for (bool shortcut : {false, true})
                for (const char* button : {"szsave", "addszgl"})
                    QTest::addRow("%s, %s, %s by %s", qPrintable(c.name),
                                  date ? "calendar" : "list", button,
                                  shortcut ? "shortcut" : "click")
                        << c.name << date << shortcut << button;
}

// Typing drops a list or a calendar down; a click on a button of the window (or its shortcut)
// then closes it, takes the typed text over and does what the button says.
void TestEditingWindows::buttonActsWhileAPopupIsDown() {
    QFETCH(QString, window);
    QFETCH(bool, dateColumn);
    QFETCH(bool, shortcut);
    QFETCH(QString, button);
    Fixture x(window, 1);
    const KeyboardCase k = keyboardCase(window);
    const QString field = dateColumn ? k.dateFields.first() : k.listField;
    const QString typed = dateColumn ? QStringLiteral("2026-03-04") : QStringLiteral("手写的");
    x.f().type(0, field, typed);
    QVERIFY(QApplication::activePopupWidget());
    if (!shortcut)
        userinput::click(x.opened->button(button));
    else if (button == QStringLiteral("szsave"))
        userinput::key(Qt::Key_S, Qt::ControlModifier);
    else
        userinput::key(Qt::Key_N, Qt::ControlModifier);
    QVERIFY(!QApplication::activePopupWidget());
    QCOMPARE(x.program.dialogs.errors(), QStringList{});
    QCOMPARE(x.f().value(0, field), typed);
    if (button == QStringLiteral("szsave")) {
        QVERIFY(!x.f().dataset()->hasPendingChanges());
        QCOMPARE(x.program.scalar(QStringLiteral("select %1 from %2").arg(field, x.window.table))
                     .toString(),
                 typed);
    } else {
        QCOMPARE(x.f().dataset()->rowCount(), 2);
        QCOMPARE(x.f().dataset()->currentRow(), 1);
    }
}

void TestEditingWindows::typedDateIsStored_data() {
    addWindowColumn();
    QTest::addColumn<QString>("field");
    QTest::addColumn<int>("key");
    for (const WindowCase& c : windowCases())
        for (const QString& field : keyboardCase(c.name).dateFields)
            for (int key : {int(Qt::Key_Tab), int(Qt::Key_Return)})
                QTest::addRow("%s, %s, %s", qPrintable(c.name), qPrintable(field),
                              key == Qt::Key_Tab ? "Tab" : "Enter")
                    << c.name << field << key;
}

// In every date column a date typed key by key is stored whole by Tab or Enter.
void TestEditingWindows::typedDateIsStored() {
    QFETCH(QString, window);
    QFETCH(QString, field);
    QFETCH(int, key);
    Fixture x(window, 1);
    x.f().type(0, field, QStringLiteral("2026-03-04"));
    userinput::key(Qt::Key(key));
    QVERIFY(!QApplication::activePopupWidget());
    QCOMPARE(x.program.dialogs.errors(), QStringList{});
    QCOMPARE(x.f().value(0, field), QStringLiteral("2026-03-04"));
    QVERIFY(x.f().grid()->currentIndex().column() != x.f().field(field));
}

QTEST_MAIN(TestEditingWindows)
#include "tst_editingwindows.moc"
