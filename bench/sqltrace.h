#pragma once

#include <QtGlobal>

namespace bench {

// Counts the statements that every SQLite connection of the process runs and the time they
// take (from their first step to their reset), including the connections that Qt SQL opens
// inside the program: it shows how much of an action is spent in the database.
namespace sqltrace {

// Hooks every connection opened from now on. Call once, before any connection opens.
void install();

struct Totals {
    qint64 statements = 0;
    double ms = 0;
};
// What ran since the last reset.
Totals totals();
void reset();
// Also prints every statement with its time to stderr (to find where an action spends it).
void setVerbose(bool on);

} // namespace sqltrace
} // namespace bench
