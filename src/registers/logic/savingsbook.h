#pragma once

#include "registers/logic/deposits.h"

#include <QList>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <optional>
#include <utility>

class QueryDataset;

// The savings register's work against the books: looking a kind up in bankinterest, deriving
// a row's figures when a kind is committed, and the three totals of the stored deposits.
namespace deposits {

// A kind's row of bankinterest: its term in months and its rate in percent.
struct Terms {
    int months = 0;
    double rate = 0;
};

// Reads the term and rate of the kind named exactly `name` from bankinterest, with one
// statement that takes the name as a bound value. Nothing when the table has no row of that
// name. NULL cells read as 0. Throws AppError with the data layer's text.
std::optional<Terms> lookupTerms(QueryDataset& query, const QString& name);

// How the derivation looks a kind up (lookupTerms over the window's query, or a stand-in).
using TermsLookup = std::function<std::optional<Terms>(const QString& name)>;

// The figures of a row whose kind cell is committed with `kindText`. `depositDate` and
// `amount` are the row's cells as stored: a date as "yyyy-MM-dd" text (or a QDate), an amount
// as a number (or its text). When either is empty or not a valid value, nothing is derived
// (the kind is stored as typed, unchecked). Otherwise `kindText` must be one of the twelve
// names, or AppError("'<text>' 不是已知的储蓄类型") is thrown before anything is looked up. A
// kind without its row in bankinterest reads as term 0 and rate 0. `taxPercent` is the
// interest tax rate read when the window opened.
std::optional<Figures> derive(const QVariant& depositDate, const QVariant& amount,
                              const QString& kindText, const TermsLookup& lookup,
                              double taxPercent);

// The cells that derived figures fill in a row of `saving`, as (field, value) pairs in the
// order they are written: 利率, 到期日期 (as "yyyy-MM-dd" text), 利息, 利息税, 总金额.
QList<std::pair<QString, QVariant>> derivedCells(const Figures& figures);

// A cell as a deposit date or an amount: nothing when it is empty or not a valid value.
std::optional<QDate> dateOf(const QVariant& cell);
std::optional<double> amountOf(const QVariant& cell);

// The interest tax rate of the books: the first row of "select interesttax from tax", 0 when
// the table has no row or the value is empty.
double readTaxRate(QueryDataset& query);

// The three panels of the savings totals line over the stored deposits: "存入金额：…元",
// "利息：…元", "到期金额：…元", each sum as plain decimal text, "0" when there is none.
QStringList totalsTexts(QueryDataset& totalsQuery);

} // namespace deposits
