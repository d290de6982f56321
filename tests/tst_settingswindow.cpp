// The settings window as a user meets it: its pages and controls, the password page's three
// answers, the deposit rates and the tax rate saved with 保存修改 and their failures, the rate
// grid's fixed rows and read-only cells, and the category page's buttons on the list files.
#include "app/mainwindow.h"
#include "app/windowfactories.h"
#include "data/password.h"
#include "data/querydataset.h"
#include "data/tabledataset.h"
#include "ledger/ledgerwindow.h"
#include "lists/gbk.h"
#include "registers/logic/savingsbook.h"
#include "settings/settingswindow.h"
#include "support/categoryfiles.h"
#include "support/files.h"
#include "support/testprogram.h"
#include "support/userinput.h"
#include "ui/celleditor.h"
#include "ui/datagrid.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>

namespace {

// A program folder with small category files of its own, and the settings window over it.
struct SettingsFixture {
    SettingsFixture() {
        put("szsubshou.txt", listFile(kIncomeMajors));
        put("szdetailshou.txt", listFile(kIncomeMinors));
        put("szsubzhi.txt", listFile(kSpendingMajors));
        put("szdetailzhi.txt", listFile(kSpendingMinors));
    }

    void open() {
        window = std::make_unique<SettingsWindow>(tp.context());
        QVERIFY(userinput::showActive(window.get()));
    }

    template <class T = QWidget> T* child(const char* name) const {
        T* w = window->findChild<T*>(QString::fromLatin1(name));
        if (!w)
            qFatal("the settings window has no %s", name);
        return w;
    }

    QString path(const QString& name) const { return tp.listFolder() + u'/' + name; }
    void put(const QString& name, const QByteArray& bytes) const { writeAll(path(name), bytes); }
    QByteArray bytes(const QString& name) const {
        return QFile::exists(path(name)) ? readAll(path(name)) : QByteArray("<missing>");
    }

    // Brings a page to the front by clicking its tab.
    void showPage(const QString& tabText) {
        QTabBar* bar = window->pages()->tabBar();
        for (int i = 0; i < bar->count(); ++i)
            if (bar->tabText(i) == tabText)
                QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(i).center());
        QCOMPARE(bar->tabText(bar->currentIndex()), tabText);
    }
    void click(const char* name) {
        QTest::mouseClick(child<QAbstractButton>(name), Qt::LeftButton);
    }
    // Replaces the text of an edit by `text`, typed key by key.
    void type(const char* name, const QString& text) {
        auto* e = child<QLineEdit>(name);
        e->setFocus();
        e->selectAll();
        userinput::key(Qt::Key_Delete);
        userinput::type(text);
    }
    QString text(const char* name) const { return child<QLineEdit>(name)->text(); }

    // The category lists: the entries shown, the selected row, a click on an entry.
    QStringList entries(const char* list) const {
        QStringList out;
        const auto* l = child<QListWidget>(list);
        for (int i = 0; i < l->count(); ++i)
            out << l->item(i)->text();
        return out;
    }
    int selected(const char* list) const {
        const auto* l = child<QListWidget>(list);
        const QList<QListWidgetItem*> items = l->selectedItems();
        return items.isEmpty() ? -1 : l->row(items.first());
    }
    void pick(const char* list, const QString& entry) {
        auto* l = child<QListWidget>(list);
        const QList<QListWidgetItem*> found = l->findItems(entry, Qt::MatchExactly);
        QVERIFY2(!found.isEmpty(), qPrintable(entry));
        QTest::mouseClick(l->viewport(), Qt::LeftButton, {},
                          l->visualItemRect(found.first()).center());
    }

    // The rate grid: puts the cursor on a cell (its editor open when it has one).
    DataGrid* grid() const { return child<DataGrid>("szDBGrid"); }
    int field(const char* name) const {
        return grid()->dataset()->fieldIndex(QString::fromLatin1(name));
    }
    void goToCell(int row, const char* name) {
        grid()->setFocus();
        grid()->setCurrentIndex(grid()->model()->index(row, field(name)));
        grid()->openEditor();
        QCoreApplication::processEvents();
    }
    // Presses a key at the display, where the grid's user would: it reaches the open editor,
    // else the grid.
    void gridKey(Qt::Key key, Qt::KeyboardModifiers mods = {}) { userinput::key(key, mods); }
    void enterRate(int row, const QString& text) {
        goToCell(row, "interest");
        CellEditor* e = grid()->currentEditor();
        QVERIFY(e);
        e->lineEdit()->selectAll();
        userinput::key(Qt::Key_Delete);
        userinput::type(text);
    }
    QString storedRate(const QString& kind) {
        return tp
            .scalar(QStringLiteral("select interest from bankinterest where interestname='%1'")
                        .arg(kind))
            .toString();
    }
    QList<QStringList> storedTax() {
        return tp.rows(QStringLiteral("select interesttax from tax"));
    }

    TestProgram tp;
    std::unique_ptr<SettingsWindow> window;
};

} // namespace

class TestSettingsWindow : public QObject {
    Q_OBJECT
private slots:
    void windowAndPages();
    void controlsOfEachPage();
    void categoryFocusOrder();
    void mainWindowOpensIt();
    void tableMissingKeepsTheWindowShut_data();
    void tableMissingKeepsTheWindowShut();
    void unreadableMajorFileShownAsTheWindowOpens();
    void passwordOutcomes_data();
    void passwordOutcomes();
    void passwordNotStoredShowsTheError();
    void taxOfTwentyUsedBySavings();
    void emptyTaxTableGetsItsRow();
    void taxTextRefusedThenSaved_data();
    void taxTextRefusedThenSaved();
    void rateTextRefusedStopsTheSave();
    void refusedRatesLeaveTheTax();
    void closingSavesNothing();
    void rateGridKeepsItsRows_data();
    void rateGridKeepsItsRows();
    void rateGridEditsOnlyTheRate_data();
    void rateGridEditsOnlyTheRate();
    void storedTaxLongerThanTheEditIsShownWhole();
    void opensOnIncomeCategories();
    void directionAndPageSwitchReadTheFile();
    void keyboardChoosesEntries();
    void addMajorInExpenditure();
    void addMinorThroughBothLists();
    void renameAndDeleteThroughTheButtons();
    void missingMinorFileShownOnAdd();
    void ledgerOffersTheChangedLists();
};

void TestSettingsWindow::windowAndPages() {
    SettingsFixture f;
    f.open();
    QCOMPARE(f.window->objectName(), QStringLiteral("fmsys"));
    QCOMPARE(f.window->windowTitle(), QStringLiteral("系统设置"));
    // A fixed-size dialog with a close box only.
    QCOMPARE(f.window->minimumSize(), f.window->maximumSize());
    const Qt::WindowFlags flags = f.window->windowFlags();
    QVERIFY(flags.testFlag(Qt::WindowCloseButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));

    QTabWidget* pages = f.child<QTabWidget>("rzpage");
    QCOMPARE(pages->count(), 3);
    const QStringList tabs{"系统设置", "收支设置", "储蓄设置"};
    const QStringList names{"syspage", "szpage", "cxpage"};
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(pages->tabText(i), tabs[i]);
        QCOMPARE(pages->widget(i)->objectName(), names[i]);
    }
    QCOMPARE(pages->currentWidget()->objectName(), QStringLiteral("szpage"));
}

void TestSettingsWindow::controlsOfEachPage() {
    SettingsFixture f;
    f.tp.exec(QStringLiteral("update tax set interesttax=5.5"));
    f.open();
    // 系统设置: two plain edits and 确认密码.
    for (const char* name : {"newpassword", "repassword"}) {
        QCOMPARE(f.child<QLineEdit>(name)->echoMode(), QLineEdit::Normal);
        QCOMPARE(f.text(name), QString());
    }
    QCOMPARE(f.child<QPushButton>("cmdok")->text(), QStringLiteral("确认密码"));
    QStringList labels;
    for (const QLabel* l : f.child("syspage")->findChildren<QLabel*>())
        labels << l->text();
    QCOMPARE(labels, (QStringList{"新密码", "密码确认", "存款到期提前提醒天数"}));

    // 储蓄设置: the tax edit showing the stored rate, "%", the grid and 保存修改 alone.
    auto* tax = f.child<QLineEdit>("tax");
    QCOMPARE(tax->text(), QStringLiteral("5.5"));
    QCOMPARE(tax->maxLength(), 4);
    QVERIFY(tax->alignment().testFlag(Qt::AlignRight));
    f.showPage(QStringLiteral("储蓄设置"));
    labels.clear();
    for (const QLabel* l : f.child("cxpage")->findChildren<QLabel*>())
        labels << l->text();
    QCOMPARE(labels, (QStringList{"储蓄利息税金", "%"}));
    QVERIFY(f.child("cxpage")->findChildren<QLabel*>().last()->x() > tax->x());
    const QList<QPushButton*> savingsButtons = f.child("cxpage")->findChildren<QPushButton*>();
    QCOMPARE(savingsButtons.size(), 1);
    QCOMPARE(savingsButtons[0]->objectName(), QStringLiteral("cmdsave"));
    QCOMPARE(savingsButtons[0]->text(), QStringLiteral("保存修改"));
    QAbstractItemModel* model = f.grid()->model();
    QStringList titles;
    for (const char* field : {"interestname", "interestmonth", "interest"})
        titles << model->headerData(f.field(field), Qt::Horizontal).toString();
    QCOMPARE(titles, (QStringList{"存期", "月份", "利率"}));
    QCOMPARE(model->rowCount(), 12);
    QCOMPARE(model->index(0, f.field("interestname")).data().toString(),
             QStringLiteral("整存整取三个月"));

    // 收支设置: the two options, the two lists and the three buttons in one row.
    QCOMPARE(f.child<QRadioButton>("srradio")->text(), QStringLiteral("收入项目"));
    QCOMPARE(f.child<QRadioButton>("zcradio")->text(), QStringLiteral("支出项目"));
    for (const char* name : {"szListBox", "szListBox2"}) {
        auto* list = f.child<QListWidget>(name);
        QCOMPARE(list->selectionMode(), QAbstractItemView::SingleSelection);
        QCOMPARE(list->editTriggers(), QAbstractItemView::NoEditTriggers);
        QVERIFY(!list->isSortingEnabled());
    }
    QVERIFY(f.child("szListBox")->x() < f.child("szListBox2")->x());
    auto* add = f.child<QPushButton>("cmdadditem");
    auto* edit = f.child<QPushButton>("cmdedititem");
    auto* del = f.child<QPushButton>("cmddelitem");
    QCOMPARE((QStringList{add->text(), edit->text(), del->text()}),
             (QStringList{"新增", "修改", "删除"}));
    QCOMPARE(add->y(), edit->y());
    QCOMPARE(edit->y(), del->y());
    QVERIFY(add->x() < edit->x() && edit->x() < del->x());
}

void TestSettingsWindow::categoryFocusOrder() {
    SettingsFixture f;
    f.open();
    const QStringList documented{"cmdedititem", "cmdadditem", "cmddelitem", "srradio",
                                 "zcradio",     "szListBox",  "szListBox2"};
    // The page's focus chain, in the documented order.
    QStringList chain;
    for (QWidget* w = f.child("cmdedititem"); chain.size() < documented.size();
         w = w->nextInFocusChain())
        if (w->focusPolicy() & Qt::TabFocus)
            chain << w->objectName();
    QCOMPARE(chain, documented);
    // Tab stops at the chosen option of the two, as with any group of options; the arrow
    // keys move between them.
    for (const char* chosen : {"srradio", "zcradio"}) {
        f.click(chosen);
        f.child("cmdedititem")->setFocus();
        QStringList visited{QApplication::focusWidget()->objectName()};
        for (int i = 0; i < 5; ++i) {
            userinput::key(Qt::Key_Tab);
            visited << QApplication::focusWidget()->objectName();
        }
        QStringList expected = documented;
        expected.removeOne(QString::fromLatin1(chosen) == "srradio" ? "zcradio" : "srradio");
        QCOMPARE(visited, expected);
    }
}

void TestSettingsWindow::mainWindowOpensIt() {
    TestProgram tp;
    MainWindow main(tp.context(), QString(), programWindows(tp.context()));
    main.show();
    QString opened;
    bool modal = false;
    QTimer::singleShot(0, [&] {
        if (QWidget* w = QApplication::activeModalWidget()) {
            opened = w->objectName();
            modal = w->isModal();
            w->close();
        }
    });
    main.button(QStringLiteral("sys"))->click();
    QCOMPARE(opened, QStringLiteral("fmsys"));
    QVERIFY(modal);
}

void TestSettingsWindow::tableMissingKeepsTheWindowShut_data() {
    QTest::addColumn<QString>("table");
    QTest::newRow("rates") << "bankinterest";
    QTest::newRow("tax") << "tax";
}

void TestSettingsWindow::tableMissingKeepsTheWindowShut() {
    QFETCH(QString, table);
    TestProgram tp;
    tp.exec(QStringLiteral("drop table ") + table);
    MainWindow main(tp.context(), QString(), programWindows(tp.context()));
    main.show();
    bool opened = false;
    QTimer::singleShot(0, [&] {
        if (QWidget* w = QApplication::activeModalWidget()) {
            opened = true;
            w->close();
        }
    });
    main.button(QStringLiteral("sys"))->click();
    QVERIFY(!opened);
    QCOMPARE(tp.dialogs.errors().size(), 1);
    QVERIFY2(tp.dialogs.errors()[0].contains(table), qPrintable(tp.dialogs.errors()[0]));
}

void TestSettingsWindow::unreadableMajorFileShownAsTheWindowOpens() {
    SettingsFixture f;
    QVERIFY(QFile::remove(f.path("szsubshou.txt")));
    f.open();
    QCOMPARE(f.tp.dialogs.errors(),
             QStringList{QStringLiteral("Cannot open file %1.").arg(f.path("szsubshou.txt"))});
    QCOMPARE(f.entries("szListBox"), QStringList());
    // The rest of the window is there: the other direction's list can be chosen.
    f.click("zcradio");
    QCOMPARE(f.entries("szListBox"), kSpendingMajors);
}

void TestSettingsWindow::passwordOutcomes_data() {
    QTest::addColumn<QString>("newPassword");
    QTest::addColumn<QString>("confirmation");
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("stored");
    const QString missing = QStringLiteral("对不起,请填写相关的密码！");
    QTest::newRow("nothing typed") << ""
                                   << "" << missing << false;
    QTest::newRow("no confirmation") << "geheim"
                                     << "" << missing << false;
    QTest::newRow("no new password") << ""
                                     << "geheim" << missing << false;
    QTest::newRow("letter case differs")
        << "Geheim"
        << "geheim" << QStringLiteral("对不起,密码不相符！") << false;
    QTest::newRow("quote, backslash, chinese")
        << "it's\\我的"
        << "it's\\我的" << QStringLiteral("密码设置完成！") << true;
}

void TestSettingsWindow::passwordOutcomes() {
    QFETCH(QString, newPassword);
    QFETCH(QString, confirmation);
    QFETCH(QString, message);
    QFETCH(bool, stored);
    SettingsFixture f;
    f.tp.exec(QStringLiteral("update user set password='alt' where id=1"));
    f.open();
    f.showPage(QStringLiteral("系统设置"));
    f.type("newpassword", newPassword);
    f.type("repassword", confirmation);
    f.click("cmdok");

    QCOMPARE(f.tp.dialogs.shown.size(), 1);
    const ScriptedDialogs::Shown box = f.tp.dialogs.shown[0];
    QCOMPARE(box.caption, QStringLiteral("提示"));
    QCOMPARE(box.text, message);
    QCOMPARE(box.buttons, Dialogs::Buttons::Ok);
    QCOMPARE(box.icon, Dialogs::Icon::Information);
    // The edits keep what was typed.
    QCOMPARE(f.text("newpassword"), newPassword);
    QCOMPARE(f.text("repassword"), confirmation);

    const QString inBooks =
        f.tp.scalar(QStringLiteral("select password from user where id=1")).toString();
    if (stored) {
        QVERIFY(inBooks != newPassword);
        QVERIFY(password::matches(inBooks, newPassword));
        QVERIFY(!password::matches(inBooks, newPassword.toUpper()));
    } else {
        QCOMPARE(inBooks, QStringLiteral("alt"));
    }
}

void TestSettingsWindow::passwordNotStoredShowsTheError() {
    SettingsFixture f;
    f.open();
    f.tp.exec(QStringLiteral("create trigger refuse before update on user "
                             "begin select raise(abort, 'user is locked'); end"));
    f.type("newpassword", QStringLiteral("neu"));
    f.type("repassword", QStringLiteral("neu"));
    f.click("cmdok");
    // The data layer's error, and no "done".
    QCOMPARE(f.tp.dialogs.errors(), QStringList{"user is locked."});
    QCOMPARE(f.tp.dialogs.shown.size(), 1);
}

void TestSettingsWindow::taxOfTwentyUsedBySavings() {
    SettingsFixture f;
    f.open();
    f.showPage(QStringLiteral("储蓄设置"));
    QCOMPARE(f.text("tax"), QStringLiteral("0"));
    f.type("tax", QStringLiteral("20"));
    f.click("cmdsave");
    QVERIFY(f.tp.dialogs.shown.isEmpty());
    QCOMPARE(f.tp.rows(QStringLiteral("select typeof(interesttax), interesttax from tax")),
             (QList<QStringList>{{"real", "20"}}));
    // What the savings window reads when it opens.
    QueryDataset cxQuery(f.tp.books());
    QCOMPARE(deposits::readTaxRate(cxQuery), 20.0);
    // The next opening shows it.
    f.open();
    QCOMPARE(f.text("tax"), QStringLiteral("20"));
}

void TestSettingsWindow::emptyTaxTableGetsItsRow() {
    SettingsFixture f;
    f.tp.exec(QStringLiteral("delete from tax"));
    f.open();
    QCOMPARE(f.text("tax"), QString());
    f.showPage(QStringLiteral("储蓄设置"));
    f.type("tax", QStringLiteral("7.5"));
    f.click("cmdsave");
    f.click("cmdsave");
    QVERIFY(f.tp.dialogs.shown.isEmpty());
    QCOMPARE(f.storedTax(), (QList<QStringList>{{"7.5"}}));
}

void TestSettingsWindow::taxTextRefusedThenSaved_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("error");
    QTest::newRow("letters") << "2x"
                             << "'2x' is not a valid floating point value.";
    QTest::newRow("empty") << ""
                           << "'' is not a valid floating point value.";
    QTest::newRow("grouped") << "1,5"
                             << "'1,5' is not a valid floating point value.";
}

void TestSettingsWindow::taxTextRefusedThenSaved() {
    QFETCH(QString, typed);
    QFETCH(QString, error);
    SettingsFixture f;
    f.open();
    f.showPage(QStringLiteral("储蓄设置"));
    f.enterRate(2, QStringLiteral("1.75"));
    f.type("tax", typed);
    f.click("cmdsave");
    QCOMPARE(f.tp.dialogs.errors(), QStringList{error});
    // The rates went before the tax; nothing is stored for the tax.
    QCOMPARE(f.storedRate(QStringLiteral("整存整取一年")), QStringLiteral("1.75"));
    QCOMPARE(f.storedTax(), (QList<QStringList>{{"0"}}));
    QCOMPARE(f.text("tax"), typed);

    f.tp.dialogs.clear();
    f.type("tax", QStringLiteral("20"));
    f.click("cmdsave");
    QVERIFY(f.tp.dialogs.shown.isEmpty());
    QCOMPARE(f.storedTax(), (QList<QStringList>{{"20"}}));
}

void TestSettingsWindow::rateTextRefusedStopsTheSave() {
    SettingsFixture f;
    f.open();
    f.showPage(QStringLiteral("储蓄设置"));
    f.enterRate(0, QStringLiteral("1.2"));
    f.enterRate(2, QStringLiteral("abc"));
    f.type("tax", QStringLiteral("20"));
    f.click("cmdsave");
    QCOMPARE(f.tp.dialogs.errors(), QStringList{"'abc' is not a valid floating point value."});
    QCOMPARE(f.storedRate(QStringLiteral("整存整取三个月")), QStringLiteral("1.1"));
    QCOMPARE(f.storedTax(), (QList<QStringList>{{"0"}}));
}

void TestSettingsWindow::refusedRatesLeaveTheTax() {
    SettingsFixture f;
    f.open();
    f.tp.exec(QStringLiteral("create trigger refuse before update on bankinterest "
                             "begin select raise(abort, 'rates are locked'); end"));
    f.showPage(QStringLiteral("储蓄设置"));
    f.enterRate(2, QStringLiteral("9.9"));
    f.type("tax", QStringLiteral("20"));
    f.click("cmdsave");
    QCOMPARE(f.tp.dialogs.errors(), QStringList{"rates are locked."});
    QCOMPARE(f.storedRate(QStringLiteral("整存整取一年")), QStringLiteral("1.5"));
    QCOMPARE(f.storedTax(), (QList<QStringList>{{"0"}}));
}

void TestSettingsWindow::closingSavesNothing() {
    SettingsFixture f;
    f.open();
    f.showPage(QStringLiteral("储蓄设置"));
    f.enterRate(2, QStringLiteral("9.9"));
    QVERIFY(f.grid()->commitEditor());
    f.type("tax", QStringLiteral("20"));
    QVERIFY(f.window->close());
    QVERIFY(f.tp.dialogs.shown.isEmpty());
    QCOMPARE(f.storedRate(QStringLiteral("整存整取一年")), QStringLiteral("1.5"));
    QCOMPARE(f.storedTax(), (QList<QStringList>{{"0"}}));
    f.open();
    QCOMPARE(f.text("tax"), QStringLiteral("0"));
    QCOMPARE(f.grid()->model()->index(2, f.field("interest")).data().toString(),
             QStringLiteral("1.5"));
}

void TestSettingsWindow::rateGridKeepsItsRows_data() {
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("field");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::newRow("Down on the last row") << 11 << "interest" << int(Qt::Key_Down) << 0;
    QTest::newRow("Down on a name cell") << 11 << "interestname" << int(Qt::Key_Down) << 0;
    QTest::newRow("Tab past the last cell") << 11 << "interest" << int(Qt::Key_Tab) << 0;
    QTest::newRow("Enter past the last cell") << 11 << "interest" << int(Qt::Key_Return) << 0;
    QTest::newRow("Insert") << 3 << "interest" << int(Qt::Key_Insert) << 0;
    QTest::newRow("Insert on a month cell") << 3 << "interestmonth" << int(Qt::Key_Insert) << 0;
    QTest::newRow("Ctrl+Delete") << 3 << "interest" << int(Qt::Key_Delete)
                                 << int(Qt::ControlModifier);
    QTest::newRow("Ctrl+Delete on a name cell")
        << 3 << "interestname" << int(Qt::Key_Delete) << int(Qt::ControlModifier);
}

void TestSettingsWindow::rateGridKeepsItsRows() {
    QFETCH(int, row);
    QFETCH(QString, field);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    SettingsFixture f;
    f.open();
    f.showPage(QStringLiteral("储蓄设置"));
    f.goToCell(row, field.toLatin1().constData());
    // A delete confirmation, were one asked, would be answered OK.
    f.tp.dialogs.answerNext(Dialogs::Answer::Ok);
    f.gridKey(Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(f.grid()->model()->rowCount(), 12);
    QVERIFY(!f.grid()->dataset()->hasPendingChanges());
    QVERIFY(!f.grid()->dataset()->isInserting());
    QVERIFY(f.tp.dialogs.shown.isEmpty());
    f.click("cmdsave");
    QCOMPARE(f.tp.scalar(QStringLiteral("select count(*) from bankinterest")).toInt(), 12);
    QVERIFY(f.tp.dialogs.shown.isEmpty());
}

void TestSettingsWindow::rateGridEditsOnlyTheRate_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<bool>("editable");
    QTest::newRow("存期") << "interestname" << false;
    QTest::newRow("月份") << "interestmonth" << false;
    QTest::newRow("利率") << "interest" << true;
}

void TestSettingsWindow::rateGridEditsOnlyTheRate() {
    QFETCH(QString, field);
    QFETCH(bool, editable);
    SettingsFixture f;
    f.open();
    f.showPage(QStringLiteral("储蓄设置"));
    const QByteArray fieldName = field.toLatin1();
    f.goToCell(4, fieldName.constData());
    QCOMPARE(f.grid()->currentEditor() != nullptr, editable);
    const QModelIndex cell = f.grid()->model()->index(4, f.field(fieldName.constData()));
    QCOMPARE(cell.flags().testFlag(Qt::ItemIsEditable), editable);
    QVERIFY(!f.grid()->model()->setData(cell, QStringLiteral("9")) || editable);

    // Typing 9 and moving on changes the rate cell only.
    const QString before = cell.data(Qt::EditRole).toString();
    if (CellEditor* e = f.grid()->currentEditor()) {
        e->lineEdit()->selectAll();
        userinput::key(Qt::Key_Delete);
    }
    userinput::type(QStringLiteral("9"));
    f.gridKey(Qt::Key_Tab);
    const QString after = f.grid()->model()->index(4, cell.column()).data(Qt::EditRole).toString();
    QCOMPARE(after, editable ? QStringLiteral("9") : before);
    f.click("cmdsave");
    QCOMPARE(f.tp.rows(QStringLiteral("select interestname, interestmonth, interest "
                                      "from bankinterest where id=5")),
             (QList<QStringList>{
                 {"整存整取三年", "36", editable ? QStringLiteral("9") : QStringLiteral("2.75")}}));
}

void TestSettingsWindow::storedTaxLongerThanTheEditIsShownWhole() {
    SettingsFixture f;
    f.tp.exec(QStringLiteral("update tax set interesttax=12.375"));
    f.open();
    QCOMPARE(f.text("tax"), QStringLiteral("12.375"));
    f.showPage(QStringLiteral("储蓄设置"));
    f.click("cmdsave");
    QCOMPARE(f.storedTax(), (QList<QStringList>{{"12.375"}}));
}

void TestSettingsWindow::opensOnIncomeCategories() {
    SettingsFixture f;
    f.open();
    QVERIFY(f.child<QRadioButton>("srradio")->isChecked());
    QVERIFY(!f.child<QRadioButton>("zcradio")->isChecked());
    QCOMPARE(f.entries("szListBox"), kIncomeMajors);
    QCOMPARE(f.selected("szListBox"), -1);
    QCOMPARE(f.entries("szListBox2"), QStringList());
}

void TestSettingsWindow::directionAndPageSwitchReadTheFile() {
    SettingsFixture f;
    f.open();
    f.click("zcradio");
    QCOMPARE(f.entries("szListBox"), kSpendingMajors);
    f.pick("szListBox", QStringLiteral("餐饮"));
    QCOMPARE(f.entries("szListBox2"), (QStringList{"早餐", "午餐"}));

    // Back on the page, the list is the file's again; the minor list keeps what it showed
    // and nothing is selected.
    f.showPage(QStringLiteral("系统设置"));
    f.put("szsubzhi.txt", listFile({"居住", "餐饮", "娱乐"}));
    f.showPage(QStringLiteral("收支设置"));
    QVERIFY(f.child<QRadioButton>("zcradio")->isChecked());
    QCOMPARE(f.entries("szListBox"), (QStringList{"居住", "餐饮", "娱乐"}));
    QCOMPARE(f.selected("szListBox"), -1);
    QCOMPARE(f.entries("szListBox2"), (QStringList{"早餐", "午餐"}));

    // Choosing the chosen option again reads nothing.
    f.put("szsubzhi.txt", listFile({"其他"}));
    f.click("zcradio");
    QCOMPARE(f.entries("szListBox"), (QStringList{"居住", "餐饮", "娱乐"}));
    f.click("srradio");
    QCOMPARE(f.entries("szListBox"), kIncomeMajors);
    QVERIFY(f.tp.dialogs.shown.isEmpty());
}

void TestSettingsWindow::keyboardChoosesEntries() {
    SettingsFixture f;
    f.open();
    f.child("zcradio")->setFocus();
    userinput::key(Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("szListBox"));
    // Coming in with Tab selects nothing; the arrow keys choose the entries in turn.
    QCOMPARE(f.selected("szListBox"), -1);
    QCOMPARE(f.entries("szListBox2"), QStringList());
    userinput::key(Qt::Key_Down);
    QCOMPARE(f.selected("szListBox"), 0);
    QCOMPARE(f.entries("szListBox2"), (QStringList{"基本工资", "加班"}));
    userinput::key(Qt::Key_Down);
    QCOMPARE(f.selected("szListBox"), 1);
    QCOMPARE(f.entries("szListBox2"), QStringList{"年终奖"});
}

void TestSettingsWindow::addMajorInExpenditure() {
    SettingsFixture f;
    f.open();
    f.click("zcradio");
    f.tp.dialogs.typeNext(QStringLiteral("餐饮"));
    f.click("cmdadditem");
    QCOMPARE(f.tp.dialogs.asked.size(), 1);
    QCOMPARE(f.tp.dialogs.asked[0].caption, QStringLiteral("系统设置"));
    QCOMPARE(f.tp.dialogs.asked[0].prompt, QStringLiteral("输入项目"));
    QCOMPARE(f.tp.dialogs.asked[0].initial, QString());
    QCOMPARE(f.entries("szListBox"), (QStringList{"餐饮", "交通", "餐饮"}));
    QCOMPARE(f.selected("szListBox"), -1);
    QCOMPARE(f.bytes("szsubzhi.txt"), listFile({"餐饮", "交通", "餐饮"}));
    QCOMPARE(f.bytes("szdetailzhi.txt"), listFile(kSpendingMinors + QStringList{"餐饮-新项目"}));
    QCOMPARE(f.bytes("szsubshou.txt"), listFile(kIncomeMajors));
    QVERIFY(f.tp.dialogs.shown.isEmpty());
}

void TestSettingsWindow::addMinorThroughBothLists() {
    SettingsFixture f;
    f.open();
    f.click("zcradio");
    f.pick("szListBox", QStringLiteral("餐饮"));
    f.pick("szListBox2", QStringLiteral("午餐"));
    f.tp.dialogs.typeNext(QStringLiteral("夜宵"));
    f.click("cmdadditem");
    QCOMPARE(f.entries("szListBox2"), (QStringList{"早餐", "午餐", "夜宵"}));
    // An empty line before the new expenditure line.
    QCOMPARE(f.bytes("szdetailzhi.txt"),
             listFile(kSpendingMinors) + "\r\n" + gbk("餐饮-夜宵") + "\r\n");
    QCOMPARE(f.bytes("szsubzhi.txt"), listFile(kSpendingMajors));

    // A major selected but no minor: a major category is added, not a minor one.
    f.pick("szListBox", QStringLiteral("交通"));
    QCOMPARE(f.selected("szListBox2"), -1);
    f.tp.dialogs.typeNext(QStringLiteral("医疗"));
    f.click("cmdadditem");
    QCOMPARE(f.bytes("szsubzhi.txt"), listFile(kSpendingMajors + QStringList{"医疗"}));
    QCOMPARE(f.entries("szListBox"), kSpendingMajors + QStringList{"医疗"});
}

void TestSettingsWindow::renameAndDeleteThroughTheButtons() {
    SettingsFixture f;
    f.open();
    // 修改 of the first minor line, cancelled: the line moves to the end all the same.
    f.pick("szListBox", QStringLiteral("工资"));
    f.pick("szListBox2", QStringLiteral("基本工资"));
    f.tp.dialogs.typeNext(std::nullopt);
    f.click("cmdedititem");
    QCOMPARE(f.tp.dialogs.asked.at(0).initial, QStringLiteral("基本工资"));
    QCOMPARE(f.bytes("szdetailshou.txt"), listFile({"工资-加班", "奖金-年终奖", "工资-基本工资"}));
    QCOMPARE(f.entries("szListBox2"), (QStringList{"加班", "基本工资"}));
    QCOMPARE(f.selected("szListBox2"), -1);

    // 修改 of a major keeps its place; its detail lines stay in the file under the old name.
    f.pick("szListBox", QStringLiteral("奖金"));
    f.tp.dialogs.typeNext(QStringLiteral("红利"));
    f.click("cmdedititem");
    QCOMPARE(f.entries("szListBox"), (QStringList{"工资", "红利"}));
    QCOMPARE(f.bytes("szsubshou.txt"), listFile({"工资", "红利"}));
    f.pick("szListBox", QStringLiteral("红利"));
    QCOMPARE(f.entries("szListBox2"), QStringList());

    // 删除 of a minor, without a question; then of a major.
    f.pick("szListBox", QStringLiteral("工资"));
    f.pick("szListBox2", QStringLiteral("加班"));
    f.click("cmddelitem");
    QCOMPARE(f.bytes("szdetailshou.txt"), listFile({"奖金-年终奖", "工资-基本工资"}));
    QCOMPARE(f.entries("szListBox2"), QStringList{"基本工资"});
    f.pick("szListBox", QStringLiteral("红利"));
    f.click("cmddelitem");
    QCOMPARE(f.entries("szListBox"), QStringList{"工资"});
    QCOMPARE(f.bytes("szsubshou.txt"), listFile({"工资"}));
    QCOMPARE(f.bytes("szdetailshou.txt"), listFile({"奖金-年终奖", "工资-基本工资"}));
    QVERIFY(f.tp.dialogs.shown.isEmpty());
}

void TestSettingsWindow::missingMinorFileShownOnAdd() {
    SettingsFixture f;
    QVERIFY(QFile::remove(f.path("szdetailzhi.txt")));
    f.open();
    f.click("zcradio");
    f.tp.dialogs.typeNext(QStringLiteral("娱乐"));
    f.click("cmdadditem");
    QCOMPARE(f.tp.dialogs.errors(), QStringList{"File not found."});
    QCOMPARE(f.entries("szListBox"), kSpendingMajors + QStringList{"娱乐"});
    QCOMPARE(f.bytes("szsubzhi.txt"), listFile(kSpendingMajors + QStringList{"娱乐"}));
    QCOMPARE(f.bytes("szdetailzhi.txt"), QByteArray("<missing>"));
}

void TestSettingsWindow::ledgerOffersTheChangedLists() {
    SettingsFixture f;
    f.tp.exec(QStringLiteral("insert into mysalary (adddate, sz, szdl, szxl, money, zffs, memo) "
                             "values ('2026-12-01', '支出', '餐饮', '早餐', 9, '现金', '')"));
    f.open();
    f.click("zcradio");
    f.tp.dialogs.typeNext(QStringLiteral("宠物"));
    f.click("cmdadditem");
    f.pick("szListBox", QStringLiteral("餐饮"));
    f.pick("szListBox2", QStringLiteral("早餐"));
    f.tp.dialogs.typeNext(QStringLiteral("早点"));
    f.click("cmdedititem");
    f.window->close();

    LedgerWindow ledger(f.tp.context(), WindowFactory{}, WindowFactory{});
    ledger.show();
    QVERIFY(QTest::qWaitForWindowExposed(&ledger));
    DataGrid* grid = ledger.grid();
    auto offered = [&](const char* field) {
        grid->setFocus();
        grid->setCurrentIndex(
            grid->model()->index(0, ledger.dataset()->fieldIndex(QString::fromLatin1(field))));
        grid->openEditor();
        QCoreApplication::processEvents();
        return grid->currentEditor() ? grid->currentEditor()->offeredChoices() : QStringList();
    };
    QCOMPARE(offered("szdl"), (QStringList{"餐饮", "交通", "宠物"}));
    QCOMPARE(offered("szxl"), (QStringList{"午餐", "早点"}));
    // No ledger row changed.
    QCOMPARE(f.tp.rows(QStringLiteral("select szdl, szxl from mysalary")),
             (QList<QStringList>{{"餐饮", "早餐"}}));
}

QTEST_MAIN(TestSettingsWindow)
#include "tst_settingswindow.moc"
