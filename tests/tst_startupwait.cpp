// The start that never waits: the main window takes input while a worker thread checks and
// copies the books; the window buttons wait for the check, and damaged books stay locked.
#include "app/mainwindow.h"
#include "app/startup.h"
#include "data/backups.h"
#include "support/files.h"
#include "support/testprogram.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QDialog>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <sqlite3.h>

namespace {

const QDate kToday(2026, 12, 9);

// Stand-ins for the four windows: each opening records the window's name and closes at once.
struct OpenedWindows {
    QStringList log;
    WindowFactory factory(const QString& name) {
        return [this, name](QWidget* parent) {
            auto dialog = std::make_unique<QDialog>(parent);
            QDialog* raw = dialog.get();
            QTimer::singleShot(0, raw, [this, raw, name] {
                log << name;
                raw->accept();
            });
            return dialog;
        };
    }
    MainWindow::Windows windows() {
        return {factory(QStringLiteral("ledger")), factory(QStringLiteral("loans")),
                factory(QStringLiteral("savings")), factory(QStringLiteral("settings"))};
    }
};

// Holds an exclusive lock on the books (as another program writing them would) until
// released: the check waits for it.
class BooksHolder {
public:
    explicit BooksHolder(const QString& path) {
        sqlite3_open(QFile::encodeName(path).constData(), &m_db);
        sqlite3_exec(m_db, "pragma journal_mode=delete", nullptr, nullptr, nullptr);
        m_ok = sqlite3_exec(m_db, "begin exclusive", nullptr, nullptr, nullptr) == SQLITE_OK;
    }
    ~BooksHolder() { release(); }
    bool ok() const { return m_ok; }
    void release() {
        if (!m_db)
            return;
        sqlite3_exec(m_db, "rollback", nullptr, nullptr, nullptr);
        sqlite3_close(m_db);
        m_db = nullptr;
    }

private:
    sqlite3* m_db = nullptr;
    bool m_ok = false;
};

void addEntries(TestProgram& tp, int n) {
    tp.exec(
        QStringLiteral("with recursive k(i) as (select 1 union all select i+1 from k where i<%1) "
                       "insert into mysalary(adddate,sz,szdl,szxl,money) "
                       "select '2026-12-01','支出','餐饮','午餐',12.5 from k")
            .arg(n));
    tp.exec(QStringLiteral("pragma wal_checkpoint(truncate)"));
    tp.closeObserver();
}

QByteArray digest(const QString& path) {
    return QCryptographicHash::hash(readAll(path), QCryptographicHash::Sha256);
}

QLabel* checkingNotice(const MainWindow& bank) {
    return bank.findChild<QLabel*>(QStringLiteral("checking"));
}

void press(MainWindow& bank, const QString& button) {
    QTest::mouseClick(bank.button(button), Qt::LeftButton);
}

} // namespace

class TestStartupWait : public QObject {
    Q_OBJECT
private slots:
    void buttonWaitsForTheCheck();
    void passwordCanBeTypedDuringTheCheck();
    void damagedBooksStayLockedAfterTheWait();
    void quittingDuringTheCheckEndsAtOnce();
    void newBooksAreReadyAtOnce();
};

void TestStartupWait::buttonWaitsForTheCheck() {
    TestProgram tp;
    addEntries(tp, 200);
    BooksHolder holder(tp.databasePath());
    QVERIFY(holder.ok());
    Startup start(tp.context());
    QSignalSpy ready(&start, &Startup::ready);
    start.begin();
    OpenedWindows opened;
    MainWindow bank(tp.context(), start, opened.windows());
    bank.show();
    QVERIFY(QTest::qWaitForWindowExposed(&bank));
    QVERIFY(!start.isReady());

    // Pressed before the check ends: the window says so and nothing opens yet; the event
    // loop keeps running.
    press(bank, QStringLiteral("sz"));
    QVERIFY(checkingNotice(bank));
    QVERIFY(checkingNotice(bank)->isVisible());
    QCOMPARE(checkingNotice(bank)->text(), QStringLiteral("正在检查账本…"));
    QTest::qWait(100);
    QVERIFY(opened.log.isEmpty());
    QVERIFY(tp.dialogs.shown.isEmpty());
    QVERIFY(!start.isReady());

    holder.release();
    QTRY_COMPARE_WITH_TIMEOUT(opened.log, QStringList{QStringLiteral("ledger")}, 10000);
    QCOMPARE(ready.size(), 1);
    QVERIFY(!checkingNotice(bank)->isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(start.isCopyDone(), 10000);
    QCOMPARE(backups::check(backups::copyFor(tp.databasePath(), kToday)).health,
             backups::Health::Sound);
    QVERIFY2(tp.dialogs.shown.isEmpty(), qPrintable(tp.dialogs.errors().join(u'\n')));

    // Once ready, a button opens at once.
    press(bank, QStringLiteral("jd"));
    QTRY_COMPARE(opened.log.size(), 2);
    QCOMPARE(opened.log.last(), QStringLiteral("loans"));
}

void TestStartupWait::passwordCanBeTypedDuringTheCheck() {
    TestProgram tp;
    tp.exec(QStringLiteral("update user set password='abc'"));
    addEntries(tp, 10);
    BooksHolder holder(tp.databasePath());
    Startup start(tp.context());
    start.begin();
    OpenedWindows opened;
    MainWindow bank(tp.context(), start, opened.windows());
    bank.show();
    tp.dialogs.typeNext(QStringLiteral("abc"));
    press(bank, QStringLiteral("login"));
    QCOMPARE(bank.enteredPassword(), QStringLiteral("abc"));
    press(bank, QStringLiteral("cx"));
    holder.release();
    // The password entered meanwhile is tested against the stored one once it is read.
    QTRY_COMPARE_WITH_TIMEOUT(opened.log, QStringList{QStringLiteral("savings")}, 10000);
    QVERIFY(tp.dialogs.shown.isEmpty());
}

void TestStartupWait::damagedBooksStayLockedAfterTheWait() {
    TestProgram tp;
    addEntries(tp, 2000);
    // An index missing, which start-up would add to sound books.
    tp.exec(QStringLiteral("drop index mysalary_day"));
    tp.exec(QStringLiteral("pragma wal_checkpoint(truncate)"));
    tp.closeObserver();
    {
        QFile f(tp.databasePath());
        QVERIFY(f.open(QIODevice::ReadWrite));
        f.seek(65536 + 8);
        f.write(QByteArray(4096, '\x5a'));
    }
    const QByteArray before = digest(tp.databasePath());
    Startup start(tp.context());
    start.begin();
    OpenedWindows opened;
    MainWindow bank(tp.context(), start, opened.windows());
    bank.show();
    press(bank, QStringLiteral("sz"));
    QTRY_VERIFY_WITH_TIMEOUT(start.isReady(), 10000);
    QTRY_COMPARE(tp.dialogs.shown.size(), 2);
    QVERIFY2(tp.dialogs.shown[0].text.startsWith(QStringLiteral("账簿文件已损坏")),
             qPrintable(tp.dialogs.shown[0].text));
    // The press that waited is refused like every later one; nothing was written.
    QCOMPARE(tp.dialogs.shown[1].text, QStringLiteral("对不起，你非法登录本系统！"));
    press(bank, QStringLiteral("sys"));
    QCOMPARE(tp.dialogs.shown.size(), 3);
    QVERIFY(opened.log.isEmpty());
    QVERIFY(start.isCopyDone());
    QCOMPARE(digest(tp.databasePath()), before);
    QVERIFY(!QFile::exists(backups::copyFor(tp.databasePath(), kToday)));
}

void TestStartupWait::quittingDuringTheCheckEndsAtOnce() {
    TestProgram tp;
    addEntries(tp, 10);
    BooksHolder holder(tp.databasePath());
    QElapsedTimer timer;
    {
        Startup start(tp.context());
        start.begin();
        QTest::qWait(50);
        timer.start();
    } // the program ends while the check waits for the books
    QVERIFY2(timer.elapsed() < 1000, qPrintable(QString::number(timer.elapsed())));
    QVERIFY(tp.dialogs.shown.isEmpty());
    QVERIFY(backups::copiesOf(tp.databasePath()).isEmpty());
}

void TestStartupWait::newBooksAreReadyAtOnce() {
    TestProgram tp(false);
    Startup start(tp.context());
    start.begin();
    QVERIFY(start.isReady());
    QVERIFY(start.isCopyDone());
    QCOMPARE(start.storedPassword(), std::optional<QString>(QString()));
    OpenedWindows opened;
    MainWindow bank(tp.context(), start, opened.windows());
    press(bank, QStringLiteral("sz"));
    QTRY_COMPARE(opened.log, QStringList{QStringLiteral("ledger")});
}

QTEST_MAIN(TestStartupWait)
#include "tst_startupwait.moc"
