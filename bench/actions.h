#pragma once

#include "rawdb.h"

#include <QList>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

namespace bench {

class Session;

// Facts of the stored books, read before any action runs.
struct BooksFacts {
    qint64 entries = 0;         // ledger rows
    qint64 lastLedgerId = 0;    // rows past this key were added by a run
    double lastLedgerMoney = 0; // the amount of that last entry
};
BooksFacts readFacts(const QString& databasePath);
// Removes the ledger rows a run added and gives the last entry its amount back.
void restoreLedger(RawDb& db, const BooksFacts& facts);

// What a floor gets: the same database file, reached through the SQLite C API. One connection
// is open before the floor starts (the connection of a dataset that is already open); open()
// adds one the way the program's connections open, for actions that open their own.
class FloorRun {
public:
    FloorRun(QString databasePath, BooksFacts facts);

    RawDb& open();
    RawDb& db() { return *m_connections.back(); }
    // Runs a statement in the windows' dialect (translated as the program translates it) on
    // the latest connection, reading every row.
    qint64 run(const QString& statement, qint64 maxRows = -1);

    const BooksFacts& facts() const { return m_facts; }

private:
    QString m_path;
    BooksFacts m_facts;
    std::vector<std::unique_ptr<RawDb>> m_connections;
};

// One thing a user does, as the benchmark times it: `prepare` brings the program into the
// state the user is in just before (not timed), `act` is the user's action up to the painted
// screen (timed), `finish` undoes what must not carry over into the next run (not timed).
// `floor` runs the statements that `act` runs, directly on SQLite (timed; empty when the action
// runs none), and `floorFinish` undoes what the floor changed.
struct Action {
    QString name;
    double targetMs = 100;
    std::function<void(Session&)> prepare;
    std::function<void(Session&)> act;
    std::function<void(Session&)> finish;
    std::function<void(FloorRun&)> floor;
    std::function<void(FloorRun&)> floorFinish;
};

// Every action the benchmark times, in the order a user meets them.
QList<Action> allActions(const BooksFacts& facts);

} // namespace bench
