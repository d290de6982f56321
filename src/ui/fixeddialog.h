#pragma once

#include <Qt>

class QWidget;

// The frame of a fixed-size dialog window: a title bar with a system menu and a close box,
// no minimise or maximise button.
Qt::WindowFlags fixedDialogFlags();

// Moves a window so that its client area stands in the middle of its screen.
void centreOnScreen(QWidget* window);
