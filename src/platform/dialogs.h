#pragma once

#include <QString>
#include <optional>

// The message boxes and the input box of the program, behind an interface so that tests can
// answer them from a script instead of blocking on a modal box.
class Dialogs {
public:
    enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel };
    enum class Icon { None, Information, Warning, Error, Question };
    enum class Answer { Ok, Cancel, Yes, No };

    virtual ~Dialogs() = default;

    // A modal message box; `defaultAnswer` is the button that Enter presses.
    virtual Answer message(const QString& caption, const QString& text, Buttons buttons, Icon icon,
                           Answer defaultAnswer) = 0;

    // The single-line input box: caption, prompt, initial text, at most 255 characters.
    // Returns the typed text on OK and nothing on Cancel.
    virtual std::optional<QString> input(const QString& caption, const QString& prompt,
                                         const QString& initial) = 0;

    // The dialog that chooses a file to write: caption, suggested path and a file-type filter
    // such as "CSV 文件 (*.csv)". Returns the chosen path, nothing on Cancel. Implementations
    // that cannot ask answer Cancel.
    virtual std::optional<QString> saveFileName(const QString& caption, const QString& suggested,
                                                const QString& filter);

    // The dialog that chooses an existing file to read: caption, starting folder and a filter
    // such as "账单文件 (*.csv *.xlsx *.zip)". Returns the chosen path, nothing on Cancel.
    // Implementations that cannot ask answer Cancel.
    virtual std::optional<QString> openFileName(const QString& caption, const QString& folder,
                                                const QString& filter);

    // The standard error box: caption "Teloq", error icon, OK, and the full-stop rule.
    void showError(const QString& errorText);
};

// The caption of the standard error box: the application title.
inline constexpr const char* kApplicationTitle = "Teloq";

// An error's text as the standard error box shows it: a full stop is added unless the text
// already ends in "." or in a character that sorts before it (blank, "!", ",", "-" and the like).
QString standardErrorText(const QString& errorText);
