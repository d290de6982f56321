#include "app/mainwindow.h"

#include "app/dueline.h"
#include "app/duenotice.h"
#include "app/startup.h"
#include "platform/actionguard.h"
#include "platform/clock.h"
#include "platform/context.h"
#include "platform/dialogs.h"
#include "platform/widgets/look.h"

#include <QKeyEvent>
#include <QLabel>
#include <QScreen>
#include <QShowEvent>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <utility>

namespace {
const QString kCaption = QStringLiteral("Quenvard");
constexpr int kClientWidth = 498;
constexpr int kClientHeight = 269;
// The pictures above the captions: every one of these standard pictures exists at this size,
// so the six look alike.
constexpr int kPictureSize = 32;
} // namespace

MainWindow::MainWindow(const Context& context, std::optional<QString> storedPassword,
                       Windows windows, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::MSWindowsFixedSizeDialogHint),
      m_context(context), m_stored(std::move(storedPassword)), m_windows(std::move(windows)) {
    setObjectName(QStringLiteral("bank"));
    setWindowTitle(kCaption);
    setFont(programFont());
    setFixedSize(kClientWidth, kClientHeight);

    // In tab order.
    auto* sz = makeButton(QStringLiteral("sz"), QStringLiteral("收支管理"), 30, 82,
                          QStyle::SP_FileDialogDetailedView);
    auto* jd = makeButton(QStringLiteral("jd"), QStringLiteral("借贷管理"), 150, 82,
                          QStyle::SP_BrowserReload);
    auto* cx = makeButton(QStringLiteral("cx"), QStringLiteral("储蓄管理"), 270, 82,
                          QStyle::SP_DialogSaveButton);
    auto* login = makeButton(QStringLiteral("login"), QStringLiteral("进入系统"), 118, 176,
                             QStyle::SP_DialogOkButton);
    auto* logoff = makeButton(QStringLiteral("logoff"), QStringLiteral("退出系统"), 286, 176,
                              QStyle::SP_DialogCloseButton);
    auto* sys = makeButton(QStringLiteral("sys"), QStringLiteral("系统设置"), 390, 80,
                           QStyle::SP_DialogResetButton);
    setTabOrder(sz, jd);
    setTabOrder(jd, cx);
    setTabOrder(cx, login);
    setTabOrder(login, logoff);
    setTabOrder(logoff, sys);

    connect(sz, &QToolButton::clicked, this, &MainWindow::openLedger);
    connect(jd, &QToolButton::clicked, this, &MainWindow::openLoans);
    connect(cx, &QToolButton::clicked, this, &MainWindow::openSavings);
    connect(login, &QToolButton::clicked, this, &MainWindow::enterPassword);
    connect(logoff, &QToolButton::clicked, this, &MainWindow::quit);
    connect(sys, &QToolButton::clicked, this, &MainWindow::openSettings);

    m_dueLine = new DueLine(this);
    m_dueLine->setGeometry(10, 240, kClientWidth - 20, 24);
    // Pressed, the line opens the window of its items, and then shows what is still due.
    const auto thenRefresh = [this](void (MainWindow::*open)()) {
        return [this, open] {
            (this->*open)();
            guarded(m_context.dialogs, [&] {
                m_dueLine->setDue(duenotice::readDue(m_context, m_context.clock.now().date()));
            });
        };
    };
    connect(m_dueLine, &DueLine::savingsWanted, this, thenRefresh(&MainWindow::openSavings));
    connect(m_dueLine, &DueLine::loansWanted, this, thenRefresh(&MainWindow::openLoans));
    connect(m_dueLine, &DueLine::ledgerWanted, this, thenRefresh(&MainWindow::openLedger));
}

void MainWindow::tellWhatFallsDue() {
    if (m_dueTold)
        return;
    m_dueTold = true;
    guarded(m_context.dialogs, [&] {
        const auto due = duenotice::toTellNow(m_context);
        if (!due)
            return;
        m_dueLine->setDue(*due);
        if (m_notify)
            m_notify(QStringLiteral("Teloq：到期提醒"), m_dueLine->summary());
    });
}

MainWindow::MainWindow(const Context& context, Startup& startup, Windows windows, QWidget* parent)
    : MainWindow(context, std::nullopt, std::move(windows), parent) {
    if (startup.isReady()) {
        m_stored = startup.storedPassword();
        return;
    }
    m_startup = &startup;
    m_checking = new QLabel(QStringLiteral("正在检查账本…"), this);
    m_checking->setObjectName(QStringLiteral("checking"));
    m_checking->setAlignment(Qt::AlignCenter);
    m_checking->setGeometry(0, 240, kClientWidth, 24);
    m_checking->hide();
    connect(&startup, &Startup::ready, this, &MainWindow::startupReady);
}

void MainWindow::startupReady() {
    m_stored = m_startup->storedPassword();
    m_startup = nullptr;
    m_entryPasses.reset();
    m_checking->hide();
    // The books are open to the user now if the entry made meanwhile (or none) passes.
    if (entryPasses())
        tellWhatFallsDue();
    // The window asked for while the check ran opens now, after the signal has been handled.
    if (const WindowFactory* pending = std::exchange(m_pending, nullptr))
        QMetaObject::invokeMethod(
            this, [this, pending] { openGuarded(pending); }, Qt::QueuedConnection);
}

void MainWindow::showEvent(QShowEvent* event) {
    // Centred on the desktop when it first shows: only now is the frame around it known.
    if (!m_placed && !event->spontaneous()) {
        m_placed = true;
        if (const QScreen* desk = screen()) {
            QRect frame = frameGeometry();
            frame.moveCenter(desk->availableGeometry().center());
            move(frame.topLeft());
        }
        // Without a password the books are open to the user as soon as the window shows.
        if (m_stored && m_stored->isEmpty())
            QTimer::singleShot(0, this, &MainWindow::tellWhatFallsDue);
    }
    QWidget::showEvent(event);
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
    // Enter presses the focused button, as Space does: a button ignores Enter, so it comes here.
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    auto* focused = qobject_cast<QToolButton*>(focusWidget());
    if (enter && event->modifiers() == Qt::NoModifier && focused && focused->parent() == this) {
        focused->animateClick();
        return;
    }
    QWidget::keyPressEvent(event);
}

QToolButton* MainWindow::makeButton(const QString& name, const QString& caption, int left, int top,
                                    int icon) {
    auto* b = new QToolButton(this);
    b->setObjectName(name);
    b->setText(caption);
    b->setIcon(style()->standardIcon(QStyle::StandardPixmap(icon)));
    b->setIconSize(QSize(kPictureSize, kPictureSize));
    b->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    b->setAutoRaise(true);
    b->setFocusPolicy(Qt::StrongFocus);
    b->setGeometry(left, top, 75, 57);
    return b;
}

QToolButton* MainWindow::button(const QString& name) const {
    return findChild<QToolButton*>(name);
}

bool MainWindow::entryPasses() {
    if (!m_entryPasses)
        m_entryPasses = passwordPasses(m_stored, m_entered);
    return *m_entryPasses;
}

void MainWindow::openGuarded(const WindowFactory* factory) {
    if (m_startup) {
        // Nothing opens over books that are still being checked: the last press waits for it.
        m_pending = factory;
        m_checking->show();
        return;
    }
    if (!entryPasses()) {
        m_context.dialogs.message(kCaption, QStringLiteral("对不起，你非法登录本系统！"),
                                  Dialogs::Buttons::Ok, Dialogs::Icon::Question,
                                  Dialogs::Answer::Ok);
        return;
    }
    openWindow(*factory, this, m_context.dialogs);
}

void MainWindow::openLedger() {
    openGuarded(&m_windows.ledger);
}

void MainWindow::openLoans() {
    openGuarded(&m_windows.loans);
}

void MainWindow::openSavings() {
    openGuarded(&m_windows.savings);
}

void MainWindow::openSettings() {
    openGuarded(&m_windows.settings);
}

void MainWindow::enterPassword() {
    m_entered = m_context.dialogs.input(kCaption, QStringLiteral("输入密码"), QString())
                    .value_or(QString());
    // Compared at once (hashing is slow), unless the stored password is not known yet.
    if (m_startup) {
        m_entryPasses.reset();
        return;
    }
    m_entryPasses = passwordPasses(m_stored, m_entered);
    if (*m_entryPasses)
        tellWhatFallsDue();
}

void MainWindow::quit() {
    close();
}

void MainWindow::restoreAndRaise() {
    setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    show();
    raise();
    activateWindow();
}
