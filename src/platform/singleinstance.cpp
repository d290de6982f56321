#include "platform/singleinstance.h"

#include <QCryptographicHash>
#include <QLocalSocket>
#include <QStandardPaths>
#include <unistd.h>

namespace {
constexpr int kConnectTimeoutMs = 500;
const QByteArray kRaiseMessage = "raise\n";
} // namespace

SingleInstance::SingleInstance(QString key, QObject* parent)
    : QObject(parent), m_key(std::move(key)) {
    connect(&m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* s = m_server.nextPendingConnection()) {
            connect(s, &QLocalSocket::readyRead, this, [this, s] {
                if (s->readAll().contains("raise"))
                    emit raiseRequested();
                s->disconnectFromServer();
            });
            connect(s, &QLocalSocket::disconnected, s, &QObject::deleteLater);
        }
    });
}

QString SingleInstance::keyFor(const QString& applicationTitle) {
    const QByteArray id = applicationTitle.toUtf8() + '/' + QByteArray::number(uint(getuid()));
    const QString name =
        QStringLiteral("teloq-") +
        QString::fromLatin1(
            QCryptographicHash::hash(id, QCryptographicHash::Sha1).toHex().left(16));
    // In the user's own runtime folder (mode 0700) another user can neither take the name
    // first, which would stop every start, nor remove the socket.
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return runtime.isEmpty() ? name : runtime + u'/' + name;
}

bool SingleInstance::anotherIsRunning() {
    QLocalSocket probe;
    probe.connectToServer(m_key);
    if (probe.waitForConnected(kConnectTimeoutMs)) {
        probe.write(kRaiseMessage);
        probe.waitForBytesWritten(kConnectTimeoutMs);
        probe.disconnectFromServer();
        return true;
    }
    // Nobody answers: a socket file left by a crashed instance is stale.
    QLocalServer::removeServer(m_key);
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    m_server.listen(m_key);
    return false;
}
