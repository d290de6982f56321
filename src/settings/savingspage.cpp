#include "settings/savingspage.h"

#include "platform/actionguard.h"
#include "settings/logic/ratesandtax.h"
#include "ui/datagrid.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace {

// The tax edit takes at most this many characters from the keyboard.
constexpr int kTaxLength = 4;

QList<GridColumn> rateColumns() {
    const Qt::Alignment left = Qt::AlignLeft | Qt::AlignVCenter;
    const Qt::Alignment right = Qt::AlignRight | Qt::AlignVCenter;
    return {{.title = QStringLiteral("存期"),
             .field = QStringLiteral("interestname"),
             .width = 140,
             .kind = ColumnKind::Text,
             .choices = {},
             .alignment = left,
             .readOnly = true},
            {.title = QStringLiteral("月份"),
             .field = QStringLiteral("interestmonth"),
             .width = 70,
             .kind = ColumnKind::Text,
             .choices = {},
             .alignment = right,
             .readOnly = true},
            {.title = QStringLiteral("利率"),
             .field = QStringLiteral("interest"),
             .width = 90,
             .kind = ColumnKind::Text,
             .choices = {},
             .alignment = right}};
}

} // namespace

SavingsPage::SavingsPage(TableDataset* rates, TableDataset* tax, Dialogs& dialogs, QWidget* parent)
    : QWidget(parent), m_rates(rates), m_tax(tax), m_dialogs(dialogs) {
    setObjectName(QStringLiteral("cxpage"));

    auto* taxLabel = new QLabel(QStringLiteral("储蓄利息税金"), this);
    m_taxEdit = new QLineEdit(this);
    m_taxEdit->setObjectName(QStringLiteral("tax"));
    m_taxEdit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_taxEdit->setFixedWidth(56);
    // The stored rate is shown whole: a text longer than the limit (books edited by hand) is
    // not cut, which a later save would store cut.
    const QString stored = settings::taxText(*tax);
    m_taxEdit->setMaxLength(std::max(kTaxLength, int(stored.size())));
    m_taxEdit->setText(stored);
    taxLabel->setBuddy(m_taxEdit);
    auto* percent = new QLabel(QStringLiteral("%"), this);

    m_grid = new DataGrid(rates, rateColumns(), dialogs, this);
    m_grid->setObjectName(QStringLiteral("szDBGrid"));
    m_grid->setAccessibleName(QStringLiteral("存款利率"));
    m_grid->setRowsFixed(true);

    m_save = new QPushButton(QStringLiteral("保存修改"), this);
    m_save->setObjectName(QStringLiteral("cmdsave"));
    m_save->setAutoDefault(false);
    m_save->setFixedSize(90, 28);

    auto* taxRow = new QHBoxLayout;
    taxRow->setSpacing(6);
    taxRow->addWidget(taxLabel);
    taxRow->addWidget(m_taxEdit);
    taxRow->addWidget(percent);
    taxRow->addStretch(1);
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addStretch(1);
    buttonRow->addWidget(m_save);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 12, 12, 12);
    layout->setSpacing(10);
    layout->addLayout(taxRow);
    layout->addWidget(m_grid, 1);
    layout->addLayout(buttonRow);

    setTabOrder(m_taxEdit, m_grid);
    setTabOrder(m_grid, m_save);
    connect(m_save, &QPushButton::clicked, this, &SavingsPage::save);
}

void SavingsPage::save() {
    guarded(m_dialogs, [&] {
        // The rate typed into the open cell first; one that does not convert has been
        // refused with its own error box and keeps its editor.
        if (!m_grid->commitEditor())
            return;
        m_grid->abandonEditor();
        settings::saveRatesAndTax(*m_rates, *m_tax, m_taxEdit->text());
    });
    m_grid->openEditor();
}
