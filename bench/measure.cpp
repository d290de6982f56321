#include "measure.h"

#include <QElapsedTimer>
#include <QFile>
#include <algorithm>
#include <malloc.h>

namespace bench {
namespace {

// A "Vm...:  1234 kB" line of /proc/self/status, in MiB.
double statusMiB(const char* key) {
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray prefix = QByteArray(key) + ':';
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith(prefix))
            return line.mid(prefix.size()).trimmed().split(' ').value(0).toDouble() / 1024;
    return 0;
}

void resetHighWaterMark() {
    // Writing 5 to clear_refs resets VmHWM to the present RSS (Linux 4.0 and later).
    QFile f(QStringLiteral("/proc/self/clear_refs"));
    if (f.open(QIODevice::WriteOnly))
        f.write("5");
}

} // namespace

double residentMiB() {
    return statusMiB("VmRSS");
}

Sample measure(const std::function<void()>& work) {
    malloc_trim(0);
    resetHighWaterMark();
    const double before = residentMiB();
    QElapsedTimer t;
    t.start();
    work();
    Sample s;
    s.ms = double(t.nsecsElapsed()) / 1e6;
    s.peakMiB = std::max(0.0, statusMiB("VmHWM") - before);
    return s;
}

double median(QList<double> values) {
    if (values.isEmpty())
        return 0;
    std::sort(values.begin(), values.end());
    const qsizetype n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

double maximum(const QList<double>& values) {
    return values.isEmpty() ? 0 : *std::max_element(values.begin(), values.end());
}

} // namespace bench
