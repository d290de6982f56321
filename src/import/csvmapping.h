#pragma once

#include "import/billfile.h"

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// Any other CSV (another bank, a spreadsheet of one's own) read through a column mapping the
// user confirms once; the mapping is kept under a name and recognised by the file's header.
namespace bills {

// How a mapped CSV states its amounts.
enum class AmountStyle {
    Signed,             // one column, the sign tells the direction
    IncomeExpense,      // separate income and expenditure columns
    AmountAndDirection, // an amount column and a column whose text tells the direction
};

// Which column holds what, counted from 0; -1 where the file has no such column.
struct CsvMapping {
    QString name;                               // what the user calls it
    QString encoding = QStringLiteral("UTF-8"); // "UTF-8" or "GBK"
    int headerRow = 0;                          // 0-based physical line of the header
    QString header; // the header as headerKey() writes it, to recognise it
    int dateColumn = -1;
    QString dateFormat; // a Qt date format ("MM/dd/yyyy"); empty: the usual forms
    AmountStyle amountStyle = AmountStyle::Signed;
    int amountColumn = -1;        // Signed and AmountAndDirection
    bool positiveIsIncome = true; // Signed: false for card statements where spending is +
    int incomeColumn = -1;        // IncomeExpense
    int expenseColumn = -1;       // IncomeExpense
    int directionColumn = -1;     // AmountAndDirection
    QStringList incomeTexts;      // direction texts meaning income
    QStringList expenseTexts;     // direction texts meaning expenditure; empty: all others
    QList<int> remarkColumns;     // joined with a blank into the goods
    int counterpartyColumn = -1;
    int transactionNoColumn = -1;
    int balanceColumn = -1;
};

// The cells of one line of `text`, cleaned (blanks, TABs, ="…" wrappers off).
QStringList cleanCells(const QString& line);
// A header as one text: its cleaned cells joined by commas, empty cells at the end dropped.
QString headerKey(const QStringList& cells);
// The text of `bytes` in the mapping's encoding (a UTF-8 byte-order mark is dropped).
QString decodeAs(const QByteArray& bytes, const QString& encoding);

// Whether `bytes` look like a CSV table at all: text (no NUL bytes), and a line with at least
// two cells within the first lines.
bool looksLikeCsvTable(const QByteArray& bytes);

// A mapping guessed for `bytes`: the encoding (UTF-8 when valid, else GBK), the header row (the
// first line whose cells look like titles: at least two, none a number or a date) and the
// columns from the usual Chinese and English titles (日期/交易日期/Date, 金额/Amount, 收入/支出,
// 收/支, 摘要/备注/Memo, 对方户名/Payee, 余额/Balance, 流水号/Reference). The user confirms it.
CsvMapping guessMapping(const QByteArray& bytes);

// What a mapping lacks to be read with (no date column, no amount column, …); empty when
// nothing.
QString mappingProblem(const CsvMapping& mapping);

// The titles of the columns at the mapping's header row, cleaned (for the mapping step's
// choices); empty when the file has no such row.
QStringList columnTitles(const QByteArray& bytes, const CsvMapping& mapping);
// The header `bytes` have at the mapping's header row, as headerKey() writes it.
QString headerOf(const QByteArray& bytes, const CsvMapping& mapping);
// The first of `mappings` whose header is the header of `bytes`.
std::optional<CsvMapping> mappingFor(const QByteArray& bytes, const QList<CsvMapping>& mappings);

// Reads the rows under the mapping's header. Every non-blank line becomes a row or an
// unreadable entry (no date, no amount, an unknown direction text). A date format without a
// year (MM/dd) takes the latest such day not after `reference` (card statements crossing New
// Year). Rows without a transaction number get none here: see addFingerprints().
BillFile readMappedCsv(const QByteArray& bytes, const CsvMapping& mapping,
                       const QDate& reference = QDate::currentDate());

// A mapping as compact JSON text, and back; AppError when the text is no mapping.
QString mappingToJson(const CsvMapping& mapping);
CsvMapping mappingFromJson(const QString& json);

} // namespace bills
