// Replacing a file in one step: the old file stays whole when a write, the sync or the disk
// fails; the new file's mode; links; things that are not files.
#include "platform/atomicfile.h"
#include "support/files.h"
#include "support/umaskscope.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <cerrno>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Write calls that play a full disk: the first `budget` bytes go in, then ENOSPC.
ssize_t g_budget = 0;
ssize_t writeUntilFull(int fd, const void* bytes, size_t size) {
    if (g_budget <= 0) {
        errno = ENOSPC;
        return -1;
    }
    const ssize_t n = ::write(fd, bytes, std::min<size_t>(size, size_t(g_budget)));
    if (n > 0)
        g_budget -= n;
    return n;
}

int failingSync(int) {
    errno = EIO;
    return -1;
}

QStringList namesIn(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                  QDir::NoDotAndDotDot);
}

bool replace(const QString& path, const QByteArray& bytes, AtomicFile::Permissions permissions,
             FileCalls calls = {}, QString* error = nullptr) {
    AtomicFile file(path, permissions, calls);
    const bool ok =
        file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
    if (error)
        *error = file.errorString();
    return ok;
}

} // namespace

class TestAtomicFile : public QObject {
    Q_OBJECT
private slots:
    void replacesTheContents();
    void failureKeepsTheOldFile_data();
    void failureKeepsTheOldFile();
    void realFullDiskKeepsTheOldFile();
    void modes_data();
    void modes();
    void linkToAFileKeepsTheLink();
    void refusesWhatIsNotAFile_data();
    void refusesWhatIsNotAFile();
    void cancelLeavesNothing();
};

void TestAtomicFile::replacesTheContents() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.txt"));
    writeAll(path, "old contents");
    QVERIFY(replace(path, "new", AtomicFile::Permissions::KeepExisting));
    QCOMPARE(readAll(path), QByteArray("new"));
    QCOMPARE(namesIn(dir.path()), QStringList{QStringLiteral("a.txt")});
}

void TestAtomicFile::failureKeepsTheOldFile_data() {
    QTest::addColumn<qint64>("budget"); // bytes the disk takes; -1: the sync fails instead
    QTest::addColumn<int>("error");
    QTest::newRow("disk full at once") << qint64(0) << ENOSPC;
    QTest::newRow("disk full part-way") << qint64(5) << ENOSPC;
    QTest::newRow("sync fails") << qint64(-1) << EIO;
}

void TestAtomicFile::failureKeepsTheOldFile() {
    QFETCH(qint64, budget);
    QFETCH(int, error);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.txt"));
    writeAll(path, "old contents");
    FileCalls calls;
    if (budget >= 0) {
        g_budget = budget;
        calls.write = writeUntilFull;
    } else {
        calls.fsync = failingSync;
    }
    AtomicFile file(path, AtomicFile::Permissions::KeepExisting, calls);
    QVERIFY(file.open(QIODevice::WriteOnly));
    const bool written = file.write(QByteArray(100, 'x')) == 100;
    QVERIFY(!(written && file.commit()));
    QCOMPARE(file.failure(), AtomicFile::Failure::Write);
    QCOMPARE(file.error(), error);
    QVERIFY(!file.errorString().isEmpty());
    QCOMPARE(readAll(path), QByteArray("old contents"));
    QCOMPARE(namesIn(dir.path()), QStringList{QStringLiteral("a.txt")});
}

void TestAtomicFile::realFullDiskKeepsTheOldFile() {
    // A small file system of its own, which fills up for real.
    if (::geteuid() != 0)
        QSKIP("mounting a small file system needs root");
    QTemporaryDir dir;
    if (::mount("tmpfs", QFile::encodeName(dir.path()).constData(), "tmpfs", 0, "size=64k") != 0)
        QSKIP("cannot mount a small file system here");
    const QString path = dir.filePath(QStringLiteral("odbc.ini"));
    writeAll(path, "[other]\nDriver=X\n");
    QString error;
    const bool ok = replace(path, QByteArray(256 * 1024, 'x'),
                            AtomicFile::Permissions::KeepExisting, {}, &error);
    const QByteArray after = readAll(path);
    const QStringList names = namesIn(dir.path());
    ::umount(QFile::encodeName(dir.path()).constData());
    QVERIFY(!ok);
    QCOMPARE(error, QString::fromLocal8Bit(strerror(ENOSPC)));
    QCOMPARE(after, QByteArray("[other]\nDriver=X\n"));
    QCOMPARE(names, QStringList{QStringLiteral("odbc.ini")});
}

void TestAtomicFile::modes_data() {
    QTest::addColumn<int>("mask");
    QTest::addColumn<int>("before"); // -1: no file yet
    QTest::addColumn<bool>("ownerOnly");
    QTest::addColumn<int>("after");
    QTest::newRow("new, umask 000") << 0 << -1 << false << 0600;
    QTest::newRow("new, umask 022") << 022 << -1 << false << 0600;
    QTest::newRow("new, umask 077") << 077 << -1 << false << 0600;
    QTest::newRow("existing 0640 kept") << 0 << 0640 << false << 0640;
    QTest::newRow("existing 0644 made owner-only") << 0 << 0644 << true << 0600;
}

void TestAtomicFile::modes() {
    QFETCH(int, mask);
    QFETCH(int, before);
    QFETCH(bool, ownerOnly);
    QFETCH(int, after);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.txt"));
    if (before >= 0) {
        writeAll(path, "old");
        QCOMPARE(::chmod(QFile::encodeName(path).constData(), mode_t(before)), 0);
    }
    {
        UmaskScope scope{mode_t(mask)};
        QVERIFY(replace(path, "new",
                        ownerOnly ? AtomicFile::Permissions::OwnerOnly
                                  : AtomicFile::Permissions::KeepExisting));
    }
    QCOMPARE(modeOf(path), unsigned(after));
}

void TestAtomicFile::linkToAFileKeepsTheLink() {
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("kept/elsewhere.ini"));
    QVERIFY(QDir().mkpath(dir.filePath(QStringLiteral("kept"))));
    writeAll(target, "old");
    const QString first = dir.filePath(QStringLiteral("first"));
    const QString link = dir.filePath(QStringLiteral("odbc.ini"));
    QVERIFY(QFile::link(QStringLiteral("kept/elsewhere.ini"), first)); // relative
    QVERIFY(QFile::link(first, link));                                 // a chain
    AtomicFile file(link, AtomicFile::Permissions::KeepExisting);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.targetPath(), target);
    QCOMPARE(file.write("new"), qint64(3));
    QVERIFY(file.commit());
    QVERIFY(QFileInfo(link).isSymLink());
    QVERIFY(QFileInfo(first).isSymLink());
    QCOMPARE(readAll(target), QByteArray("new"));
}

void TestAtomicFile::refusesWhatIsNotAFile_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason");
    QTest::newRow("FIFO") << "fifo"
                          << "是一个命名管道，不是普通文件";
    QTest::newRow("link to a device") << "device"
                                      << "是一个设备文件，不是普通文件";
    QTest::newRow("folder") << "folder"
                            << "Is a directory";
    QTest::newRow("link in a loop") << "loop" << QString::fromLocal8Bit(strerror(ELOOP));
}

void TestAtomicFile::refusesWhatIsNotAFile() {
    // Refused on opening, before anything is written; a FIFO must not make it wait.
    QFETCH(QString, kind);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("x"));
    if (kind == "fifo")
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    else if (kind == "device")
        QVERIFY(QFile::link(QStringLiteral("/dev/null"), path));
    else if (kind == "folder")
        QVERIFY(QDir().mkpath(path));
    else
        QVERIFY(QFile::link(path, path));
    AtomicFile file(path, AtomicFile::Permissions::KeepExisting);
    QVERIFY(!file.open(QIODevice::WriteOnly));
    QCOMPARE(file.failure(), AtomicFile::Failure::Open);
    QCOMPARE(file.errorString(), reason);
    QCOMPARE(namesIn(dir.path()), QStringList{QStringLiteral("x")});
    QFileInfo dev(QStringLiteral("/dev/null"));
    QVERIFY(!dev.isFile());
}

void TestAtomicFile::cancelLeavesNothing() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.txt"));
    {
        AtomicFile file(path, AtomicFile::Permissions::OwnerOnly);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write("partial"), qint64(7));
        file.cancelWriting();
        QCOMPARE(namesIn(dir.path()), QStringList());
        AtomicFile dropped(path, AtomicFile::Permissions::OwnerOnly);
        QVERIFY(dropped.open(QIODevice::WriteOnly));
        QCOMPARE(dropped.write("partial"), qint64(7));
    } // never committed
    QCOMPARE(namesIn(dir.path()), QStringList());
}

QTEST_GUILESS_MAIN(TestAtomicFile)
#include "tst_atomicfile.moc"
