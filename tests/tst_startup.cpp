// The start-up steps: data source entry, first-start creation of the books, the stored
// password, the short date format, and each way they can fail.
#include "app/startup.h"
#include "data/datasourceentry.h"
#include "data/schema.h"
#include "data/tabledataset.h"
#include "platform/usersettings.h"
#include "support/files.h"
#include "support/testprogram.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSettings>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTest>
#include <sys/stat.h>

namespace {

void forgetShortDateFormat() {
    QSettings s(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Teloq"),
                QStringLiteral("Teloq"));
    s.clear();
    s.sync();
}

const QString kRefusal = QStringLiteral("对不起，你非法登录本系统！");

} // namespace

class TestStartup : public QObject {
    Q_OBJECT
private slots:
    void init();
    void settingsStayInTestMode();
    void firstStartCreatesTheBooks();
    void existingBooksAreNeverOverwritten();
    void storedPasswordRead_data();
    void storedPasswordRead();
    void unreadableBooks_data();
    void unreadableBooks();
    void booksThatAreAFolder();
    void unwritableEntryLocksEverything_data();
    void unwritableEntryLocksEverything();
    void programFolderWithALineBreak_data();
    void programFolderWithALineBreak();
    void entryFollowsTheProgramFolder();
    void secondInstanceRepointsTheDataSource();
    void runningProgramKeepsItsBooks();
    void failedUpgradesAreLogged();
    void olderBooksGetTheIndexes();
    void passwordTest_data();
    void passwordTest();
};

void TestStartup::init() {
    QStandardPaths::setTestModeEnabled(true);
    forgetShortDateFormat();
}

void TestStartup::settingsStayInTestMode() {
    // The tests never write the user's real settings.
    QSettings s(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Teloq"),
                QStringLiteral("Teloq"));
    QVERIFY2(s.fileName().contains(QStringLiteral(".qttest")), qPrintable(s.fileName()));
}

void TestStartup::firstStartCreatesTheBooks() {
    TestProgram tp(false);
    QVERIFY(!QFile::exists(tp.databasePath()));

    const std::optional<QString> stored = runStartup(tp.context());

    QCOMPARE(stored, std::optional<QString>(QString()));
    QVERIFY(tp.dialogs.shown.isEmpty());
    QVERIFY(QFile::exists(tp.databasePath()));
    QCOMPARE(modeOf(tp.databasePath()), 0600u);
    QCOMPARE(storedShortDateFormat(), QStringLiteral("yyyy-MM-dd"));
    // Nothing but the books is left in the program folder.
    QCOMPARE(QDir(tp.folder()).entryList(QDir::Files | QDir::Hidden),
             QStringList{QStringLiteral("Salary.mdb")});

    const QList<QStringList> kinds =
        tp.rows(QStringLiteral("select interestname, interestmonth from bankinterest order by id"));
    const QList<QStringList> expected{
        {"整存整取三个月", "3"}, {"整存整取半年", "6"},  {"整存整取一年", "12"},
        {"整存整取二年", "24"},  {"整存整取三年", "36"}, {"整存整取五年", "60"},
        {"整存零取一年", "12"},  {"整存零取三年", "36"}, {"整存零取五年", "60"},
        {"零存整取一年", "12"},  {"零存整取三年", "36"}, {"零存整取五年", "60"},
    };
    QCOMPARE(kinds, expected);
    // In the store's own order too, which is what the savings window offers.
    QCOMPARE(tp.rows(QStringLiteral("select interestname from bankinterest")).first(),
             QStringList{QStringLiteral("整存整取三个月")});
    QCOMPARE(tp.scalar(QStringLiteral("select count(*) from tax")).toInt(), 1);
    QCOMPARE(tp.rows(QStringLiteral("select id, password from user")),
             (QList<QStringList>{{QStringLiteral("1"), QString()}}));
    for (const char* table : {"mysalary", "saving", "borrow"})
        QCOMPARE(
            tp.scalar(QStringLiteral("select count(*) from %1").arg(QLatin1String(table))).toInt(),
            0);
}

void TestStartup::existingBooksAreNeverOverwritten() {
    TestProgram tp;
    tp.exec(QStringLiteral("insert into mysalary (adddate, sz, money) values "
                           "('2026-12-01', '收入', 10)"));
    tp.exec(QStringLiteral("update user set password='abc' where id=1"));

    QCOMPARE(runStartup(tp.context()), std::optional<QString>(QStringLiteral("abc")));
    QCOMPARE(tp.scalar(QStringLiteral("select count(*) from mysalary")).toInt(), 1);
    QCOMPARE(tp.scalar(QStringLiteral("select count(*) from bankinterest")).toInt(), 12);
    QVERIFY(tp.dialogs.shown.isEmpty());
}

void TestStartup::storedPasswordRead_data() {
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QString>("stored");
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("set") << "update user set password='Pa55 wörd' where id=1"
                         << "Pa55 wörd";
    QTest::newRow("NULL") << "update user set password=null"
                          << "";
    QTest::newRow("no row") << "delete from user"
                            << "";
    QTest::newRow("first row wins") << "insert into user (id, password) values (2, 'second')"
                                    << "";
}

void TestStartup::storedPasswordRead() {
    QFETCH(QString, setup);
    QFETCH(QString, stored);
    TestProgram tp;
    if (!setup.isEmpty())
        tp.exec(setup);
    QCOMPARE(runStartup(tp.context()), std::optional<QString>(stored));
    QVERIFY(tp.dialogs.shown.isEmpty());
    QCOMPARE(storedShortDateFormat(), QStringLiteral("yyyy-MM-dd"));
}

void TestStartup::unreadableBooks_data() {
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<QString>("error");
    QTest::newRow("not a database") << QByteArray("This is my letter to the world\n").repeated(200)
                                    << "file is not a database.";
    QTest::newRow("empty file") << QByteArray("") << "no such table: user.";
}

void TestStartup::unreadableBooks() {
    QFETCH(QByteArray, contents);
    QFETCH(QString, error);
    TestProgram tp(false);
    writeAll(tp.databasePath(), contents);

    QCOMPARE(runStartup(tp.context()), std::nullopt);

    QCOMPARE(tp.dialogs.shown.size(), 1);
    const ScriptedDialogs::Shown box = tp.dialogs.shown.first();
    QCOMPARE(box.caption, QStringLiteral("Teloq"));
    QCOMPARE(box.text, QStringLiteral("无法读取账本 '%1'：%2").arg(tp.databasePath(), error));
    QCOMPARE(box.icon, Dialogs::Icon::Error);
    QCOMPARE(box.buttons, Dialogs::Buttons::Ok);
    QCOMPARE(readAll(tp.databasePath()), contents);
    QCOMPARE(QDir(tp.folder()).entryList(QDir::Files | QDir::Hidden),
             QStringList{QStringLiteral("Salary.mdb")});
    QVERIFY(storedShortDateFormat().isEmpty());
    // The entry was written all the same.
    QCOMPARE(datasource::readDatabasePath(tp.odbcIniPath()), tp.databasePath());
}

void TestStartup::booksThatAreAFolder() {
    TestProgram tp(false);
    QVERIFY(QDir().mkpath(tp.databasePath()));
    QCOMPARE(runStartup(tp.context()), std::nullopt);
    // The text ends in a quote, which sorts before the full stop: no full stop is added.
    QCOMPARE(tp.dialogs.errors(),
             QStringList{QStringLiteral("Could not find file '%1'").arg(tp.databasePath())});
    QVERIFY(QFileInfo(tp.databasePath()).isDir());
}

void TestStartup::unwritableEntryLocksEverything_data() {
    QTest::addColumn<QString>("place");  // where the ini file is, below the program folder
    QTest::addColumn<QString>("reason"); // empty: any reason the system gives
    QTest::newRow("under a plain file") << "plain/odbc.ini"
                                        << "";
    QTest::newRow("a folder") << "folder"
                              << "Is a directory";
}

void TestStartup::unwritableEntryLocksEverything() {
    QFETCH(QString, place);
    QFETCH(QString, reason);
    TestProgram tp(false);
    writeAll(tp.folder() + QStringLiteral("/plain"), "x");
    QVERIFY(QDir().mkpath(tp.folder() + QStringLiteral("/folder")));
    const QString ini = tp.folder() + u'/' + place;
    const Context context{tp.folder(), tp.books(), ini, tp.dialogs, tp.clock};

    QCOMPARE(runStartup(context), std::nullopt);

    // The cause is shown once, naming the file and the system's reason; nothing is read and
    // nothing is created.
    const QString prefix = QStringLiteral("无法写入数据源 'bank'：文件 '%1'：").arg(ini);
    const QStringList errors = tp.dialogs.errors();
    QCOMPARE(errors.size(), 1);
    QVERIFY2(errors.first().startsWith(prefix), qPrintable(errors.first()));
    if (!reason.isEmpty())
        QCOMPARE(errors.first(), prefix + reason + u'.');
    else
        QVERIFY(errors.first().size() > prefix.size() + 1);
    QCOMPARE(tp.dialogs.shown.first().caption, QStringLiteral("Teloq"));
    QCOMPARE(tp.dialogs.shown.first().icon, Dialogs::Icon::Error);
    QVERIFY(!QFile::exists(tp.databasePath()));
    QVERIFY(storedShortDateFormat().isEmpty());
}

void TestStartup::programFolderWithALineBreak_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("shown");
    QTest::newRow("LF") << "a\n[bank]\nDBQ=x"
                        << "a\\n[bank]\\nDBQ=x";
    QTest::newRow("CR") << "a\rb"
                        << "a\\rb";
}

void TestStartup::programFolderWithALineBreak() {
    QFETCH(QString, name);
    QFETCH(QString, shown);
    TestProgram tp(false);
    const QString folder = tp.folder() + u'/' + name;
    QVERIFY(QDir().mkpath(folder));
    const QByteArray before = readAll(tp.odbcIniPath());
    const Context context{folder, BooksLocation::inProgramFolder(folder), tp.odbcIniPath(),
                          tp.dialogs, tp.clock};

    QCOMPARE(runStartup(context), std::nullopt);

    QCOMPARE(tp.dialogs.errors(),
             QStringList{QStringLiteral("程序文件夹的路径含有换行符，不能写入数据源 'bank'，"
                                        "请把程序移到别的文件夹：'%1/%2'")
                             .arg(tp.folder(), shown)});
    // The entry is never written with the path, and no books appear there.
    QCOMPARE(readAll(tp.odbcIniPath()), before);
    QVERIFY(!QFile::exists(datasource::databasePathFor(folder)));
    QVERIFY(storedShortDateFormat().isEmpty());
    // A second instance from there does not write it either.
    registerDataSource(context);
    QCOMPARE(readAll(tp.odbcIniPath()), before);
}

void TestStartup::entryFollowsTheProgramFolder() {
    TestProgram tp;
    tp.exec(QStringLiteral("update user set password='here' where id=1"));
    QCOMPARE(runStartup(tp.context()), std::optional<QString>(QStringLiteral("here")));

    // The same program copied elsewhere: the entry now names the books beside the copy.
    const QString copy = tp.folder() + QStringLiteral("/copy");
    QVERIFY(QDir().mkpath(copy));
    const Context moved{copy, BooksLocation::inProgramFolder(copy), tp.odbcIniPath(), tp.dialogs,
                        tp.clock};
    QCOMPARE(runStartup(moved), std::optional<QString>(QString()));
    QCOMPARE(datasource::readDatabasePath(tp.odbcIniPath()), datasource::databasePathFor(copy));
    QVERIFY(QFile::exists(datasource::databasePathFor(copy)));
    QCOMPARE(readAll(tp.odbcIniPath()).count("[bank]"), 1);
}

void TestStartup::secondInstanceRepointsTheDataSource() {
    TestProgram tp;
    const QString other = tp.folder() + QStringLiteral("/other");
    QVERIFY(QDir().mkpath(other));
    registerDataSource(Context{other, BooksLocation::inProgramFolder(other), tp.odbcIniPath(),
                               tp.dialogs, tp.clock});
    QCOMPARE(datasource::readDatabasePath(tp.odbcIniPath()), datasource::databasePathFor(other));
    // Only the entry: no books are created and no settings are written.
    QVERIFY(!QFile::exists(datasource::databasePathFor(other)));
    QVERIFY(storedShortDateFormat().isEmpty());
    QVERIFY(tp.dialogs.shown.isEmpty());
}

void TestStartup::runningProgramKeepsItsBooks() {
    TestProgram tp;
    QCOMPARE(runStartup(tp.context()), std::optional<QString>(QString()));

    // While it runs, a second copy is started from another folder that has books of its own:
    // before it ends it writes its folder into the data source entry.
    const QString other = tp.folder() + QStringLiteral("/other");
    QVERIFY(QDir().mkpath(other));
    QVERIFY(schema::createDatabase(datasource::databasePathFor(other)));
    registerDataSource(Context{other, BooksLocation::inProgramFolder(other), tp.odbcIniPath(),
                               tp.dialogs, tp.clock});
    QCOMPARE(datasource::readDatabasePath(tp.odbcIniPath()), datasource::databasePathFor(other));

    // A window of the running program opened afterwards still saves into its own books.
    TableDataset ledger(tp.context().books, QStringLiteral("mysalary"), TableDataset::Mode::Cached);
    ledger.open();
    ledger.append();
    ledger.setValue(ledger.fieldIndex(QStringLiteral("memo")), QStringLiteral("ours"));
    ledger.saveAll();
    QCOMPARE(tp.rows(QStringLiteral("select memo from mysalary")),
             QList<QStringList>{QStringList{QStringLiteral("ours")}});
    {
        QSqlDatabase others =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("others"));
        others.setDatabaseName(datasource::databasePathFor(other));
        QVERIFY(others.open());
        QSqlQuery count(QStringLiteral("select count(*) from mysalary"), others);
        QVERIFY(count.next());
        QCOMPARE(count.value(0).toInt(), 0);
    }
    QSqlDatabase::removeDatabase(QStringLiteral("others"));
}

void TestStartup::failedUpgradesAreLogged() {
    // Sound books whose ledger has another layout take neither the indexes nor the totals:
    // each failure is logged, and the books still open.
    TestProgram tp;
    for (const QStringList& trigger :
         tp.rows(QStringLiteral("select name from sqlite_master where type='trigger'")))
        tp.exec(QStringLiteral("drop trigger %1").arg(trigger.first()));
    tp.exec(QStringLiteral("drop table mysalary"));
    tp.exec(QStringLiteral("create table mysalary (note text)"));
    QTest::ignoreMessage(QtWarningMsg,
                         QRegularExpression(QStringLiteral(
                             "^could not add the indexes to '.*Salary\\.mdb': .*adddate")));
    QTest::ignoreMessage(QtWarningMsg,
                         QRegularExpression(QStringLiteral(
                             "^could not add or repair the ledger totals of '.*Salary\\.mdb'")));
    QCOMPARE(runStartup(tp.context()), std::optional<QString>(QString()));
}

void TestStartup::olderBooksGetTheIndexes() {
    TestProgram tp;
    const QString names = QStringLiteral(
        "select name from sqlite_master where type='index' and name like 'mysalary_%' order by 1");
    const QList<QStringList> created = tp.rows(names);
    QVERIFY(created.size() >= 3);
    for (const QStringList& index : created)
        tp.exec(QStringLiteral("drop index %1").arg(index.first()));
    // An index of an older layout is replaced.
    tp.exec(QStringLiteral("create index mysalary_year on mysalary(substr(adddate,1,4), sz)"));
    QCOMPARE(runStartup(tp.context()), std::optional<QString>(QString()));
    QCOMPARE(tp.rows(names), created);
}

void TestStartup::passwordTest_data() {
    QTest::addColumn<std::optional<QString>>("stored");
    QTest::addColumn<QString>("entered");
    QTest::addColumn<bool>("passes");
    QTest::newRow("both empty") << std::optional<QString>(QString()) << "" << true;
    QTest::newRow("equal") << std::optional<QString>(QStringLiteral("Geheim1")) << "Geheim1"
                           << true;
    QTest::newRow("letter case") << std::optional<QString>(QStringLiteral("Geheim1")) << "geheim1"
                                 << false;
    QTest::newRow("trailing blank") << std::optional<QString>(QStringLiteral("a")) << "a " << false;
    QTest::newRow("empty entry, stored set")
        << std::optional<QString>(QStringLiteral("a")) << "" << false;
    QTest::newRow("entry, stored empty") << std::optional<QString>(QString()) << "a" << false;
    QTest::newRow("unreadable, empty entry") << std::optional<QString>() << "" << false;
}

void TestStartup::passwordTest() {
    QFETCH(std::optional<QString>, stored);
    QFETCH(QString, entered);
    QFETCH(bool, passes);
    QCOMPARE(passwordPasses(stored, entered), passes);
}

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_startup.moc"
