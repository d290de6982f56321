#pragma once

#include <QLocalServer>
#include <QObject>
#include <QString>

// Keeps one running instance per user: the first instance listens on a local socket named
// after the application title and the user; a later start asks it to come to the front.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    explicit SingleInstance(QString key, QObject* parent = nullptr);

    // The socket for this title and the current user, in the user's runtime folder.
    static QString keyFor(const QString& applicationTitle);

    // Looks for a running instance. When one answers, it is asked to restore and raise its
    // main window and true is returned; otherwise this instance starts listening and false
    // is returned.
    bool anotherIsRunning();

signals:
    // A later start asked this instance to show its main window.
    void raiseRequested();

private:
    QString m_key;
    QLocalServer m_server;
};
