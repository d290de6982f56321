#include "ui/celleditor.h"

#include "data/formats.h"
#include "platform/apperror.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QCalendarWidget>
#include <QClipboard>
#include <QCompleter>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QScopedValueRollback>
#include <QScreen>
#include <QStringListModel>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

// The date a cell's text reads as, or an invalid date when it is none (yet).
QDate dateIn(const QString& text) {
    try {
        return formats::parseDate(text);
    } catch (const AppError&) {
        return {};
    }
}

// The rows of a drop-down list, with room above and below the text so that lines of CJK
// characters do not touch.
class ListRowDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QSize s = QStyledItemDelegate::sizeHint(option, index);
        s.setHeight(std::max(s.height(), option.fontMetrics.height() + 6));
        return s;
    }
};

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

bool isPrintable(const QKeyEvent* key) {
    const QString t = key->text();
    return !t.isEmpty() && t.at(0).isPrint() &&
           !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
}

} // namespace

CellEditor::CellEditor(ColumnKind kind, QWidget* parent) : QWidget(parent), m_kind(kind) {
    setAutoFillBackground(true);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_edit = new QLineEdit(this);
    m_edit->setFrame(false);
    m_edit->setMaxLength(kTextLimit);
    // Tab reaches the grid, which hands the focus on to its editor; the editor itself is no
    // separate stop.
    m_edit->setFocusPolicy(Qt::ClickFocus);
    layout->addWidget(m_edit);
    setFocusProxy(m_edit);
    m_edit->installEventFilter(this);
    connect(m_edit, &QLineEdit::textEdited, this, [this] {
        m_entered = true;
        followTypedDate();
    });

    if (kind == ColumnKind::Date || kind == ColumnKind::PickList) {
        m_button = new QToolButton(this);
        m_button->setArrowType(Qt::DownArrow);
        m_button->setFocusPolicy(Qt::NoFocus);
        m_button->setAccessibleName(kind == ColumnKind::Date ? QStringLiteral("打开日历")
                                                             : QStringLiteral("打开列表"));
        m_button->setFixedWidth(12);
        layout->addWidget(m_button);
        connect(m_button, &QToolButton::clicked, this, [this] {
            if (isDropDownVisible())
                hideDropDown();
            else
                showDropDown();
        });
    }
    if (kind == ColumnKind::PickList) {
        m_choices = new QStringListModel(this);
        m_completer = new QCompleter(m_choices, this);
        m_completer->setCompletionMode(QCompleter::UnfilteredPopupCompletion);
        m_completer->setCaseSensitivity(Qt::CaseSensitive);
        m_completer->setMaxVisibleItems(12);
        m_edit->setCompleter(m_completer);
        QAbstractItemView* list = m_completer->popup();
        list->setItemDelegate(new ListRowDelegate(list));
        // Installed after the completer's own filter, so it sees the list's events first.
        list->installEventFilter(this);
        // A press outside the list is passed on here (passPressOn), never replayed by Qt.
        list->setAttribute(Qt::WA_NoMouseReplay);
        connect(m_completer, qOverload<const QString&>(&QCompleter::activated), this,
                [this](const QString& t) {
                    m_edit->setText(t);
                    m_entered = true;
                    emit picked();
                });
    }
}

CellEditor::~CellEditor() = default;

void CellEditor::hideEvent(QHideEvent* event) {
    hideDropDown();
    QWidget::hideEvent(event);
}

QString CellEditor::text() const {
    return m_edit->text();
}

void CellEditor::setText(const QString& text) {
    m_original = text;
    m_entered = false;
    m_edit->setText(text);
    m_edit->selectAll();
}

bool CellEditor::isModified() const {
    return m_edit->text() != m_original;
}

void CellEditor::setChoicesProvider(std::function<QStringList(ChoiceMoment)> provider) {
    m_provider = std::move(provider);
    refreshChoices(ChoiceMoment::EditorOpened);
}

void CellEditor::refreshChoices(ChoiceMoment moment) {
    if (!m_choices)
        return;
    QStringList list = m_provider ? m_provider(moment) : QStringList();
    // The recent entries are offered while typing; the button offers the choices alone.
    if (m_recent && moment == ChoiceMoment::Typing) {
        for (const QString& r : m_recent())
            if (!list.contains(r))
                list << r;
    }
    m_choices->setStringList(list);
}

QStringList CellEditor::offeredChoices() const {
    return m_choices ? m_choices->stringList() : QStringList();
}

bool CellEditor::isDropDownVisible() const {
    if (m_completer)
        return m_completer->popup() && m_completer->popup()->isVisible();
    return m_calendarPopup && m_calendarPopup->isVisible();
}

void CellEditor::hideDropDown() {
    if (m_completer && m_completer->popup())
        m_completer->popup()->hide();
    if (m_calendarPopup)
        m_calendarPopup->hide();
    m_calendarKeys = false;
}

void CellEditor::showDropDown() {
    m_beforeDropDown = m_edit->text();
    if (m_kind == ColumnKind::PickList)
        showList(ChoiceMoment::ButtonPressed);
    else if (m_kind == ColumnKind::Date)
        showCalendar(true);
}

void CellEditor::showList(ChoiceMoment moment) {
    refreshChoices(moment);
    QAbstractItemView* list = m_completer->popup();
    list->setFont(font());
    if (moment == ChoiceMoment::ButtonPressed)
        m_completer->setCompletionPrefix(QString()); // the whole list, whatever was typed
    else
        m_completer->setCompletionPrefix(m_edit->text());
    m_completer->complete(QRect(0, 0, width(), height()));
}

void CellEditor::dropDownWhileTyping(const QString& before) {
    if (!isVisible() || isDropDownVisible())
        return;
    m_beforeDropDown = before;
    if (m_kind == ColumnKind::Date)
        showCalendar(false);
    else if (m_kind == ColumnKind::PickList)
        showList(ChoiceMoment::Typing);
}

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

namespace {

// The paste entry of a line edit's standard context menu: the one that shows the paste
// shortcut after its caption.
QAction* pasteActionOf(QMenu* menu) {
    const QString shortcut = QKeySequence(QKeySequence::Paste).toString(QKeySequence::NativeText);
    for (QAction* a : menu->actions())
        if (!shortcut.isEmpty() && a->text().section(u'\t', 1) == shortcut)
            return a;
    return nullptr;
}

} // namespace

bool CellEditor::insertionAllowed(const QString& inserted, bool replacesSelection) {
    try {
        formats::checkCellText(inserted);
    } catch (const AppError& e) {
        emit insertionRefused(QStringLiteral("粘贴的") + e.text());
        return false;
    }
    const qsizetype kept =
        m_edit->text().size() - (replacesSelection ? m_edit->selectedText().size() : 0);
    if (kept + inserted.size() > m_edit->maxLength()) {
        emit insertionRefused(
            QStringLiteral("粘贴的文本太长，没有粘贴：本列最多容纳 %1 个字符，粘贴后将有 %2 个字符")
                .arg(m_edit->maxLength())
                .arg(kept + inserted.size()));
        return false;
    }
    return true;
}

bool CellEditor::filterInsertion(QEvent* event) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    switch (event->type()) {
    case QEvent::KeyPress:
        if (static_cast<QKeyEvent*>(event)->matches(QKeySequence::Paste))
            return !insertionAllowed(clipboard->text(QClipboard::Clipboard), true);
        return false;
    case QEvent::MouseButtonRelease:
        // The middle button pastes the selection where the system has one.
        if (static_cast<QMouseEvent*>(event)->button() == Qt::MiddleButton &&
            clipboard->supportsSelection())
            return !insertionAllowed(clipboard->text(QClipboard::Selection), true);
        return false;
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        if (drop->mimeData() && drop->mimeData()->hasText() &&
            !insertionAllowed(drop->mimeData()->text(), false)) {
            drop->ignore();
            return true;
        }
        return false;
    }
    case QEvent::ContextMenu: {
        auto* request = static_cast<QContextMenuEvent*>(event);
        // A right click shows the grid's menu, as on any other cell; the menu key, pressed
        // while editing the text, the line edit's own, with its paste checked like the
        // keyboard's.
        if (request->reason() == QContextMenuEvent::Mouse) {
            emit menuRequested(request->globalPos());
            return true;
        }
        QMenu* menu = m_edit->createStandardContextMenu();
        menu->setAttribute(Qt::WA_DeleteOnClose);
        if (QAction* paste = pasteActionOf(menu)) {
            disconnect(paste, &QAction::triggered, nullptr, nullptr);
            connect(paste, &QAction::triggered, this, [this] {
                if (insertionAllowed(QGuiApplication::clipboard()->text(QClipboard::Clipboard),
                                     true))
                    m_edit->paste();
            });
        }
        menu->popup(static_cast<QContextMenuEvent*>(event)->globalPos());
        return true;
    }
    default:
        return false;
    }
}

bool CellEditor::eventFilter(QObject* watched, QEvent* event) {
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget)
        return QWidget::eventFilter(watched, event);
    if (m_completer && widget == m_completer->popup())
        return popupEvent(widget, event);
    if (m_calendarPopup && (widget == m_calendarPopup || m_calendarPopup->isAncestorOf(widget))) {
        // Mouse presses count where the popup's frame sees them; keys wherever they arrive.
        if ((event->type() == QEvent::MouseButtonPress ||
             event->type() == QEvent::MouseButtonDblClick) &&
            widget != m_calendarPopup)
            return false;
        return popupEvent(m_calendarPopup, event);
    }
    if (widget != m_edit)
        return QWidget::eventFilter(watched, event);
    if (filterInsertion(event))
        return true;
    if (!m_button)
        return false;
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Down && (key->modifiers() & Qt::AltModifier)) {
            showDropDown();
            return true;
        }
        if (isPrintable(key))
            typingStarts();
    } else if (event->type() == QEvent::InputMethod &&
               !static_cast<QInputMethodEvent*>(event)->commitString().isEmpty()) {
        // Text committed by an input method is typing like any key.
        typingStarts();
    }
    return false;
}

void CellEditor::typingStarts() {
    if (isDropDownVisible() || m_dropDownPending)
        return;
    // The first character drops the list or the calendar down; the character itself still
    // goes into the cell, and so does what is typed after it. The list's choices are those
    // for typing before the key arrives, since the line edit's completer may drop the list
    // down by itself.
    if (m_kind == ColumnKind::PickList)
        refreshChoices(ChoiceMoment::Typing);
    m_dropDownPending = true;
    QTimer::singleShot(0, this, [this, before = m_edit->text()] {
        m_dropDownPending = false;
        dropDownWhileTyping(before);
    });
}
