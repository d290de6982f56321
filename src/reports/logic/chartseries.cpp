#include "reports/logic/chartseries.h"

#include "data/formats.h"
#include "data/wholeledger.h"

#include <QHash>

namespace charts {

const QList<ChartPage>& chartPages() {
    static const QList<ChartPage> pages{
        {QStringLiteral("sz"), QStringLiteral("收支饼图"), QStringLiteral("szDBChart"),
         ChartKind::Pie, wholeledger::kByDirection},
        {QStringLiteral("szxl"), QStringLiteral("柱状图"), QStringLiteral("szxlDBChart"),
         ChartKind::Bars, wholeledger::kByMajorCategory},
        {QStringLiteral("srmonth"), QStringLiteral("月收入图"), QStringLiteral("srmonthDBChart"),
         ChartKind::Lines, wholeledger::kIncomeByDay},
        {QStringLiteral("zcmonth"), QStringLiteral("月支出图"), QStringLiteral("zcmonthDBChart"),
         ChartKind::Lines, wholeledger::kExpenditureByDay},
        {QStringLiteral("xlsr"), QStringLiteral("大类收入图"), QStringLiteral("xlsrDBChart"),
         ChartKind::HorizontalBars, wholeledger::kIncomeByMajorCategory},
        {QStringLiteral("xlzc"), QStringLiteral("大类支出图"), QStringLiteral("xlzcDBChart"),
         ChartKind::HorizontalBars, wholeledger::kExpenditureByMajorCategory},
    };
    return pages;
}

QList<SeriesPoint> bindSeries(const QList<std::pair<QVariant, QVariant>>& rows) {
    QList<SeriesPoint> points;
    QHash<QString, qsizetype> indexOf;
    for (const auto& [x, y] : rows) {
        const QString label = formats::toText(x);
        const double value = formats::toNumber(y);
        const auto found = indexOf.constFind(label);
        if (found != indexOf.constEnd()) {
            points[*found].value += value;
        } else {
            indexOf.insert(label, points.size());
            points.append({label, value});
        }
    }
    return points;
}

QString amountText(double value) {
    return formats::fixed2(value);
}

QString describeSeries(const QList<SeriesPoint>& points) {
    if (points.isEmpty())
        return QStringLiteral("无数据");
    QStringList parts;
    for (const SeriesPoint& p : points)
        parts << p.label + u' ' + amountText(p.value);
    return parts.join(QStringLiteral("；"));
}

} // namespace charts
