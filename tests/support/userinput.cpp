#include "support/userinput.h"

#include <QApplication>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QTest>
#include <QWidget>
#include <QWindow>

namespace userinput {

bool showActive(QWidget* window) {
    window->show();
    if (!QTest::qWaitForWindowExposed(window))
        return false;
    window->activateWindow();
    const bool active = QTest::qWaitForWindowActive(window);
    QCoreApplication::processEvents();
    return active;
}

QWindow* keyWindow() {
    if (QWidget* popup = QApplication::activePopupWidget())
        if (QWindow* w = popup->windowHandle())
            return w;
    if (QWindow* w = QGuiApplication::focusWindow())
        return w;
    if (QWidget* active = QApplication::activeWindow())
        return active->windowHandle();
    return nullptr;
}

void key(Qt::Key k, Qt::KeyboardModifiers modifiers) {
    QWindow* w = keyWindow();
    QVERIFY2(w, "no window holds the keyboard");
    QTest::keyClick(w, k, modifiers);
    QCoreApplication::processEvents();
}

namespace {

// The key code a keyboard sends with an ASCII character.
Qt::Key keyOf(QChar c) {
    if (c == u' ')
        return Qt::Key_Space;
    return Qt::Key(c.toUpper().unicode());
}

void commitText(const QString& text) {
    QObject* target = QGuiApplication::focusObject();
    QVERIFY2(target, "nothing has the focus to take the typed text");
    QInputMethodEvent commit;
    commit.setCommitString(text);
    QCoreApplication::sendEvent(target, &commit);
    QCoreApplication::processEvents();
}

} // namespace

void type(const QString& text) {
    for (const QChar c : text) {
        if (c.unicode() >= 0x20 && c.unicode() < 0x7f) {
            QWindow* w = keyWindow();
            QVERIFY2(w, "no window holds the keyboard");
            const Qt::KeyboardModifiers mods =
                c.isUpper() ? Qt::ShiftModifier : Qt::KeyboardModifiers();
            QTest::sendKeyEvent(QTest::Click, w, keyOf(c), QString(c), mods);
            QCoreApplication::processEvents();
        } else {
            commitText(QString(c));
        }
    }
}

void click(QWidget* widget, QPoint pos, Qt::MouseButton button, Qt::KeyboardModifiers modifiers) {
    QVERIFY(widget);
    if (pos == QPoint(-1, -1))
        pos = widget->rect().center();
    const QPoint global = widget->mapToGlobal(pos);
    // The window under the point: a popup when the point is on one, else the widget's own.
    QWindow* target = widget->window()->windowHandle();
    if (QWidget* popup = QApplication::activePopupWidget();
        popup && popup->frameGeometry().contains(global))
        target = popup->windowHandle();
    QVERIFY2(target, "the widget is not on screen");
    QTest::mouseClick(target, button, modifiers, target->mapFromGlobal(global));
    QCoreApplication::processEvents();
}

QWidget* focusWidget() {
    return QApplication::focusWidget();
}

} // namespace userinput
