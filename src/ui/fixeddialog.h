#pragma once

#include <Qt>

class QDialog;
class QWidget;

// The frame of a fixed-size dialog window: a title bar with a system menu and a close box,
// no minimise or maximise button.
Qt::WindowFlags fixedDialogFlags();

// Moves a window so that its client area stands in the middle of its screen.
void centreOnScreen(QWidget* window);

// Keeps `window` open when Esc reaches it: a window closes by its 关闭 button or its close box
// only. Esc still closes an open list or calendar and leaves a cell edit, since those take the
// key before the window sees it. A modal window also stays in view: a window manager that
// offers to minimise it anyway (some ignore the absent minimise button) gets it back at once,
// since the window behind it takes no input until it closes.
void keepOpenAndInView(QDialog* window);
