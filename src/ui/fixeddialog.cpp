#include "ui/fixeddialog.h"

#include <QDialog>
#include <QKeyEvent>
#include <QScreen>
#include <QTimer>
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

namespace {

// Eats the Esc that reaches a dialog window itself, where QDialog would reject (close) it, and
// brings a minimised modal window back.
class WindowKeeper : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress && watched == parent()) {
            const auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_Escape)
                return true;
        }
        if (event->type() == QEvent::WindowStateChange && watched == parent()) {
            auto* window = static_cast<QWidget*>(watched);
            if (window->isModal() && (window->windowState() & Qt::WindowMinimized))
                QTimer::singleShot(0, window, [window] {
                    window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
                    window->activateWindow();
                });
        }
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

void keepOpenAndInView(QDialog* window) {
    window->installEventFilter(new WindowKeeper(window));
}
