#pragma once

#include <QList>
#include <functional>

class CsvWriter;
class GridModel;

// Writes the stored rows of an editing grid's table (data/storedrows) as the grid's export
// writes them: each field in its column's export text, texts shown as stored byte for byte.
namespace storedexport {

// Whether the grid's dataset can be exported from its stored rows (nothing pending).
bool streamable(const GridModel& model);

// Writes the texts of `columns` (source columns of the model) of every stored row, in the
// grid's order, as records of `csv`, asking `afterRow` after each whether to go on. Throws
// AppError when the statement fails.
void stream(const GridModel& model, const QList<int>& columns, CsvWriter& csv,
            const std::function<bool()>& afterRow);

} // namespace storedexport
