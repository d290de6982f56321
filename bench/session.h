#pragma once

#include "app/mainwindow.h"
#include "app/startup.h"
#include "platform/clock.h"
#include "platform/context.h"
#include "support/scripteddialogs.h"

#include <QDialog>
#include <memory>
#include <vector>

namespace bench {

// The program under measurement, driven as a user drives it: started over a program folder,
// its main window shown, windows opened over one another, and every step followed until the
// screen has been painted. Message boxes are answered by a script, the clock stands on the
// books' last day.
class Session {
public:
    Session(QString programFolder, QString odbcIniPath);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    const Context& context() const { return m_context; }
    ScriptedDialogs& dialogs() { return m_dialogs; }
    QString databasePath() const;

    // The start-up: the quick start-up steps, then the main window made, shown and painted
    // (the check of the books goes on meanwhile). Closes whatever was open first.
    void start();
    // Processes events until the check (and with `copyToo` the copy) of the books has ended;
    // throws AppError when start-up reported an error.
    void waitForCheck(bool copyToo = true);
    // Starts unless the main window is up, and waits for the check.
    void ensureStarted();
    // Closes every window, the main window last.
    void stop();
    MainWindow* mainWindow() const { return m_bank.get(); }

    // The windows the program opens (the main window's buttons).
    const MainWindow::Windows& windows() const { return m_windows; }

    // A factory of the window class W made as W(context, parent): for the windows that one
    // window opens from another with exec(), which the benchmark does not wait through.
    template <class W> WindowFactory factoryOf() const {
        return [this](QWidget* parent) -> std::unique_ptr<QDialog> {
            return std::make_unique<W>(m_context, parent);
        };
    }

    // Makes a window over the top window (the main window when none is open), shows it and
    // waits until it has painted. Throws AppError when the window cannot be made.
    QDialog* open(const WindowFactory& factory);
    // The window in front, or null.
    QDialog* top() const { return m_open.empty() ? nullptr : m_open.back().get(); }
    template <class W> W* top() const { return qobject_cast<W*>(top()); }
    void closeTop();
    void closeWindows();

    // Clicks the button named `name` in the window in front and waits for the paint.
    void click(const QString& name);
    // Brings page `index` of the tab widget named `name` in the window in front to the front
    // and waits for the paint.
    void showPage(const QString& name, int index);

    // Processes events until a widget of `scope` (the window and its children) has painted,
    // then until the queue is quiet (the zero-time steps a paint or a show leaves behind).
    // Throws AppError when nothing is painted within ten seconds.
    static void settle(QWidget* scope);
    // Processes events until the queue is quiet, painted or not (between untimed steps).
    static void drain();

private:
    FixedClock m_clock;
    ScriptedDialogs m_dialogs;
    Context m_context;
    MainWindow::Windows m_windows;
    std::unique_ptr<Startup> m_startup;
    std::unique_ptr<MainWindow> m_bank;
    std::vector<std::unique_ptr<QDialog>> m_open;
};

} // namespace bench
