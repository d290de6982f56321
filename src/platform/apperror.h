#pragma once

#include <QString>
#include <stdexcept>

// The one error type of the program: carries the text the user sees in the standard error box.
class AppError : public std::runtime_error {
public:
    explicit AppError(const QString& text) : std::runtime_error(text.toStdString()), m_text(text) {}
    const QString& text() const noexcept { return m_text; }

private:
    QString m_text;
};
