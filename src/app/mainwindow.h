#pragma once

#include "ui/openwindow.h"

#include <QString>
#include <QWidget>
#include <functional>
#include <optional>

class DueLine;
class QLabel;
class QToolButton;
class Startup;
struct Context;

// The main window: the password gate in front of the four windows, and the way out.
class MainWindow : public QWidget {
    Q_OBJECT
public:
    // The windows behind the four buttons; each factory makes a new instance per opening.
    struct Windows {
        WindowFactory ledger;
        WindowFactory loans;
        WindowFactory savings;
        WindowFactory settings;
    };

    MainWindow(const Context& context, std::optional<QString> storedPassword, Windows windows,
               QWidget* parent = nullptr);
    // Made while start-up still checks the books: a window button pressed before `startup` is
    // ready shows "正在检查账本…" and opens its window (password test first) once it is.
    MainWindow(const Context& context, Startup& startup, Windows windows,
               QWidget* parent = nullptr);

    const QString& enteredPassword() const { return m_entered; }
    QToolButton* button(const QString& name) const;

    // The six buttons: open a window behind the password gate, enter the password, leave.
    void openLedger();
    void openLoans();
    void openSavings();
    void openSettings();
    void enterPassword();
    void quit();

    // Says what falls due (deposits, loans, recurring entries) in the due line, at most once a
    // day and once the books are open to the user: after an accepted password, or at the
    // first showing when no password is set.
    void tellWhatFallsDue();
    DueLine* dueLine() const { return m_dueLine; }
    // Also tells what falls due through `notify` (summary, body): the desktop's notifications.
    void setDesktopNotifier(std::function<void(const QString&, const QString&)> notify) {
        m_notify = std::move(notify);
    }

    // Brings the window back when a second start asks for it.
    void restoreAndRaise();

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QToolButton* makeButton(const QString& name, const QString& caption, int left, int top,
                            int icon);
    void openGuarded(const WindowFactory* factory);
    bool entryPasses();
    void startupReady();

    const Context& m_context;
    std::optional<QString> m_stored;
    QString m_entered;
    // The password test of the current entry, made once per entry (hashing is slow).
    std::optional<bool> m_entryPasses;
    Windows m_windows;
    bool m_placed = false;
    DueLine* m_dueLine = nullptr;
    bool m_dueTold = false;
    std::function<void(const QString&, const QString&)> m_notify;
    // While start-up checks the books: the start, the notice, and the window asked for.
    Startup* m_startup = nullptr;
    QLabel* m_checking = nullptr;
    const WindowFactory* m_pending = nullptr;
};
