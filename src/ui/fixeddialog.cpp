#include "ui/fixeddialog.h"

#include <QScreen>
#include <QWidget>

Qt::WindowFlags fixedDialogFlags() {
    return Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
           Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint;
}

void centreOnScreen(QWidget* window) {
    if (const QScreen* s = window->screen()) {
        const QRect area = s->availableGeometry();
        window->move(area.center() - QPoint(window->width() / 2, window->height() / 2));
    }
}
