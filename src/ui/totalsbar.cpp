#include "ui/totalsbar.h"

#include <QLabel>

namespace {
constexpr int kPanelWidth = 200;
}

TotalsBar::TotalsBar(QWidget* parent) : QStatusBar(parent) {
    setObjectName(QStringLiteral("StatusBar"));
    setSizeGripEnabled(false);
    setFixedHeight(kHeight);
    for (int i = 0; i < 3; ++i) {
        auto* label = new QLabel(this);
        label->setObjectName(QStringLiteral("panel%1").arg(i + 1));
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setContentsMargins(2, 0, 2, 0);
        if (i < 2)
            label->setFixedWidth(kPanelWidth);
        addWidget(label, i < 2 ? 0 : 1);
        m_panels.at(i) = label;
    }
}

void TotalsBar::setTexts(const QString& first, const QString& second, const QString& third) {
    m_panels[0]->setText(first);
    m_panels[1]->setText(second);
    m_panels[2]->setText(third);
}

QString TotalsBar::text(int panel) const {
    return panel >= 0 && panel < int(m_panels.size()) ? m_panels.at(panel)->text() : QString();
}
