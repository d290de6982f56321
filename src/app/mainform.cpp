#include "app/mainform.h"

#include "app/startup.h"
#include "platform/actionguard.h"
#include "platform/context.h"
#include "platform/widgets/look.h"

#include <QScreen>
#include <QShowEvent>
#include <QStyle>
#include <QToolButton>

namespace {
const QString kCaption = QStringLiteral("Quenvard");
constexpr int kClientWidth = 498;
constexpr int kClientHeight = 269;
// The pictures above the captions: every one of these standard pictures exists at this size,
// so the six look alike.
constexpr int kPictureSize = 32;
} // namespace

Tbank::Tbank(const Context& context, std::optional<QString> storedPassword, Windows windows,
             QWidget* parent)
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

    connect(sz, &QToolButton::clicked, this, &Tbank::szClick);
    connect(jd, &QToolButton::clicked, this, &Tbank::jdClick);
    connect(cx, &QToolButton::clicked, this, &Tbank::cxClick);
    connect(login, &QToolButton::clicked, this, &Tbank::loginClick);
    connect(logoff, &QToolButton::clicked, this, &Tbank::logoffClick);
    connect(sys, &QToolButton::clicked, this, &Tbank::sysClick);
}

void Tbank::showEvent(QShowEvent* event) {
    // Centred on the desktop when it first shows: only now is the frame around it known.
    if (!m_placed && !event->spontaneous()) {
        m_placed = true;
        if (const QScreen* desk = screen()) {
            QRect frame = frameGeometry();
            frame.moveCenter(desk->availableGeometry().center());
            move(frame.topLeft());
        }
    }
    QWidget::showEvent(event);
}

QToolButton* Tbank::makeButton(const QString& name, const QString& caption, int left, int top,
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

QToolButton* Tbank::button(const QString& name) const {
    return findChild<QToolButton*>(name);
}

bool Tbank::entryPasses() {
    if (!m_entryPasses)
        m_entryPasses = passwordPasses(m_stored, m_entered);
    return *m_entryPasses;
}

void Tbank::openWindow(const WindowFactory& factory) {
    if (!entryPasses()) {
        m_context.dialogs.message(kCaption, QStringLiteral("对不起，你非法登录本系统！"),
                                  Dialogs::Buttons::Ok, Dialogs::Icon::Question,
                                  Dialogs::Answer::Ok);
        return;
    }
    if (!factory)
        return;
    std::unique_ptr<QDialog> window;
    if (!guarded(m_context.dialogs, [&] { window = factory(this); }) || !window)
        return;
    window->exec();
}

void Tbank::szClick() {
    openWindow(m_windows.ledger);
}

void Tbank::jdClick() {
    openWindow(m_windows.loans);
}

void Tbank::cxClick() {
    openWindow(m_windows.savings);
}

void Tbank::sysClick() {
    openWindow(m_windows.settings);
}

void Tbank::loginClick() {
    m_entered = m_context.dialogs.input(kCaption, QStringLiteral("输入密码"), QString())
                    .value_or(QString());
    m_entryPasses = passwordPasses(m_stored, m_entered);
}

void Tbank::logoffClick() {
    close();
}

void Tbank::restoreAndRaise() {
    setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    show();
    raise();
    activateWindow();
}
