#include "reports/querywindow.h"

#include "data/formats.h"
#include "platform/actionguard.h"
#include "platform/clock.h"
#include "platform/context.h"
#include "platform/widgets/look.h"
#include "reports/periodspinbox.h"
#include "reports/querygrid.h"
#include "reports/querygridmodel.h"
#include "ui/fixeddialog.h"
#include "ui/totalsbar.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <QToolButton>

using namespace periods;

namespace {

const QString kCaption = QStringLiteral("综合查询");
constexpr int kClientWidth = 582;
constexpr int kClientHeight = 516;

constexpr int kYearBoxLeft = 96;

// The statements that the datasets hold before the user acts.
const QString kEntriesAtLoad = QStringLiteral("select * from mysalary order by adddate desc");
const QString kTotalsAtLoad = QStringLiteral("select * from mysalary");
const QString kAnalysisAtLoad = QStringLiteral(
    "select sz,szdl,szxl,count(szxl) as CountSZ,sum(money) as SumSZ,avg(money) as AvgSZ "
    "from mysalary  group by sz,szdl,szxl order by sz,szdl");

using Display = QueryGridModel::Display;
constexpr Qt::Alignment kCentred = Qt::AlignCenter;
constexpr Qt::Alignment kLeft = Qt::AlignLeft | Qt::AlignVCenter;
constexpr Qt::Alignment kRight = Qt::AlignRight | Qt::AlignVCenter;

QList<QueryGridModel::Column> entriesColumns() {
    return {{QStringLiteral("日期"), QStringLiteral("adddate"), Display::Date, kCentred},
            {QStringLiteral("收支"), QStringLiteral("sz"), Display::Text, kCentred},
            {QStringLiteral("大类"), QStringLiteral("szdl"), Display::Text, kLeft},
            {QStringLiteral("细类"), QStringLiteral("szxl"), Display::Text, kLeft},
            {QStringLiteral("金额"), QStringLiteral("money"), Display::Amount, kRight},
            {QStringLiteral("支付方式"), QStringLiteral("zffs"), Display::Text, kLeft},
            {QStringLiteral("备注"), QStringLiteral("memo"), Display::Text, kLeft}};
}

QList<QueryGridModel::Column> analysisColumns() {
    return {{QStringLiteral("收支"), QStringLiteral("sz"), Display::Text, kLeft},
            {QStringLiteral("收支大类"), QStringLiteral("szdl"), Display::Text, kLeft},
            {QStringLiteral("收支细类"), QStringLiteral("szxl"), Display::Text, kLeft},
            {QStringLiteral("笔数"), QStringLiteral("CountSZ"), Display::Text, kRight},
            {QStringLiteral("小计"), QStringLiteral("SumSZ"), Display::Amount, kRight},
            {QStringLiteral("每笔平均数"), QStringLiteral("AvgSZ"), Display::Amount, kRight}};
}

} // namespace

QueryWindow::QueryWindow(const Context& context, QWidget* parent)
    : QDialog(parent, fixedDialogFlags()), m_context(context),
      m_entriesQuery(context.books, kEntriesAtLoad),
      m_analysisQuery(context.books, kAnalysisAtLoad),
      m_overallTotalsQuery(context.books, kTotalsAtLoad) {
    // The totals query opens with the window; when it cannot, the window does not open.
    m_overallTotalsQuery.open();

    setObjectName(QStringLiteral("fmszquery"));
    keepOpenAndInView(this);
    setWindowTitle(kCaption);
    setFont(programFont());
    setFixedSize(kClientWidth, kClientHeight);
    setSizeGripEnabled(false);

    m_entriesModel = new QueryGridModel(entriesColumns(), m_entriesQuery.model(), this);
    m_analysisModel = new QueryGridModel(analysisColumns(), m_analysisQuery.model(), this);
    m_entriesModel->setObjectName(QStringLiteral("szDataSource"));
    m_analysisModel->setObjectName(QStringLiteral("calDataSource"));
    buildPages();
    m_totals = new TotalsBar(this);
    m_totals->setGeometry(0, kClientHeight - TotalsBar::kHeight, kClientWidth, TotalsBar::kHeight);
    centreOnScreen(this);

    guarded(m_context.dialogs, [this] { openingSteps(); });
    connectActions();
}

QueryWindow::~QueryWindow() = default;

// ---------------------------------------------------------------------------------------
// Building the window

QueryPage* QueryWindow::addPage(Page page, const QueryPage::Names& names, const QString& tabText) {
    auto* sheet = new QueryPage(names, m_entriesModel, m_analysisModel, m_context.dialogs);
    m_pages.at(page) = sheet;
    m_periodTabs->addTab(sheet, tabText);
    return sheet;
}

void QueryWindow::buildPages() {
    m_periodTabs = new QTabWidget(this);
    m_periodTabs->setObjectName(QStringLiteral("RzPage"));
    m_periodTabs->setGeometry(0, 0, kClientWidth, kClientHeight - TotalsBar::kHeight);
    m_periodTabs->setDocumentMode(false);

    const QString analyse = QStringLiteral("归类分析");
    const QString refresh = QStringLiteral("数据刷新");
    const QString close = QStringLiteral("关闭");
    addPage(DayPage,
            {QStringLiteral("szday_sheet"),
             QStringLiteral("dayDBGrid"),
             QStringLiteral("calday_dbgrid"),
             {"sr_day", "zc_day", "day_cal", "dayrefresh", "closeform"},
             {QStringLiteral("今日收入"), QStringLiteral("今日支出"), analyse, refresh, close}},
            QStringLiteral("今日收支"));

    QueryPage* month =
        addPage(MonthPage,
                {QStringLiteral("szmonth_Sheet"),
                 QStringLiteral("monthDBGrid"),
                 QStringLiteral("calmonth_DBGrid"),
                 {"sr_month", "zc_month", "cal_month", "month_refresh", "close_month"},
                 {QStringLiteral("月度收入"), QStringLiteral("月度支出"), analyse, refresh, close}},
                QStringLiteral("月度收支"));
    QLabel* monthCaption = month->addLabel(QStringLiteral("选择日期："), 34, 62);
    m_yearEdit = month->addSpinBox("year_edit", 2003, 9999, false, kYearBoxLeft, 60, monthCaption);
    month->addLabel(QStringLiteral("年"), 160, 14);
    m_monthEdit = month->addSpinBox("month_edit", 1, 12, true, 178, 46, nullptr);
    month->addLabel(QStringLiteral("月"), 228, 14);

    QueryPage* season =
        addPage(SeasonPage,
                {QStringLiteral("szseason_sheet"),
                 QStringLiteral("seasonDBGrid"),
                 QStringLiteral("calseason_DBGrid"),
                 {"sr_season", "zc_season", "cal_season", "seasonrefresh", "close_season"},
                 {QStringLiteral("季度收入"), QStringLiteral("季度支出"), analyse, refresh, close}},
                QStringLiteral("季度收支"));
    QLabel* seasonCaption = season->addLabel(QStringLiteral("选择日期："), 34, 62);
    m_seasonYear =
        season->addSpinBox("RzSpinEdit2", 2003, 9999, false, kYearBoxLeft, 60, seasonCaption);
    season->addLabel(QStringLiteral("年"), 160, 14);
    season->addLabel(QStringLiteral("第"), 178, 14);
    m_season = new QComboBox(season);
    m_season->setObjectName(QStringLiteral("season"));
    m_season->setEditable(true);
    m_season->setInsertPolicy(QComboBox::NoInsert);
    m_season->addItems(
        {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4")});
    m_season->setCurrentIndex(0);
    m_season->setGeometry(194, QueryPage::kControlsTop, 46, QueryPage::kControlsHeight);
    season->addLabel(QStringLiteral("季度"), 244, 28);

    QueryPage* year =
        addPage(YearPage,
                {QStringLiteral("year_sheet"),
                 QStringLiteral("yearDBGrid"),
                 QStringLiteral("calyear_DBGrid"),
                 {"sr_year", "zc_year", "cal_year", "yearrefresh", "year_close"},
                 {QStringLiteral("年度收入"), QStringLiteral("年度支出"), analyse, refresh, close}},
                QStringLiteral("年度收支"));
    QLabel* yearCaption = year->addLabel(QStringLiteral("选择日期："), 34, 62);
    m_yearEdit2 = year->addSpinBox("year_edit2", 2003, 9999, false, kYearBoxLeft, 60, yearCaption);
    year->addLabel(QStringLiteral("年"), 160, 14);

    m_periodTabs->setCurrentIndex(DayPage);
}

void QueryWindow::connectActions() {
    using K = StatementKind;
    // Each page's buttons, left to right: income, expenditure, analysis, refresh (close last).
    const std::array<std::array<std::function<void()>, 4>, 4> actions{{
        {[this] { dayAction(K::IncomeEntries); }, [this] { dayAction(K::ExpenditureEntries); },
         [this] { dayAction(K::Analysis); }, [this] { dayAction(K::RefreshedEntries); }},
        {[this] { monthEntries(K::IncomeEntries, &QueryWindow::chosenMonth); },
         [this] { monthEntries(K::ExpenditureEntries, &QueryWindow::chosenMonth); },
         [this] { monthAnalysis(); },
         [this] { monthEntries(K::RefreshedEntries, &QueryWindow::currentMonth); }},
        {[this] { seasonAction(K::IncomeEntries); },
         [this] { seasonAction(K::ExpenditureEntries); }, [this] { seasonAction(K::Analysis); },
         [this] { seasonAction(K::RefreshedEntries); }},
        {[this] { yearEntries(K::IncomeEntries, &QueryWindow::chosenYear); },
         [this] { yearEntries(K::ExpenditureEntries, &QueryWindow::chosenYear); },
         [this] { yearAnalysis(); },
         [this] { yearEntries(K::RefreshedEntries, &QueryWindow::currentYear); }},
    }};
    for (size_t page = 0; page < m_pages.size(); ++page) {
        for (size_t i = 0; i < 4; ++i)
            connect(m_pages[page]->button(int(i)), &QToolButton::clicked, this,
                    [this, action = actions[page][i]] { guarded(m_context.dialogs, action); });
        connect(m_pages[page]->button(4), &QToolButton::clicked, this, &QDialog::reject);
    }

    connect(m_monthEdit, &PeriodSpinBox::editTextChanged, this, &QueryWindow::padMonthText);
    // Connected after the first page was added: opening on it is no page change.
    connect(m_periodTabs, &QTabWidget::currentChanged, this,
            [this](int index) { guarded(m_context.dialogs, [&] { pageEntered(index); }); });
}

// ---------------------------------------------------------------------------------------
// Opening, page change, month text

void QueryWindow::openingSteps() {
    showTotals(overallTotalsLine(periods::computeTotals(m_overallTotalsQuery, overallSums())));
    padMonthText();
    m_overallTotalsQuery.close();
}

void QueryWindow::padMonthText() {
    const QString text = m_monthEdit->text();
    if (text.size() == 1)
        m_monthEdit->setEditText(u'0' + text);
    else if (text.size() == 3 && text.startsWith(u'0'))
        // A digit typed behind a padded month ("01" then "2") makes that month ("12").
        m_monthEdit->setEditText(text.mid(1));
}

void QueryWindow::pageEntered(int index) {
    const CurrentPeriod today = now();
    switch (index) {
    case DayPage:
        enterPage(DayPage, Period::Day, {today.day, {}});
        break;
    case MonthPage:
        m_yearEdit->setValue(today.year.toInt());
        m_monthEdit->setValue(today.monthNumber);
        enterPage(MonthPage, Period::Month, {today.month, {}});
        break;
    case SeasonPage:
        m_seasonYear->setValue(today.year.toInt());
        m_season->setCurrentIndex(today.quarter - 1);
        m_season->setEditText(QString::number(today.quarter));
        enterPage(SeasonPage, Period::Quarter, chosenQuarter());
        break;
    case YearPage:
        enterPage(YearPage, Period::Year, {today.year, {}});
        break;
    default:
        break;
    }
}

void QueryWindow::enterPage(Page page, Period period, const PeriodKey& key) {
    const Totals totals = computeTotals(period, key);
    showEntriesView(page);
    loadEntries(period, StatementKind::AllEntries, key);
    showTotals(totalsLine(prefixWord(period), totals));
}

// ---------------------------------------------------------------------------------------
// Button actions

void QueryWindow::monthEntries(StatementKind kind, KeyOf key) {
    periodEntriesAction(MonthPage, Period::Month, kind, key);
}

void QueryWindow::monthAnalysis() {
    showAnalysisView(MonthPage);
    const PeriodKey key = chosenMonth();
    loadAnalysis(Period::Month, key);
    showTotals(totalsLine({}, computeTotals(Period::Month, key)));
}

void QueryWindow::yearEntries(StatementKind kind, KeyOf key) {
    periodEntriesAction(YearPage, Period::Year, kind, key);
}

void QueryWindow::yearAnalysis() {
    showAnalysisView(YearPage);
    const PeriodKey key = chosenYear();
    showTotals(totalsLine({}, computeTotals(Period::Year, key)));
    loadAnalysis(Period::Year, key);
}

void QueryWindow::dayAction(StatementKind kind) {
    const bool analysis = kind == StatementKind::Analysis;
    if (analysis)
        showAnalysisView(DayPage);
    else
        showEntriesView(DayPage);
    const PeriodKey key{now().day, {}};
    if (analysis)
        loadAnalysis(Period::Day, key);
    else
        loadEntries(Period::Day, kind, key);
}

void QueryWindow::periodEntriesAction(Page page, Period period, StatementKind kind, KeyOf keyOf) {
    showEntriesView(page);
    const PeriodKey key = (this->*keyOf)();
    showTotals(totalsLine({}, computeTotals(period, key)));
    loadEntries(period, kind, key);
}

void QueryWindow::seasonAction(StatementKind kind) {
    const PeriodKey key = chosenQuarter();
    showTotals(totalsLine({}, computeTotals(Period::Quarter, key)));
    if (kind == StatementKind::Analysis) {
        showAnalysisView(SeasonPage);
        loadAnalysis(Period::Quarter, key);
    } else {
        showEntriesView(SeasonPage);
        loadEntries(Period::Quarter, kind, key);
    }
}

// ---------------------------------------------------------------------------------------
// Shared steps

void QueryWindow::showEntriesView(Page page) {
    m_pages.at(page)->showEntries();
    m_analysisQuery.close();
}

void QueryWindow::showAnalysisView(Page page) {
    m_pages.at(page)->showAnalysis();
}

void QueryWindow::loadEntries(Period period, StatementKind kind, const PeriodKey& key) {
    m_entriesQuery.setStatement(periodSql(period, kind, key));
    m_entriesQuery.open();
}

void QueryWindow::loadAnalysis(Period period, const PeriodKey& key) {
    m_analysisQuery.setStatement(periodSql(period, StatementKind::Analysis, key));
    m_analysisQuery.open();
}

Totals QueryWindow::computeTotals(Period period, const PeriodKey& key) {
    return periods::computeTotals(m_entriesQuery, periodSums(period, key));
}

void QueryWindow::showTotals(const TotalsLine& line) {
    m_totals->setTexts(line.at(0), line.at(1), line.at(2));
}

// ---------------------------------------------------------------------------------------
// Period keys

CurrentPeriod QueryWindow::now() const {
    return currentPeriod(m_context.clock.now());
}

PeriodKey QueryWindow::chosenMonth() const {
    return {m_yearEdit->text() + u'-' + m_monthEdit->text(), {}};
}

PeriodKey QueryWindow::currentMonth() const {
    return {now().month, {}};
}

PeriodKey QueryWindow::chosenQuarter() const {
    return chosenQuarterBounds(m_seasonYear->text(),
                               formats::parseInteger(m_season->currentText()));
}

PeriodKey QueryWindow::chosenYear() const {
    return {m_yearEdit2->text(), {}};
}

PeriodKey QueryWindow::currentYear() const {
    return {now().year, {}};
}

QLabel* QueryWindow::statusPanel(int index) const {
    return m_totals->panel(index);
}
