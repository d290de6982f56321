#include "support/scripteddialogs.h"

Dialogs::Answer ScriptedDialogs::message(const QString& caption, const QString& text,
                                         Buttons buttons, Icon icon, Answer defaultAnswer) {
    shown.append({caption, text, buttons, icon, defaultAnswer});
    if (m_answers.empty())
        return defaultAnswer;
    const Answer a = m_answers.front();
    m_answers.pop_front();
    return a;
}

std::optional<QString> ScriptedDialogs::input(const QString& caption, const QString& prompt,
                                              const QString& initial) {
    asked.append({caption, prompt, initial});
    if (m_inputs.empty())
        return std::nullopt;
    auto t = m_inputs.front();
    m_inputs.pop_front();
    if (t)
        t->truncate(255);
    return t;
}

std::optional<QString> ScriptedDialogs::saveFileName(const QString& caption,
                                                     const QString& suggested, const QString&) {
    asked.append({caption, QString(), suggested});
    if (m_files.empty())
        return std::nullopt;
    auto path = m_files.front();
    m_files.pop_front();
    return path;
}

std::optional<QString> ScriptedDialogs::openFileName(const QString& caption, const QString& folder,
                                                     const QString& filter) {
    return saveFileName(caption, folder, filter);
}

QStringList ScriptedDialogs::errors() const {
    QStringList out;
    for (const Shown& s : shown)
        if (s.icon == Icon::Error && s.caption == QLatin1String(kApplicationTitle))
            out << s.text;
    return out;
}
