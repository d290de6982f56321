#include "settings/logic/passwordchange.h"

#include "data/password.h"

namespace settings {

PasswordChange changePassword(const BooksLocation& books, const QString& newPassword,
                              const QString& confirmation) {
    if (newPassword.isEmpty() || confirmation.isEmpty())
        return PasswordChange::Missing;
    if (newPassword != confirmation)
        return PasswordChange::Mismatch;
    password::store(books, newPassword);
    return PasswordChange::Stored;
}

QString passwordMessage(PasswordChange outcome) {
    switch (outcome) {
    case PasswordChange::Missing:
        return QStringLiteral("对不起,请填写相关的密码！");
    case PasswordChange::Mismatch:
        return QStringLiteral("对不起,密码不相符！");
    case PasswordChange::Stored:
        return QStringLiteral("密码设置完成！");
    }
    return {};
}

} // namespace settings
