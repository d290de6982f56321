#pragma once

#include "data/querydataset.h"
#include "reports/logic/chartseries.h"

#include <QDialog>
#include <array>

class QChartView;
class QTabWidget;
struct Context;

// The charts window: the whole ledger drawn as six charts on six pages — income against
// expenditure, the major categories, monthly income, monthly expenditure, and the major
// categories of each direction. One dataset feeds the chart of the page in front; nothing in
// the window changes data.
class ChartsWindow : public QDialog {
    Q_OBJECT
public:
    // Opens the first page's statement while the window is built; throws AppError when it
    // cannot open (the window then does not open).
    explicit ChartsWindow(const Context& context, QWidget* parent = nullptr);
    ~ChartsWindow() override;

    // The points each page's chart shows now (the pages not yet drawn show none).
    const QList<charts::SeriesPoint>& points(int page) const { return m_points.at(page); }
    // The dataset behind the charts.
    const QueryDataset& dataset() const { return m_chartQuery; }

private:
    void buildPages();
    // Replaces the dataset's statement with the page's, opens it and redraws the page's chart.
    void showPage(int index);
    // Draws the page's chart from the open dataset (an empty chart when it is closed).
    void drawPage(int index);

    const Context& m_context;
    QueryDataset m_chartQuery;
    QTabWidget* m_chartTabs = nullptr;
    std::array<QChartView*, 6> m_views{};
    std::array<QList<charts::SeriesPoint>, 6> m_points;
};
