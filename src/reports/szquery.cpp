#include "reports/szquery.h"

#include "data/formats.h"
#include "platform/actionguard.h"
#include "platform/clock.h"
#include "platform/context.h"
#include "platform/widgets/look.h"
#include "reports/periodspinbox.h"
#include "reports/querygrid.h"
#include "reports/querygridmodel.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QTabWidget>
#include <QToolButton>

using namespace periods;

namespace {

const QString kCaption = QStringLiteral("综合查询");
constexpr int kClientWidth = 582;
constexpr int kClientHeight = 516;
constexpr int kStatusBarHeight = 19;
constexpr int kPanelWidth = 200;

// Where things stand on every page.
const QRect kGridRect(17, 16, 537, 363);
constexpr int kControlsTop = 387;
constexpr int kControlsHeight = 21;
constexpr int kYearBoxLeft = 96;
constexpr int kButtonsTop = 422;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 31;
constexpr std::array<int, 5> kButtonLefts{34, 138, 242, 346, 450};

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
    return {{QStringLiteral("adddate"), QStringLiteral("日期"), Display::Date, kCentred},
            {QStringLiteral("sz"), QStringLiteral("收支"), Display::Text, kCentred},
            {QStringLiteral("szdl"), QStringLiteral("大类"), Display::Text, kLeft},
            {QStringLiteral("szxl"), QStringLiteral("细类"), Display::Text, kLeft},
            {QStringLiteral("money"), QStringLiteral("金额"), Display::Amount, kRight},
            {QStringLiteral("zffs"), QStringLiteral("支付方式"), Display::Text, kLeft},
            {QStringLiteral("memo"), QStringLiteral("备注"), Display::Text, kLeft}};
}

QList<QueryGridModel::Column> analysisColumns() {
    return {{QStringLiteral("sz"), QStringLiteral("收支"), Display::Text, kLeft},
            {QStringLiteral("szdl"), QStringLiteral("收支大类"), Display::Text, kLeft},
            {QStringLiteral("szxl"), QStringLiteral("收支细类"), Display::Text, kLeft},
            {QStringLiteral("CountSZ"), QStringLiteral("笔数"), Display::Text, kRight},
            {QStringLiteral("SumSZ"), QStringLiteral("小计"), Display::Amount, kRight},
            {QStringLiteral("AvgSZ"), QStringLiteral("每笔平均数"), Display::Amount, kRight}};
}

QLabel* addLabel(QWidget* sheet, const QString& text, int left, int width) {
    auto* l = new QLabel(text, sheet);
    l->setGeometry(left, kControlsTop, width, kControlsHeight);
    l->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    return l;
}

PeriodSpinBox* addSpinBox(QWidget* sheet, const char* name, int minimum, int maximum, int initial,
                          bool twoDigits, int left, int width, QLabel* buddy) {
    auto* box = new PeriodSpinBox(minimum, maximum, initial, twoDigits, sheet);
    box->setObjectName(QLatin1String(name));
    box->setGeometry(left, kControlsTop, width, kControlsHeight);
    if (buddy)
        buddy->setBuddy(box);
    return box;
}

} // namespace

Tfmszquery::Tfmszquery(const Context& context, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint),
      m_context(context), m_szadoquery(context.odbcIniPath, kEntriesAtLoad),
      m_calquery(context.odbcIniPath, kAnalysisAtLoad),
      m_statusbarQuery(context.odbcIniPath, kTotalsAtLoad) {
    // The totals query opens with the window; when it cannot, the window does not open.
    m_statusbarQuery.open();

    setObjectName(QStringLiteral("fmszquery"));
    setWindowTitle(kCaption);
    setFont(programFont());
    setFixedSize(kClientWidth, kClientHeight);
    setSizeGripEnabled(false);

    m_entriesModel = new QueryGridModel(entriesColumns(), m_szadoquery.model(), this);
    m_analysisModel = new QueryGridModel(analysisColumns(), m_calquery.model(), this);
    m_entriesModel->setObjectName(QStringLiteral("szDataSource"));
    m_analysisModel->setObjectName(QStringLiteral("calDataSource"));
    buildPages();
    buildStatusBar();

    if (const QScreen* s = screen()) {
        const QRect area = s->availableGeometry();
        move(area.center() - QPoint(kClientWidth / 2, kClientHeight / 2));
    }

    guarded(m_context.dialogs, [this] { FormCreate(); });
    connectActions();
}

Tfmszquery::~Tfmszquery() = default;

// ---------------------------------------------------------------------------------------
// Building the window

void Tfmszquery::buildPages() {
    m_rzPage = new QTabWidget(this);
    m_rzPage->setObjectName(QStringLiteral("RzPage"));
    m_rzPage->setGeometry(0, 0, kClientWidth, kClientHeight - kStatusBarHeight);
    m_rzPage->setDocumentMode(false);

    buildPage(DayPage, QStringLiteral("szday_sheet"), QStringLiteral("今日收支"),
              QStringLiteral("dayDBGrid"), QStringLiteral("calday_dbgrid"),
              {"sr_day", "zc_day", "day_cal", "dayrefresh", "closeform"},
              {QStringLiteral("今日收入"), QStringLiteral("今日支出"), QStringLiteral("归类分析"),
               QStringLiteral("数据刷新"), QStringLiteral("关闭")});

    QWidget* month =
        buildPage(MonthPage, QStringLiteral("szmonth_Sheet"), QStringLiteral("月度收支"),
                  QStringLiteral("monthDBGrid"), QStringLiteral("calmonth_DBGrid"),
                  {"sr_month", "zc_month", "cal_month", "month_refresh", "close_month"},
                  {QStringLiteral("月度收入"), QStringLiteral("月度支出"),
                   QStringLiteral("归类分析"), QStringLiteral("数据刷新"), QStringLiteral("关闭")});
    QLabel* monthCaption = addLabel(month, QStringLiteral("选择日期："), 34, 62);
    m_yearEdit =
        addSpinBox(month, "year_edit", 2003, 9999, 2003, false, kYearBoxLeft, 60, monthCaption);
    addLabel(month, QStringLiteral("年"), 160, 14);
    m_monthEdit = addSpinBox(month, "month_edit", 1, 12, 1, true, 178, 46, nullptr);
    addLabel(month, QStringLiteral("月"), 228, 14);

    QWidget* season =
        buildPage(SeasonPage, QStringLiteral("szseason_sheet"), QStringLiteral("季度收支"),
                  QStringLiteral("seasonDBGrid"), QStringLiteral("calseason_DBGrid"),
                  {"sr_season", "zc_season", "cal_season", "seasonrefresh", "close_season"},
                  {QStringLiteral("季度收入"), QStringLiteral("季度支出"),
                   QStringLiteral("归类分析"), QStringLiteral("数据刷新"), QStringLiteral("关闭")});
    QLabel* seasonCaption = addLabel(season, QStringLiteral("选择日期："), 34, 62);
    m_seasonYear =
        addSpinBox(season, "RzSpinEdit2", 2003, 9999, 2003, false, kYearBoxLeft, 60, seasonCaption);
    addLabel(season, QStringLiteral("年"), 160, 14);
    addLabel(season, QStringLiteral("第"), 178, 14);
    m_season = new QComboBox(season);
    m_season->setObjectName(QStringLiteral("season"));
    m_season->setEditable(true);
    m_season->setInsertPolicy(QComboBox::NoInsert);
    m_season->addItems(
        {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4")});
    m_season->setCurrentIndex(0);
    m_season->setGeometry(194, kControlsTop, 46, kControlsHeight);
    addLabel(season, QStringLiteral("季度"), 244, 28);

    QWidget* year =
        buildPage(YearPage, QStringLiteral("year_sheet"), QStringLiteral("年度收支"),
                  QStringLiteral("yearDBGrid"), QStringLiteral("calyear_DBGrid"),
                  {"sr_year", "zc_year", "cal_year", "yearrefresh", "year_close"},
                  {QStringLiteral("年度收入"), QStringLiteral("年度支出"),
                   QStringLiteral("归类分析"), QStringLiteral("数据刷新"), QStringLiteral("关闭")});
    QLabel* yearCaption = addLabel(year, QStringLiteral("选择日期："), 34, 62);
    m_yearEdit2 =
        addSpinBox(year, "year_edit2", 2003, 9999, 2003, false, kYearBoxLeft, 60, yearCaption);
    addLabel(year, QStringLiteral("年"), 160, 14);

    m_rzPage->setCurrentIndex(DayPage);
}

QWidget* Tfmszquery::buildPage(Page page, const QString& name, const QString& tabText,
                               const QString& entriesName, const QString& analysisName,
                               const std::array<const char*, 5>& buttonNames,
                               const std::array<QString, 5>& buttonTexts) {
    auto* sheet = new QWidget;
    sheet->setObjectName(name);
    PageWidgets& w = m_pages.at(page);
    w.sheet = sheet;
    // The type of an entry keeps its width; the other columns share the rest.
    w.entries =
        new QueryGrid(m_entriesModel, {{QStringLiteral("sz"), 50}}, m_context.dialogs, sheet);
    w.entries->setObjectName(entriesName);
    w.entries->setGeometry(kGridRect);
    w.analysis = new QueryGrid(m_analysisModel, {}, m_context.dialogs, sheet);
    w.analysis->setObjectName(analysisName);
    w.analysis->setGeometry(kGridRect);
    w.analysis->hide();

    static constexpr std::array<int, 5> icons{
        QStyle::SP_ArrowDown, QStyle::SP_ArrowUp, QStyle::SP_FileDialogDetailedView,
        QStyle::SP_BrowserReload, QStyle::SP_DialogCloseButton};
    for (int i = 0; i < 5; ++i)
        addButton(sheet, buttonNames.at(i), buttonTexts.at(i), kButtonLefts.at(i), icons.at(i));
    m_rzPage->addTab(sheet, tabText);
    return sheet;
}

QToolButton* Tfmszquery::addButton(QWidget* sheet, const char* name, const QString& text, int left,
                                   int icon) {
    auto* b = new QToolButton(sheet);
    b->setObjectName(QLatin1String(name));
    b->setText(text);
    b->setIcon(style()->standardIcon(QStyle::StandardPixmap(icon)));
    b->setIconSize(QSize(14, 14));
    b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    b->setAutoRaise(true);
    b->setFocusPolicy(Qt::StrongFocus);
    b->setGeometry(left, kButtonsTop, kButtonWidth, kButtonHeight);
    return b;
}

void Tfmszquery::buildStatusBar() {
    m_statusBar = new QStatusBar(this);
    m_statusBar->setObjectName(QStringLiteral("StatusBar"));
    m_statusBar->setSizeGripEnabled(false);
    m_statusBar->setGeometry(0, kClientHeight - kStatusBarHeight, kClientWidth, kStatusBarHeight);
    for (int i = 0; i < 3; ++i) {
        auto* panel = new QLabel(m_statusBar);
        panel->setObjectName(QStringLiteral("panel%1").arg(i + 1));
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panel->setContentsMargins(2, 0, 2, 0);
        if (i < 2) {
            panel->setFixedWidth(kPanelWidth);
            m_statusBar->addWidget(panel);
        } else {
            m_statusBar->addWidget(panel, 1);
        }
        m_panels.at(i) = panel;
    }
}

void Tfmszquery::connectActions() {
    const auto on = [this](const char* name, void (Tfmszquery::*action)()) {
        auto* b = findChild<QToolButton*>(QLatin1String(name));
        connect(b, &QToolButton::clicked, this, [this, action] { act(action); });
    };
    on("sr_day", &Tfmszquery::sr_dayClick);
    on("zc_day", &Tfmszquery::zc_dayClick);
    on("day_cal", &Tfmszquery::day_calClick);
    on("dayrefresh", &Tfmszquery::dayrefreshClick);
    on("sr_month", &Tfmszquery::sr_monthClick);
    on("zc_month", &Tfmszquery::zc_monthClick);
    on("cal_month", &Tfmszquery::cal_monthClick);
    on("month_refresh", &Tfmszquery::month_refreshClick);
    on("sr_season", &Tfmszquery::sr_seasonClick);
    on("zc_season", &Tfmszquery::zc_seasonClick);
    on("cal_season", &Tfmszquery::cal_seasonClick);
    on("seasonrefresh", &Tfmszquery::seasonrefreshClick);
    on("sr_year", &Tfmszquery::sr_yearClick);
    on("zc_year", &Tfmszquery::zc_yearClick);
    on("cal_year", &Tfmszquery::cal_yearClick);
    on("yearrefresh", &Tfmszquery::yearrefreshClick);
    for (const char* name : {"closeform", "close_month", "close_season", "year_close"})
        connect(findChild<QToolButton*>(QLatin1String(name)), &QToolButton::clicked, this,
                &QDialog::reject);

    connect(m_monthEdit, &PeriodSpinBox::editTextChanged, this, &Tfmszquery::month_editChange);
    // Connected after the first page was added: opening on it is no page change.
    connect(m_rzPage, &QTabWidget::currentChanged, this,
            [this](int index) { guarded(m_context.dialogs, [&] { RzPageChange(index); }); });
}

void Tfmszquery::act(void (Tfmszquery::*action)()) {
    guarded(m_context.dialogs, [&] { (this->*action)(); });
}

// ---------------------------------------------------------------------------------------
// Opening, page change, month text

void Tfmszquery::FormCreate() {
    show_totals(overall_totals_line(compute_totals(m_statusbarQuery, overall_sums())));
    month_editChange();
    m_statusbarQuery.close();
}

void Tfmszquery::month_editChange() {
    const QString text = m_monthEdit->text();
    if (text.size() == 1)
        m_monthEdit->setEditText(u'0' + text);
    else if (text.size() == 3 && text.startsWith(u'0'))
        // A digit typed behind a padded month ("01" then "2") makes that month ("12").
        m_monthEdit->setEditText(text.mid(1));
}

void Tfmszquery::RzPageChange(int index) {
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

void Tfmszquery::enterPage(Page page, Period period, const PeriodKey& key) {
    const Totals totals = computeTotals(period, key);
    showEntriesView(page);
    loadEntries(period, StatementKind::AllEntries, key);
    show_totals(totals_line(prefix_word(period), totals));
}

// ---------------------------------------------------------------------------------------
// Button actions

void Tfmszquery::sr_dayClick() {
    dayAction(StatementKind::IncomeEntries);
}

void Tfmszquery::zc_dayClick() {
    dayAction(StatementKind::ExpenditureEntries);
}

void Tfmszquery::day_calClick() {
    dayAction(StatementKind::Analysis);
}

void Tfmszquery::dayrefreshClick() {
    dayAction(StatementKind::RefreshedEntries);
}

void Tfmszquery::sr_monthClick() {
    periodEntriesAction(MonthPage, Period::Month, StatementKind::IncomeEntries,
                        &Tfmszquery::chosenMonth);
}

void Tfmszquery::zc_monthClick() {
    periodEntriesAction(MonthPage, Period::Month, StatementKind::ExpenditureEntries,
                        &Tfmszquery::chosenMonth);
}

void Tfmszquery::cal_monthClick() {
    showAnalysisView(MonthPage);
    const PeriodKey key = chosenMonth();
    loadAnalysis(Period::Month, key);
    show_totals(totals_line({}, computeTotals(Period::Month, key)));
}

void Tfmszquery::month_refreshClick() {
    periodEntriesAction(MonthPage, Period::Month, StatementKind::RefreshedEntries,
                        &Tfmszquery::currentMonth);
}

void Tfmszquery::sr_seasonClick() {
    seasonAction(StatementKind::IncomeEntries);
}

void Tfmszquery::zc_seasonClick() {
    seasonAction(StatementKind::ExpenditureEntries);
}

void Tfmszquery::cal_seasonClick() {
    seasonAction(StatementKind::Analysis);
}

void Tfmszquery::seasonrefreshClick() {
    seasonAction(StatementKind::RefreshedEntries);
}

void Tfmszquery::sr_yearClick() {
    periodEntriesAction(YearPage, Period::Year, StatementKind::IncomeEntries,
                        &Tfmszquery::chosenYear);
}

void Tfmszquery::zc_yearClick() {
    periodEntriesAction(YearPage, Period::Year, StatementKind::ExpenditureEntries,
                        &Tfmszquery::chosenYear);
}

void Tfmszquery::cal_yearClick() {
    showAnalysisView(YearPage);
    const PeriodKey key = chosenYear();
    show_totals(totals_line({}, computeTotals(Period::Year, key)));
    loadAnalysis(Period::Year, key);
}

void Tfmszquery::yearrefreshClick() {
    periodEntriesAction(YearPage, Period::Year, StatementKind::RefreshedEntries,
                        &Tfmszquery::currentYear);
}

void Tfmszquery::dayAction(StatementKind kind) {
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

void Tfmszquery::periodEntriesAction(Page page, Period period, StatementKind kind, KeyOf keyOf) {
    showEntriesView(page);
    const PeriodKey key = (this->*keyOf)();
    show_totals(totals_line({}, computeTotals(period, key)));
    loadEntries(period, kind, key);
}

void Tfmszquery::seasonAction(StatementKind kind) {
    const PeriodKey key = chosenQuarter();
    show_totals(totals_line({}, computeTotals(Period::Quarter, key)));
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

void Tfmszquery::showEntriesView(Page page) {
    PageWidgets& w = m_pages.at(page);
    w.analysis->hide();
    w.entries->show();
    m_calquery.close();
}

void Tfmszquery::showAnalysisView(Page page) {
    PageWidgets& w = m_pages.at(page);
    w.entries->hide();
    w.analysis->show();
}

void Tfmszquery::loadEntries(Period period, StatementKind kind, const PeriodKey& key) {
    m_szadoquery.setStatement(period_sql(period, kind, key));
    m_szadoquery.open();
}

void Tfmszquery::loadAnalysis(Period period, const PeriodKey& key) {
    m_calquery.setStatement(period_sql(period, StatementKind::Analysis, key));
    m_calquery.open();
}

Totals Tfmszquery::computeTotals(Period period, const PeriodKey& key) {
    return compute_totals(m_szadoquery, period_sums(period, key));
}

void Tfmszquery::show_totals(const TotalsLine& line) {
    for (int i = 0; i < 3; ++i)
        m_panels.at(i)->setText(line.at(i));
}

// ---------------------------------------------------------------------------------------
// Period keys

CurrentPeriod Tfmszquery::now() const {
    return current_period(m_context.clock.now());
}

PeriodKey Tfmszquery::chosenMonth() const {
    return {m_yearEdit->text() + u'-' + m_monthEdit->text(), {}};
}

PeriodKey Tfmszquery::currentMonth() const {
    return {now().month, {}};
}

PeriodKey Tfmszquery::chosenQuarter() const {
    return quarter_bounds(m_seasonYear->text(), formats::parseInteger(m_season->currentText()));
}

PeriodKey Tfmszquery::chosenYear() const {
    return {m_yearEdit2->text(), {}};
}

PeriodKey Tfmszquery::currentYear() const {
    return {now().year, {}};
}
