#pragma once

#include <QDateTime>
#include <QString>
#include <array>

class QueryDataset;

// The four periods of the query window, the texts that identify them, the statements that
// select, sum and analyse a period's ledger entries, and the texts of the totals line.
namespace periods {

enum class Period { Day, Month, Quarter, Year };

// What a statement returns for a period.
enum class StatementKind {
    IncomeSum,
    ExpenditureSum,
    AllEntries,
    // All entries as the day page's refresh button writes them (the day's text differs by a
    // blank; for the other periods it is the same text as AllEntries).
    RefreshedEntries,
    IncomeEntries,
    ExpenditureEntries,
    Analysis,
};

// The key of one period, inserted into statements as it is: the day "yyyy-MM-dd", the month
// "yyyy-MM" or the year "yyyy" in `first`; for a quarter its first and last day.
struct PeriodKey {
    QString first;
    QString last;
};

// The periods that contain a moment.
struct CurrentPeriod {
    QString day;   // "yyyy-MM-dd"
    QString month; // "yyyy-MM"
    QString year;  // "yyyy"
    int monthNumber = 1;
    int quarter = 1;
};

// The quarter (1 to 4) that a month (1 to 12) belongs to.
int quarterOfMonth(int month);

// The day, month, year, month number and quarter of `now` (local time).
CurrentPeriod currentPeriod(const QDateTime& now);

// The first and last day of quarter `quarter` of `year`; the year text is used unchanged.
// Throws AppError when the quarter is not 1 to 4.
PeriodKey quarterBounds(const QString& year, int quarter);

// The bounds of a quarter whose year the user typed. A year text that makes no date ("",
// "1", "+2004", "2005-03") gives an empty period: the bounds are compared as texts, so used
// as they are such a year could select days of another period ("2005-03" and quarter 4 would
// select 2005-03-10 to 2005-03-12). Its bounds are swapped instead, and no text lies between.
// Throws AppError when the quarter is not 1 to 4.
PeriodKey chosenQuarterBounds(const QString& year, int quarter);

// Whether `year` is the text of a year in a date: four digits, 0001 to 9999.
bool isYearText(const QString& year);

// The statement of `kind` for the period `key` of `period`.
QString periodSql(Period period, StatementKind kind, const PeriodKey& key);

// The word in front of the totals line when a page is entered: "今日", "月", "季度", "年度".
QString prefixWord(Period period);

// The two sum statements behind a totals line.
struct SumStatements {
    QString income;
    QString expenditure;
};
// The sums of one period.
SumStatements periodSums(Period period, const PeriodKey& key);
// The sums over the whole ledger.
SumStatements overallSums();

// The three totals, each formatted "0.00".
struct Totals {
    QString income;
    QString expenditure;
    QString balance;
};

// Runs the income sum, then the expenditure sum on `query` (each replaced, opened, read as a
// number and closed; an empty sum reads as 0) and derives the balance from the two totals as
// rounded to two decimals. Throws AppError from the data layer, or naming the row whose stored
// amount would spoil a sum (checkedsum::readSum); `query` is left closed.
Totals computeTotals(QueryDataset& query, const SumStatements& sums);

// The texts of the three status-bar panels, left to right.
using TotalsLine = std::array<QString, 3>;

// "<prefix>收入：…元", "<prefix>支出：…元", "<prefix>余额：…元"; the prefix may be empty.
TotalsLine totalsLine(const QString& prefix, const Totals& totals);
// "总收入：…元", "总支出：…元", "余额：…元".
TotalsLine overallTotalsLine(const Totals& totals);

} // namespace periods
