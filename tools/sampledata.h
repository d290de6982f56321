#pragma once

#include "import/billfile.h"

#include <QByteArray>
#include <QString>

// Fills a fresh database with a few weeks of a household's books: ledger entries, loans and
// deposits, for screenshots.
void fillSampleBooks(const QString& databasePath);

// Adds a year of monthly income and expenditure before the sample weeks, so that charts over
// months have a course to show.
void fillSampleYear(const QString& databasePath);

// Adds recurring entries: salary, rent and the phone bill entered up to December, and the
// property fee and the weekly milk still due on the sample day (three ledger rows).
void fillSampleSchedules(const QString& databasePath);

// A month's Alipay bill as its reader hands it over: spending with and without a category the
// mapping table knows, an income, a move between the user's own pockets, a closed trade and a
// partly refunded purchase.
bills::BillFile sampleBill();
// A month's statement of a bank no reader knows, as a CSV for the mapping step.
QByteArray sampleStatementCsv();
