// One running instance per user: a later start finds the first and asks it to come forward.
#include "platform/singleinstance.h"

#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QUuid>
#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// A socket path of its own for each test, like the one in the user's runtime folder.
QString uniqueKey(const QTemporaryDir& dir) {
    return dir.filePath(QStringLiteral("teloq-test-") +
                        QUuid::createUuid().toString(QUuid::Id128).left(12));
}

// The file a listening instance leaves behind when it dies without cleaning up: a socket
// that nobody accepts on.
bool leaveStaleSocket(const QString& key) {
    const QByteArray path = QFile::encodeName(key);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    if (fd < 0)
        return false;
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    if (size_t(path.size()) >= sizeof(addr.sun_path))
        return false;
    std::memcpy(addr.sun_path, path.constData(), size_t(path.size()));
    const bool bound = ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) == 0;
    ::close(fd);
    return bound && QFile::exists(QString::fromLocal8Bit(path));
}

} // namespace

class TestSingleInstance : public QObject {
    Q_OBJECT
private slots:
    void secondStartRaisesTheFirst();
    void staleSocketDoesNotBlock();
    void endedInstanceFreesTheName();
    void keyPerTitle();

private:
    QTemporaryDir m_dir;
};

void TestSingleInstance::secondStartRaisesTheFirst() {
    const QString key = uniqueKey(m_dir);
    SingleInstance first(key);
    QSignalSpy raised(&first, &SingleInstance::raiseRequested);
    QVERIFY(!first.anotherIsRunning());

    SingleInstance second(key);
    QVERIFY(second.anotherIsRunning());
    QTRY_COMPARE(raised.count(), 1);

    // A third start, too: the first still answers, and only it.
    SingleInstance third(key);
    QSignalSpy thirdRaised(&third, &SingleInstance::raiseRequested);
    QVERIFY(third.anotherIsRunning());
    QTRY_COMPARE(raised.count(), 2);
    QTest::qWait(50);
    QCOMPARE(raised.count(), 2);
    QCOMPARE(thirdRaised.count(), 0);
}

void TestSingleInstance::staleSocketDoesNotBlock() {
    const QString key = uniqueKey(m_dir);
    QVERIFY(leaveStaleSocket(key));

    SingleInstance first(key);
    QSignalSpy raised(&first, &SingleInstance::raiseRequested);
    QVERIFY(!first.anotherIsRunning());
    SingleInstance second(key);
    QVERIFY(second.anotherIsRunning());
    QTRY_COMPARE(raised.count(), 1);
}

void TestSingleInstance::endedInstanceFreesTheName() {
    const QString key = uniqueKey(m_dir);
    {
        SingleInstance first(key);
        QVERIFY(!first.anotherIsRunning());
    }
    SingleInstance next(key);
    QVERIFY(!next.anotherIsRunning());
}

void TestSingleInstance::keyPerTitle() {
    const QString teloq = SingleInstance::keyFor(QStringLiteral("Teloq"));
    QCOMPARE(SingleInstance::keyFor(QStringLiteral("Teloq")), teloq);
    QVERIFY(SingleInstance::keyFor(QStringLiteral("Quenvard")) != teloq);
    // In a folder that only this user can enter, so no one else can take the name.
    const QFileInfo folder(QFileInfo(teloq).absolutePath());
    QVERIFY2(teloq.startsWith(u'/'), qPrintable(teloq));
    QVERIFY(folder.isDir());
    QCOMPARE(folder.ownerId(), uint(::getuid()));
    QCOMPARE(folder.permissions() &
                 (QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup |
                  QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther),
             QFileDevice::Permissions());
}

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
