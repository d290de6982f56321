#pragma once

#include <QStatusBar>
#include <array>

class QLabel;

// The three-panel totals line along the bottom of a window: panels 200 and 200 pixels wide,
// the third reaching to the right edge, each a real label so screen readers get the texts.
class TotalsBar : public QStatusBar {
    Q_OBJECT
public:
    static constexpr int kHeight = 19;

    explicit TotalsBar(QWidget* parent = nullptr);

    void setTexts(const QString& first, const QString& second, const QString& third);
    QString text(int panel) const;
    QLabel* panel(int index) const { return m_panels.at(index); }

private:
    std::array<QLabel*, 3> m_panels{};
};
