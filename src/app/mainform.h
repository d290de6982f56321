#pragma once

#include <QDialog>
#include <QString>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>

class QToolButton;
struct Context;

// The main window: the password gate in front of the four windows, and the way out.
class Tbank : public QWidget {
    Q_OBJECT
public:
    // Creates a new instance of a window, parented to the main window; may throw AppError
    // when the window's datasets cannot be opened.
    using WindowFactory = std::function<std::unique_ptr<QDialog>(QWidget* parent)>;
    struct Windows {
        WindowFactory ledger;
        WindowFactory loans;
        WindowFactory savings;
        WindowFactory settings;
    };

    Tbank(const Context& context, std::optional<QString> storedPassword, Windows windows,
          QWidget* parent = nullptr);

    const QString& enteredPassword() const { return m_entered; }
    QToolButton* button(const QString& name) const;

    void szClick();
    void jdClick();
    void cxClick();
    void sysClick();
    void loginClick();
    void logoffClick();

    // Brings the window back when a second start asks for it.
    void restoreAndRaise();

protected:
    void showEvent(QShowEvent* event) override;

private:
    QToolButton* makeButton(const QString& name, const QString& caption, int left, int top,
                            int icon);
    void openWindow(const WindowFactory& factory);
    bool entryPasses();

    const Context& m_context;
    std::optional<QString> m_stored;
    QString m_entered;
    // The password test of the current entry, made once per entry (hashing is slow).
    std::optional<bool> m_entryPasses;
    Windows m_windows;
    bool m_placed = false;
};
