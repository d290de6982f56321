#pragma once

#include "data/bookslocation.h"

#include <QString>

// The steps of 确认密码: check the two typed texts, then store the new password.
namespace settings {

enum class PasswordChange {
    Missing,  // a field is empty: nothing stored
    Mismatch, // the texts differ (exactly, letter case and blanks count): nothing stored
    Stored,   // the new password is in the books, effective at the next start
};

// Checks `newPassword` against `confirmation` and, when both are filled and equal, stores it
// (hashed) as the password of the books at `books`. Throws AppError with the
// data layer's text when it cannot be stored; then no message is due.
PasswordChange changePassword(const BooksLocation& books, const QString& newPassword,
                              const QString& confirmation);

// The information message for an outcome: "对不起,请填写相关的密码！", "对不起,密码不相符！" or
// "密码设置完成！".
QString passwordMessage(PasswordChange outcome);

} // namespace settings
