#pragma once

#include "import/billfile.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <array>
#include <functional>
#include <optional>
#include <utility>

// The table inside a payment-app bill, wherever it comes from (CSV lines or spreadsheet rows):
// found by its header cells, read row by row into BillRows, with the preamble and the summary
// around it kept for the totals the bill states.
namespace bills {

// One line of a bill's table as read: where it starts, its text and its cells as written.
struct TableLine {
    int line = 0;           // 1-based line (CSV) or row (spreadsheet)
    QString text;           // the line as written (a quoted cell's line breaks included)
    QStringList cells;      // the cells, not trimmed
    bool ended = true;      // the line has its line end (false only for a file's last line)
    bool openQuote = false; // the file ends inside a quoted cell of this line
    bool sparse = false;    // a spreadsheet row: the cells it leaves out are empty ones
};

// The lines of a CSV text; a quoted cell that holds line breaks keeps its line in one.
QList<TableLine> csvTableLines(const QString& text);

// What a header cell names.
enum class Column {
    Time,
    Kind,
    Counterparty,
    Goods,
    Direction,
    Amount,
    Method,
    Status,
    TransactionNo,
    MerchantNo,
    Note,
    Refunded,
    FundStatus,
    Count
};

// The cleaned cell of each column of one row ("" for columns the layout has not).
using RowValues = std::array<QString, static_cast<size_t>(Column::Count)>;

inline const QString& value(const RowValues& values, Column column) {
    return values[static_cast<size_t>(column)];
}

// One layout of a bill: the header cells that make it (all must be there) and what each names.
struct TableLayout {
    Source source = Source::Alipay;
    QString name;                             // for messages and tests
    QList<std::pair<QString, Column>> header; // header texts as written in the file
    bool summaryAfterData = false;            // a line of dashes and a summary end the data
    // Completes a row from its values (direction, refunds, per source); a text says why the row
    // cannot be read.
    std::function<std::optional<QString>(BillRow&, const RowValues&)> finish;
};

// The index in `lines` of the layout's header line, or -1 when it has none.
int findHeader(const QList<TableLine>& lines, const TableLayout& layout);

// Reads the rows after the header at `headerIndex` up to a line of dashes or the end; blank
// lines are passed over. A row that cannot be read goes to BillFile::unreadable with its line
// and the reason. The totals the bill states are taken from the lines before the header and
// after the data. Throws AppError naming `fileName` when the file is cut short (it ends inside
// a row, or the summary that must follow the data is missing) or holds no rows at all.
BillFile readTable(const QString& fileName, const QList<TableLine>& lines, int headerIndex,
                   const TableLayout& layout);

// Whether a table line ends the data (a line of dashes).
bool isEndMarker(const TableLine& line);
// Whether every cell of a line is blank.
bool isBlankLine(const TableLine& line);

} // namespace bills
