// The daily copies of the books made at start-up, the check of the books, and what start-up
// does with damaged books.
#include "app/startup.h"
#include "data/backups.h"
#include "platform/apperror.h"
#include "support/files.h"
#include "support/filesizelimit.h"
#include "support/testprogram.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>
#include <algorithm>
#include <functional>
#include <sys/stat.h>

namespace {

const QDate kToday(2026, 12, 9); // the day of TestProgram's clock

// The names of the dated copies in the backup folder of `booksPath`, newest first: the files
// named <name>-yyyy-MM-dd.<suffix> with a real date.
QStringList datedCopyNames(const QString& booksPath) {
    const QFileInfo books(booksPath);
    const QString prefix = books.completeBaseName() + u'-';
    const QString suffix = u'.' + books.suffix();
    QStringList out;
    for (const QString& name : QDir(backups::folderFor(booksPath)).entryList(QDir::Files)) {
        if (!name.startsWith(prefix) || !name.endsWith(suffix))
            continue;
        const QString day = name.mid(prefix.size(), name.size() - prefix.size() - suffix.size());
        if (QDate::fromString(day, QStringLiteral("yyyy-MM-dd")).isValid())
            out << name;
    }
    std::sort(out.begin(), out.end(), std::greater<>());
    return out;
}

// The number of ledger entries in a copy of the books.
int entriesIn(const QString& path) {
    int n = -1;
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("copy"));
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        if (db.open()) {
            QSqlQuery q(QStringLiteral("select count(*) from mysalary"), db);
            if (q.next())
                n = q.value(0).toInt();
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("copy"));
    return n;
}

// Everything the test wrote into the books file itself, out of the write-ahead log.
void settle(TestProgram& tp) {
    tp.exec(QStringLiteral("pragma wal_checkpoint(truncate)"));
}

void addEntries(TestProgram& tp, int n) {
    tp.exec(
        QStringLiteral("with recursive k(i) as (select 1 union all select i+1 from k where i<%1) "
                       "insert into mysalary(adddate,sz,szdl,szxl,money) "
                       "select '2026-12-01','支出','餐饮','午餐',12.5 from k")
            .arg(n));
}

void addEntry(TestProgram& tp) {
    addEntries(tp, 1);
}

// Overwrites the middle of the books' second page with noise: the file still opens, the check
// fails.
void damage(const QString& path) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadWrite));
    const qint64 page = 65536;
    QVERIFY(f.size() > 2 * page);
    f.seek(page + 8);
    QByteArray noise(4096, '\0');
    for (int i = 0; i < noise.size(); ++i)
        noise[i] = char((i * 131 + 17) & 0xff);
    f.write(noise);
}

QByteArray digest(const QString& path) {
    return QCryptographicHash::hash(readAll(path), QCryptographicHash::Sha256);
}

} // namespace

class TestBackups : public QObject {
    Q_OBJECT
private slots:
    void startMakesTheDaysCopy();
    void oneCopyPerDay();
    void keepsTheNewestFourteen();
    void failingBackupIsReportedOnceAndStartGoesOn_data();
    void failingBackupIsReportedOnceAndStartGoesOn();
    void failedCopyLeavesTheEarlierCopyOfTheDay();
    void checkTellsSoundFromDamaged();
    void damagedBooksAreRefusedWithTheNewestSoundCopy();
    void damagedBooksWithoutASoundCopy();
    void firstStartHasNothingToCopy();
    void booksThatAreNoDatabaseAreNotCopied_data();
    void booksThatAreNoDatabaseAreNotCopied();
};

void TestBackups::startMakesTheDaysCopy() {
    TestProgram tp;
    addEntry(tp);
    QVERIFY(runStartup(tp.context()).has_value());
    QVERIFY2(tp.dialogs.shown.isEmpty(), qPrintable(tp.dialogs.errors().join(u'\n')));

    const QString copy = backups::copyFor(tp.databasePath(), kToday);
    QCOMPARE(QFileInfo(copy).fileName(), QStringLiteral("Salary-2026-12-09.mdb"));
    QCOMPARE(QFileInfo(copy).absolutePath(), tp.folder() + QStringLiteral("/backup"));
    QCOMPARE(modeOf(copy), 0600u);
    QCOMPARE(entriesIn(copy), 1);
    QCOMPARE(backups::check(copy).health, backups::Health::Sound);
    // A plain file: no log or temporary file beside it.
    QCOMPARE(QDir(QFileInfo(copy).absolutePath()).entryList(QDir::Files | QDir::Hidden),
             QStringList{QStringLiteral("Salary-2026-12-09.mdb")});
}

void TestBackups::oneCopyPerDay() {
    TestProgram tp;
    QVERIFY(runStartup(tp.context()).has_value());
    // A start that finds the day's copy newer than every change of the books keeps it as it is.
    const QString copy = backups::copyFor(tp.databasePath(), kToday);
    struct stat before {};
    QCOMPARE(::stat(QFile::encodeName(copy).constData(), &before), 0);
    QVERIFY(runStartup(tp.context()).has_value());
    struct stat after {};
    QCOMPARE(::stat(QFile::encodeName(copy).constData(), &after), 0);
    QCOMPARE(after.st_ino, before.st_ino);
    QCOMPARE(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);

    addEntry(tp);
    addEntry(tp);
    // A later start on the same day replaces that day's copy.
    QVERIFY(runStartup(tp.context()).has_value());
    QCOMPARE(datedCopyNames(tp.databasePath()),
             QStringList{QStringLiteral("Salary-2026-12-09.mdb")});
    QCOMPARE(entriesIn(backups::copyFor(tp.databasePath(), kToday)), 2);

    // The next day has a copy of its own; the earlier day's stays as it was.
    tp.clock.set(QDateTime(kToday.addDays(1), QTime(8, 0)));
    addEntry(tp);
    QVERIFY(runStartup(tp.context()).has_value());
    QCOMPARE(datedCopyNames(tp.databasePath()),
             (QStringList{QStringLiteral("Salary-2026-12-10.mdb"),
                          QStringLiteral("Salary-2026-12-09.mdb")}));
    QCOMPARE(entriesIn(backups::copyFor(tp.databasePath(), kToday)), 2);
    QCOMPARE(entriesIn(backups::copyFor(tp.databasePath(), kToday.addDays(1))), 3);
    QVERIFY(tp.dialogs.shown.isEmpty());
}

void TestBackups::keepsTheNewestFourteen() {
    TestProgram tp;
    const QString folder = backups::folderFor(tp.databasePath());
    QVERIFY(QDir().mkpath(folder));
    // Twenty older copies (across a month end), and files that are not dated copies.
    for (int i = 1; i <= 20; ++i)
        writeAll(backups::copyFor(tp.databasePath(), kToday.addDays(-i)), "old");
    const QStringList strangers{QStringLiteral("Salary-2026-13-01.mdb"),
                                QStringLiteral("Salary-copy.mdb"), QStringLiteral("notes.txt"),
                                QStringLiteral("Other-2020-01-01.mdb")};
    for (const QString& name : strangers)
        writeAll(QDir(folder).filePath(name), "keep");

    QVERIFY(runStartup(tp.context()).has_value());

    QStringList expected;
    for (int i = 0; i < backups::kKeptCopies; ++i)
        expected << QFileInfo(backups::copyFor(tp.databasePath(), kToday.addDays(-i))).fileName();
    QCOMPARE(datedCopyNames(tp.databasePath()), expected);
    for (const QString& name : strangers)
        QVERIFY2(QFile::exists(QDir(folder).filePath(name)), qPrintable(name));
    QVERIFY(tp.dialogs.shown.isEmpty());
}

void TestBackups::failingBackupIsReportedOnceAndStartGoesOn_data() {
    QTest::addColumn<QString>("how");
    QTest::newRow("backup is a file") << QStringLiteral("file");
    QTest::newRow("disk full") << QStringLiteral("full");
}

void TestBackups::failingBackupIsReportedOnceAndStartGoesOn() {
    QFETCH(QString, how);
    TestProgram tp;
    tp.exec(QStringLiteral("update user set password='abc'"));
    const QString folder = backups::folderFor(tp.databasePath());
    std::optional<QString> stored;
    if (how == QLatin1String("file")) {
        writeAll(folder, "in the way");
        stored = runStartup(tp.context());
    } else {
        FileSizeLimit limit(4096);
        QVERIFY(limit.ok());
        stored = runStartup(tp.context());
    }
    // One box that says so, and the program goes on with the password read.
    QCOMPARE(stored, std::optional<QString>(QStringLiteral("abc")));
    const QStringList errors = tp.dialogs.errors();
    QCOMPARE(errors.size(), 1);
    QCOMPARE(tp.dialogs.shown.size(), 1);
    QVERIFY2(errors.first().startsWith(QStringLiteral("无法备份账簿 ")),
             qPrintable(errors.first()));
    QVERIFY2(errors.first().contains(tp.databasePath()), qPrintable(errors.first()));
    // No partial copy is left behind.
    if (how == QLatin1String("full"))
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList());
}

void TestBackups::failedCopyLeavesTheEarlierCopyOfTheDay() {
    TestProgram tp;
    addEntry(tp);
    backups::backUp(tp.databasePath(), kToday);
    const QString copy = backups::copyFor(tp.databasePath(), kToday);
    const QByteArray before = digest(copy);
    addEntries(tp, 5000); // the new copy needs more room than the earlier one
    {
        FileSizeLimit limit(QFileInfo(copy).size());
        QVERIFY(limit.ok());
        QVERIFY_THROWS_EXCEPTION(AppError, backups::backUp(tp.databasePath(), kToday));
    }
    QCOMPARE(digest(copy), before);
    QCOMPARE(entriesIn(copy), 1);
    // No partial copy is left either.
    QCOMPARE(QDir(backups::folderFor(tp.databasePath())).entryList(QDir::Files | QDir::Hidden),
             QStringList{QStringLiteral("Salary-2026-12-09.mdb")});
}

void TestBackups::checkTellsSoundFromDamaged() {
    TestProgram tp;
    addEntries(tp, 2000);
    QCOMPARE(backups::check(tp.databasePath()).health, backups::Health::Sound);

    const QString garbage = tp.folder() + QStringLiteral("/garbage.mdb");
    writeAll(garbage, QByteArray(70000, 'x'));
    QCOMPARE(backups::check(garbage).health, backups::Health::Unreadable);
    const QString empty = tp.folder() + QStringLiteral("/empty.mdb");
    writeAll(empty, {});
    QCOMPARE(backups::check(empty).health, backups::Health::Unreadable);
    QCOMPARE(backups::check(tp.folder() + QStringLiteral("/missing.mdb")).health,
             backups::Health::Unreadable);

    settle(tp);
    damage(tp.databasePath());
    const backups::Check damaged = backups::check(tp.databasePath());
    QCOMPARE(damaged.health, backups::Health::Damaged);
    QVERIFY(!damaged.detail.isEmpty());
}

void TestBackups::damagedBooksAreRefusedWithTheNewestSoundCopy() {
    TestProgram tp;
    addEntries(tp, 2000);
    // A sound copy two days ago, and a damaged one yesterday.
    tp.clock.set(QDateTime(kToday.addDays(-2), QTime(9, 0)));
    QVERIFY(runStartup(tp.context()).has_value());
    const QString sound = backups::copyFor(tp.databasePath(), kToday.addDays(-2));
    const QString broken = backups::copyFor(tp.databasePath(), kToday.addDays(-1));
    QVERIFY(QFile::copy(sound, broken));
    damage(broken);

    settle(tp);
    damage(tp.databasePath());
    const QByteArray before = digest(tp.databasePath());
    tp.clock.set(QDateTime(kToday, QTime(9, 0)));
    tp.dialogs.clear();

    QCOMPARE(runStartup(tp.context()), std::nullopt);

    const QStringList errors = tp.dialogs.errors();
    QCOMPARE(errors.size(), 1);
    QVERIFY2(errors.first().contains(tp.databasePath()), qPrintable(errors.first()));
    QVERIFY2(errors.first().contains(sound), qPrintable(errors.first()));
    QVERIFY2(!errors.first().contains(broken), qPrintable(errors.first()));
    // Never written to, and not copied over a good copy either.
    QCOMPARE(digest(tp.databasePath()), before);
    QVERIFY(!QFile::exists(backups::copyFor(tp.databasePath(), kToday)));
}

void TestBackups::damagedBooksWithoutASoundCopy() {
    TestProgram tp;
    addEntries(tp, 2000);
    settle(tp);
    damage(tp.databasePath());
    QCOMPARE(runStartup(tp.context()), std::nullopt);
    const QStringList errors = tp.dialogs.errors();
    QCOMPARE(errors.size(), 1);
    QVERIFY2(errors.first().contains(QStringLiteral("没有找到通过检查的备份")),
             qPrintable(errors.first()));
}

void TestBackups::firstStartHasNothingToCopy() {
    TestProgram tp(false);
    QVERIFY(runStartup(tp.context()).has_value());
    QVERIFY(tp.dialogs.shown.isEmpty());
    QVERIFY(!QFileInfo::exists(backups::folderFor(tp.databasePath())));
}

void TestBackups::booksThatAreNoDatabaseAreNotCopied_data() {
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<QString>("error");
    QTest::newRow("emptied") << QByteArray() << "no such table: user.";
    QTest::newRow("not a database")
        << QByteArray("letter\n").repeated(2000) << "file is not a database.";
}

void TestBackups::booksThatAreNoDatabaseAreNotCopied() {
    QFETCH(QByteArray, contents);
    TestProgram tp;
    QVERIFY(runStartup(tp.context()).has_value());
    const QString copy = backups::copyFor(tp.databasePath(), kToday);
    const QByteArray before = digest(copy);
    writeAll(tp.databasePath(), contents);

    // The data layer says what is wrong about which file, as without backups; the day's copy
    // stays.
    QFETCH(QString, error);
    QCOMPARE(runStartup(tp.context()), std::nullopt);
    QCOMPARE(tp.dialogs.errors().size(), 1);
    QVERIFY(tp.dialogs.errors().first().contains(tp.databasePath()));
    QVERIFY(tp.dialogs.errors().first().endsWith(error));
    QCOMPARE(digest(copy), before);
}

QTEST_GUILESS_MAIN(TestBackups)
#include "tst_backups.moc"
