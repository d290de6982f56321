#pragma once

#include "data/querydataset.h"
#include "reports/logic/periods.h"
#include "reports/querypage.h"

#include <QDialog>
#include <array>
#include <functional>

class QComboBox;
class QLabel;
class QTabWidget;
class QToolButton;
class TotalsBar;
class PeriodSpinBox;
class QueryGrid;
class QueryGridModel;
struct Context;

// The query window: the ledger's entries, their per-category analysis and the income,
// expenditure and balance of today, a chosen month, a chosen quarter or a chosen year, one
// period per page. Nothing in it changes data.
class QueryWindow : public QDialog {
    Q_OBJECT
public:
    // Opens the totals query while the window is built; throws AppError when it cannot open
    // (the window then does not open). Errors of the opening steps that follow are shown and
    // the window opens all the same.
    QueryWindow(const Context& context, QWidget* parent = nullptr);
    ~QueryWindow() override;

    // The three panels of the totals line, left to right.
    QLabel* statusPanel(int index) const;

private:
    enum Page { DayPage, MonthPage, SeasonPage, YearPage };

    void buildPages();
    QueryPage* addPage(Page page, const QueryPage::Names& names, const QString& tabText);
    void connectActions();

    // The opening steps, the page change and the month text.
    void openingSteps();
    void pageEntered(int index);
    void padMonthText();

    // The actions of the month and year pages' buttons (the day and quarter pages have
    // one action each, below).
    using KeyOf = periods::PeriodKey (QueryWindow::*)() const;
    void monthEntries(periods::StatementKind kind, KeyOf key);
    void monthAnalysis();
    void yearEntries(periods::StatementKind kind, KeyOf key);
    void yearAnalysis();

    // Steps the actions share.
    void showEntriesView(Page page);
    void showAnalysisView(Page page);
    void loadEntries(periods::Period period, periods::StatementKind kind,
                     const periods::PeriodKey& key);
    void loadAnalysis(periods::Period period, const periods::PeriodKey& key);
    periods::Totals computeTotals(periods::Period period, const periods::PeriodKey& key);
    void showTotals(const periods::TotalsLine& line);
    void enterPage(Page page, periods::Period period, const periods::PeriodKey& key);
    // Day page: switch the view, then load the day's list or analysis; totals untouched.
    void dayAction(periods::StatementKind kind);
    // Month and year pages: switch the view, form the key, write the totals without a
    // prefix, then load the list.
    void periodEntriesAction(Page page, periods::Period period, periods::StatementKind kind,
                             KeyOf key);
    // Quarter page: the chosen quarter's bounds first, then the totals, then the view and
    // the list or the analysis.
    void seasonAction(periods::StatementKind kind);

    periods::CurrentPeriod now() const;
    periods::PeriodKey chosenMonth() const;
    periods::PeriodKey currentMonth() const;
    periods::PeriodKey chosenQuarter() const;
    periods::PeriodKey chosenYear() const;
    periods::PeriodKey currentYear() const;

    const Context& m_context;
    QueryDataset m_entriesQuery;
    QueryDataset m_analysisQuery;
    QueryDataset m_overallTotalsQuery;

    QTabWidget* m_periodTabs = nullptr;
    std::array<QueryPage*, 4> m_pages{};
    QueryGridModel* m_entriesModel = nullptr;
    QueryGridModel* m_analysisModel = nullptr;
    PeriodSpinBox* m_yearEdit = nullptr;
    PeriodSpinBox* m_monthEdit = nullptr;
    PeriodSpinBox* m_seasonYear = nullptr;
    QComboBox* m_season = nullptr;
    PeriodSpinBox* m_yearEdit2 = nullptr;
    TotalsBar* m_totals = nullptr;
};
