#include "platform/widgets/qtdialogs.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QVBoxLayout>

namespace {

QMessageBox::StandardButton standardButton(Dialogs::Answer a) {
    switch (a) {
    case Dialogs::Answer::Ok:
        return QMessageBox::Ok;
    case Dialogs::Answer::Cancel:
        return QMessageBox::Cancel;
    case Dialogs::Answer::Yes:
        return QMessageBox::Yes;
    case Dialogs::Answer::No:
        return QMessageBox::No;
    }
    return QMessageBox::Ok;
}

QMessageBox::Icon messageIcon(Dialogs::Icon icon) {
    switch (icon) {
    case Dialogs::Icon::None:
        return QMessageBox::NoIcon;
    case Dialogs::Icon::Information:
        return QMessageBox::Information;
    case Dialogs::Icon::Warning:
        return QMessageBox::Warning;
    case Dialogs::Icon::Error:
        return QMessageBox::Critical;
    case Dialogs::Icon::Question:
        return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

} // namespace

QString suffixOfFilter(const QString& filter) {
    static const QRegularExpression pattern(QStringLiteral("\\*\\.([A-Za-z0-9]+)"));
    const QRegularExpressionMatch m = pattern.match(filter);
    return m.hasMatch() ? m.captured(1) : QString();
}

Dialogs::Answer QtDialogs::message(const QString& caption, const QString& text, Buttons buttons,
                                   Icon icon, Answer defaultAnswer) {
    QMessageBox box(messageIcon(icon), caption, text, QMessageBox::NoButton,
                    QApplication::activeWindow());
    box.setTextFormat(Qt::PlainText);
    switch (buttons) {
    case Buttons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case Buttons::OkCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        break;
    case Buttons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        break;
    case Buttons::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        break;
    }
    box.setDefaultButton(standardButton(defaultAnswer));
    switch (box.exec()) {
    case QMessageBox::Ok:
        return Answer::Ok;
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    default:
        // Esc or the close box: the negative answer of the box.
        return buttons == Buttons::YesNo ? Answer::No
                                         : (buttons == Buttons::Ok ? Answer::Ok : Answer::Cancel);
    }
}

std::optional<QString> QtDialogs::input(const QString& caption, const QString& prompt,
                                        const QString& initial) {
    QDialog dialog(QApplication::activeWindow());
    dialog.setWindowTitle(caption);
    dialog.setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint);
    auto* layout = new QVBoxLayout(&dialog);
    auto* label = new QLabel(prompt, &dialog);
    auto* edit = new QLineEdit(initial, &dialog);
    edit->setMaxLength(255);
    edit->setMinimumWidth(320);
    // The initial text is selected, so that typing replaces it.
    edit->selectAll();
    label->setBuddy(edit);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    // The box's own captions, whatever language Qt's translation gives its standard buttons.
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Cancel"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(label);
    layout->addWidget(edit);
    layout->addWidget(buttons);
    dialog.setFixedSize(dialog.sizeHint());
    // Centred on the screen, not over the window that asks.
    if (const QScreen* screen = dialog.screen())
        dialog.move(screen->availableGeometry().center() -
                    QPoint(dialog.width() / 2, dialog.height() / 2));
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return edit->text();
}

std::optional<QString> QtDialogs::openFileName(const QString& caption, const QString& folder,
                                               const QString& filter) {
    const QString path =
        QFileDialog::getOpenFileName(QApplication::activeWindow(), caption, folder, filter);
    if (path.isEmpty())
        return std::nullopt;
    return path;
}

std::optional<QString> QtDialogs::saveFileName(const QString& caption, const QString& suggested,
                                               const QString& filter) {
    QFileDialog dialog(QApplication::activeWindow(), caption, suggested, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    // A name typed without the filter's ending gets it ("账本" is saved as "账本.csv").
    dialog.setDefaultSuffix(suffixOfFilter(filter));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}
