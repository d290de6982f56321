#pragma once

#include "registers/logic/duelist.h"

#include <QWidget>

class QPushButton;

// The main window's line of what falls due: one flat button for each kind that has something
// (deposits, loans, recurring entries), which opens its window when pressed. Each button's
// accessible description carries the full list, so a screen reader reads every item.
class DueLine : public QWidget {
    Q_OBJECT
public:
    explicit DueLine(QWidget* parent = nullptr);

    // Shows the buttons of `due`; an empty list hides the line.
    void setDue(const duelist::DueList& due);
    // Every item shown, one a line (for a desktop notification).
    QString summary() const;
    QPushButton* depositsButton() const { return m_deposits; }
    QPushButton* loansButton() const { return m_loans; }
    QPushButton* schedulesButton() const { return m_schedules; }

signals:
    void savingsWanted();
    void loansWanted();
    void ledgerWanted();

private:
    QPushButton* makeButton(const QString& name);

    QPushButton* m_deposits = nullptr;
    QPushButton* m_loans = nullptr;
    QPushButton* m_schedules = nullptr;
};
