#include "reports/logic/periods.h"

#include "data/checkedsum.h"
#include "data/formats.h"
#include "data/querydataset.h"
#include "data/wholeledger.h"
#include "platform/apperror.h"

#include <utility>

namespace periods {
namespace {

const QString kAnalysisHead = QStringLiteral(
    "select sz,szdl,szxl,count(szxl) as CountSZ,sum(money) as SumSZ,avg(money) as AvgSZ "
    "from mysalary where ");
const QString kAnalysisTail = QStringLiteral("group by sz,szdl,szxl order by sz,szdl");
const QString kIncome = QStringLiteral("收入");
const QString kExpenditure = QStringLiteral("支出");
const QString kNewestFirst = QStringLiteral(" order by adddate desc");

// The condition that selects a period's entries, written as every statement writes it; the
// statements around it differ in their blanks, which the functions below keep exactly.
QString dayTest(const PeriodKey& k) {
    return QStringLiteral("adddate=#") + k.first + u'#';
}

QString monthTest(const PeriodKey& k) {
    return QStringLiteral("left(adddate,7)='") + k.first + u'\'';
}

QString yearTest(const PeriodKey& k) {
    return QStringLiteral("left(adddate,4)='") + k.first + u'\'';
}

QString quarterTest(const PeriodKey& k) {
    return QStringLiteral("adddate >= #") + k.first + QStringLiteral("# and adddate<= #") + k.last +
           u'#';
}

QString periodTest(Period period, const PeriodKey& key) {
    switch (period) {
    case Period::Day:
        return dayTest(key);
    case Period::Month:
        return monthTest(key);
    case Period::Quarter:
        return quarterTest(key);
    case Period::Year:
        return yearTest(key);
    }
    return {};
}

QString sumSql(Period period, const QString& direction, const PeriodKey& key) {
    // The quarter and year income sums carry a second blank after "sum(money)".
    const bool wide = direction == kIncome && (period == Period::Quarter || period == Period::Year);
    QString sql = wide ? QStringLiteral("select sum(money)  from mysalary where sz='")
                       : QStringLiteral("select sum(money) from mysalary where sz='");
    sql += direction + QStringLiteral("' and ") + periodTest(period, key);
    if (period == Period::Month || period == Period::Year)
        sql += QStringLiteral(" order by 1 desc");
    return sql;
}

QString entriesSql(Period period, const QString& direction, const PeriodKey& key) {
    return QStringLiteral("select * from mysalary where sz='") + direction +
           QStringLiteral("' and ") + periodTest(period, key) + kNewestFirst;
}

QString allEntriesSql(Period period, StatementKind kind, const PeriodKey& key) {
    // Every all-entries text has two blanks after "where", except the day's on entering it.
    const bool narrow = period == Period::Day && kind == StatementKind::AllEntries;
    return (narrow ? QStringLiteral("select * from mysalary where ")
                   : QStringLiteral("select * from mysalary where  ")) +
           periodTest(period, key) + kNewestFirst;
}

QString analysisSql(Period period, const PeriodKey& key) {
    switch (period) {
    case Period::Day:
    case Period::Month:
        return kAnalysisHead + periodTest(period, key) + u' ' + kAnalysisTail;
    case Period::Quarter:
        return kAnalysisHead + quarterTest(key) + QStringLiteral("  ") + kAnalysisTail;
    case Period::Year:
        return kAnalysisHead + u' ' + yearTest(key) + QStringLiteral("  ") + kAnalysisTail;
    }
    return {};
}

} // namespace

int quarterOfMonth(int month) {
    return (month - 1) / 3 + 1;
}

CurrentPeriod currentPeriod(const QDateTime& now) {
    const QDate d = now.date();
    CurrentPeriod p;
    p.day = d.toString(QStringLiteral("yyyy-MM-dd"));
    p.month = d.toString(QStringLiteral("yyyy-MM"));
    p.year = d.toString(QStringLiteral("yyyy"));
    p.monthNumber = d.toString(QStringLiteral("M")).toInt();
    p.quarter = quarterOfMonth(p.monthNumber);
    return p;
}

PeriodKey quarterBounds(const QString& year, int quarter) {
    static const char* const firstDays[] = {"-01-01", "-04-01", "-07-01", "-10-01"};
    static const char* const lastDays[] = {"-03-31", "-06-30", "-09-30", "-12-31"};
    if (quarter < 1 || quarter > 4)
        throw AppError(QStringLiteral("季度只能是1、2、3或4：'%1'").arg(quarter));
    return {year + QLatin1String(firstDays[quarter - 1]),
            year + QLatin1String(lastDays[quarter - 1])};
}

PeriodKey chosenQuarterBounds(const QString& year, int quarter) {
    PeriodKey key = quarterBounds(year, quarter);
    if (!isYearText(year))
        std::swap(key.first, key.last);
    return key;
}

bool isYearText(const QString& year) {
    if (year.size() != 4)
        return false;
    for (const QChar c : year)
        if (c < u'0' || c > u'9')
            return false;
    return year != QLatin1String("0000");
}

QString periodSql(Period period, StatementKind kind, const PeriodKey& key) {
    switch (kind) {
    case StatementKind::IncomeSum:
        return sumSql(period, kIncome, key);
    case StatementKind::ExpenditureSum:
        return sumSql(period, kExpenditure, key);
    case StatementKind::AllEntries:
    case StatementKind::RefreshedEntries:
        return allEntriesSql(period, kind, key);
    case StatementKind::IncomeEntries:
        return entriesSql(period, kIncome, key);
    case StatementKind::ExpenditureEntries:
        return entriesSql(period, kExpenditure, key);
    case StatementKind::Analysis:
        return analysisSql(period, key);
    }
    return {};
}

QString prefixWord(Period period) {
    switch (period) {
    case Period::Day:
        return QStringLiteral("今日");
    case Period::Month:
        return QStringLiteral("月");
    case Period::Quarter:
        return QStringLiteral("季度");
    case Period::Year:
        return QStringLiteral("年度");
    }
    return {};
}

SumStatements periodSums(Period period, const PeriodKey& key) {
    return {periodSql(period, StatementKind::IncomeSum, key),
            periodSql(period, StatementKind::ExpenditureSum, key)};
}

SumStatements overallSums() {
    return {wholeledger::kIncomeSum, wholeledger::kExpenditureSum};
}

Totals computeTotals(QueryDataset& query, const SumStatements& sums) {
    // The balance is formed from the totals as shown, rounded to two decimals, not from the
    // unrounded sums.
    const double income =
        formats::rounded(formats::toNumber(checkedsum::readSum(query, sums.income)), 2);
    const double expenditure =
        formats::rounded(formats::toNumber(checkedsum::readSum(query, sums.expenditure)), 2);
    return {formats::fixed2(income), formats::fixed2(expenditure),
            formats::fixed2(income - expenditure)};
}

TotalsLine totalsLine(const QString& prefix, const Totals& totals) {
    return {prefix + QStringLiteral("收入：") + totals.income + u'元',
            prefix + QStringLiteral("支出：") + totals.expenditure + u'元',
            prefix + QStringLiteral("余额：") + totals.balance + u'元'};
}

TotalsLine overallTotalsLine(const Totals& totals) {
    return {QStringLiteral("总收入：") + totals.income + u'元',
            QStringLiteral("总支出：") + totals.expenditure + u'元',
            QStringLiteral("余额：") + totals.balance + u'元'};
}

} // namespace periods
