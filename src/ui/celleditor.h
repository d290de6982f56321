#pragma once

#include "ui/gridcolumn.h"

#include <QPointer>
#include <QWidget>
#include <functional>

class QLineEdit;
class QToolButton;
class QCompleter;
class QStringListModel;
class QCalendarWidget;
class QFrame;
class QKeyEvent;
class QMouseEvent;

// The in-place editor of a grid cell: a line edit, and for date and pick-list columns a
// drop-down button with a calendar or a list that also drops down when a printable character
// is typed. Typed text is kept as typed; while a list or a calendar is down, typing goes on in
// the cell, and the keys that leave a cell (Tab, Enter) close it and leave the cell as usual.
class CellEditor : public QWidget {
    Q_OBJECT
public:
    CellEditor(ColumnKind kind, QWidget* parent);
    ~CellEditor() override;

    ColumnKind kind() const { return m_kind; }
    QLineEdit* lineEdit() const { return m_edit; }
    QString text() const;
    void setText(const QString& text);
    // Whether the text differs from the one last set.
    bool isModified() const;
    // Whether the user typed into the editor or picked a value since its text was last set,
    // even when the text came out as it was.
    bool isEntered() const { return m_entered; }

    // Where a pick list takes its choices from when it drops down.
    // It is asked once at once (the editor is prepared), then at every drop-down.
    void setChoicesProvider(std::function<QStringList(ChoiceMoment)> provider);
    // Extra entries offered while typing (a most-recently-used list), after the choices;
    // the drop-down button offers the choices alone.
    void setRecentProvider(std::function<QStringList()> provider) {
        m_recent = std::move(provider);
    }

    // Drops the list or the calendar down, with the keyboard in it (as the button and
    // Alt+Down do).
    void showDropDown();
    void hideDropDown();
    bool isDropDownVisible() const;
    // The list of choices last offered.
    QStringList offeredChoices() const;

    // The most characters a cell takes.
    static constexpr int kTextLimit = 32767;

signals:
    // A value was picked from the calendar or the list with the mouse.
    void picked();
    // A paste or a drop was refused, and why (the text is the user's to read).
    void insertionRefused(const QString& why);
    // The right mouse button was pressed on the editor: the grid shows its own menu.
    void menuRequested(const QPoint& globalPos);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    // A list or calendar goes with its editor.
    void hideEvent(QHideEvent* event) override;

private:
    void refreshChoices(ChoiceMoment moment);
    // Pastes and drops go through here: text that the cell cannot hold whole is refused with
    // a reason instead of being cut or stored with characters the books cannot keep.
    bool filterInsertion(QEvent* event);
    bool insertionAllowed(const QString& inserted, bool replacesSelection);

    // Typing drops the list or the calendar down; `before` is the cell's text before the
    // first typed character.
    void dropDownWhileTyping(const QString& before);
    void createCalendar();
    void showCalendar(bool withKeyboard);
    void showList(ChoiceMoment moment);
    // The calendar follows the typed text once it reads as a date.
    void followTypedDate();
    // Keys and mouse presses that reach an open popup.
    bool popupEvent(QWidget* popup, QEvent* event);
    // A key or an input method's text arrived in the cell: the drop-down follows.
    void typingStarts();
    bool calendarKey(QKeyEvent* key);
    // A press outside the popup closes it and goes on to what is under the pointer in this
    // editor's window, so that a click on a button or a cell does what it says.
    void passPressOn(QWidget* popup, QMouseEvent* press);
    // Hands a key over to the cell as if it had been typed there.
    void sendToCell(QEvent* event);

    ColumnKind m_kind;
    QLineEdit* m_edit = nullptr;
    QToolButton* m_button = nullptr;
    QCompleter* m_completer = nullptr;
    QStringListModel* m_choices = nullptr;
    QPointer<QFrame> m_calendarPopup;
    QCalendarWidget* m_calendar = nullptr;
    std::function<QStringList(ChoiceMoment)> m_provider;
    std::function<QStringList()> m_recent;
    QString m_original;
    // The text before the drop-down came down; Esc on the calendar puts it back.
    QString m_beforeDropDown;
    bool m_entered = false;
    bool m_dropDownPending = false;
    // Whether the calendar has the keyboard (arrows move its day) or the cell has it.
    bool m_calendarKeys = false;
    bool m_following = false;
};
