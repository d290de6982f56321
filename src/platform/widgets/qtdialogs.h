#pragma once

#include "platform/dialogs.h"

// The real message boxes and input box, centred on the screen.
class QtDialogs : public Dialogs {
public:
    Answer message(const QString& caption, const QString& text, Buttons buttons, Icon icon,
                   Answer defaultAnswer) override;
    std::optional<QString> input(const QString& caption, const QString& prompt,
                                 const QString& initial) override;
    std::optional<QString> openFileName(const QString& caption, const QString& folder,
                                        const QString& filter) override;
    std::optional<QString> saveFileName(const QString& caption, const QString& suggested,
                                        const QString& filter) override;
};

// The file ending the first pattern of a file-dialog filter names: "csv" for
// "CSV 文件 (*.csv)", empty when it names none.
QString suffixOfFilter(const QString& filter);
