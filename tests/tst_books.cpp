// The books file itself: read-only books, what a killed first start leaves behind, and the
// size of the write-ahead log.
#include "app/startup.h"
#include "data/booksaccess.h"
#include "data/leftovers.h"
#include "data/querydataset.h"
#include "data/tabledataset.h"
#include "platform/apperror.h"
#include "support/files.h"
#include "support/testprogram.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <unistd.h>

namespace {

using books::Access;

// Sets the age of a file by its modification time.
void age(const QString& path, qint64 seconds) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadWrite));
    QVERIFY(f.setFileTime(QDateTime::currentDateTime().addSecs(-seconds),
                          QFileDevice::FileModificationTime));
}

// The files in the program folder, sorted.
QStringList filesIn(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

// Makes `path` read-only for this user and puts it back at the end of the scope.
class ReadOnlyWhile {
public:
    ReadOnlyWhile(const QString& path, QFile::Permissions ro) : m_path(path) {
        m_old = QFile::permissions(path);
        QFile::setPermissions(path, ro);
    }
    ~ReadOnlyWhile() { QFile::setPermissions(m_path, m_old); }

private:
    QString m_path;
    QFile::Permissions m_old;
};

constexpr QFile::Permissions kReadOnlyFolder =
    QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup;
constexpr QFile::Permissions kReadOnlyFile = QFile::ReadOwner | QFile::ReadGroup;

} // namespace

class TestBooks : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void accessDecision_data();
    void accessDecision();
    void readOnlyBooksCanBeRead_data();
    void readOnlyBooksCanBeRead();
    void staleCreationsRemovedAtStart();
    void logStaysSmall();

private:
    QTemporaryDir m_home;
};

void TestBooks::initTestCase() {
    // Start-up writes the short date format into the user's settings; a home of its own keeps
    // this test from racing the start-up tests that run beside it and read that file.
    QVERIFY(m_home.isValid());
    qputenv("HOME", QFile::encodeName(m_home.path()));
}

void TestBooks::init() {
    QStandardPaths::setTestModeEnabled(true);
}

void TestBooks::accessDecision_data() {
    QTest::addColumn<bool>("fileWritable");
    QTest::addColumn<bool>("folderWritable");
    QTest::addColumn<bool>("logHasContent");
    QTest::addColumn<Access>("access");
    QTest::newRow("writable") << true << true << false << Access::ReadWrite;
    QTest::newRow("writable with log") << true << true << true << Access::ReadWrite;
    // The log's shared-memory file cannot be made: read the file alone, create nothing.
    QTest::newRow("read-only media") << false << false << false << Access::Immutable;
    QTest::newRow("read-only media with log") << false << false << true << Access::Immutable;
    QTest::newRow("writable file, read-only folder") << true << false << true << Access::Immutable;
    // A read-only file in a writable folder: no -wal/-shm appear unless a log holds changes.
    QTest::newRow("read-only file") << false << true << false << Access::Immutable;
    QTest::newRow("read-only file with log") << false << true << true << Access::ReadOnly;
}

void TestBooks::accessDecision() {
    QFETCH(bool, fileWritable);
    QFETCH(bool, folderWritable);
    QFETCH(bool, logHasContent);
    QFETCH(Access, access);
    QCOMPARE(books::accessFor(fileWritable, folderWritable, logHasContent), access);
}

void TestBooks::readOnlyBooksCanBeRead_data() {
    QTest::addColumn<bool>("folderReadOnly");
    QTest::newRow("folder on read-only media") << true;
    QTest::newRow("file set read-only") << false;
}

void TestBooks::readOnlyBooksCanBeRead() {
    QFETCH(bool, folderReadOnly);
    if (::geteuid() == 0)
        QSKIP("permission bits do not stop root; the decision is tested in accessDecision");
    TestProgram tp;
    tp.exec(QStringLiteral("insert into borrow (borrowdate, action, money, listman, flag) "
                           "values ('2026-01-01', '借给别人', 10, '张三', 0)"));
    tp.exec(QStringLiteral("pragma wal_checkpoint(truncate)"));
    const QStringList before = filesIn(tp.folder());
    ReadOnlyWhile guard(folderReadOnly ? tp.folder() : tp.databasePath(),
                        folderReadOnly ? kReadOnlyFolder : kReadOnlyFile);
    QCOMPARE(books::accessOf(tp.databasePath()), Access::Immutable);

    // Start-up reads the password and says once why nothing can be saved.
    QCOMPARE(runStartup(tp.context()), std::optional<QString>(QString()));
    QCOMPARE(tp.dialogs.shown.size(), 1);
    QCOMPARE(tp.dialogs.shown[0].caption, QStringLiteral("Quenvard"));
    QVERIFY2(tp.dialogs.shown[0].text.contains(QStringLiteral("不能修改")),
             qPrintable(tp.dialogs.shown[0].text));

    {
        // A window's dataset shows the rows and refuses to save.
        TableDataset ds(tp.books(), QStringLiteral("borrow"), TableDataset::Mode::Cached);
        ds.open();
        QCOMPARE(ds.rowCount(), 1);
        QCOMPARE(ds.value(0, ds.fieldIndex(QStringLiteral("listman"))).toString(),
                 QStringLiteral("张三"));
        ds.append();
        ds.setValue(ds.fieldIndex(QStringLiteral("listman")), QStringLiteral("李四"));
        try {
            ds.saveAll();
            QFAIL("a save into read-only books was not refused");
        } catch (const AppError& e) {
            QCOMPARE(e.text(), books::readOnlyRefusal());
        }
        QVERIFY(ds.hasPendingChanges());
        QueryDataset q(tp.books());
        QVERIFY_THROWS_EXCEPTION(AppError,
                                 q.execute(QStringLiteral("update tax set interesttax = 5")));
    }
    // Nothing was made beside the books, read-only or otherwise.
    QCOMPARE(filesIn(tp.folder()), before);
}

void TestBooks::staleCreationsRemovedAtStart() {
    TestProgram tp(false);
    const QString books = tp.databasePath();
    const QStringList stale{books + QStringLiteral(".new-1a2b3c4d"),
                            books + QStringLiteral(".new-1a2b3c4d-journal"),
                            books + QStringLiteral(".new-99999999-wal")};
    const QStringList kept{
        books + QStringLiteral(".new-fresh000"), // a start that may still be running
        tp.folder() + QStringLiteral("/salary.mdb.new-00000000"), // not the books' name
        tp.folder() + QStringLiteral("/Salary.mdb.newer"),
        tp.folder() + QStringLiteral("/Other.mdb.new-00000000"),
    };
    for (const QString& p : stale + kept) {
        writeAll(p, "x");
        if (!p.contains(QStringLiteral("fresh")))
            age(p, 3600);
    }

    QCOMPARE(runStartup(tp.context()), std::optional<QString>(QString()));

    for (const QString& p : stale)
        QVERIFY2(!QFile::exists(p), qPrintable(p));
    for (const QString& p : kept)
        QVERIFY2(QFile::exists(p), qPrintable(p));
    QVERIFY(QFile::exists(books));
    QVERIFY(tp.dialogs.shown.isEmpty());
}

void TestBooks::logStaysSmall() {
    TestProgram tp;
    TableDataset ds(tp.books(), QStringLiteral("mysalary"), TableDataset::Mode::Cached);
    ds.open();
    const int memo = ds.fieldIndex(QStringLiteral("memo"));
    const int date = ds.fieldIndex(QStringLiteral("adddate"));
    const QString text = QStringLiteral("x").repeated(1000);
    // About 8 MB of rows in sixteen saves; SQLite's default would keep all of it in the log
    // (the 64 KiB pages make its automatic checkpoint come only at 64 MB).
    const QString log = tp.databasePath() + QStringLiteral("-wal");
    qint64 largest = 0;
    for (int save = 0; save < 16; ++save) {
        for (int i = 0; i < 500; ++i) {
            ds.append();
            ds.setValue(date, QStringLiteral("2026-01-01"));
            ds.setValue(memo, text + QString::number(i));
        }
        ds.saveAll();
        largest = std::max(largest, QFileInfo(log).size());
    }
    QCOMPARE(tp.scalar(QStringLiteral("select count(*) from mysalary")).toInt(), 8000);
    // At most the 4 MiB limit and what one save adds on top before its checkpoint.
    QVERIFY2(largest < 6 * 1024 * 1024, qPrintable(QString::number(largest)));
}

QTEST_GUILESS_MAIN(TestBooks)
#include "tst_books.moc"
