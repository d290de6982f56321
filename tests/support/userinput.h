#pragma once

#include <QPoint>
#include <QString>
#include <Qt>

class QWidget;
class QWindow;

// Input as a person gives it at a display. Keys, typed text and mouse clicks enter through
// the window-system interface of the top-level window, so Qt routes them exactly as it routes
// real input: to the focus widget, to the open popup, through shortcuts and event filters.
namespace userinput {

// Shows `window`, makes it the active window and waits until it is; false when it did not
// become active.
bool showActive(QWidget* window);

// The window that receives the keyboard now: the open popup, else the active window.
QWindow* keyWindow();

// Presses and releases one key.
void key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);

// Types `text`: ASCII characters as key presses that carry their text, every other character
// (Chinese, full-width) as an input method commits it to the focus object.
void type(const QString& text);

// Presses and releases `button` at `pos` of `widget` (its centre by default). The click goes
// to the top-level window under the point; Qt passes it on to an open popup first.
void click(QWidget* widget, QPoint pos = QPoint(-1, -1), Qt::MouseButton button = Qt::LeftButton,
           Qt::KeyboardModifiers modifiers = Qt::NoModifier);

// The widget that has the keyboard focus, or null.
QWidget* focusWidget();

} // namespace userinput
