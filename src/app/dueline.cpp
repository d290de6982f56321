#include "app/dueline.h"

#include <QAccessible>
#include <QHBoxLayout>
#include <QPushButton>

DueLine::DueLine(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("dueline"));
    setAccessibleName(QStringLiteral("到期提醒"));
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(6);
    m_deposits = makeButton(QStringLiteral("duedeposits"));
    m_loans = makeButton(QStringLiteral("dueloans"));
    m_schedules = makeButton(QStringLiteral("dueschedules"));
    row->addStretch(1);
    connect(m_deposits, &QPushButton::clicked, this, &DueLine::savingsWanted);
    connect(m_loans, &QPushButton::clicked, this, &DueLine::loansWanted);
    connect(m_schedules, &QPushButton::clicked, this, &DueLine::ledgerWanted);
    hide();
}

QPushButton* DueLine::makeButton(const QString& name) {
    auto* b = new QPushButton(this);
    b->setObjectName(name);
    b->setFlat(true);
    b->setAutoDefault(false);
    b->setStyleSheet(QStringLiteral("QPushButton { color: #a0280a; text-decoration: underline; }"));
    b->setCursor(Qt::PointingHandCursor);
    b->hide();
    layout()->addWidget(b);
    return b;
}

namespace {
void fill(QPushButton* b, const QString& text, const QStringList& items) {
    b->setText(text);
    b->setAccessibleName(text);
    b->setAccessibleDescription(items.join(QStringLiteral("；")));
    b->setToolTip(items.join(u'\n'));
    b->setVisible(true);
}
} // namespace

void DueLine::setDue(const duelist::DueList& due) {
    m_deposits->hide();
    m_loans->hide();
    m_schedules->hide();
    if (!due.deposits.isEmpty())
        fill(m_deposits, QStringLiteral("%1 笔存款到期").arg(due.deposits.size()), due.deposits);
    if (!due.loans.isEmpty())
        fill(m_loans, QStringLiteral("%1 笔借贷已过预还款日期").arg(due.loans.size()), due.loans);
    if (due.schedules > 0) {
        const QString text = QStringLiteral("%1 条定期收支待入账").arg(due.schedules);
        fill(m_schedules, text, {text + QStringLiteral("（打开收支管理后保存）")});
    }
    setVisible(!due.isEmpty());
    if (!due.isEmpty()) {
        // Screen readers hear the line when it appears, not only when the user reaches it.
        QAccessibleEvent alert(this, QAccessible::Alert);
        QAccessible::updateAccessibility(&alert);
    }
}

QString DueLine::summary() const {
    QStringList lines;
    for (QPushButton* b : {m_deposits, m_loans, m_schedules})
        if (!b->isHidden())
            lines << b->text() + QStringLiteral("：") + b->accessibleDescription();
    return lines.join(u'\n');
}
