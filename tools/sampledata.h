#pragma once

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
