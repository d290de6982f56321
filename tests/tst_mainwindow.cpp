// The main window: its buttons, the password gate in front of the four windows, and the way
// out.
#include "app/mainwindow.h"
#include "app/startup.h"
#include "data/password.h"
#include "platform/apperror.h"
#include "settings/logic/passwordchange.h"
#include "support/testprogram.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QWindow>

namespace {

const QString kRefusal = QStringLiteral("对不起，你非法登录本系统！");
const QString kCancel = QStringLiteral("<Cancel>");
const QStringList kGated{QStringLiteral("sz"), QStringLiteral("jd"), QStringLiteral("cx"),
                         QStringLiteral("sys")};

// Stand-ins for the four windows: each opening records the window's name, whether it was
// shown modally over the main window, and closes itself at once so that exec() returns.
struct OpenedWindows {
    QStringList log;
    QWidget* expectedParent = nullptr;

    WindowFactory factory(const QString& name) {
        return [this, name](QWidget* parent) {
            auto dialog = std::make_unique<QDialog>(parent);
            QDialog* raw = dialog.get();
            QTimer::singleShot(0, raw, [this, raw, name, parent] {
                QString entry = name;
                if (QApplication::activeModalWidget() != raw)
                    entry += QStringLiteral(" (not modal)");
                if (parent != expectedParent)
                    entry += QStringLiteral(" (wrong parent)");
                log << entry;
                raw->accept();
            });
            return dialog;
        };
    }

    MainWindow::Windows windows() {
        return {factory(QStringLiteral("ledger")), factory(QStringLiteral("loans")),
                factory(QStringLiteral("savings")), factory(QStringLiteral("settings"))};
    }
};

void press(MainWindow& bank, const QString& button) {
    QToolButton* b = bank.button(button);
    QVERIFY2(b, qPrintable(button));
    QTest::mouseClick(b, Qt::LeftButton);
}

// Presses the four gated buttons and tells what happened: "4 opened", "4 refused", or a
// mixture; a box other than the refusal is named in the result.
QString pressAllFour(MainWindow& bank, TestProgram& tp, OpenedWindows& opened) {
    const qsizetype boxesBefore = tp.dialogs.shown.size();
    const qsizetype openedBefore = opened.log.size();
    for (const QString& b : kGated)
        press(bank, b);
    QStringList result;
    const qsizetype openedNow = opened.log.size() - openedBefore;
    if (openedNow > 0)
        result << QStringLiteral("%1 opened").arg(openedNow);
    const qsizetype refused = tp.dialogs.shown.size() - boxesBefore;
    if (refused > 0)
        result << QStringLiteral("%1 refused").arg(refused);
    for (qsizetype i = boxesBefore; i < tp.dialogs.shown.size(); ++i) {
        const ScriptedDialogs::Shown& box = tp.dialogs.shown.at(i);
        if (box.caption != QStringLiteral("Quenvard") || box.text != kRefusal ||
            box.buttons != Dialogs::Buttons::Ok || box.icon != Dialogs::Icon::Question)
            result << QStringLiteral("box %1: %2").arg(box.caption, box.text);
    }
    return result.join(QStringLiteral(", "));
}

const QString kOpened = QStringLiteral("4 opened");
const QString kRefused = QStringLiteral("4 refused");

void enter(MainWindow& bank, TestProgram& tp, const QString& typed) {
    tp.dialogs.typeNext(typed == kCancel ? std::nullopt : std::optional<QString>(typed));
    press(bank, QStringLiteral("login"));
}

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    void window();
    void buttons_data();
    void buttons();
    void tabOrder();
    void keysPressTheFocusedButton_data();
    void keysPressTheFocusedButton();
    void passwordGate_data();
    void passwordGate();
    void eachButtonOpensItsWindow();
    void inputBox();
    void changedPasswordCountsFromNextStart();
    void failedStartLocksEveryButton_data();
    void failedStartLocksEveryButton();
    void windowThatCannotOpen();
    void logoffCloses();
    void restoreAfterSecondStart();
    void hashedPasswordGate_data();
    void hashedPasswordGate();
    void entryVerifiedOnce();
    void passwordSetInSettingsCountsFromNextStart();
};

void TestMainWindow::window() {
    TestProgram tp;
    MainWindow bank(tp.context(), QString(), {});
    bank.show();
    QVERIFY(QTest::qWaitForWindowExposed(&bank));
    QCOMPARE(bank.objectName(), QStringLiteral("bank"));
    QCOMPARE(bank.windowTitle(), QStringLiteral("Quenvard"));
    QCOMPARE(bank.size(), QSize(498, 269));
    QCOMPARE(bank.minimumSize(), bank.maximumSize());
    QCOMPARE(bank.font().family(), QStringLiteral("宋体"));
    QCOMPARE(bank.font().pixelSize(), 12);
    // No system menu, hence no close box, and no minimise or maximise button.
    const Qt::WindowFlags f = bank.windowFlags();
    QVERIFY(f & Qt::CustomizeWindowHint);
    QVERIFY(f & Qt::WindowTitleHint);
    QVERIFY(!(f & (Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    // Centred on the desktop.
    const QRect desk = bank.screen()->availableGeometry();
    const QRect frame = bank.frameGeometry();
    QVERIFY2(qAbs(frame.center().x() - desk.center().x()) <= 1 &&
                 qAbs(frame.center().y() - desk.center().y()) <= 1,
             qPrintable(QStringLiteral("frame at %1,%2, size %3x%4")
                            .arg(frame.x())
                            .arg(frame.y())
                            .arg(frame.width())
                            .arg(frame.height())));
}

void TestMainWindow::buttons_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QPoint>("topLeft");
    QTest::newRow("sz") << "sz"
                        << "收支管理" << QPoint(30, 82);
    QTest::newRow("jd") << "jd"
                        << "借贷管理" << QPoint(150, 82);
    QTest::newRow("cx") << "cx"
                        << "储蓄管理" << QPoint(270, 82);
    QTest::newRow("login") << "login"
                           << "进入系统" << QPoint(118, 176);
    QTest::newRow("logoff") << "logoff"
                            << "退出系统" << QPoint(286, 176);
    QTest::newRow("sys") << "sys"
                         << "系统设置" << QPoint(390, 80);
}

void TestMainWindow::buttons() {
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(QPoint, topLeft);
    TestProgram tp;
    MainWindow bank(tp.context(), QString(), {});
    QToolButton* b = bank.button(name);
    QVERIFY(b);
    QCOMPARE(b->text(), caption);
    QCOMPARE(b->geometry(), QRect(topLeft, QSize(75, 57)));
    // A picture above the caption.
    QCOMPARE(b->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
    QVERIFY(!b->icon().isNull());
    // All six pictures are drawn at one size, none blown up from a smaller one.
    QCOMPARE(b->iconSize(), QSize(32, 32));
    QCOMPARE(b->icon().actualSize(b->iconSize()), QSize(32, 32));
    QCOMPARE(b->focusPolicy() & Qt::TabFocus, Qt::TabFocus);
}

void TestMainWindow::tabOrder() {
    TestProgram tp;
    MainWindow bank(tp.context(), QString(), {});
    QStringList order;
    QWidget* w = bank.button(QStringLiteral("sz"));
    do {
        if (qobject_cast<QToolButton*>(w))
            order << w->objectName();
        w = w->nextInFocusChain();
    } while (w && w != bank.button(QStringLiteral("sz")));
    QCOMPARE(order, (QStringList{"sz", "jd", "cx", "login", "logoff", "sys"}));
}

void TestMainWindow::keysPressTheFocusedButton_data() {
    QTest::addColumn<int>("key");
    QTest::newRow("Enter") << int(Qt::Key_Return);
    QTest::newRow("keypad Enter") << int(Qt::Key_Enter);
    QTest::newRow("Space") << int(Qt::Key_Space);
}

void TestMainWindow::keysPressTheFocusedButton() {
    QFETCH(int, key);
    TestProgram tp;
    OpenedWindows opened;
    MainWindow bank(tp.context(), QString(), opened.windows());
    opened.expectedParent = &bank;
    bank.show();
    QVERIFY(QTest::qWaitForWindowActive(&bank));
    bank.button(QStringLiteral("cx"))->setFocus(Qt::TabFocusReason);
    // Through the window, as the window system delivers a key: to the focused button.
    QTest::keyClick(bank.windowHandle(), Qt::Key(key));
    QTRY_COMPARE(opened.log, QStringList{"savings"});
}

void TestMainWindow::passwordGate_data() {
    QTest::addColumn<bool>("readable");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QStringList>("entries"); // "<Cancel>" cancels the input box
    QTest::addColumn<bool>("opens");
    QTest::newRow("empty stored, nothing entered") << true << "" << QStringList{} << true;
    QTest::newRow("empty stored, a text entered") << true << "" << QStringList{"x"} << false;
    QTest::newRow("empty stored, then Cancel") << true << "" << QStringList{"x", kCancel} << true;
    QTest::newRow("empty stored, then empty OK") << true << "" << QStringList{"x", ""} << true;
    QTest::newRow("right password") << true << "Geheim 7" << QStringList{"Geheim 7"} << true;
    QTest::newRow("nothing entered") << true << "Geheim 7" << QStringList{} << false;
    QTest::newRow("letter case") << true << "Geheim 7" << QStringList{"geheim 7"} << false;
    QTest::newRow("trailing blank") << true << "Geheim 7" << QStringList{"Geheim 7 "} << false;
    QTest::newRow("wrong, then right")
        << true << "Geheim 7" << QStringList{"x", "Geheim 7"} << true;
    QTest::newRow("right, then Cancel")
        << true << "Geheim 7" << QStringList{"Geheim 7", kCancel} << false;
    QTest::newRow("right, then wrong")
        << true << "Geheim 7" << QStringList{"Geheim 7", "Geheim"} << false;
    QTest::newRow("chinese") << true << "密码二〇" << QStringList{"密码二〇"} << true;
    QTest::newRow("unreadable, nothing entered") << false << "" << QStringList{} << false;
    QTest::newRow("unreadable, empty OK") << false << "" << QStringList{""} << false;
}

void TestMainWindow::passwordGate() {
    QFETCH(bool, readable);
    QFETCH(QString, stored);
    QFETCH(QStringList, entries);
    QFETCH(bool, opens);
    TestProgram tp;
    OpenedWindows opened;
    MainWindow bank(tp.context(), readable ? std::optional<QString>(stored) : std::nullopt,
                    opened.windows());
    opened.expectedParent = &bank;
    bank.show();
    for (const QString& e : entries)
        enter(bank, tp, e);
    QCOMPARE(pressAllFour(bank, tp, opened), opens ? kOpened : kRefused);
    // The test runs at every press: the same answer again.
    QCOMPARE(pressAllFour(bank, tp, opened), opens ? kOpened : kRefused);
    QCOMPARE(tp.dialogs.errors(), QStringList());
}

void TestMainWindow::eachButtonOpensItsWindow() {
    TestProgram tp;
    OpenedWindows opened;
    MainWindow bank(tp.context(), QString(), opened.windows());
    opened.expectedParent = &bank;
    bank.show();
    for (const QString& b : QStringList{"sz", "jd", "cx", "sys", "sz"})
        press(bank, b);
    // A new, modal instance at every press, over the main window.
    QCOMPARE(opened.log, (QStringList{"ledger", "loans", "savings", "settings", "ledger"}));
    QVERIFY(tp.dialogs.shown.isEmpty());
    QVERIFY(bank.findChildren<QDialog*>().isEmpty());
}

void TestMainWindow::inputBox() {
    TestProgram tp;
    MainWindow bank(tp.context(), QString(), {});
    enter(bank, tp, QStringLiteral("abc"));
    QCOMPARE(bank.enteredPassword(), QStringLiteral("abc"));
    enter(bank, tp, QStringLiteral("def"));
    enter(bank, tp, kCancel);
    QCOMPARE(bank.enteredPassword(), QString());
    QCOMPARE(tp.dialogs.asked.size(), 3);
    for (const ScriptedDialogs::Asked& a : std::as_const(tp.dialogs.asked)) {
        QCOMPARE(a.caption, QStringLiteral("Quenvard"));
        QCOMPARE(a.prompt, QStringLiteral("输入密码"));
        // The field starts empty every time: nothing is compared or shown back.
        QCOMPARE(a.initial, QString());
    }
    QVERIFY(tp.dialogs.shown.isEmpty());
}

void TestMainWindow::changedPasswordCountsFromNextStart() {
    TestProgram tp;
    OpenedWindows opened;
    MainWindow first(tp.context(), runStartup(tp.context()), opened.windows());
    opened.expectedParent = &first;
    first.show();

    // The settings window changes the password during the run.
    tp.exec(QStringLiteral("update user set password='neu' where id=1"));
    enter(first, tp, QStringLiteral("neu"));
    QCOMPARE(pressAllFour(first, tp, opened), kRefused);
    enter(first, tp, QString());
    QCOMPARE(pressAllFour(first, tp, opened), kOpened);

    // The next start reads it.
    MainWindow second(tp.context(), runStartup(tp.context()), opened.windows());
    opened.expectedParent = &second;
    second.show();
    QCOMPARE(pressAllFour(second, tp, opened), kRefused);
    enter(second, tp, QStringLiteral("neu"));
    QCOMPARE(pressAllFour(second, tp, opened), kOpened);
}

void TestMainWindow::failedStartLocksEveryButton_data() {
    QTest::addColumn<QString>("failure");
    QTest::addColumn<QStringList>("errors");
    // %1: the ini file or the books. The cause is shown once, at start-up.
    QTest::newRow("entry cannot be written")
        << "entry" << QStringList{"无法写入数据源 'bank'：文件 '%1'：Is a directory."};
    QTest::newRow("books unreadable")
        << "books" << QStringList{"无法读取账本 '%1'：file is not a database."};
}

void TestMainWindow::failedStartLocksEveryButton() {
    QFETCH(QString, failure);
    QFETCH(QStringList, errors);
    TestProgram tp(false);
    QString iniPath = tp.odbcIniPath();
    if (failure == QLatin1String("entry")) {
        // The ini file is a folder.
        iniPath = tp.folder() + QStringLiteral("/odbc.ini");
        QVERIFY(QDir().mkpath(iniPath));
        for (QString& e : errors)
            e = e.arg(iniPath);
    } else {
        QFile books(tp.databasePath());
        QVERIFY(books.open(QIODevice::WriteOnly));
        books.write(QByteArray(2048, '\x01'));
        for (QString& e : errors)
            e = e.arg(tp.databasePath());
    }
    const Context context{tp.folder(), tp.books(), iniPath, tp.dialogs, tp.clock};
    OpenedWindows opened;
    MainWindow bank(context, runStartup(context), opened.windows());
    opened.expectedParent = &bank;
    bank.show();
    QCOMPARE(tp.dialogs.errors(), errors);
    tp.dialogs.clear();
    // Whatever is entered, nothing opens: the stored password is unknown.
    QCOMPARE(pressAllFour(bank, tp, opened), kRefused);
    enter(bank, tp, QString());
    QCOMPARE(pressAllFour(bank, tp, opened), kRefused);
    QVERIFY(opened.log.isEmpty());
}

void TestMainWindow::windowThatCannotOpen() {
    TestProgram tp;
    OpenedWindows opened;
    MainWindow::Windows windows = opened.windows();
    windows.loans = [](QWidget*) -> std::unique_ptr<QDialog> {
        throw AppError(QStringLiteral("no such table: borrow"));
    };
    MainWindow bank(tp.context(), QString(), windows);
    opened.expectedParent = &bank;
    bank.show();
    press(bank, QStringLiteral("jd"));
    QCOMPARE(opened.log, QStringList());
    QCOMPARE(tp.dialogs.shown.size(), 1);
    QCOMPARE(tp.dialogs.errors(), QStringList{QStringLiteral("no such table: borrow.")});
    // The main window stays as it was: the other windows still open.
    press(bank, QStringLiteral("sz"));
    QCOMPARE(opened.log, QStringList{QStringLiteral("ledger")});
    QVERIFY(bank.isVisible());
}

void TestMainWindow::logoffCloses() {
    TestProgram tp;
    MainWindow bank(tp.context(), QStringLiteral("secret"), {});
    bank.show();
    QVERIFY(QTest::qWaitForWindowExposed(&bank));
    press(bank, QStringLiteral("logoff"));
    // At once and without a question, password or not.
    QVERIFY(!bank.isVisible());
    QVERIFY(tp.dialogs.shown.isEmpty());
    QVERIFY(tp.dialogs.asked.isEmpty());
}

void TestMainWindow::restoreAfterSecondStart() {
    TestProgram tp;
    MainWindow bank(tp.context(), QString(), {});
    bank.showMinimized();
    QVERIFY(bank.isMinimized());
    bank.restoreAndRaise();
    QVERIFY(!bank.isMinimized());
    QVERIFY(bank.isVisible());
}

void TestMainWindow::hashedPasswordGate_data() {
    QTest::addColumn<QStringList>("entries"); // "<Cancel>" cancels the input box
    QTest::addColumn<bool>("opens");
    QTest::newRow("right") << QStringList{"Pa'ss\\ 密码"} << true;
    QTest::newRow("nothing entered") << QStringList{} << false;
    QTest::newRow("letter case") << QStringList{"pa'ss\\ 密码"} << false;
    QTest::newRow("right, then Cancel") << QStringList{"Pa'ss\\ 密码", kCancel} << false;
    QTest::newRow("wrong, then right") << QStringList{"x", "Pa'ss\\ 密码"} << true;
}

void TestMainWindow::hashedPasswordGate() {
    QFETCH(QStringList, entries);
    QFETCH(bool, opens);
    TestProgram tp;
    password::store(tp.books(), QStringLiteral("Pa'ss\\ 密码"));
    OpenedWindows opened;
    MainWindow bank(tp.context(), runStartup(tp.context()), opened.windows());
    opened.expectedParent = &bank;
    bank.show();
    for (const QString& e : entries)
        enter(bank, tp, e);
    QCOMPARE(pressAllFour(bank, tp, opened), opens ? kOpened : kRefused);
    QCOMPARE(pressAllFour(bank, tp, opened), opens ? kOpened : kRefused);
}

void TestMainWindow::entryVerifiedOnce() {
    TestProgram tp;
    const QString stored = password::hash(QStringLiteral("richtig"));
    QElapsedTimer verify;
    verify.start();
    QVERIFY(password::matches(stored, QStringLiteral("richtig")));
    const qint64 oneCheck = verify.elapsed();

    OpenedWindows opened;
    MainWindow bank(tp.context(), stored, opened.windows());
    opened.expectedParent = &bank;
    bank.show();
    enter(bank, tp, QStringLiteral("richtig"));
    // Twenty presses cost far less than twenty checks of the hash: the entry's answer is kept.
    QElapsedTimer presses;
    presses.start();
    for (int i = 0; i < 5; ++i)
        QCOMPARE(pressAllFour(bank, tp, opened), kOpened);
    QVERIFY2(presses.elapsed() < 5 * oneCheck + 200,
             qPrintable(QStringLiteral("20 presses %1 ms, one check %2 ms")
                            .arg(presses.elapsed())
                            .arg(oneCheck)));
}

void TestMainWindow::passwordSetInSettingsCountsFromNextStart() {
    TestProgram tp;
    tp.exec(QStringLiteral("update user set password='alt' where id=1"));
    OpenedWindows opened;
    MainWindow first(tp.context(), runStartup(tp.context()), opened.windows());
    opened.expectedParent = &first;
    first.show();
    enter(first, tp, QStringLiteral("alt"));
    QCOMPARE(pressAllFour(first, tp, opened), kOpened);

    // The settings page stores a new password: the old one goes on working in this run.
    QCOMPARE(settings::changePassword(tp.books(), QStringLiteral("Neu"), QStringLiteral("Neu")),
             settings::PasswordChange::Stored);
    QCOMPARE(pressAllFour(first, tp, opened), kOpened);
    enter(first, tp, QStringLiteral("Neu"));
    QCOMPARE(pressAllFour(first, tp, opened), kRefused);
    enter(first, tp, QStringLiteral("alt"));
    QCOMPARE(pressAllFour(first, tp, opened), kOpened);

    // After the next start only the new one does.
    MainWindow second(tp.context(), runStartup(tp.context()), opened.windows());
    opened.expectedParent = &second;
    second.show();
    enter(second, tp, QStringLiteral("alt"));
    QCOMPARE(pressAllFour(second, tp, opened), kRefused);
    enter(second, tp, QStringLiteral("neu"));
    QCOMPARE(pressAllFour(second, tp, opened), kRefused);
    enter(second, tp, QStringLiteral("Neu"));
    QCOMPARE(pressAllFour(second, tp, opened), kOpened);
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
