#include "reports/chartdrawing.h"

#include "platform/widgets/look.h"

#include <QBarCategoryAxis>
#include <QBarSet>
#include <QCategoryAxis>
#include <QChart>
#include <QFontMetrics>
#include <QHorizontalStackedBarSeries>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QLinearGradient>
#include <QPieSeries>
#include <QPieSlice>
#include <QStackedBarSeries>
#include <QValueAxis>

using charts::ChartKind;
using charts::SeriesPoint;

namespace {

constexpr qreal kBarWidth = 0.2;  // of a bar's slot
constexpr int kCalloutPixels = 8; // length of a pie label's callout line
constexpr qreal kPieSize = 0.6;   // of the plot area, leaving room for the labels
constexpr int kLineLabels = 6;    // at most this many labels under a line

QColor colourOf(int i) {
    static const QList<QColor> palette{
        QColor(0xd9, 0x3a, 0x3a), QColor(0x3a, 0x78, 0xd9), QColor(0xe8, 0xa3, 0x1c),
        QColor(0x3a, 0xa6, 0x5a), QColor(0x8e, 0x4c, 0xc4), QColor(0x1c, 0xa8, 0xb8),
        QColor(0xd9, 0x6b, 0xb0), QColor(0x7a, 0x8a, 0x2a), QColor(0xa0, 0x5a, 0x2c),
        QColor(0x55, 0x55, 0x99), QColor(0x99, 0x99, 0x99), QColor(0x2c, 0x5f, 0x2d),
    };
    return palette.at(i % palette.size());
}

// The legend's text of each point: its label, then its amount right-aligned to the widest
// entry, padded with no-break spaces (chart labels are rich text, where runs of other blanks
// collapse into one).
QStringList legendTexts(const QList<SeriesPoint>& points) {
    const QFontMetrics fm(programFont());
    const QChar blank(0x00a0);
    const int blankWidth = std::max(1, fm.horizontalAdvance(blank));
    QList<int> widths;
    int widest = 0;
    for (const SeriesPoint& p : points) {
        widths << fm.horizontalAdvance(p.label + blank + charts::amountText(p.value));
        widest = std::max(widest, widths.last());
    }
    QStringList out;
    for (qsizetype i = 0; i < points.size(); ++i) {
        const int blanks = 1 + (widest - widths[i] + blankWidth / 2) / blankWidth;
        out << points[i].label + QString(blanks, blank) + charts::amountText(points[i].value);
    }
    return out;
}

void styleAxis(QAbstractAxis* axis) {
    axis->setLabelsFont(programFont());
    // A label a little wider than its slot is shown whole rather than cut to "...".
    axis->setTruncateLabels(false);
    axis->setTitleText({});
}

QValueAxis* amountAxis() {
    auto* axis = new QValueAxis;
    axis->setLabelFormat(QStringLiteral("%.2f"));
    styleAxis(axis);
    return axis;
}

void drawPie(QChart* chart, const QList<SeriesPoint>& points) {
    auto* pie = new QPieSeries;
    pie->setPieSize(kPieSize);
    const QStringList legend = legendTexts(points);
    for (qsizetype i = 0; i < points.size(); ++i) {
        QPieSlice* slice = pie->append(points[i].label, std::max(0.0, points[i].value));
        slice->setColor(colourOf(int(i)));
        slice->setLabelVisible(true);
        slice->setLabelPosition(QPieSlice::LabelOutside);
        slice->setLabelFont(programFont());
        // The callout's length is a share of the radius: about 8 pixels at the window's size.
        slice->setLabelArmLengthFactor(qreal(kCalloutPixels) / 120);
    }
    chart->addSeries(pie);
    const QList<QLegendMarker*> markers = chart->legend()->markers(pie);
    for (qsizetype i = 0; i < markers.size() && i < legend.size(); ++i)
        markers[i]->setLabel(legend[i]);
}

// Bars: one set per point, holding its amount at its own category and nothing elsewhere, in
// a stacked series, so each bar has its own colour and its own legend entry.
template <class Series>
void drawBars(QChart* chart, const QList<SeriesPoint>& points, bool horizontal) {
    auto* series = new Series;
    series->setBarWidth(kBarWidth);
    const QStringList legend = legendTexts(points);
    QStringList categories;
    for (qsizetype i = 0; i < points.size(); ++i) {
        categories << points[i].label;
        auto* set = new QBarSet(legend[i]);
        for (qsizetype j = 0; j < points.size(); ++j)
            *set << (i == j ? points[i].value : 0.0);
        const QColor c = colourOf(int(i));
        if (horizontal) {
            QLinearGradient g(0, 0, 0, 1);
            g.setCoordinateMode(QGradient::ObjectBoundingMode);
            g.setColorAt(0, c.lighter(160));
            g.setColorAt(1, c.darker(130));
            set->setBrush(g);
            set->setPen(QPen(c.darker(140)));
        } else {
            set->setColor(c);
        }
        series->append(set);
    }
    chart->addSeries(series);
    auto* labels = new QBarCategoryAxis;
    labels->append(categories);
    styleAxis(labels);
    QValueAxis* amounts = amountAxis();
    chart->addAxis(labels, horizontal ? Qt::AlignLeft : Qt::AlignBottom);
    chart->addAxis(amounts, horizontal ? Qt::AlignBottom : Qt::AlignLeft);
    series->attachAxis(labels);
    series->attachAxis(amounts);
    amounts->applyNiceNumbers();
}

// A line through the points without markers.
void drawLine(QChart* chart, const QList<SeriesPoint>& points) {
    auto* line = new QLineSeries;
    line->setPointsVisible(false);
    QStringList categories;
    for (qsizetype i = 0; i < points.size(); ++i) {
        line->append(qreal(i), points[i].value);
        categories << points[i].label;
    }
    chart->addSeries(line);
    // Under a line of many months every label would overlap the next: every k-th point is
    // labelled, at its own place on the axis.
    auto* labels = new QCategoryAxis;
    labels->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    labels->setRange(-0.5, std::max<qreal>(0.5, points.size() - 0.5));
    const qsizetype every = std::max<qsizetype>(1, (points.size() + kLineLabels - 1) / kLineLabels);
    for (qsizetype i = 0; i < points.size(); i += every)
        labels->append(categories[i], qreal(i));
    styleAxis(labels);
    QValueAxis* amounts = amountAxis();
    chart->addAxis(labels, Qt::AlignBottom);
    chart->addAxis(amounts, Qt::AlignLeft);
    line->attachAxis(labels);
    line->attachAxis(amounts);
    amounts->applyNiceNumbers();
    // The legend lists each point under the line's mark: one entry of one line per point,
    // amounts right-aligned (an entry per point would cost a relayout of the chart each).
    QStringList lines = legendTexts(points);
    for (QString& l : lines)
        l = l.toHtmlEscaped();
    chart->legend()->markers(line).value(0)->setLabel(lines.join(QStringLiteral("<br>")));
}

} // namespace

void drawChart(QChart* chart, ChartKind kind, const QList<SeriesPoint>& points) {
    chart->removeAllSeries();
    for (QAbstractAxis* axis : chart->axes())
        chart->removeAxis(axis), delete axis;
    chart->setTitle({});
    chart->legend()->setFont(programFont());
    chart->legend()->setAlignment(Qt::AlignRight);
    chart->legend()->setVisible(true);
    switch (kind) {
    case ChartKind::Pie:
        drawPie(chart, points);
        break;
    case ChartKind::Bars:
        drawBars<QStackedBarSeries>(chart, points, false);
        break;
    case ChartKind::Lines:
        drawLine(chart, points);
        break;
    case ChartKind::HorizontalBars:
        drawBars<QHorizontalStackedBarSeries>(chart, points, true);
        break;
    }
}
