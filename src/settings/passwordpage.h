#pragma once

#include "data/bookslocation.h"

#include <QWidget>

class Dialogs;
class QLineEdit;
class QPushButton;

// The page 系统设置 of the settings window: a new password typed twice and 确认密码, which
// stores it for the next start.
class PasswordPage : public QWidget {
    Q_OBJECT
public:
    PasswordPage(BooksLocation books, Dialogs& dialogs, QWidget* parent = nullptr);

    // 确认密码: checks the two texts, stores the password when they agree, and says how it
    // went in an information box. The edits keep their texts.
    void confirmPassword();

private:
    BooksLocation m_books;
    Dialogs& m_dialogs;
    QLineEdit* m_newPassword = nullptr;
    QLineEdit* m_repassword = nullptr;
    QPushButton* m_ok = nullptr;
};
