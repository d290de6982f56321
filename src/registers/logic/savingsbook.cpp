#include "registers/logic/savingsbook.h"

#include "data/formats.h"
#include "data/querydataset.h"
#include "platform/apperror.h"

#include <cmath>

namespace deposits {

std::optional<Terms> lookupTerms(QueryDataset& query, const QString& name) {
    query.setStatement(
        QStringLiteral("select interestmonth,interest from bankinterest where interestname = ?"));
    query.open({name});
    const QSqlQueryModel* rows = query.model();
    std::optional<Terms> found;
    if (rows->rowCount() > 0) {
        const QVariant months = rows->data(rows->index(0, 0));
        found = Terms{months.isNull() ? 0 : months.toInt(),
                      formats::toNumber(rows->data(rows->index(0, 1)))};
    }
    query.close();
    return found;
}

std::optional<QDate> dateOf(const QVariant& cell) {
    if (cell.isNull())
        return std::nullopt;
    if (cell.typeId() == QMetaType::QDate)
        return cell.toDate().isValid() ? std::optional<QDate>(cell.toDate()) : std::nullopt;
    if (cell.typeId() == QMetaType::QDateTime) {
        const QDate d = cell.toDateTime().date();
        return d.isValid() ? std::optional<QDate>(d) : std::nullopt;
    }
    try {
        return formats::parseDate(cell.toString());
    } catch (const AppError&) {
        return std::nullopt;
    }
}

std::optional<double> amountOf(const QVariant& cell) {
    if (cell.isNull())
        return std::nullopt;
    double v = 0;
    if (cell.typeId() == QMetaType::QString) {
        try {
            v = formats::parseNumber(cell.toString());
        } catch (const AppError&) {
            return std::nullopt;
        }
    } else {
        bool ok = false;
        v = cell.toDouble(&ok);
        if (!ok)
            return std::nullopt;
    }
    if (!std::isfinite(v))
        return std::nullopt;
    return v;
}

std::optional<Figures> derive(const QVariant& depositDate, const QVariant& amount,
                              const QString& kindText, const TermsLookup& lookup,
                              double taxPercent) {
    const std::optional<QDate> date = dateOf(depositDate);
    const std::optional<double> money = amountOf(amount);
    if (!date || !money)
        return std::nullopt;
    const std::optional<Kind> kind = kindNamed(kindText);
    if (!kind)
        throw AppError(QStringLiteral("'%1' 不是已知的储蓄类型").arg(kindText));
    const Terms terms = lookup(kind->name).value_or(Terms{});
    return figures(kind->scheme, terms.months, terms.rate, *money, *date, taxPercent);
}

QList<std::pair<QString, QVariant>> derivedCells(const Figures& figures) {
    return {{QStringLiteral("interest"), figures.rate},
            {QStringLiteral("enddate"), formats::dateText(figures.maturity)},
            {QStringLiteral("interestmoney"), figures.interest},
            {QStringLiteral("interesttax"), figures.tax},
            {QStringLiteral("totalmoney"), figures.total}};
}

double readTaxRate(QueryDataset& query) {
    return query.readNumber(QStringLiteral("select interesttax from tax"));
}

QStringList totalsTexts(QueryDataset& totalsQuery) {
    const auto sum = [&](const char* statement) {
        const QString text = totalsQuery.readText(QString::fromLatin1(statement));
        return text.isEmpty() ? QStringLiteral("0") : text;
    };
    const QString deposited = sum("select sum(money) from saving");
    const QString interest = sum("select sum(interestmoney) from saving");
    const QString due = sum("select sum(totalmoney) from saving");
    return {QStringLiteral("存入金额：") + deposited + QStringLiteral("元"),
            QStringLiteral("利息：") + interest + QStringLiteral("元"),
            QStringLiteral("到期金额：") + due + QStringLiteral("元")};
}

} // namespace deposits
