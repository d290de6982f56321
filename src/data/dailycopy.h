#pragma once

#include "data/backups.h"

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QStringList>
#include <atomic>
#include <memory>

struct sqlite3;

// The check of the books and their copy of the day, in two steps over one read-only snapshot
// of them: check() says whether the books are sound (what start-up waits for before anything
// writes them), copy() then copies exactly what was checked. Touches nothing but backup/ and
// reads the books through a connection of its own, so it may run on any one thread.
class DailyCopy {
public:
    struct Verdict {
        backups::Health health = backups::Health::Sound;
        QString detail;       // what SQLite said when the books are not sound
        QString soundCopy;    // for books that are not sound: the newest copy that passes
        bool current = false; // the day's copy was made from books with this very content
    };
    struct Copied {
        bool made = false;        // a new copy took the day's name
        QString error;            // a text for the user when the copy or pruning failed
        QStringList futureCopies; // copies dated after the day, left alone
    };

    // `stop`, when given, is polled during the long steps: set it to end them early.
    DailyCopy(QString booksPath, QDate day, const std::atomic_bool* stop = nullptr,
              int keep = backups::kKeptCopies);
    ~DailyCopy();
    DailyCopy(const DailyCopy&) = delete;
    DailyCopy& operator=(const DailyCopy&) = delete;

    // Runs "pragma integrity_check" over the books, unless the day's copy was made from books
    // of the same content (compared by digest, not by time stamps).
    Verdict check();
    // Only after check() said Sound: copies the books as checked into the day's copy. The copy
    // grows under a hidden temporary name, is written to disk and must pass the check itself
    // before it replaces an earlier copy of the day; then old copies are pruned.
    Copied copy();

private:
    struct Snapshot;

    QString m_books;
    QDate m_day;
    const std::atomic_bool* m_stop;
    int m_keep;
    QByteArray m_digest;
    bool m_current = false;
    bool m_sound = false;
    std::unique_ptr<Snapshot> m_snapshot;
};
