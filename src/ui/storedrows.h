#pragma once

#include <QList>
#include <QStringList>
#include <functional>

class CsvWriter;
class GridModel;

// Reads the rows of an editing grid's table straight from SQLite, one statement for all of
// them, and gives each row as the grid's export writes it. This is what lets a million-row
// ledger be exported in seconds; it shows exactly what the grid shows only while the dataset
// holds no pending change, which streamable() tells.
namespace storedrows {

bool streamable(const GridModel& model);

// Writes the texts of `columns` (source columns of the model) of every stored row, in the
// grid's order, as records of `csv`, asking `afterRow` after each whether to go on. Throws
// AppError when the statement fails.
void stream(const GridModel& model, const QList<int>& columns, CsvWriter& csv,
            const std::function<bool()>& afterRow);

} // namespace storedrows
