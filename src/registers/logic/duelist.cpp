#include "registers/logic/duelist.h"

#include <algorithm>

namespace duelist {
namespace {

const QString kDate = QStringLiteral("yyyy-MM-dd");

QString amount(double v) {
    return QString::number(v, 'f', 2) + QStringLiteral("元");
}

} // namespace

QString depositLine(const Deposit& d, const QDate& today) {
    const QString when = d.maturity < today
                             ? QStringLiteral("已于 %1 到期").arg(d.maturity.toString(kDate))
                             : QStringLiteral("%1 到期").arg(d.maturity.toString(kDate));
    return QStringLiteral("%1 %2 %3 %4").arg(d.bankuser, d.bankname, amount(d.amountDue), when);
}

QString loanLine(const Loan& l) {
    const QString who = l.action == QStringLiteral("借给别人")
                            ? QStringLiteral("借给 %1").arg(l.listman)
                            : QStringLiteral("欠 %1").arg(l.listman);
    return QStringLiteral("%1 %2，预还款日期 %3")
        .arg(who, amount(l.money), l.hopedate.toString(kDate));
}

DueList dueOn(const QDate& today, int daysAhead, QList<Deposit> deposits, QList<Loan> loans,
              int schedulesWaiting) {
    DueList out;
    const QDate from = today.addDays(-kDaysBack);
    const QDate to = today.addDays(std::max(daysAhead, 0));
    deposits.erase(std::remove_if(deposits.begin(), deposits.end(),
                                  [&](const Deposit& d) {
                                      return !d.maturity.isValid() || d.maturity < from ||
                                             d.maturity > to;
                                  }),
                   deposits.end());
    std::stable_sort(deposits.begin(), deposits.end(),
                     [](const Deposit& a, const Deposit& b) { return a.maturity < b.maturity; });
    for (const Deposit& d : deposits)
        out.deposits << depositLine(d, today);

    loans.erase(std::remove_if(loans.begin(), loans.end(),
                               [&](const Loan& l) {
                                   const bool direction = l.action == QStringLiteral("借给别人") ||
                                                          l.action == QStringLiteral("问别人借");
                                   return !direction || l.repaid || !l.hopedate.isValid() ||
                                          l.hopedate >= today;
                               }),
                loans.end());
    std::stable_sort(loans.begin(), loans.end(),
                     [](const Loan& a, const Loan& b) { return a.hopedate < b.hopedate; });
    for (const Loan& l : loans)
        out.loans << loanLine(l);
    out.schedules = std::max(schedulesWaiting, 0);
    return out;
}

} // namespace duelist
