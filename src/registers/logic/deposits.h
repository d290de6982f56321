#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <optional>

// The deposit kinds of the savings register and the figures derived for a deposit: the
// interest rule, the interest tax, the amount due and the maturity date. Pure functions.
namespace deposits {

// How a deposit is paid in and drawn out.
enum class Scheme {
    LumpSum,     // 整存整取: paid in at once, drawn out at once at maturity
    Instalments, // 零存整取: paid in by equal monthly instalments, drawn out at maturity
    Withdrawals, // 整存零取: paid in at once, drawn back in equal monthly parts
};

// One of the twelve deposit kinds: its exact name, its term in months and its scheme.
struct Kind {
    QString name;
    int months;
    Scheme scheme;
};

// The twelve kinds, in the order the books are seeded with.
const QList<Kind>& kinds();
// The kind whose name is exactly `name` (no trimming, no case folding); nothing otherwise.
std::optional<Kind> kindNamed(const QString& name);

// The interest of `amount` yuan deposited for `months` months at `ratePercent` a year under
// `scheme`, unrounded (the rule of the README's interest table). A term of 0 or less earns
// nothing.
double interest(Scheme scheme, double amount, double ratePercent, int months);

// `value` rounded to two decimals, halves away from zero on its decimal form, at any size
// (the rounding of the amount formats).
double roundCents(double value);

// The maturity date: 30 days for each month of the term (a one-year deposit matures 360 days
// after the deposit date); a term of 0 matures on the deposit date itself.
QDate maturityDate(const QDate& depositDate, int months);

// What a committed kind writes into its row.
struct Figures {
    double rate = 0;     // 利率, the kind's rate as stored
    QDate maturity;      // 到期日期
    double interest = 0; // 利息, rounded to two decimals
    double tax = 0;      // 利息税: the rounded interest times the tax rate, rounded
    double total = 0;    // 总金额: amount + interest - tax, not rounded again
};

// The figures of a deposit of `amount` made on `depositDate`, of a kind with `scheme`, term
// `months` and rate `ratePercent`, under the interest tax rate `taxPercent`.
Figures figures(Scheme scheme, int months, double ratePercent, double amount,
                const QDate& depositDate, double taxPercent);

} // namespace deposits
