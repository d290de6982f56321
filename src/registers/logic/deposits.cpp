#include "registers/logic/deposits.h"

#include "data/formats.h"

#include <cmath>

namespace deposits {

const QList<Kind>& kinds() {
    static const QList<Kind> all{
        {QStringLiteral("整存整取三个月"), 3, Scheme::LumpSum},
        {QStringLiteral("整存整取半年"), 6, Scheme::LumpSum},
        {QStringLiteral("整存整取一年"), 12, Scheme::LumpSum},
        {QStringLiteral("整存整取二年"), 24, Scheme::LumpSum},
        {QStringLiteral("整存整取三年"), 36, Scheme::LumpSum},
        {QStringLiteral("整存整取五年"), 60, Scheme::LumpSum},
        {QStringLiteral("整存零取一年"), 12, Scheme::Withdrawals},
        {QStringLiteral("整存零取三年"), 36, Scheme::Withdrawals},
        {QStringLiteral("整存零取五年"), 60, Scheme::Withdrawals},
        {QStringLiteral("零存整取一年"), 12, Scheme::Instalments},
        {QStringLiteral("零存整取三年"), 36, Scheme::Instalments},
        {QStringLiteral("零存整取五年"), 60, Scheme::Instalments},
    };
    return all;
}

std::optional<Kind> kindNamed(const QString& name) {
    for (const Kind& k : kinds())
        if (k.name == name)
            return k;
    return std::nullopt;
}

double interest(Scheme scheme, double amount, double ratePercent, int months) {
    if (months <= 0)
        return 0;
    const double n = months;
    const double monthlyRate = ratePercent / 100 / 12;
    switch (scheme) {
    case Scheme::LumpSum:
        // The whole amount earns the yearly rate for n/12 years.
        return amount * ratePercent / 100 * n / 12;
    case Scheme::Instalments:
        // Instalment k (of P/n) stands for n - k + 1 months: n(n+1)/2 instalment-months.
        return (amount / n) * monthlyRate * n * (n + 1) / 2;
    case Scheme::Withdrawals:
        // The balance falls from P to P/n in even steps: on average (P + P/n)/2 for n months.
        return (amount + amount / n) / 2 * n * monthlyRate;
    }
    return 0;
}

double roundCents(double value) {
    return formats::rounded(value, 2);
}

QDate maturityDate(const QDate& depositDate, int months) {
    return depositDate.addDays(qint64(30) * months);
}

Figures figures(Scheme scheme, int months, double ratePercent, double amount,
                const QDate& depositDate, double taxPercent) {
    Figures f;
    f.rate = ratePercent;
    f.maturity = maturityDate(depositDate, months);
    f.interest = roundCents(interest(scheme, amount, ratePercent, months));
    f.tax = roundCents(f.interest * taxPercent / 100);
    f.total = amount + f.interest - f.tax;
    return f;
}

} // namespace deposits
