#pragma once

#include <QString>

// The fixed statements over the whole ledger, in the windows' dialect, each written here and
// nowhere else: the six charts of the charts window (reports/logic/chartseries) and the two
// overall sums of the query window (reports/logic/periods) take them from here, and the kept
// totals (data/ledgertotals) register their answers against these same texts.
namespace wholeledger {

// The charts, columns x (label) and y (amount).
inline const QString kByDirection =
    QStringLiteral("select sz as x,sum(money) as y from mysalary group by sz");
inline const QString kByMajorCategory =
    QStringLiteral("select szdl as x,sum(money) as y from mysalary group by szdl");
inline const QString kIncomeByDay =
    QStringLiteral("select left(adddate,7) as x, sum(money) as y  from mysalary where "
                   "sz='收入' group by adddate");
inline const QString kExpenditureByDay =
    QStringLiteral("select left(adddate,7) as x, sum(money) as y  from mysalary where "
                   "sz='支出' group by adddate");
inline const QString kIncomeByMajorCategory =
    QStringLiteral("select szdl as x, sum(money) as y  from mysalary where sz='收入' group "
                   "by szdl");
inline const QString kExpenditureByMajorCategory =
    QStringLiteral("select szdl as x, sum(money) as y  from mysalary where sz='支出' group "
                   "by szdl");

// The overall sums of the query window's totals line.
inline const QString kIncomeSum = QStringLiteral("select sum(money) from mysalary where sz='收入'");
inline const QString kExpenditureSum =
    QStringLiteral("select sum(money) from mysalary where sz='支出'");

} // namespace wholeledger
