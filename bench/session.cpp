#include "session.h"

#include "app/startup.h"
#include "app/windowfactories.h"
#include "books.h"
#include "data/datasourceentry.h"
#include "platform/apperror.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QTabWidget>

namespace bench {
namespace {

// Counts the paint events of the widgets of one window while it exists.
class PaintSpy : public QObject {
public:
    explicit PaintSpy(QWidget* scope) : m_scope(scope) { qApp->installEventFilter(this); }
    ~PaintSpy() override { qApp->removeEventFilter(this); }
    int count() const { return m_count; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && m_scope && watched->isWidgetType()) {
            auto* w = static_cast<QWidget*>(watched);
            if (w == m_scope || m_scope->isAncestorOf(w))
                ++m_count;
        }
        return false;
    }

private:
    QPointer<QWidget> m_scope;
    int m_count = 0;
};

void flushDeletes() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

} // namespace

Session::Session(QString programFolder, QString odbcIniPath)
    : m_clock(QDateTime(booksEndDate(), QTime(10, 0))), m_context{programFolder,
                                                                  BooksLocation::inProgramFolder(
                                                                      programFolder),
                                                                  std::move(odbcIniPath), m_dialogs,
                                                                  m_clock},
      m_windows(programWindows(m_context)) {}

Session::~Session() {
    stop();
}

QString Session::databasePath() const {
    return m_context.books.databasePath();
}

void Session::start() {
    stop();
    m_startup = std::make_unique<Startup>(m_context);
    m_startup->begin();
    m_bank = std::make_unique<MainWindow>(m_context, *m_startup, m_windows);
    m_bank->show();
    settle(m_bank.get());
    if (!m_dialogs.errors().isEmpty())
        throw AppError(QStringLiteral("Start-up failed: ") + m_dialogs.errors().join(u' '));
}

void Session::waitForCheck(bool copyToo) {
    QElapsedTimer t;
    t.start();
    while (m_startup && !(copyToo ? m_startup->isCopyDone() : m_startup->isReady())) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        if (t.elapsed() > 120000)
            throw AppError(QStringLiteral("The check of the books did not end within two minutes"));
    }
    if (!m_dialogs.errors().isEmpty())
        throw AppError(QStringLiteral("Start-up failed: ") + m_dialogs.errors().join(u' '));
}

void Session::ensureStarted() {
    if (!m_bank)
        start();
    waitForCheck();
}

void Session::stop() {
    closeWindows();
    m_bank.reset();
    m_startup.reset();
    flushDeletes();
}

QDialog* Session::open(const WindowFactory& factory) {
    if (!factory)
        throw AppError(QStringLiteral("The program has no such window yet"));
    QWidget* parent = top() ? static_cast<QWidget*>(top()) : m_bank.get();
    std::unique_ptr<QDialog> w = factory(parent);
    if (!w)
        throw AppError(QStringLiteral("The window was not made"));
    QDialog* shown = w.get();
    m_open.push_back(std::move(w));
    shown->show();
    settle(shown);
    return shown;
}

void Session::closeTop() {
    if (m_open.empty())
        return;
    m_open.back()->hide();
    m_open.pop_back();
    flushDeletes();
}

void Session::closeWindows() {
    while (!m_open.empty())
        closeTop();
}

void Session::click(const QString& name) {
    QWidget* window = top() ? static_cast<QWidget*>(top()) : m_bank.get();
    auto* b = window ? window->findChild<QAbstractButton*>(name) : nullptr;
    if (!b)
        throw AppError(QStringLiteral("No button %1").arg(name));
    b->click();
    settle(window);
}

void Session::showPage(const QString& name, int index) {
    QWidget* window = top() ? static_cast<QWidget*>(top()) : m_bank.get();
    auto* tabs = window ? window->findChild<QTabWidget*>(name) : nullptr;
    if (!tabs)
        throw AppError(QStringLiteral("No page control %1").arg(name));
    tabs->setCurrentIndex(index);
    settle(window);
}

void Session::settle(QWidget* scope) {
    PaintSpy spy(scope);
    QElapsedTimer t;
    t.start();
    while (spy.count() == 0) {
        QCoreApplication::processEvents();
        if (t.elapsed() > 10000)
            throw AppError(QStringLiteral("%1 did not paint within ten seconds")
                               .arg(scope->metaObject()->className()));
    }
    // Two passes in a row that paint nothing: what the paint left queued has run.
    int quiet = 0;
    while (quiet < 2) {
        const int before = spy.count();
        QCoreApplication::processEvents();
        quiet = spy.count() == before ? quiet + 1 : 0;
    }
}

void Session::drain() {
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
}

} // namespace bench
