// The data source entry in the user's ODBC ini file, and the connections that follow it.
#include "data/connection.h"
#include "data/datasourceentry.h"
#include "data/querydataset.h"
#include "data/schema.h"
#include "platform/apperror.h"
#include "support/files.h"
#include "support/filesizelimit.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The three sections of the entry as they must read for a database at `path`.
QByteArray expectedEntry(const QByteArray& path) {
    return "[ODBC Data Sources]\n"
           "bank=SQLite3 ODBC Driver\n"
           "\n"
           "[bank]\n"
           "DBQ=" +
           path +
           "\n"
           "Description=\n"
           "Driver=SQLite3\n"
           "DriverId=25\n"
           "FIL=SQLite;\n"
           "SafeTransaction=0\n"
           "UID=teloq\n"
           "Pwd=2785\n"
           "Exclusive=00\n"
           "ReadOnly=00\n"
           "Database=" +
           path +
           "\n"
           "\n"
           "[bank\\Engines\\Jet]\n"
           "ImplicitCommitSync=Yes\n"
           "MaxBufferSize=512\n"
           "PageTimeout=10\n"
           "Threads=3\n"
           "UserCommitSync=Yes\n";
}

QByteArray bankBody(const QByteArray& path) {
    const QByteArray all = expectedEntry(path);
    const qsizetype from = all.indexOf("DBQ=");
    return all.mid(from, all.indexOf("\n\n[bank\\") + 1 - from);
}

// `lines` with CR LF line ends.
QByteArray crlf(QByteArray lines) {
    return lines.replace("\n", "\r\n");
}

const QByteArray kJetBody = "ImplicitCommitSync=Yes\n"
                            "MaxBufferSize=512\n"
                            "PageTimeout=10\n"
                            "Threads=3\n"
                            "UserCommitSync=Yes\n";

ino_t inodeOf(const QString& path) {
    struct stat st {};
    ::stat(QFile::encodeName(path).constData(), &st);
    return st.st_ino;
}

} // namespace

class TestDataSource : public QObject {
    Q_OBJECT
private slots:
    void entryValuesInOrder();
    void databasePathFollowsFolder_data();
    void databasePathFollowsFolder();
    void mergeKeepsTheUsersLines_data();
    void mergeKeepsTheUsersLines();
    void newFileIsOwnerOnly();
    void rewriteFollowsTheFolderAndKeepsOneEntry();
    void rewriteReplacesTheFileAtomically();
    void rewriteKeepsPermissions();
    void rewriteThroughASymlink();
    void unwritablePlaceIsReported();
    void fullDiskKeepsTheOldFile();
    void oddFilesAreRefusedWithoutWaiting_data();
    void oddFilesAreRefusedWithoutWaiting();
    void pathWithALineBreakIsNeverWritten_data();
    void pathWithALineBreakIsNeverWritten();
    void readDatabasePath_data();
    void readDatabasePath();
    void connectionOpensAFolderWithAnyName();
    void connectionErrors_data();
    void connectionErrors();
    void connectionNeverCreatesTheFile();
};

void TestDataSource::entryValuesInOrder() {
    // A new file holds exactly the entry's three sections, in order.
    QCOMPARE(datasource::mergeEntry({}, QStringLiteral("/opt/teloq/Salary.mdb")),
             expectedEntry("/opt/teloq/Salary.mdb"));
}

void TestDataSource::databasePathFollowsFolder_data() {
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("path");
    QTest::newRow("plain") << "/opt/teloq"
                           << "/opt/teloq/Salary.mdb";
    QTest::newRow("trailing slash") << "/opt/teloq/"
                                    << "/opt/teloq/Salary.mdb";
    QTest::newRow("doubled slashes") << "/opt//teloq//"
                                     << "/opt/teloq/Salary.mdb";
    QTest::newRow("root") << "/"
                          << "/Salary.mdb";
    QTest::newRow("chinese and blanks") << "/home/王 五/记账"
                                        << "/home/王 五/记账/Salary.mdb";
}

void TestDataSource::databasePathFollowsFolder() {
    QFETCH(QString, folder);
    QFETCH(QString, path);
    QCOMPARE(datasource::databasePathFor(folder), path);
}

void TestDataSource::mergeKeepsTheUsersLines_data() {
    QTest::addColumn<QByteArray>("existing");
    QTest::addColumn<QByteArray>("expected");
    const QByteArray db = "/opt/teloq/Salary.mdb";
    const QByteArray bankLine = "bank=SQLite3 ODBC Driver\n";

    QTest::newRow("another data source and a comment") << QByteArray("; my data sources\n"
                                                                     "[ODBC Data Sources]\n"
                                                                     "other=PostgreSQL Unicode\n"
                                                                     "\n"
                                                                     "[other]\n"
                                                                     "Driver=PostgreSQL Unicode\n"
                                                                     "Servername=localhost\n")
                                                       << QByteArray("; my data sources\n"
                                                                     "[ODBC Data Sources]\n"
                                                                     "other=PostgreSQL Unicode\n" +
                                                                     bankLine +
                                                                     "\n"
                                                                     "[other]\n"
                                                                     "Driver=PostgreSQL Unicode\n"
                                                                     "Servername=localhost\n"
                                                                     "\n"
                                                                     "[bank]\n" +
                                                                     bankBody(db) +
                                                                     "\n"
                                                                     "[bank\\Engines\\Jet]\n" +
                                                                     kJetBody);

    QTest::newRow("CR LF lines") << QByteArray("[ODBC Data Sources]\r\n"
                                               "other=X\r\n"
                                               "\r\n"
                                               "[other]\r\n"
                                               "Driver=X\r\n"
                                               "; note\r\n")
                                 << QByteArray("[ODBC Data Sources]\r\n"
                                               "other=X\r\n" +
                                               crlf(bankLine) +
                                               "\r\n"
                                               "[other]\r\n"
                                               "Driver=X\r\n"
                                               "; note\r\n"
                                               "\r\n"
                                               "[bank]\r\n" +
                                               crlf(bankBody(db)) +
                                               "\r\n"
                                               "[bank\\Engines\\Jet]\r\n" +
                                               crlf(kJetBody));

    QTest::newRow("old entry between other sections")
        << QByteArray("[other]\n"
                      "Driver=X\n"
                      "\n"
                      "[ODBC Data Sources]\n"
                      "bank=Microsoft Access Driver (*.mdb)\n"
                      "bank2=Y\n"
                      "\n"
                      "[bank]\n"
                      "DBQ=/old/place/Salary.mdb\n"
                      "Stale=1\n"
                      "\n"
                      "[bank\\Engines\\Jet]\n"
                      "Threads=9\n"
                      "\n"
                      "[bank2]\n"
                      "DBQ=/elsewhere/Other.db\n")
        << QByteArray("[other]\n"
                      "Driver=X\n"
                      "\n"
                      "[ODBC Data Sources]\n" +
                      bankLine +
                      "bank2=Y\n"
                      "\n"
                      "[bank]\n" +
                      bankBody(db) +
                      "Stale=1\n"
                      "\n"
                      "[bank\\Engines\\Jet]\n" +
                      kJetBody +
                      "\n"
                      "[bank2]\n"
                      "DBQ=/elsewhere/Other.db\n");

    QTest::newRow("last line without line break") << QByteArray("[other]\nDriver=X")
                                                  << QByteArray("[other]\n"
                                                                "Driver=X\n"
                                                                "\n" +
                                                                expectedEntry(db));

    QTest::newRow("data sources last, without line break")
        << QByteArray("[other]\nDriver=X\n\n[ODBC Data Sources]\nother=X")
        << QByteArray("[other]\nDriver=X\n\n[ODBC Data Sources]\nother=X\n" + bankLine +
                      "\n"
                      "[bank]\n" +
                      bankBody(db) +
                      "\n"
                      "[bank\\Engines\\Jet]\n" +
                      kJetBody);

    QTest::newRow("lines before the first section")
        << QByteArray("# written by hand\n\n[ODBC Data Sources]\nbank = old\n")
        << QByteArray("# written by hand\n\n[ODBC Data Sources]\n" + bankLine +
                      "\n"
                      "[bank]\n" +
                      bankBody(db) +
                      "\n"
                      "[bank\\Engines\\Jet]\n" +
                      kJetBody);

    QTest::newRow("[bank] last, without line break")
        << QByteArray("[other]\nDriver=X\n[bank]")
        << QByteArray("[other]\nDriver=X\n[bank]\n" + bankBody(db) + "\n[ODBC Data Sources]\n" +
                      bankLine + "\n[bank\\Engines\\Jet]\n" + kJetBody);

    QTest::newRow("[bank\\Engines\\Jet] last, without line break")
        << QByteArray("[other]\nDriver=X\n\n[bank\\Engines\\Jet]")
        << QByteArray("[other]\nDriver=X\n\n[bank\\Engines\\Jet]\n" + kJetBody +
                      "\n[ODBC Data Sources]\n" + bankLine + "\n[bank]\n" + bankBody(db));

    // What two starts of the earlier version made of "[other]\nDriver=X\n[bank]": the entry
    // glued to its header inside [other], and a second [bank] appended at the end.
    QTest::newRow("entry glued by an earlier version is mended")
        << QByteArray("[other]\nDriver=X\n[bank]" + bankBody("/old/Salary.mdb") +
                      "\n[ODBC Data Sources]\n" + bankLine + "\n[bank\\Engines\\Jet]\n" + kJetBody +
                      "\n[bank]\n" + bankBody("/old/Salary.mdb"))
        << QByteArray("[other]\nDriver=X\n[bank]\n" + bankBody(db) + "\n[ODBC Data Sources]\n" +
                      bankLine + "\n[bank\\Engines\\Jet]\n" + kJetBody + "\n");

    QTest::newRow("glued Jet header is mended")
        << QByteArray("[other]\nDriver=X\n[bank\\Engines\\Jet]ImplicitCommitSync=Yes\n")
        << QByteArray("[other]\nDriver=X\n[bank\\Engines\\Jet]\n" + kJetBody +
                      "\n[ODBC Data Sources]\n" + bankLine + "\n[bank]\n" + bankBody(db));

    QTest::newRow("user's keys and comments in our sections kept after our values")
        << QByteArray("[ODBC Data Sources]\nbank=x\n\n"
                      "[bank]\n; my note\nDBQ=/old/Salary.mdb\nTraceFile=/tmp/t\ndriver=Other\n"
                      "\n[bank\\Engines\\Jet]\nThreads=9\nMyJet=1\n")
        << QByteArray("[ODBC Data Sources]\n" + bankLine + "\n[bank]\n" + bankBody(db) +
                      "; my note\nTraceFile=/tmp/t\n"
                      "\n[bank\\Engines\\Jet]\n" +
                      kJetBody + "MyJet=1\n");

    QTest::newRow("CR LF entry rewritten with CR LF")
        << crlf(expectedEntry("/old/Salary.mdb")) << crlf(expectedEntry(db));
}

void TestDataSource::mergeKeepsTheUsersLines() {
    QFETCH(QByteArray, existing);
    QFETCH(QByteArray, expected);
    const QByteArray merged =
        datasource::mergeEntry(existing, QStringLiteral("/opt/teloq/Salary.mdb"));
    QCOMPARE(merged, expected);
    // Merging again changes nothing: the file does not grow from start to start.
    QCOMPARE(datasource::mergeEntry(merged, QStringLiteral("/opt/teloq/Salary.mdb")), expected);
}

void TestDataSource::newFileIsOwnerOnly() {
    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("odbc.ini"));
    QCOMPARE(datasource::writeEntry(ini, QStringLiteral("/p/Salary.mdb")),
             datasource::WriteResult::Written);
    QCOMPARE(readAll(ini), expectedEntry("/p/Salary.mdb"));
    QCOMPARE(modeOf(ini), 0600u);
}

void TestDataSource::rewriteFollowsTheFolderAndKeepsOneEntry() {
    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("odbc.ini"));
    const QByteArray users = "[ODBC Data Sources]\r\nother=X\r\n\r\n[other]\r\nDriver=X\r\n";
    writeAll(ini, users);
    QCOMPARE(datasource::writeEntry(ini, QStringLiteral("/first/Salary.mdb")),
             datasource::WriteResult::Written);
    QCOMPARE(datasource::readDatabasePath(ini), QStringLiteral("/first/Salary.mdb"));
    QCOMPARE(datasource::writeEntry(ini, QStringLiteral("/moved/Salary.mdb")),
             datasource::WriteResult::Written);
    QCOMPARE(datasource::readDatabasePath(ini), QStringLiteral("/moved/Salary.mdb"));
    const QByteArray text = readAll(ini);
    QCOMPARE(text.count("[bank]"), 1);
    QCOMPARE(text.count("bank="), 1);
    QVERIFY(!text.contains("/first/"));
    QVERIFY(text.startsWith("[ODBC Data Sources]\r\nother=X\r\n"));
    QVERIFY(text.contains("\r\n[other]\r\nDriver=X\r\n"));
}

void TestDataSource::rewriteReplacesTheFileAtomically() {
    // The new contents are written beside the file and renamed over it: a reader holding the
    // old file (here: a second name for it) still sees it whole, never a half-written one.
    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("odbc.ini"));
    const QString oldName = dir.filePath(QStringLiteral("odbc.ini.old"));
    QCOMPARE(datasource::writeEntry(ini, QStringLiteral("/first/Salary.mdb")),
             datasource::WriteResult::Written);
    const QByteArray before = readAll(ini);
    QCOMPARE(::link(QFile::encodeName(ini).constData(), QFile::encodeName(oldName).constData()), 0);
    const ino_t inode = inodeOf(ini);

    QCOMPARE(datasource::writeEntry(ini, QStringLiteral("/second/Salary.mdb")),
             datasource::WriteResult::Written);
    QVERIFY(inodeOf(ini) != inode);
    QCOMPARE(readAll(oldName), before);
    QCOMPARE(datasource::readDatabasePath(ini), QStringLiteral("/second/Salary.mdb"));
    // No temporary file is left behind.
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
}

void TestDataSource::rewriteKeepsPermissions() {
    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("odbc.ini"));
    writeAll(ini, "[other]\nDriver=X\n");
    QCOMPARE(::chmod(QFile::encodeName(ini).constData(), 0640), 0);
    QCOMPARE(datasource::writeEntry(ini, QStringLiteral("/p/Salary.mdb")),
             datasource::WriteResult::Written);
    QCOMPARE(modeOf(ini), 0640u);
}

void TestDataSource::rewriteThroughASymlink() {
    // An ini file kept elsewhere and linked into place stays linked.
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("dotfiles-odbc.ini"));
    const QString link = dir.filePath(QStringLiteral("odbc.ini"));
    writeAll(target, "[other]\nDriver=X\n");
    QVERIFY(QFile::link(target, link));
    QCOMPARE(datasource::writeEntry(link, QStringLiteral("/p/Salary.mdb")),
             datasource::WriteResult::Written);
    QVERIFY(QFileInfo(link).isSymLink());
    QVERIFY(readAll(target).startsWith("[other]\nDriver=X\n\n[ODBC Data Sources]\n"));
    QCOMPARE(datasource::readDatabasePath(link), QStringLiteral("/p/Salary.mdb"));
}

void TestDataSource::unwritablePlaceIsReported() {
    QTemporaryDir dir;
    const QString plainFile = dir.filePath(QStringLiteral("plain"));
    writeAll(plainFile, "not a folder");
    const QString ini = plainFile + QStringLiteral("/odbc.ini");
    QString reason;
    QCOMPARE(datasource::writeEntry(ini, QStringLiteral("/p/Salary.mdb"), &reason),
             datasource::WriteResult::CannotOpen);
    QVERIFY(!reason.isEmpty());
    QCOMPARE(readAll(plainFile), QByteArray("not a folder"));
    // An ini "file" that is a folder cannot be read either.
    reason.clear();
    QCOMPARE(datasource::writeEntry(dir.path(), QStringLiteral("/p/Salary.mdb"), &reason),
             datasource::WriteResult::CannotOpen);
    QCOMPARE(reason, QStringLiteral("Is a directory"));
}

void TestDataSource::fullDiskKeepsTheOldFile() {
    // The new contents do not fit (no file may grow past 16 bytes, as on a full disk): the
    // rewrite says so and the user's file, with its other data source, is as it was.
    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("odbc.ini"));
    const QByteArray old = "[ODBC Data Sources]\nother=PostgreSQL\n\n[other]\nDriver=PostgreSQL\n"
                           "Servername=localhost\nDatabase=household\n";
    writeAll(ini, old);
    QString reason;
    datasource::WriteResult result;
    {
        FileSizeLimit limit(16);
        if (!limit.ok())
            QSKIP("cannot limit the file size here");
        result = datasource::writeEntry(ini, QStringLiteral("/p/Salary.mdb"), &reason);
    }
    QCOMPARE(result, datasource::WriteResult::CannotWrite);
    QVERIFY(!reason.isEmpty());
    QCOMPARE(readAll(ini), old);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
             QStringList{QStringLiteral("odbc.ini")});
}

void TestDataSource::oddFilesAreRefusedWithoutWaiting_data() {
    QTest::addColumn<QString>("kind");   // what stands at the ini file's place
    QTest::addColumn<QString>("reason"); // what the refusal says
    QTest::newRow("FIFO") << "fifo"
                          << "是一个命名管道，不是普通文件";
    QTest::newRow("link to a FIFO") << "link to fifo"
                                    << "是一个命名管道，不是普通文件";
    QTest::newRow("link to a device") << "link to /dev/null"
                                      << "是一个设备文件，不是普通文件";
    QTest::newRow("link to a folder") << "link to folder"
                                      << "Is a directory";
}

void TestDataSource::oddFilesAreRefusedWithoutWaiting() {
    // Only a regular file is read or replaced: a FIFO must not hang the start (nobody ever
    // writes into it), and a device reached through a link must stay a device.
    QFETCH(QString, kind);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("odbc.ini"));
    const QString fifo = dir.filePath(QStringLiteral("pipe"));
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QVERIFY(QDir().mkpath(dir.filePath(QStringLiteral("folder"))));
    if (kind == "fifo")
        QCOMPARE(::mkfifo(QFile::encodeName(ini).constData(), 0600), 0);
    else if (kind == "link to fifo")
        QVERIFY(QFile::link(fifo, ini));
    else if (kind == "link to /dev/null")
        QVERIFY(QFile::link(QStringLiteral("/dev/null"), ini));
    else
        QVERIFY(QFile::link(dir.filePath(QStringLiteral("folder")), ini));
    struct stat before {};
    QCOMPARE(::stat(QFile::encodeName(ini).constData(), &before), 0);

    QElapsedTimer clock;
    clock.start();
    QString why;
    QCOMPARE(datasource::writeEntry(ini, QStringLiteral("/p/Salary.mdb"), &why),
             datasource::WriteResult::CannotOpen);
    QCOMPARE(why, reason);
    try {
        datasource::readDatabasePath(ini);
        QFAIL("read a data source from something that is not a file");
    } catch (const AppError&) {
    }
    QVERIFY(clock.elapsed() < 2000);

    struct stat after {};
    QCOMPARE(::stat(QFile::encodeName(ini).constData(), &after), 0);
    QCOMPARE(after.st_mode & S_IFMT, before.st_mode & S_IFMT);
    QCOMPARE(after.st_ino, before.st_ino);
    QCOMPARE(QFileInfo(ini).isSymLink(), kind != "fifo");
}

void TestDataSource::pathWithALineBreakIsNeverWritten_data() {
    QTest::addColumn<QString>("path");
    QTest::newRow("LF") << "/opt/a\n[evil]\nDBQ=/x/Salary.mdb";
    QTest::newRow("CR") << "/opt/a\rb/Salary.mdb";
}

void TestDataSource::pathWithALineBreakIsNeverWritten() {
    QFETCH(QString, path);
    QVERIFY(!datasource::isSafeDatabasePath(path));
    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("odbc.ini"));
    const QByteArray before = "[other]\nDriver=X\n";
    writeAll(ini, before);
    QCOMPARE(datasource::writeEntry(ini, path), datasource::WriteResult::UnsafePath);
    QCOMPARE(readAll(ini), before);
    QVERIFY(datasource::isSafeDatabasePath(QStringLiteral("/home/王 五/记账/Salary.mdb")));
}

void TestDataSource::readDatabasePath_data() {
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<QString>("path"); // empty: the data source is not found
    QTest::newRow("our entry") << expectedEntry("/a b/记账/Salary.mdb") << "/a b/记账/Salary.mdb";
    QTest::newRow("CR LF and blanks")
        << QByteArray("[bank]\r\n DBQ = /x/Salary.mdb \r\n") << "/x/Salary.mdb";
    QTest::newRow("section name in other case")
        << QByteArray("[BANK]\ndbq=/x/Salary.mdb\n") << "/x/Salary.mdb";
    QTest::newRow("DBQ of another data source")
        << QByteArray("[bank2]\nDBQ=/x/Salary.mdb\n[bank]\nDriver=SQLite3\n") << QString();
    QTest::newRow("empty DBQ") << QByteArray("[bank]\nDBQ=\n") << QString();
    QTest::newRow("empty file") << QByteArray() << QString();
}

void TestDataSource::readDatabasePath() {
    QFETCH(QByteArray, ini);
    QFETCH(QString, path);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("odbc.ini"));
    writeAll(file, ini);
    if (!path.isEmpty()) {
        QCOMPARE(datasource::readDatabasePath(file), path);
        return;
    }
    try {
        datasource::readDatabasePath(file);
        QFAIL("no error for a missing data source");
    } catch (const AppError& e) {
        QCOMPARE(e.text(),
                 QStringLiteral("Data source name not found and no default driver specified"));
    }
}

void TestDataSource::connectionOpensAFolderWithAnyName() {
    // Characters that mean something in a file URI must not change the file that is opened.
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("记 账#1?a=b%20&c"));
    QVERIFY(QDir().mkpath(folder));
    const QString db = datasource::databasePathFor(folder);
    QVERIFY(schema::createDatabase(db));
    QueryDataset q{BooksLocation(db)};
    QCOMPARE(q.readNumber(QStringLiteral("select count(*) from bankinterest")), 12.0);
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).size(), 1);
}

void TestDataSource::connectionErrors_data() {
    QTest::addColumn<QByteArray>("contents"); // empty: no file
    QTest::addColumn<QString>("error");
    QTest::newRow("missing file") << QByteArray() << "Could not find file '%1'";
    QTest::newRow("not a database") << QByteArray(4096, 'x') << "file is not a database";
}

void TestDataSource::connectionErrors() {
    QFETCH(QByteArray, contents);
    QFETCH(QString, error);
    QTemporaryDir dir;
    const QString db = dir.filePath(QStringLiteral("Salary.mdb"));
    if (!contents.isEmpty())
        writeAll(db, contents);
    try {
        Connection c{BooksLocation(db)};
        QFAIL("the connection opened");
    } catch (const AppError& e) {
        QCOMPARE(e.text(), error.contains(u'%') ? error.arg(db) : error);
    }
    if (!contents.isEmpty())
        QCOMPARE(readAll(db), contents);
    // A failed connection leaves no connection behind.
    QVERIFY(QSqlDatabase::connectionNames().isEmpty());
}

void TestDataSource::connectionNeverCreatesTheFile() {
    QTemporaryDir dir;
    const QString db = dir.filePath(QStringLiteral("Salary.mdb"));
    QVERIFY_THROWS_EXCEPTION(AppError, Connection::toFile(db));
    QVERIFY(!QFile::exists(db));
}

QTEST_GUILESS_MAIN(TestDataSource)
#include "tst_datasource.moc"
