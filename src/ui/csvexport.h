#pragma once

#include <QString>
#include <Qt>
#include <functional>

class Dialogs;
class QTableView;

// The model role in which a grid gives a cell as an export writes it: amounts as plain
// numbers, every other value as the text the grid shows. Models that do not answer it are
// exported with their display texts.
inline constexpr int kExportRole = Qt::UserRole + 0x4353;

// Asked after each block of rows with the rows written and the rows known so far (a grid that
// fetches as it scrolls knows more as the export goes on); false cancels the export.
using ExportProgress = std::function<bool(qint64 done, qint64 known)>;

// Writes every row of `grid`, also those it has not fetched yet, to `path` as CSV: the columns
// it shows in the order it shows them, their titles first. Rows are streamed: a grid that keeps
// only a window of its rows keeps doing so. Returns false when `progress` cancelled it; then no
// file is left behind and a file already at `path` is as it was. Throws AppError when the file
// cannot be written, with the same guarantee.
bool writeGridCsv(QTableView& grid, const QString& path, const ExportProgress& progress = {});

// Gives `grid` the context-menu entry "导出为 CSV…": it asks for a file and writes the grid to
// it under a progress dialog that can cancel it. Errors go to the standard error box.
void addCsvExport(QTableView* grid, Dialogs& dialogs);
