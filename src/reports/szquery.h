#pragma once

#include "data/querydataset.h"
#include "reports/logic/periods.h"

#include <QDialog>
#include <array>

class QComboBox;
class QLabel;
class QStatusBar;
class QTabWidget;
class QToolButton;
class PeriodSpinBox;
class QueryGrid;
class QueryGridModel;
struct Context;

// The query window: the ledger's entries, their per-category analysis and the income,
// expenditure and balance of today, a chosen month, a chosen quarter or a chosen year, one
// period per page. Nothing in it changes data.
class Tfmszquery : public QDialog {
    Q_OBJECT
public:
    // Opens the totals query while the window is built; throws AppError when it cannot open
    // (the window then does not open). Errors of the opening steps that follow are shown and
    // the window opens all the same.
    Tfmszquery(const Context& context, QWidget* parent = nullptr);
    ~Tfmszquery() override;

    // The three panels of the totals line, left to right.
    QLabel* statusPanel(int index) const { return m_panels.at(index); }

private:
    enum Page { DayPage, MonthPage, SeasonPage, YearPage };
    struct PageWidgets {
        QWidget* sheet = nullptr;
        QueryGrid* entries = nullptr;
        QueryGrid* analysis = nullptr;
    };

    void buildPages();
    QWidget* buildPage(Page page, const QString& name, const QString& tabText,
                       const QString& entriesName, const QString& analysisName,
                       const std::array<const char*, 5>& buttonNames,
                       const std::array<QString, 5>& buttonTexts);
    QToolButton* addButton(QWidget* sheet, const char* name, const QString& text, int left,
                           int icon);
    void buildStatusBar();
    void connectActions();
    void act(void (Tfmszquery::*action)());

    // The opening steps, the page change and the month text.
    void FormCreate();
    void RzPageChange(int index);
    void month_editChange();

    // Button actions, in the order of the buttons on their pages.
    void sr_dayClick();
    void zc_dayClick();
    void day_calClick();
    void dayrefreshClick();
    void sr_monthClick();
    void zc_monthClick();
    void cal_monthClick();
    void month_refreshClick();
    void sr_seasonClick();
    void zc_seasonClick();
    void cal_seasonClick();
    void seasonrefreshClick();
    void sr_yearClick();
    void zc_yearClick();
    void cal_yearClick();
    void yearrefreshClick();

    // Steps the actions share.
    void showEntriesView(Page page);
    void showAnalysisView(Page page);
    void loadEntries(periods::Period period, periods::StatementKind kind,
                     const periods::PeriodKey& key);
    void loadAnalysis(periods::Period period, const periods::PeriodKey& key);
    periods::Totals computeTotals(periods::Period period, const periods::PeriodKey& key);
    void show_totals(const periods::TotalsLine& line);
    void enterPage(Page page, periods::Period period, const periods::PeriodKey& key);
    // Day page: switch the view, then load the day's list or analysis; totals untouched.
    void dayAction(periods::StatementKind kind);
    // Month and year pages: switch the view, form the key, write the totals without a
    // prefix, then load the list.
    using KeyOf = periods::PeriodKey (Tfmszquery::*)() const;
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
    QueryDataset m_szadoquery;
    QueryDataset m_calquery;
    QueryDataset m_statusbarQuery;

    QTabWidget* m_rzPage = nullptr;
    std::array<PageWidgets, 4> m_pages;
    QueryGridModel* m_entriesModel = nullptr;
    QueryGridModel* m_analysisModel = nullptr;
    PeriodSpinBox* m_yearEdit = nullptr;
    PeriodSpinBox* m_monthEdit = nullptr;
    PeriodSpinBox* m_seasonYear = nullptr;
    QComboBox* m_season = nullptr;
    PeriodSpinBox* m_yearEdit2 = nullptr;
    QStatusBar* m_statusBar = nullptr;
    std::array<QLabel*, 3> m_panels{};
};
