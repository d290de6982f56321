#include "data/formats.h"
#include "platform/apperror.h"
#include "ui/celleditor.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCalendarWidget>
#include <QCompleter>
#include <QFrame>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScopedValueRollback>
#include <QScreen>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

// The cell editor's popups: the calendar, and the way keys, typing and clicks reach the cell
// and the window while a list or calendar is down.
namespace {

// The date a cell's text reads as, or an invalid date when it is none (yet).
QDate dateIn(const QString& text) {
    try {
        return formats::parseDate(text);
    } catch (const AppError&) {
        return {};
    }
}

bool isLeavingKey(const QKeyEvent* key) {
    switch (key->key()) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Insert:
        return true;
    case Qt::Key_Delete:
        return key->modifiers() & Qt::ControlModifier;
    default:
        return false;
    }
}

} // namespace

void CellEditor::createCalendar() {
    if (m_calendarPopup)
        return;
    // A child of the editor, so that the window's shortcuts still count while it is down.
    m_calendarPopup = new QFrame(this, Qt::Popup);
    m_calendarPopup->setAttribute(Qt::WA_NoMouseReplay);
    m_calendarPopup->setFrameShape(QFrame::Box);
    auto* l = new QVBoxLayout(m_calendarPopup);
    l->setContentsMargins(1, 1, 1, 1);
    m_calendar = new QCalendarWidget(m_calendarPopup);
    m_calendar->setGridVisible(true);
    l->addWidget(m_calendar);
    m_calendarPopup->installEventFilter(this);
    for (QWidget* w : m_calendarPopup->findChildren<QWidget*>())
        w->installEventFilter(this);
    // Moving about the calendar puts its day into the cell, so that whichever way the cell is
    // left, it keeps the day shown.
    connect(m_calendar, &QCalendarWidget::selectionChanged, this, [this] {
        if (m_following || !m_calendarPopup->isVisible())
            return;
        m_edit->setText(formats::dateText(m_calendar->selectedDate()));
        m_entered = true;
    });
    connect(m_calendar, &QCalendarWidget::clicked, this, [this](QDate d) {
        if (!m_calendarPopup->isVisible())
            return;
        m_edit->setText(formats::dateText(d));
        m_entered = true;
        hideDropDown();
        m_edit->setFocus();
        emit picked();
    });
}

void CellEditor::showCalendar(bool withKeyboard) {
    createCalendar();
    m_calendarKeys = withKeyboard;
    // The typed date once it reads as one, else the cell's date before the typing, else today.
    QDate shown = dateIn(m_edit->text());
    if (!shown.isValid())
        shown = dateIn(m_beforeDropDown);
    if (!shown.isValid())
        shown = QDate::currentDate();
    {
        QScopedValueRollback following(m_following, true);
        m_calendar->setSelectedDate(shown);
    }
    m_calendarPopup->adjustSize();
    QPoint at = mapToGlobal(QPoint(0, height()));
    if (const QScreen* s = screen()) {
        const QRect avail = s->availableGeometry();
        if (at.y() + m_calendarPopup->height() > avail.bottom())
            at.setY(mapToGlobal(QPoint(0, 0)).y() - m_calendarPopup->height());
        at.setX(std::min(at.x(), avail.right() - m_calendarPopup->width()));
    }
    m_calendarPopup->move(at);
    m_calendarPopup->show();
}

void CellEditor::followTypedDate() {
    if (!m_calendarPopup || !m_calendarPopup->isVisible())
        return;
    const QDate typed = dateIn(m_edit->text());
    if (!typed.isValid())
        return;
    QScopedValueRollback following(m_following, true);
    m_calendar->setSelectedDate(typed);
}

void CellEditor::sendToCell(QEvent* event) {
    QCoreApplication::sendEvent(m_edit, event);
}

void CellEditor::passPressOn(QWidget* popup, QMouseEvent* press) {
    popup->hide();
    m_calendarKeys = false;
    QWidget* top = window();
    const QPoint global = press->globalPosition().toPoint();
    const QPoint local = top->mapFromGlobal(global);
    if (!top->rect().contains(local))
        return;
    QWidget* target = top->childAt(local);
    // The editor's own drop-down button only closes what it opened.
    if (!target || target == m_button || !target->isEnabled())
        return;
    if (auto* button = qobject_cast<QAbstractButton*>(target)) {
        // After this press is done with; its release then finds the button not pressed.
        QTimer::singleShot(0, button, &QAbstractButton::click);
        return;
    }
    QMouseEvent passed(press->type(), target->mapFromGlobal(global), global, press->button(),
                       press->buttons(), press->modifiers());
    QCoreApplication::sendEvent(target, &passed);
}

bool CellEditor::calendarKey(QKeyEvent* key) {
    const int k = key->key();
    if (k == Qt::Key_Escape) {
        // The cell as it was before the calendar came down.
        m_edit->setText(m_beforeDropDown);
        hideDropDown();
        return true;
    }
    if ((k == Qt::Key_Down || k == Qt::Key_Up) && (key->modifiers() & Qt::AltModifier)) {
        hideDropDown();
        return true;
    }
    if (isLeavingKey(key)) {
        hideDropDown();
        sendToCell(key);
        return true;
    }
    // The arrows move the calendar's day and give it the keyboard; once it has it, Left,
    // Right, Home and End move the day too instead of the cell's text cursor.
    const QDate day = m_calendar->selectedDate();
    QDate to;
    switch (k) {
    case Qt::Key_Up:
        to = day.addDays(-7);
        break;
    case Qt::Key_Down:
        to = day.addDays(7);
        break;
    case Qt::Key_PageUp:
        to = day.addMonths(-1);
        break;
    case Qt::Key_PageDown:
        to = day.addMonths(1);
        break;
    case Qt::Key_Left:
        to = m_calendarKeys ? day.addDays(-1) : QDate();
        break;
    case Qt::Key_Right:
        to = m_calendarKeys ? day.addDays(1) : QDate();
        break;
    case Qt::Key_Home:
        to = m_calendarKeys ? QDate(day.year(), day.month(), 1) : QDate();
        break;
    case Qt::Key_End:
        to = m_calendarKeys ? QDate(day.year(), day.month(), day.daysInMonth()) : QDate();
        break;
    default:
        break;
    }
    if (to.isValid()) {
        m_calendarKeys = true;
        m_calendar->setSelectedDate(to);
        return true;
    }
    // Anything else is typing, and goes into the cell.
    m_calendarKeys = false;
    sendToCell(key);
    return true;
}

bool CellEditor::popupEvent(QWidget* popup, QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress: {
        auto* key = static_cast<QKeyEvent*>(event);
        if (popup == m_calendarPopup)
            return calendarKey(key);
        if (key->key() == Qt::Key_Escape) {
            hideDropDown();
            return true;
        }
        if (isLeavingKey(key)) {
            // The cell keeps the text it shows (typed, or chosen in the list) and is left.
            hideDropDown();
            sendToCell(key);
            return true;
        }
        return false; // the completer moves in the list and passes typing to the cell
    }
    case QEvent::InputMethod:
        if (popup == m_calendarPopup) {
            m_calendarKeys = false;
            sendToCell(event);
            return true;
        }
        return false;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        auto* press = static_cast<QMouseEvent*>(event);
        if (popup->geometry().contains(press->globalPosition().toPoint()))
            return false;
        passPressOn(popup, press);
        return true;
    }
    default:
        return false;
    }
}
