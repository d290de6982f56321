#include "data/checkedsum.h"

#include "data/formats.h"
#include "data/querydataset.h"
#include "platform/apperror.h"

#include <QRegularExpression>
#include <optional>

namespace checkedsum {
namespace {

const QRegularExpression& sumShape() {
    static const QRegularExpression re(
        QStringLiteral(R"(^\s*select\s+sum\((\w+)\)\s+from\s+(\w+)(?:\s+where\s+(.*?))?)"
                       R"((?:\s+order\s+by\s+1\s+desc)?\s*$)"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    return re;
}

// The error text that names the first bad row the sum covers; nothing when there is none.
std::optional<QString> badRowMessage(QueryDataset& query, const QString& sumStatement) {
    const QString find = badRowStatement(sumStatement);
    if (find.isEmpty())
        return std::nullopt;
    const QRegularExpressionMatch m = sumShape().match(sumStatement);
    const QString column = m.captured(1);
    const QString table = m.captured(2);
    query.setStatement(find);
    query.open();
    QSqlQueryModel* rows = query.model();
    if (rows->rowCount() == 0) {
        query.close();
        return std::nullopt;
    }
    const qint64 id = rows->data(rows->index(0, 0)).toLongLong();
    const QString value = rows->data(rows->index(0, 1)).toString();
    query.close();
    // The position of the row in the table's own order, as its editing window lists it.
    const qint64 position =
        query.readValue(QStringLiteral("select count(*) from %1 where id <= %2").arg(table).arg(id))
            .toLongLong();
    return QStringLiteral("无法计算合计：表 %1 第 %2 行的 %3 不是有效金额：'%4'")
        .arg(table)
        .arg(position)
        .arg(column, value);
}

} // namespace

QString badRowStatement(const QString& sumStatement) {
    const QRegularExpressionMatch m = sumShape().match(sumStatement);
    if (!m.hasMatch())
        return {};
    const QString column = m.captured(1);
    const QString condition = m.captured(3);
    QString where = condition.isEmpty() ? QString() : QStringLiteral("(%1) and ").arg(condition);
    // abs() of an infinite value is infinite, so one comparison finds both kinds.
    where += QStringLiteral("%1 is not null and abs(%1) >= %2")
                 .arg(column, formats::roundedDecimal(formats::kAmountLimit, 0));
    return QStringLiteral("select id, cast(%1 as text) from %2 where %3 order by id limit 1")
        .arg(column, m.captured(2), where);
}

QVariant readSum(QueryDataset& query, const QString& sumStatement) {
    QVariant sum;
    try {
        sum = query.readValue(sumStatement);
    } catch (const AppError&) {
        // An integer overflow in the sum: name the row if that is the cause.
        std::optional<QString> bad;
        try {
            bad = badRowMessage(query, sumStatement);
        } catch (const AppError&) {
        }
        if (bad)
            throw AppError(*bad);
        throw;
    }
    // A NULL sum may also come from +Inf and -Inf cancelling out, so it is checked as well;
    // over no rows that costs nothing.
    if (sum.isNull() || !formats::isValidAmount(sum.toDouble())) {
        if (const std::optional<QString> bad = badRowMessage(query, sumStatement))
            throw AppError(*bad);
    }
    return sum;
}

} // namespace checkedsum
