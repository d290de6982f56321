#pragma once

#include "app/mainwindow.h"

// The windows that the main window opens, as the program ships them.
MainWindow::Windows programWindows(const Context& context);
