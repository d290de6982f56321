#pragma once

#include "reports/logic/chartseries.h"

class QChart;

// Draws points into a chart as one of the four kinds of the charts window: a pie with labels
// on callout lines, vertical bars, a line without markers, or horizontal bars with a gradient;
// each point its own colour, no title, a legend that lists each point with its amount
// right-aligned, axis labels and legend in the program font.
void drawChart(QChart* chart, charts::ChartKind kind, const QList<charts::SeriesPoint>& points);
