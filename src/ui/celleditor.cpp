#include "ui/celleditor.h"

#include "data/formats.h"
#include "platform/apperror.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCalendarWidget>
#include <QClipboard>
#include <QCompleter>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QScreen>
#include <QStringListModel>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

CellEditor::CellEditor(ColumnKind kind, QWidget* parent) : QWidget(parent), m_kind(kind) {
    setAutoFillBackground(true);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_edit = new QLineEdit(this);
    m_edit->setFrame(false);
    m_edit->setMaxLength(kTextLimit);
    layout->addWidget(m_edit);
    setFocusProxy(m_edit);
    m_edit->installEventFilter(this);
    connect(m_edit, &QLineEdit::textEdited, this, [this] { m_entered = true; });

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
        connect(m_completer, qOverload<const QString&>(&QCompleter::activated), this,
                [this](const QString& t) {
                    m_edit->setText(t);
                    m_entered = true;
                    emit picked();
                });
    }
}

CellEditor::~CellEditor() {
    delete m_calendarPopup;
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
}

void CellEditor::showDropDown() {
    if (m_kind == ColumnKind::PickList) {
        refreshChoices(ChoiceMoment::ButtonPressed);
        // The whole list, whatever has been typed so far.
        m_completer->setCompletionPrefix(QString());
        m_completer->complete(QRect(0, 0, width(), height()));
        return;
    }
    if (m_kind != ColumnKind::Date)
        return;
    if (!m_calendarPopup) {
        m_calendarPopup = new QFrame(nullptr, Qt::Popup);
        m_calendarPopup->setFrameShape(QFrame::Box);
        auto* l = new QVBoxLayout(m_calendarPopup);
        l->setContentsMargins(1, 1, 1, 1);
        m_calendar = new QCalendarWidget(m_calendarPopup);
        m_calendar->setGridVisible(true);
        l->addWidget(m_calendar);
        m_calendar->installEventFilter(this);
        for (QWidget* w : m_calendar->findChildren<QWidget*>())
            w->installEventFilter(this);
        connect(m_calendar, &QCalendarWidget::activated, this, [this](QDate d) {
            m_edit->setText(formats::dateText(d));
            m_calendarPopup->hide();
            m_edit->setFocus();
            emit picked();
        });
        connect(m_calendar, &QCalendarWidget::clicked, m_calendar, &QCalendarWidget::activated);
    }
    QDate shown;
    try {
        shown = formats::parseDate(m_edit->text());
    } catch (...) {
        shown = QDate::currentDate();
    }
    m_calendar->setSelectedDate(shown);
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
        // The line edit's own menu, with its paste checked like the keyboard's.
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
    if (watched == m_edit && filterInsertion(event))
        return true;
    if (event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    auto* watchedWidget = qobject_cast<QWidget*>(watched);
    if (m_calendar && watchedWidget &&
        (watchedWidget == m_calendar || m_calendar->isAncestorOf(watchedWidget))) {
        // Typing goes on in the cell while the calendar is down.
        const QString t = key->text();
        if (!t.isEmpty() && t.at(0).isPrint() && key->key() != Qt::Key_Space) {
            QApplication::sendEvent(m_edit, event);
            return true;
        }
        if (key->key() == Qt::Key_Escape) {
            m_calendarPopup->hide();
            return true;
        }
        return false;
    }
    if (watched == m_edit && m_button) {
        if (key->key() == Qt::Key_Down && (key->modifiers() & Qt::AltModifier)) {
            showDropDown();
            return true;
        }
        const QString t = key->text();
        if (!t.isEmpty() && t.at(0).isPrint() && !(key->modifiers() & Qt::ControlModifier) &&
            !isDropDownVisible()) {
            // A printable character drops the list or the calendar down; the character still
            // goes into the cell. The list's choices are those for typing before the key
            // arrives, since the line edit's completer may drop the list down by itself.
            if (m_kind == ColumnKind::PickList)
                refreshChoices(ChoiceMoment::Typing);
            QTimer::singleShot(0, this, [this] {
                if (m_kind == ColumnKind::Date)
                    showDropDown();
                else if (!isDropDownVisible())
                    m_completer->complete(QRect(0, 0, width(), height()));
            });
        }
    }
    return false;
}

void CellEditor::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
}
