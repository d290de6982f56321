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
