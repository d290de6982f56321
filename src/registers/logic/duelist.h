#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

// What falls due on a day: deposits that mature soon or matured lately, loans past their
// promised repayment date and not marked repaid, and recurring entries waiting. Pure
// functions of the stored rows and the day.
namespace duelist {

// A deposit as the savings register keeps it.
struct Deposit {
    QString bankuser;
    QString bankname;
    double amountDue = 0; // totalmoney
    QDate maturity;       // enddate
};

// A loan as the loans register keeps it.
struct Loan {
    QString action; // 借给别人 or 问别人借
    QString listman;
    double money = 0;
    QDate hopedate;
    bool repaid = false; // flag
};

// How far back a matured deposit is still told, in days.
inline constexpr int kDaysBack = 30;

struct DueList {
    QStringList deposits; // one line per deposit, soonest maturity first
    QStringList loans;    // one line per loan, oldest promised date first
    int schedules = 0;    // recurring entries waiting for the ledger
    bool isEmpty() const { return deposits.isEmpty() && loans.isEmpty() && schedules == 0; }
};

// Deposits maturing from `today` − kDaysBack to `today` + `daysAhead` (both included); loans
// of either direction whose promised date lies before `today` and that are not repaid.
DueList dueOn(const QDate& today, int daysAhead, QList<Deposit> deposits, QList<Loan> loans,
              int schedulesWaiting);

// The line of one deposit: "张伟 中国银行 10150.00元 2026-12-20 到期" (or "已于 … 到期").
QString depositLine(const Deposit& d, const QDate& today);
// The line of one loan: "借给 张伟 1500.00元，预还款日期 2026-11-01".
QString loanLine(const Loan& l);

} // namespace duelist
