#pragma once

#include <QDialog>
#include <functional>
#include <memory>

class Dialogs;

// Creates a new instance of a window, parented to `parent`; may throw AppError when the
// window's datasets cannot be opened (the window is then not shown at all).
using WindowFactory = std::function<std::unique_ptr<QDialog>(QWidget* parent)>;

// Creates a window from `factory` and shows it modally, returning when it closes. An error
// while creating it is shown as the standard error box. An empty factory does nothing.
// True when the window was shown.
bool openWindow(const WindowFactory& factory, QWidget* parent, Dialogs& dialogs);
