#pragma once

#include <QLoggingCategory>

// The program's log categories, written to standard error: failures the user cannot act on
// (a speed-up that could not be added, a permission that could not be narrowed) are recorded
// here instead of being dropped. QT_LOGGING_RULES="teloq.*=false" silences them.
Q_DECLARE_LOGGING_CATEGORY(lcApp)  // teloq.app: start-up, the program's folders and settings
Q_DECLARE_LOGGING_CATEGORY(lcData) // teloq.data: the books, their files and statements
Q_DECLARE_LOGGING_CATEGORY(lcUi)   // teloq.ui: windows, grids and their editors
