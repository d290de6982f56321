// Esc never closes a window: every window of the program stays open when Esc reaches it, with
// the focus on a button or on its grid, and still closes by its close box.
#include "ledger/ledgerwindow.h"
#include "registers/loanswindow.h"
#include "registers/savingswindow.h"
#include "reports/chartswindow.h"
#include "reports/querywindow.h"
#include "settings/settingswindow.h"
#include "support/testprogram.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QTest>
#include <QWindow>
#include <functional>
#include <memory>

namespace {

using MakeWindow = std::function<std::unique_ptr<QDialog>(const Context&)>;

const QHash<QString, MakeWindow>& windowMakers() {
    static const QHash<QString, MakeWindow> makers{
        {QStringLiteral("ledger"),
         [](const Context& c) {
             return std::make_unique<LedgerWindow>(c, WindowFactory{}, WindowFactory{});
         }},
        {QStringLiteral("savings"),
         [](const Context& c) { return std::make_unique<SavingsWindow>(c); }},
        {QStringLiteral("loans"),
         [](const Context& c) { return std::make_unique<LoansWindow>(c); }},
        {QStringLiteral("query"),
         [](const Context& c) { return std::make_unique<QueryWindow>(c); }},
        {QStringLiteral("charts"),
         [](const Context& c) { return std::make_unique<ChartsWindow>(c); }},
        {QStringLiteral("settings"),
         [](const Context& c) { return std::make_unique<SettingsWindow>(c); }},
    };
    return makers;
}

} // namespace

class TestWindowEscape : public QObject {
    Q_OBJECT
private slots:
    void escapeKeepsWindowOpen_data();
    void escapeKeepsWindowOpen();
    void modalWindowStaysInView();
    void chartsWindowKeepsRoomForItsLabels();
};

void TestWindowEscape::escapeKeepsWindowOpen_data() {
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("focus"); // "button" or "grid"
    const QStringList names{"ledger", "savings", "loans", "query", "charts", "settings"};
    for (const QString& name : names)
        QTest::newRow(qPrintable(name + "/button")) << name << "button";
    for (const QString& name : {"ledger", "savings", "loans"})
        QTest::newRow(qPrintable(QString(name) + "/grid")) << QString(name) << "grid";
}

void TestWindowEscape::escapeKeepsWindowOpen() {
    QFETCH(QString, window);
    QFETCH(QString, focus);
    TestProgram program;
    std::unique_ptr<QDialog> w = windowMakers().value(window)(program.context());
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w.get()));

    QWidget* target = nullptr;
    if (focus == QLatin1String("grid")) {
        target = w->findChild<QAbstractItemView*>();
    } else {
        // A button the user can tab to; the charts window has none, its page tabs then.
        const auto focusable = [](QWidget* c) {
            return c->isVisible() && (c->focusPolicy() & Qt::TabFocus);
        };
        for (QAbstractButton* b : w->findChildren<QAbstractButton*>())
            if (!target && focusable(b))
                target = b;
        for (QWidget* c : w->findChildren<QWidget*>())
            if (!target && focusable(c))
                target = c;
    }
    QVERIFY(target);
    target->setFocus(Qt::OtherFocusReason);
    QTRY_VERIFY(target->hasFocus() || target->isAncestorOf(QApplication::focusWidget()));

    // Twice: the first may end a cell edit, the second then reaches the window.
    QTest::keyClick(w->windowHandle(), Qt::Key_Escape);
    QTest::keyClick(w->windowHandle(), Qt::Key_Escape);
    QTest::qWait(20);
    QVERIFY2(w->isVisible(), "Esc closed the window");
    QCOMPARE(w->result(), 0);

    // The close box still closes it.
    QVERIFY(w->close());
    QVERIFY(!w->isVisible());
}

void TestWindowEscape::modalWindowStaysInView() {
    TestProgram program;
    SavingsWindow w(program.context());
    w.setWindowModality(Qt::ApplicationModal);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.setWindowState(Qt::WindowMinimized);
    QTRY_VERIFY(!(w.windowState() & Qt::WindowMinimized));
    QVERIFY(w.isVisible());
}

void TestWindowEscape::chartsWindowKeepsRoomForItsLabels() {
    TestProgram program;
    ChartsWindow w(program.context());
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.resize(100, 80);
    QVERIFY(w.width() >= 420);
    QVERIFY(w.height() >= 340);
}

QTEST_MAIN(TestWindowEscape)
#include "tst_windowescape.moc"
