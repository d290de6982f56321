#pragma once

#include "data/dailycopy.h"

#include <QDate>
#include <QObject>
#include <QString>
#include <atomic>
#include <memory>

class QThread;

// The check of the books and their copy of the day (DailyCopy) on a worker thread of its own,
// so that the main window takes input meanwhile. The results arrive as signals on the thread
// that made the object; destroying it stops the worker and waits for it.
class BooksCheck : public QObject {
    Q_OBJECT
public:
    BooksCheck(QString booksPath, QDate day, QObject* parent = nullptr);
    ~BooksCheck() override;

    void start();

signals:
    // The books were checked (or found to be the content of the day's copy).
    void checked(const DailyCopy::Verdict& verdict);
    // Only after a Sound verdict: the copy of the day was made (or was current already).
    void copied(const DailyCopy::Copied& copied);

private:
    QString m_books;
    QDate m_day;
    std::atomic_bool m_stop{false};
    std::unique_ptr<QThread> m_thread;
};
