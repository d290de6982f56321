#include "reports/chartswindow.h"

#include "platform/actionguard.h"
#include "platform/context.h"
#include "platform/widgets/look.h"
#include "reports/chartdrawing.h"
#include "ui/fixeddialog.h"

#include <QChart>
#include <QChartView>
#include <QScreen>
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
    // A month chart reads a row per day of the ledger, thousands of them: the dataset reads
    // them straight from the result.
    QList<std::pair<QVariant, QVariant>> rows;
    for (const QVariantList& row : dataset.rows())
        rows.append({row.value(0), row.value(1)});
    return rows;
}

} // namespace

ChartsWindow::ChartsWindow(const Context& context, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint | Qt::WindowMaximizeButtonHint),
      m_context(context), m_chartQuery(context.books, chartPages().at(0).statement) {
    // The dataset opens with the window; when it cannot, the window does not open.
    m_chartQuery.open();

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
    connect(m_chartTabs, &QTabWidget::currentChanged, this,
            [this](int index) { guarded(m_context.dialogs, [&] { showPage(index); }); });
}

ChartsWindow::~ChartsWindow() = default;

void ChartsWindow::buildPages() {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_chartTabs = new QTabWidget(this);
    m_chartTabs->setObjectName(QStringLiteral("rzpage"));
    layout->addWidget(m_chartTabs);
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
        m_chartTabs->addTab(sheet, page.tabText);
    }
    m_chartTabs->setCurrentIndex(0);
}

void ChartsWindow::showPage(int index) {
    if (index < 0 || index >= int(chartPages().size()))
        return;
    // Replacing the statement closes the dataset: a statement that fails leaves it closed and
    // the page's chart empty.
    m_chartQuery.setStatement(chartPages().at(index).statement);
    try {
        m_chartQuery.open();
    } catch (...) {
        drawPage(index);
        throw;
    }
    drawPage(index);
}

void ChartsWindow::drawPage(int index) {
    m_points[index] = bindSeries(resultRows(m_chartQuery));
    drawChart(m_views[index]->chart(), chartPages().at(index).kind, m_points[index]);
    m_views[index]->setAccessibleDescription(describeSeries(m_points[index]));
}
