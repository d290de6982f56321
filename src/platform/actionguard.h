#pragma once

#include "platform/apperror.h"
#include "platform/dialogs.h"

#include <exception>
#include <utility>

// Runs one user action; an error thrown by it ends the action and is shown in the standard
// error box. Returns whether the action ran to its end.
template <class Action> bool guarded(Dialogs& dialogs, Action&& action) {
    try {
        std::forward<Action>(action)();
        return true;
    } catch (const AppError& e) {
        dialogs.showError(e.text());
    } catch (const std::exception& e) {
        dialogs.showError(QString::fromLocal8Bit(e.what()));
    }
    return false;
}
