#pragma once

#include <QList>
#include <functional>

namespace bench {

// What one timed run of an action cost.
struct Sample {
    double ms = 0;      // wall-clock time
    double peakMiB = 0; // resident memory high-water mark during the run, above where it began
};

// Runs `work` once and measures it: freed heap is handed back to the system first and the
// process's high-water mark (VmHWM) is reset, so the peak belongs to this run alone.
Sample measure(const std::function<void()>& work);

// Resident set size now, in MiB.
double residentMiB();

double median(QList<double> values);
double maximum(const QList<double>& values);

} // namespace bench
