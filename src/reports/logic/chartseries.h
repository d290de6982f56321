#pragma once

#include <QList>
#include <QString>
#include <QVariant>
#include <utility>

// The six charts of the charts window — their pages, statements and kinds — and how a
// statement's rows become a chart's points.
namespace charts {

enum class ChartKind { Pie, Bars, Lines, HorizontalBars };

// One page of the charts window.
struct ChartPage {
    QString pageName;  // object name of the page
    QString tabText;   // its tab
    QString chartName; // object name of its chart
    ChartKind kind;
    QString statement; // in the windows' dialect; columns x (label) and y (amount)
};

// The six pages in tab order (index 0 to 5).
const QList<ChartPage>& chartPages();

// One point of a chart: its label and its summed amount.
struct SeriesPoint {
    QString label;
    double value = 0;
    bool operator==(const SeriesPoint&) const = default;
};

// Binds result rows (x, y) to points: rows in result order, summed per label, points in the
// order their labels first occur; an empty y counts as 0, an empty x is the empty label.
QList<SeriesPoint> bindSeries(const QList<std::pair<QVariant, QVariant>>& rows);

// An amount as the charts write it ("0.00").
QString amountText(double value);

// The points for assistive technology: "收入 1100.00；支出 42.50", or "无数据" when empty.
QString describeSeries(const QList<SeriesPoint>& points);

} // namespace charts
