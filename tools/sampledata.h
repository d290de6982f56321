#pragma once

#include <QString>

// Fills a fresh database with a few weeks of a household's books: ledger entries, loans and
// deposits, for screenshots.
void fillSampleBooks(const QString& databasePath);
