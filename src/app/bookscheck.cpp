#include "app/bookscheck.h"

#include <QMetaObject>
#include <QThread>

BooksCheck::BooksCheck(QString booksPath, QDate day, QObject* parent)
    : QObject(parent), m_books(std::move(booksPath)), m_day(day) {}

BooksCheck::~BooksCheck() {
    if (m_thread) {
        m_stop = true;
        m_thread->wait();
    }
}

void BooksCheck::start() {
    if (m_thread)
        return;
    m_thread.reset(QThread::create([this] {
        DailyCopy daily(m_books, m_day, &m_stop);
        const DailyCopy::Verdict v = daily.check();
        // Queued to this object's thread; dropped when the object is gone by then.
        QMetaObject::invokeMethod(
            this, [this, v] { emit checked(v); }, Qt::QueuedConnection);
        if (v.health != backups::Health::Sound || m_stop)
            return;
        const DailyCopy::Copied c = daily.copy();
        QMetaObject::invokeMethod(
            this, [this, c] { emit copied(c); }, Qt::QueuedConnection);
    }));
    m_thread->setObjectName(QStringLiteral("books check"));
    m_thread->start(QThread::LowPriority);
}
