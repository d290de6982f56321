#pragma once

#include "data/dailycopy.h"
#include "platform/apperror.h"

#include <QObject>
#include <QString>
#include <memory>
#include <optional>

struct Context;
class BooksCheck;

// The start-up steps after the single-instance test. begin() runs the quick ones at once: give
// an installed program its lists (copied from `shippedLists` at the first start), write the
// data source entry, clear what an interrupted start left, create the database on a first
// start. The check of existing books and their copy of the day then run on a worker thread
// while the main window takes input; once the check has said the books are sound, the books
// are brought up to date (indexes, kept totals), the stored password is read and the short
// date format set: then the start is ready(). Damaged books are never written: the user is
// told which file and which backup to put back, and the stored password stays unread, so
// every window stays locked for this run (errors are shown through the context's dialogs).
class Startup : public QObject {
    Q_OBJECT
public:
    explicit Startup(const Context& context, QString shippedLists = {}, QObject* parent = nullptr);
    ~Startup() override;

    // The quick steps, then the check on its worker thread (or, for new books, ready at once).
    void begin();
    // begin(), with the check and the copy run here; returns when both have ended.
    void runHere();

    bool isReady() const { return m_ready; }
    bool isCopyDone() const { return m_copyDone; }
    // The stored password once ready; nothing when it could not be read or the books are
    // damaged.
    const std::optional<QString>& storedPassword() const { return m_stored; }
    // How the check ended (Sound for new books and when start-up stopped before the check).
    backups::Health health() const { return m_health; }

signals:
    void ready();
    // The day's copy is made, failed or was not to be made: nothing runs in the worker any more.
    void copyDone();

private:
    bool quickSteps();
    AppError readFailure(const AppError& e) const;
    void afterCheck(const DailyCopy::Verdict& verdict);
    void afterCopy(const DailyCopy::Copied& copied);
    void finish(bool writable);
    void markReady();
    void markCopyDone();

    const Context& m_context;
    QString m_shippedLists;
    QString m_books;
    std::unique_ptr<BooksCheck> m_check;
    std::optional<QString> m_stored;
    backups::Health m_health = backups::Health::Sound;
    QString m_soundCopy;
    bool m_ready = false;
    bool m_copyDone = false;
};

// Every start-up step, the check and the copy included, run on this thread: returns the stored
// password, or nothing when it could not be read or the books are damaged.
std::optional<QString> runStartup(const Context& context, const QString& shippedLists = {});

// Only writes the data source entry, naming the context's books: what a second instance does
// before it ends. A running instance is not affected: its connections open the books it
// resolved at its own start.
void registerDataSource(const Context& context);

// The password test: the entered text must be the stored password exactly, verified through
// its hash when the books keep one (a costly check: make it once per entry). An unreadable
// stored password lets nobody in.
bool passwordPasses(const std::optional<QString>& stored, const QString& entered);
