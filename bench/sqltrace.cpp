#include "sqltrace.h"

#include <chrono>
#include <cstdio>
#include <sqlite3.h>
#include <unordered_map>

namespace bench::sqltrace {
namespace {

qint64 g_statements = 0;
qint64 g_nanoseconds = 0;
bool g_verbose = false;

// SQLite's own profile time has millisecond steps; the start of each run is taken here.
std::unordered_map<void*, std::chrono::steady_clock::time_point> g_started;

int onTrace(unsigned type, void*, void* p, void*) {
    const auto now = std::chrono::steady_clock::now();
    if (type == SQLITE_TRACE_STMT) {
        g_started.insert_or_assign(p, now);
    } else if (type == SQLITE_TRACE_PROFILE) {
        const auto it = g_started.find(p);
        if (it == g_started.end())
            return 0;
        const qint64 ns =
            std::chrono::duration_cast<std::chrono::nanoseconds>(now - it->second).count();
        g_started.erase(it);
        ++g_statements;
        g_nanoseconds += ns;
        if (g_verbose)
            std::fprintf(stderr, "    sql %9.3f ms  %s\n", double(ns) / 1e6,
                         sqlite3_sql(static_cast<sqlite3_stmt*>(p)));
    }
    return 0;
}

int hook(sqlite3* db, const char**, const void*) {
    sqlite3_trace_v2(db, SQLITE_TRACE_STMT | SQLITE_TRACE_PROFILE, onTrace, nullptr);
    return SQLITE_OK;
}

} // namespace

void install() {
    // Every connection opened afterwards, in this library or through Qt's driver, runs hook().
    sqlite3_auto_extension(reinterpret_cast<void (*)()>(hook));
}

Totals totals() {
    return {g_statements, double(g_nanoseconds) / 1e6};
}

void setVerbose(bool on) {
    g_verbose = on;
}

void reset() {
    g_statements = 0;
    g_nanoseconds = 0;
}

} // namespace bench::sqltrace
