#include "reports/querypage.h"

#include "reports/periodspinbox.h"
#include "reports/querygrid.h"

#include <QLabel>
#include <QStyle>
#include <QToolButton>

namespace {

const QRect kGridRect(17, 16, 537, 363);
constexpr int kButtonsTop = 422;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 31;
constexpr std::array<int, 5> kButtonLefts{34, 138, 242, 346, 450};
constexpr std::array<int, 5> kButtonIcons{QStyle::SP_ArrowDown, QStyle::SP_ArrowUp,
                                          QStyle::SP_FileDialogDetailedView,
                                          QStyle::SP_BrowserReload, QStyle::SP_DialogCloseButton};

} // namespace

QueryPage::QueryPage(const Names& names, QueryGridModel* entries, QueryGridModel* analysis,
                     Dialogs& dialogs,
                     QWidget* parent)
    : QWidget(parent) {
    setObjectName(names.sheet);
    // The type of an entry keeps its width; the other columns share the rest.
    m_entries = new QueryGrid(entries, {{QStringLiteral("sz"), 50}}, dialogs, this);
    m_entries->setObjectName(names.entriesGrid);
    m_entries->setGeometry(kGridRect);
    m_analysis = new QueryGrid(analysis, {}, dialogs, this);
    m_analysis->setObjectName(names.analysisGrid);
    m_analysis->setGeometry(kGridRect);
    m_analysis->hide();

    for (size_t i = 0; i < m_buttons.size(); ++i) {
        auto* b = new QToolButton(this);
        b->setObjectName(QLatin1String(names.buttons.at(i)));
        b->setText(names.captions.at(i));
        b->setIcon(style()->standardIcon(QStyle::StandardPixmap(kButtonIcons.at(i))));
        b->setIconSize(QSize(14, 14));
        b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        b->setAutoRaise(true);
        b->setFocusPolicy(Qt::StrongFocus);
        b->setGeometry(kButtonLefts.at(i), kButtonsTop, kButtonWidth, kButtonHeight);
        m_buttons.at(i) = b;
    }
}

void QueryPage::showEntries() {
    m_analysis->hide();
    m_entries->show();
}

void QueryPage::showAnalysis() {
    m_entries->hide();
    m_analysis->show();
}

QLabel* QueryPage::addLabel(const QString& text, int left, int width) {
    auto* l = new QLabel(text, this);
    l->setGeometry(left, kControlsTop, width, kControlsHeight);
    l->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    return l;
}

PeriodSpinBox* QueryPage::addSpinBox(const char* name, int minimum, int maximum, bool twoDigits,
                                     int left, int width, QLabel* buddy) {
    // Every box starts at its minimum; entering the page sets the current period.
    auto* box = new PeriodSpinBox(minimum, maximum, minimum, twoDigits, this);
    box->setObjectName(QLatin1String(name));
    box->setGeometry(left, kControlsTop, width, kControlsHeight);
    if (buddy)
        buddy->setBuddy(box);
    return box;
}
