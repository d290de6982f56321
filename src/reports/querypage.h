#pragma once

#include <QString>
#include <QWidget>
#include <array>

class QLabel;
class QToolButton;
class PeriodSpinBox;
class QueryGrid;
class Dialogs;
class QueryGridModel;

// One page of the query window: the entries grid and, in its place, the analysis grid,
// five buttons in one row (income, expenditure, analysis, refresh, close), and room above
// the buttons for the page's period controls.
class QueryPage : public QWidget {
    Q_OBJECT
public:
    // The documented names of a page and of its controls, and the buttons' captions.
    struct Names {
        QString sheet;
        QString entriesGrid;
        QString analysisGrid;
        std::array<const char*, 5> buttons;
        std::array<QString, 5> captions;
    };

    QueryPage(const Names& names, QueryGridModel* entries, QueryGridModel* analysis, Dialogs& dialogs,
              QWidget* parent = nullptr);

    QToolButton* button(int index) const { return m_buttons.at(index); }
    // Shows the entries grid or the analysis grid in the page.
    void showEntries();
    void showAnalysis();

    // The period controls in the row above the buttons.
    QLabel* addLabel(const QString& text, int left, int width);
    PeriodSpinBox* addSpinBox(const char* name, int minimum, int maximum, bool twoDigits, int left,
                              int width, QLabel* buddy);
    static constexpr int kControlsTop = 387;
    static constexpr int kControlsHeight = 21;

private:
    QueryGrid* m_entries = nullptr;
    QueryGrid* m_analysis = nullptr;
    std::array<QToolButton*, 5> m_buttons{};
};
