#include "platform/dialogs.h"

QString standardErrorText(const QString& errorText) {
    if (!errorText.isEmpty() && errorText.back() <= QChar(u'.'))
        return errorText;
    return errorText + u'.';
}

void Dialogs::showError(const QString& errorText) {
    message(QString::fromLatin1(kApplicationTitle), standardErrorText(errorText), Buttons::Ok,
            Icon::Error, Answer::Ok);
}

std::optional<QString> Dialogs::saveFileName(const QString&, const QString&, const QString&) {
    return std::nullopt;
}

std::optional<QString> Dialogs::openFileName(const QString&, const QString&, const QString&) {
    return std::nullopt;
}
