#include "ui/openwindow.h"

#include "platform/actionguard.h"

bool openWindow(const WindowFactory& factory, QWidget* parent, Dialogs& dialogs) {
    if (!factory)
        return false;
    std::unique_ptr<QDialog> window;
    if (!guarded(dialogs, [&] { window = factory(parent); }) || !window)
        return false;
    window->exec();
    return true;
}
