#pragma once

#include "measure.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace bench {

// The measurements of one action at one size of the books.
struct ActionResult {
    QString name;
    double targetMs = 100;
    QList<Sample> runs;
    QList<double> floorMs;    // empty when the action runs no statement
    QList<double> sqlMs;      // time in SQLite inside each run
    QList<double> statements; // statements run inside each run
    QString error;            // set when the action failed

    double medianMs() const;
    double maxMs() const;
    double floorMedianMs() const;
    // Action over floor; 0 without a floor.
    double ratio() const;
    double peakMiB() const;
    // "ok", or what is over its target.
    QString verdict() const;
};

// The largest ratio of an action to its floor that counts as met.
inline constexpr double kRatioTarget = 1.5;

// Prints the table of one size to stdout.
void printTable(qint64 entries, int runs, const QList<ActionResult>& results);
// Writes it as CSV; returns false when the file cannot be written.
bool writeCsv(const QString& path, qint64 entries, const QList<ActionResult>& results);
// Reads the CSV files of several sizes and prints, per action, the median time and the peak
// memory side by side: how each grows with the books.
void printComparison(const QStringList& csvPaths);

} // namespace bench
