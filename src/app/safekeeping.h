#pragma once

#include <QDate>
#include <QString>

class Dialogs;

// What start-up does with existing books before anything writes them: check them, and copy
// them into the day's backup (both skipped when the books have not changed since the day's
// copy was made). Returns false when the books are damaged: the user has been
// told which file it is and which backup is the newest sound one, and nothing may write the
// books in this run. A backup that fails is reported once and start-up goes on.
bool safeguardBooks(const QString& booksPath, const QDate& today, Dialogs& dialogs);
