#include "reports/chartswindow.h"

#include "platform/actionguard.h"
#include "platform/context.h"
#include "platform/widgets/look.h"
#include "reports/chartdrawing.h"
#include "ui/fixeddialog.h"

#include <QChart>
#include <QChartView>
#include <QScreen>
#include <QSqlQuery>
#include <QSqlQueryModel>
#include <QTabWidget>
#include <QVBoxLayout>

using namespace charts;

namespace {

const QString kCaption = QStringLiteral("收支平衡图");
constexpr int kOpeningWidth = 534;
constexpr int kOpeningHeight = 453;
constexpr int kMinimumWidth = 420;
constexpr int kMinimumHeight = 340;

// Every row of the dataset's result as (x, y), in result order.
QList<std::pair<QVariant, QVariant>> resultRows(QueryDataset& dataset) {
    QList<std::pair<QVariant, QVariant>> rows;
    if (!dataset.isOpen())
        return rows;
    // Read straight from the result rather than cell by cell through the model: a month
    // chart reads a row per day of the ledger, thousands of them.
    QSqlQuery result = dataset.model()->query();
    if (!result.seek(0))
        return rows;
    do
        rows.append({result.value(0), result.value(1)});
    while (result.next());
    return rows;
}

} // namespace

ChartsWindow::ChartsWindow(const Context& context, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint | Qt::WindowMaximizeButtonHint),
      m_context(context), m_szChart(context.odbcIniPath, chartPages().at(0).statement) {
    // The dataset opens with the window; when it cannot, the window does not open.
    m_szChart.open();

    setObjectName(QStringLiteral("fmchart"));
    keepOpenAndInView(this);
    setWindowTitle(kCaption);
    setFont(programFont());
    setSizeGripEnabled(true);
    // Smaller than this, the axis labels of the bar and line charts run into each other.
    setMinimumSize(kMinimumWidth, kMinimumHeight);
    resize(kOpeningWidth, kOpeningHeight);
    buildPages();
    if (const QScreen* s = screen()) {
        const QRect area = s->availableGeometry();
        move(area.center() - QPoint(kOpeningWidth / 2, kOpeningHeight / 2));
    }
    drawPage(0);
    // Connected after the first page is in front: opening the window is no page change.
    connect(m_rzpage, &QTabWidget::currentChanged, this,
            [this](int index) { guarded(m_context.dialogs, [&] { rzpageChange(index); }); });
}

ChartsWindow::~ChartsWindow() = default;

void ChartsWindow::buildPages() {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_rzpage = new QTabWidget(this);
    m_rzpage->setObjectName(QStringLiteral("rzpage"));
    layout->addWidget(m_rzpage);
    for (int i = 0; i < int(chartPages().size()); ++i) {
        const ChartPage& page = chartPages().at(i);
        auto* sheet = new QWidget;
        sheet->setObjectName(page.pageName);
        auto* sheetLayout = new QVBoxLayout(sheet);
        sheetLayout->setContentsMargins(0, 0, 0, 0);
        auto* chart = new QChart;
        chart->setAnimationOptions(QChart::NoAnimation);
        auto* view = new QChartView(chart, sheet);
        view->setObjectName(page.chartName);
        view->setRenderHint(QPainter::Antialiasing);
        view->setFocusPolicy(Qt::StrongFocus);
        view->setAccessibleName(page.tabText);
        view->setAccessibleDescription(describeSeries({}));
        sheetLayout->addWidget(view);
        m_views[i] = view;
        m_rzpage->addTab(sheet, page.tabText);
    }
    m_rzpage->setCurrentIndex(0);
}

void ChartsWindow::rzpageChange(int index) {
    if (index < 0 || index >= int(chartPages().size()))
        return;
    // Replacing the statement closes the dataset: a statement that fails leaves it closed and
    // the page's chart empty.
    m_szChart.setStatement(chartPages().at(index).statement);
    try {
        m_szChart.open();
    } catch (...) {
        drawPage(index);
        throw;
    }
    drawPage(index);
}

void ChartsWindow::drawPage(int index) {
    m_points[index] = bindSeries(resultRows(m_szChart));
    drawChart(m_views[index]->chart(), chartPages().at(index).kind, m_points[index]);
    m_views[index]->setAccessibleDescription(describeSeries(m_points[index]));
}
