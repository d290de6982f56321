// The program's user settings file: owner-only under any umask, and left alone (without
// waiting) when something other than a regular file stands in its place.
#include "platform/usersettings.h"
#include "support/files.h"
#include "support/umaskscope.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>

class TestUserSettings : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void ownerOnly_data();
    void ownerOnly();
    void notAFileIsLeftAlone_data();
    void notAFileIsLeftAlone();

private:
    QString settingsFile() const { return m_config.filePath(QStringLiteral("Teloq/Teloq.ini")); }
    QTemporaryDir m_config;
};

void TestUserSettings::init() {
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_config.path()));
    QDir(m_config.path()).removeRecursively();
    QVERIFY(QDir().mkpath(m_config.path()));
    QCOMPARE(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation),
             m_config.path());
}

void TestUserSettings::cleanup() {
    QDir(m_config.filePath(QStringLiteral("Teloq"))).removeRecursively();
}

void TestUserSettings::ownerOnly_data() {
    QTest::addColumn<int>("mask");
    QTest::addColumn<int>("before"); // the mode of an existing file; -1: none yet
    QTest::newRow("new, umask 000") << 0 << -1;
    QTest::newRow("new, umask 022") << 022 << -1;
    QTest::newRow("new, umask 077") << 077 << -1;
    QTest::newRow("existing 0666") << 0 << 0666;
}

void TestUserSettings::ownerOnly() {
    QFETCH(int, mask);
    QFETCH(int, before);
    if (before >= 0) {
        QVERIFY(QDir().mkpath(QFileInfo(settingsFile()).path()));
        writeAll(settingsFile(), "[Regional]\nShortDate=dd.MM.yyyy\n");
        QCOMPARE(::chmod(QFile::encodeName(settingsFile()).constData(), mode_t(before)), 0);
    }
    {
        UmaskScope scope{mode_t(mask)};
        QVERIFY(writeShortDateFormat());
    }
    QCOMPARE(modeOf(settingsFile()), 0600u);
    QCOMPARE(storedShortDateFormat(), QStringLiteral("yyyy-MM-dd"));
}

void TestUserSettings::notAFileIsLeftAlone_data() {
    QTest::addColumn<QString>("kind");
    QTest::newRow("FIFO") << "fifo";
    QTest::newRow("link to a device") << "device";
    QTest::newRow("folder") << "folder";
}

void TestUserSettings::notAFileIsLeftAlone() {
    QFETCH(QString, kind);
    QVERIFY(QDir().mkpath(QFileInfo(settingsFile()).path()));
    const QByteArray name = QFile::encodeName(settingsFile());
    if (kind == "fifo")
        QCOMPARE(::mkfifo(name.constData(), 0600), 0);
    else if (kind == "device")
        QVERIFY(QFile::link(QStringLiteral("/dev/null"), settingsFile()));
    else
        QVERIFY(QDir().mkpath(settingsFile()));
    struct stat before {};
    QCOMPARE(::stat(name.constData(), &before), 0);
    QElapsedTimer clock;
    clock.start();
    QVERIFY(!writeShortDateFormat());
    QCOMPARE(storedShortDateFormat(), QString());
    QVERIFY(clock.elapsed() < 2000);
    struct stat after {};
    QCOMPARE(::stat(name.constData(), &after), 0);
    QCOMPARE(after.st_mode & S_IFMT, before.st_mode & S_IFMT);
    QCOMPARE(after.st_ino, before.st_ino);
}

QTEST_GUILESS_MAIN(TestUserSettings)
#include "tst_usersettings.moc"
