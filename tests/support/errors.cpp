#include "support/errors.h"

#include "platform/apperror.h"

QString errorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const AppError& e) {
        return e.text();
    }
    return QStringLiteral("<no error>");
}
