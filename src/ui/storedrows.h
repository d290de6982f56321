#pragma once

#include <QList>
#include <QStringList>
#include <functional>

class GridModel;

// Reads the rows of an editing grid's table straight from SQLite, one statement for all of
// them, and gives each row as the grid's export writes it. This is what lets a million-row
// ledger be exported in seconds; it shows exactly what the grid shows only while the dataset
// holds no pending change, which streamable() tells.
namespace storedrows {

bool streamable(const GridModel& model);

// Calls `row` with the texts of `columns` (source columns of the model) for every stored row,
// in the grid's order, until it returns false. Throws AppError when the statement fails.
void stream(const GridModel& model, const QList<int>& columns,
            const std::function<bool(const QStringList& fields)>& row);

} // namespace storedrows
