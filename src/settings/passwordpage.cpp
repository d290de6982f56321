#include "settings/passwordpage.h"

#include "platform/actionguard.h"
#include "settings/duedaysbox.h"
#include "settings/logic/passwordchange.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

PasswordPage::PasswordPage(BooksLocation books, Dialogs& dialogs, QWidget* parent)
    : QWidget(parent), m_books(std::move(books)), m_dialogs(dialogs) {
    setObjectName(QStringLiteral("syspage"));

    // Plain edits: what is typed is shown, not masked.
    m_newPassword = new QLineEdit(this);
    m_newPassword->setObjectName(QStringLiteral("newpassword"));
    m_repassword = new QLineEdit(this);
    m_repassword->setObjectName(QStringLiteral("repassword"));
    m_ok = new QPushButton(QStringLiteral("确认密码"), this);
    m_ok->setObjectName(QStringLiteral("cmdok"));
    m_ok->setAutoDefault(false);
    m_ok->setFixedSize(90, 28);

    auto* newLabel = new QLabel(QStringLiteral("新密码"), this);
    newLabel->setBuddy(m_newPassword);
    auto* reLabel = new QLabel(QStringLiteral("密码确认"), this);
    reLabel->setBuddy(m_repassword);

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(60, 60, 60, 20);
    grid->setHorizontalSpacing(12);
    grid->setVerticalSpacing(16);
    grid->addWidget(newLabel, 0, 0);
    grid->addWidget(m_newPassword, 0, 1);
    grid->addWidget(reLabel, 1, 0);
    grid->addWidget(m_repassword, 1, 1);
    grid->addWidget(m_ok, 2, 1, Qt::AlignRight);
    auto* dueDays = new DueDaysBox(m_books, m_dialogs, this);
    grid->addWidget(dueDays, 3, 0, 1, 2);
    grid->setRowStretch(4, 1);

    setTabOrder(m_newPassword, m_repassword);
    setTabOrder(m_repassword, m_ok);
    setTabOrder(m_ok, dueDays->days());
    connect(m_ok, &QPushButton::clicked, this, &PasswordPage::confirmPassword);
}

void PasswordPage::confirmPassword() {
    guarded(m_dialogs, [&] {
        const settings::PasswordChange outcome =
            settings::changePassword(m_books, m_newPassword->text(), m_repassword->text());
        m_dialogs.message(QStringLiteral("提示"), settings::passwordMessage(outcome),
                          Dialogs::Buttons::Ok, Dialogs::Icon::Information, Dialogs::Answer::Ok);
    });
}
