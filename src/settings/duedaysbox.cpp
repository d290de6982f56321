#include "settings/duedaysbox.h"

#include "data/booksaccess.h"
#include "data/connection.h"
#include "data/schedulebook.h"
#include "data/schema.h"
#include "platform/actionguard.h"
#include "platform/apperror.h"
#include "platform/dialogs.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>

DueDaysBox::DueDaysBox(BooksLocation books, Dialogs& dialogs, QWidget* parent)
    : QWidget(parent), m_books(std::move(books)), m_dialogs(dialogs) {
    m_days = new QSpinBox(this);
    m_days->setObjectName(QStringLiteral("duedays"));
    m_days->setRange(0, 366);
    m_days->setValue(schema::kInitialDaysAhead);
    m_days->setAccessibleName(QStringLiteral("存款到期提前提醒天数"));
    m_save = new QPushButton(QStringLiteral("保存天数"), this);
    m_save->setObjectName(QStringLiteral("cmddays"));
    m_save->setAutoDefault(false);
    m_save->setFixedSize(90, 28);
    auto* label = new QLabel(QStringLiteral("存款到期提前提醒天数"), this);
    label->setBuddy(m_days);

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(label);
    row->addWidget(m_days);
    row->addStretch(1);
    row->addWidget(m_save);
    setTabOrder(m_days, m_save);
    connect(m_save, &QPushButton::clicked, this, &DueDaysBox::save);

    guarded(m_dialogs, [&] {
        Connection c(m_books);
        m_days->setValue(schedulebook::readNotice(c.database()).daysAhead);
    });
}

void DueDaysBox::save() {
    guarded(m_dialogs, [&] {
        m_days->interpretText();
        Connection c(m_books);
        if (c.isReadOnly())
            throw AppError(books::readOnlyRefusal());
        schedulebook::setDaysAhead(c.database(), m_days->value());
        m_dialogs.message(QStringLiteral("提示"), QStringLiteral("提醒天数设置完成！"),
                          Dialogs::Buttons::Ok, Dialogs::Icon::Information, Dialogs::Answer::Ok);
    });
}
