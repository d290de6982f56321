// The daily copies of the books made at start-up, the check of the books, and what start-up
// does with damaged books.
#include "app/startup.h"
#include "data/backups.h"
#include "data/dailycopy.h"
#include "data/leftovers.h"
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
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <fcntl.h>
#include <functional>
#include <sqlite3.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

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

// Runs statements on a connection of the SQLite C API of its own; fails the test when one fails.
void rawExec(const QString& path, const char* sql) {
    sqlite3* db = nullptr;
    QCOMPARE(sqlite3_open(QFile::encodeName(path).constData(), &db), SQLITE_OK);
    char* error = nullptr;
    const int rc = sqlite3_exec(db, sql, nullptr, nullptr, &error);
    const QString text = QString::fromUtf8(error ? error : "");
    sqlite3_free(error);
    sqlite3_close(db);
    QVERIFY2(rc == SQLITE_OK, qPrintable(text));
}

QString firstRow(const QString& path, const char* sql) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* stmt = nullptr;
    QString out;
    if (sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr) == SQLITE_OK &&
        sqlite3_step(stmt) == SQLITE_ROW)
        out = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return out;
}

// Makes an index of the ledger disagree with its table, as a few changed bytes can: the
// index holds the remarks while the schema says it holds the minor categories. Every page
// still reads well, so quick_check passes; only integrity_check compares index and table.
void corruptAnIndex(const QString& path) {
    rawExec(path, "create index probe on mysalary(memo)");
    rawExec(path, "pragma writable_schema=on;"
                  "update sqlite_master set sql='CREATE INDEX probe ON mysalary(szxl)' "
                  "where name='probe';"
                  "pragma writable_schema=off");
    // Every connection reads the schema afresh.
    const int version = firstRow(path, "pragma schema_version").toInt();
    rawExec(path,
            QByteArray("pragma schema_version=" + QByteArray::number(version + 1)).constData());
    QCOMPARE(firstRow(path, "pragma quick_check"), QStringLiteral("ok"));
}

// Sets a file's change time back to `seconds` after the epoch, as cp -p and mv keep it.
void setChangedAt(const QString& path, qint64 seconds) {
    const timespec times[2] = {{seconds, 0}, {seconds, 0}};
    QCOMPARE(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0), 0);
}

qint64 changedAtSeconds(const QString& path) {
    struct stat st {};
    ::stat(QFile::encodeName(path).constData(), &st);
    return st.st_mtim.tv_sec;
}

QStringList hiddenAndPlainFiles(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
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
    void checkSeesAnIndexThatDisagreesWithItsTable();
    void hiddenDamageNeverReplacesTheSoundCopy();
    void booksPutBackWithAnOlderTimeAreCopiedAgain();
    void damageThatKeepsTheTimeIsCheckedAgain();
    void copiesDatedInTheFutureDoNotPushTodaysOut();
    void pruningKeepsTheSoundCopy();
    void resultCodes_data();
    void resultCodes();
    void fullDiskIsNotDamage();
    void fullDiskAtStartSaysCannotCheck();
    void leftoversOfACopyAreClearedAtStart();
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
    // A plain file: no log or temporary file beside it, only the record of what it was made
    // from.
    QCOMPARE(hiddenAndPlainFiles(QFileInfo(copy).absolutePath()),
             (QStringList{QStringLiteral(".Salary-2026-12-09.mdb.source"),
                          QStringLiteral("Salary-2026-12-09.mdb")}));
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
    QCOMPARE(hiddenAndPlainFiles(backups::folderFor(tp.databasePath())),
             (QStringList{QStringLiteral(".Salary-2026-12-09.mdb.source"),
                          QStringLiteral("Salary-2026-12-09.mdb")}));
}

void TestBackups::checkTellsSoundFromDamaged() {
    TestProgram tp;
    addEntries(tp, 2000);
    QCOMPARE(backups::check(tp.databasePath()).health, backups::Health::Sound);

    const QString garbage = tp.folder() + QStringLiteral("/garbage.mdb");
    writeAll(garbage, QByteArray(70000, 'x'));
    QCOMPARE(backups::check(garbage).health, backups::Health::NotBooks);
    const QString empty = tp.folder() + QStringLiteral("/empty.mdb");
    writeAll(empty, {});
    QCOMPARE(backups::check(empty).health, backups::Health::NotBooks);
    QCOMPARE(backups::check(tp.folder() + QStringLiteral("/missing.mdb")).health,
             backups::Health::NotBooks);

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
    QTest::addColumn<bool>("folder");
    QTest::addColumn<QString>("error");
    QTest::newRow("emptied") << QByteArray() << false << "no such table: user.";
    QTest::newRow("not a database")
        << QByteArray("letter\n").repeated(2000) << false << "file is not a database.";
    QTest::newRow("a folder") << QByteArray() << true << "Could not find file '%1'";
}

void TestBackups::booksThatAreNoDatabaseAreNotCopied() {
    QFETCH(QByteArray, contents);
    QFETCH(bool, folder);
    QFETCH(QString, error);
    TestProgram tp;
    QVERIFY(runStartup(tp.context()).has_value());
    const QString copy = backups::copyFor(tp.databasePath(), kToday);
    const QByteArray before = digest(copy);
    if (folder) {
        QVERIFY(QFile::remove(tp.databasePath()));
        QVERIFY(QDir().mkpath(tp.databasePath()));
    } else {
        writeAll(tp.databasePath(), contents);
    }

    // The data layer says what is wrong about which file, and the sound copy that exists is
    // named as for damaged books; the day's copy stays.
    QCOMPARE(runStartup(tp.context()), std::nullopt);
    QCOMPARE(tp.dialogs.errors().size(), 1);
    const QString text = tp.dialogs.errors().first();
    QVERIFY2(text.contains(tp.databasePath()), qPrintable(text));
    if (error.contains(QLatin1String("%1")))
        error = error.arg(tp.databasePath());
    QVERIFY2(text.contains(error), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("最新的完好备份：") + copy), qPrintable(text));
    QCOMPARE(digest(copy), before);
}

void TestBackups::checkSeesAnIndexThatDisagreesWithItsTable() {
    TestProgram tp;
    addEntries(tp, 300);
    settle(tp);
    corruptAnIndex(tp.databasePath());
    const backups::Check c = backups::check(tp.databasePath());
    QCOMPARE(c.health, backups::Health::Damaged);
    QVERIFY2(c.detail.contains(QStringLiteral("probe")), qPrintable(c.detail));
}

void TestBackups::hiddenDamageNeverReplacesTheSoundCopy() {
    TestProgram tp;
    addEntries(tp, 300);
    QVERIFY(runStartup(tp.context()).has_value());
    const QString copy = backups::copyFor(tp.databasePath(), kToday);
    const QByteArray sound = digest(copy);

    addEntries(tp, 5);
    settle(tp);
    corruptAnIndex(tp.databasePath());
    const QByteArray books = digest(tp.databasePath());
    tp.dialogs.clear();
    QCOMPARE(runStartup(tp.context()), std::nullopt);
    // Refused, with the sound copy named; that copy is neither replaced nor pruned by the
    // damaged books, on this day or on the fifteen after it.
    QCOMPARE(tp.dialogs.errors().size(), 1);
    QVERIFY2(tp.dialogs.errors().first().contains(copy), qPrintable(tp.dialogs.errors().first()));
    QCOMPARE(digest(copy), sound);
    for (int day = 1; day <= backups::kKeptCopies + 1; ++day) {
        tp.clock.set(QDateTime(kToday.addDays(day), QTime(9, 0)));
        QCOMPARE(runStartup(tp.context()), std::nullopt);
    }
    QCOMPARE(backups::copiesOf(tp.databasePath()), QStringList{copy});
    QCOMPARE(digest(copy), sound);
    QCOMPARE(digest(tp.databasePath()), books);
    // A copy that does not pass the check is never made under a final name either.
    QVERIFY_THROWS_EXCEPTION(AppError, backups::backUp(tp.databasePath(), kToday.addDays(20)));
    QVERIFY(!QFile::exists(backups::copyFor(tp.databasePath(), kToday.addDays(20))));
}

void TestBackups::booksPutBackWithAnOlderTimeAreCopiedAgain() {
    TestProgram tp;
    addEntries(tp, 3);
    settle(tp);
    const QString older = tp.folder() + QStringLiteral("/older.mdb");
    QVERIFY(QFile::copy(tp.databasePath(), older));
    addEntries(tp, 4);
    QVERIFY(runStartup(tp.context()).has_value());
    const QString copy = backups::copyFor(tp.databasePath(), kToday);
    QCOMPARE(entriesIn(copy), 7);

    // The older books put back as cp -p does it: their time stamp is older than the copy's.
    settle(tp);
    writeAll(tp.databasePath(), readAll(older));
    QFile::remove(tp.databasePath() + QStringLiteral("-wal"));
    setChangedAt(tp.databasePath(), changedAtSeconds(copy) - 3600);
    QVERIFY(runStartup(tp.context()).has_value());
    QCOMPARE(entriesIn(copy), 3);
}

void TestBackups::damageThatKeepsTheTimeIsCheckedAgain() {
    TestProgram tp;
    addEntries(tp, 2000);
    settle(tp);
    QVERIFY(runStartup(tp.context()).has_value());
    const qint64 time = changedAtSeconds(tp.databasePath());
    damage(tp.databasePath());
    setChangedAt(tp.databasePath(), time);
    tp.dialogs.clear();
    QCOMPARE(runStartup(tp.context()), std::nullopt);
    QCOMPARE(tp.dialogs.errors().size(), 1);
    QVERIFY2(tp.dialogs.errors().first().startsWith(QStringLiteral("账簿文件已损坏")),
             qPrintable(tp.dialogs.errors().first()));
}

void TestBackups::copiesDatedInTheFutureDoNotPushTodaysOut() {
    TestProgram tp;
    const QString folder = backups::folderFor(tp.databasePath());
    QVERIFY(QDir().mkpath(folder));
    // A clock that was a month ahead once made twenty copies; and twenty real older copies.
    QStringList future;
    for (int i = 1; i <= 20; ++i) {
        writeAll(backups::copyFor(tp.databasePath(), kToday.addDays(30 + i)), "future");
        future << backups::copyFor(tp.databasePath(), kToday.addDays(30 + i));
        writeAll(backups::copyFor(tp.databasePath(), kToday.addDays(-i)), "old");
    }

    QVERIFY(runStartup(tp.context()).has_value());

    // Today's copy is made and kept with the thirteen days before it; the future ones stay and
    // the user is told about them.
    const QString today = backups::copyFor(tp.databasePath(), kToday);
    QCOMPARE(backups::check(today).health, backups::Health::Sound);
    QStringList expected;
    for (int i = 0; i < backups::kKeptCopies; ++i)
        expected << backups::copyFor(tp.databasePath(), kToday.addDays(-i));
    std::sort(future.begin(), future.end(), std::greater<>());
    QCOMPARE(backups::copiesOf(tp.databasePath()), future + expected);
    QCOMPARE(backups::futureCopies(tp.databasePath(), kToday), future);
    QVERIFY(tp.dialogs.errors().isEmpty());
    QCOMPARE(tp.dialogs.shown.size(), 1);
    QCOMPARE(tp.dialogs.shown.first().icon, Dialogs::Icon::Information);
    QVERIFY2(tp.dialogs.shown.first().text.contains(QStringLiteral("日期在今天之后")),
             qPrintable(tp.dialogs.shown.first().text));
    QVERIFY(tp.dialogs.shown.first().text.contains(future.first()));
}

void TestBackups::pruningKeepsTheSoundCopy() {
    TestProgram tp;
    QVERIFY(QDir().mkpath(backups::folderFor(tp.databasePath())));
    for (int i = 0; i < 5; ++i)
        writeAll(backups::copyFor(tp.databasePath(), kToday.addDays(-i)), "copy");
    const QString sound = backups::copyFor(tp.databasePath(), kToday.addDays(-3));
    QCOMPARE(backups::pruneCopies(tp.databasePath(), kToday, 2, sound), QString());
    QCOMPARE(backups::copiesOf(tp.databasePath()),
             (QStringList{backups::copyFor(tp.databasePath(), kToday),
                          backups::copyFor(tp.databasePath(), kToday.addDays(-1)), sound}));
}

void TestBackups::resultCodes_data() {
    QTest::addColumn<int>("code");
    QTest::addColumn<backups::Health>("health");
    QTest::newRow("corrupt") << SQLITE_CORRUPT << backups::Health::Damaged;
    QTest::newRow("corrupt index") << SQLITE_CORRUPT_INDEX << backups::Health::Damaged;
    QTest::newRow("not a database") << SQLITE_NOTADB << backups::Health::NotBooks;
    QTest::newRow("disk full") << SQLITE_FULL << backups::Health::CannotCheck;
    QTest::newRow("no -shm") << SQLITE_IOERR_SHMSIZE << backups::Health::CannotCheck;
    QTest::newRow("read error") << SQLITE_IOERR_READ << backups::Health::CannotCheck;
    QTest::newRow("cannot open") << SQLITE_CANTOPEN << backups::Health::CannotCheck;
    QTest::newRow("no permission") << SQLITE_PERM << backups::Health::CannotCheck;
    QTest::newRow("read-only") << SQLITE_READONLY_CANTINIT << backups::Health::CannotCheck;
    QTest::newRow("busy") << SQLITE_BUSY << backups::Health::CannotCheck;
    QTest::newRow("stopped") << SQLITE_INTERRUPT << backups::Health::Stopped;
}

void TestBackups::resultCodes() {
    QFETCH(int, code);
    QFETCH(backups::Health, health);
    QCOMPARE(backups::healthOf(code), health);
}

void TestBackups::fullDiskIsNotDamage() {
    // Books in write-ahead-log mode with nothing beside them: the check must make the
    // shared-memory file, which a full disk refuses.
    QTemporaryDir dir;
    const QString books = dir.filePath(QStringLiteral("Salary.mdb"));
    rawExec(books, "pragma journal_mode=wal; create table t(x);"
                   "with recursive k(i) as (select 1 union all select i+1 from k where i<1000) "
                   "insert into t select i from k");
    QVERIFY(!QFile::exists(books + QStringLiteral("-shm")));
    backups::Check c;
    {
        FileSizeLimit limit(4096);
        QVERIFY(limit.ok());
        c = backups::check(books);
    }
    QCOMPARE(c.health, backups::Health::CannotCheck);
    QVERIFY(!c.detail.isEmpty());
}

void TestBackups::fullDiskAtStartSaysCannotCheck() {
    TestProgram tp;
    addEntries(tp, 20);
    settle(tp);
    QVERIFY(runStartup(tp.context()).has_value());
    const QString copy = backups::copyFor(tp.databasePath(), kToday);
    addEntry(tp);
    settle(tp);
    tp.closeObserver();
    QFile::remove(tp.databasePath() + QStringLiteral("-shm"));
    QFile::remove(tp.databasePath() + QStringLiteral("-wal"));
    tp.dialogs.clear();
    {
        FileSizeLimit limit(4096);
        QVERIFY(limit.ok());
        runStartup(tp.context());
    }
    const QStringList errors = tp.dialogs.errors();
    QVERIFY(!errors.isEmpty());
    QVERIFY2(errors.first().startsWith(QStringLiteral("现在无法检查账簿 ")),
             qPrintable(errors.first()));
    for (const QString& e : errors) {
        QVERIFY2(!e.contains(QStringLiteral("账簿文件已损坏")), qPrintable(e));
        QVERIFY2(!e.contains(QStringLiteral("替换账簿文件")), qPrintable(e));
    }
    QCOMPARE(entriesIn(copy), 20);
}

void TestBackups::leftoversOfACopyAreClearedAtStart() {
    TestProgram tp;
    const QString folder = backups::folderFor(tp.databasePath());
    QVERIFY(QDir().mkpath(folder));
    const QStringList leftovers{
        QStringLiteral(".Salary-2026-12-01.mdb.partial"),
        QStringLiteral(".Salary-2026-12-01.mdb.partial-journal"),
        QStringLiteral(".Salary-2026-12-02.mdb.partial-wal"),
        QStringLiteral(".Salary-2026-12-02.mdb.partial-shm"),
        QStringLiteral(".Salary-2026-12-03.mdb.source.partial"),
    };
    const QStringList kept{
        QStringLiteral(".Salary-2026-12-04.mdb.partial"), // still being made: locked
        QStringLiteral(".Other-2026-12-01.mdb.partial"),
        QStringLiteral(".Salary-2026-12-01.mdb.partialx"),
        QStringLiteral("Salary-2026-12-01.mdb"),
        QStringLiteral("notes.partial"),
    };
    for (const QString& name : leftovers + kept)
        writeAll(QDir(folder).filePath(name), "x");
    const int lock = ::open(QFile::encodeName(QDir(folder).filePath(kept.first())).constData(),
                            O_RDONLY | O_CLOEXEC);
    QVERIFY(lock >= 0);
    QCOMPARE(::flock(lock, LOCK_EX), 0);

    QVERIFY(runStartup(tp.context()).has_value());
    ::close(lock);

    for (const QString& name : leftovers)
        QVERIFY2(!QFile::exists(QDir(folder).filePath(name)), qPrintable(name));
    for (const QString& name : kept)
        QVERIFY2(QFile::exists(QDir(folder).filePath(name)), qPrintable(name));
}

QTEST_GUILESS_MAIN(TestBackups)
#include "tst_backups.moc"
