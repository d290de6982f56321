#pragma once

#include "platform/dialogs.h"

#include <QList>
#include <deque>

// Dialogs for tests: answers come from queues, every box shown is recorded.
class ScriptedDialogs : public Dialogs {
public:
    struct Shown {
        QString caption;
        QString text;
        Buttons buttons;
        Icon icon;
        Answer defaultAnswer;
    };
    struct Asked {
        QString caption;
        QString prompt;
        QString initial;
    };

    Answer message(const QString& caption, const QString& text, Buttons buttons, Icon icon,
                   Answer defaultAnswer) override;
    std::optional<QString> input(const QString& caption, const QString& prompt,
                                 const QString& initial) override;
    std::optional<QString> saveFileName(const QString& caption, const QString& suggested,
                                        const QString& filter) override;
    // Answered from the same queue as saveFileName.
    std::optional<QString> openFileName(const QString& caption, const QString& folder,
                                        const QString& filter) override;

    // Queue the answer for the next message box (unqueued boxes answer their default button).
    void answerNext(Answer a) { m_answers.push_back(a); }
    // Queue the result of the next input box (nothing = Cancel).
    void typeNext(std::optional<QString> text) { m_inputs.push_back(std::move(text)); }

    // Queue the answer of the next save-file dialog (nothing = Cancel).
    void chooseFileNext(std::optional<QString> path) { m_files.push_back(std::move(path)); }

    QList<Shown> shown;
    QList<Asked> asked;

    // Texts of the standard error boxes shown so far.
    QStringList errors() const;
    void clear() {
        shown.clear();
        asked.clear();
    }

private:
    std::deque<Answer> m_answers;
    std::deque<std::optional<QString>> m_inputs;
    std::deque<std::optional<QString>> m_files;
};
