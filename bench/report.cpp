#include "report.h"

#include <QFile>
#include <QMap>
#include <QTextStream>
#include <cstdio>

namespace bench {
namespace {

QList<double> times(const QList<Sample>& runs) {
    QList<double> out;
    for (const Sample& s : runs)
        out << s.ms;
    return out;
}

QString fixed(double v, int decimals = 1) {
    return QString::number(v, 'f', decimals);
}

QString quoted(QString s) {
    return u'"' + s.replace(u'"', QStringLiteral("\"\"")) + u'"';
}

// Splits a CSV line whose quoted fields hold no line breaks.
QStringList csvFields(const QString& line) {
    QStringList out;
    QString field;
    bool inQuotes = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (inQuotes) {
            if (c == u'"' && i + 1 < line.size() && line[i + 1] == u'"') {
                field += u'"';
                ++i;
            } else if (c == u'"') {
                inQuotes = false;
            } else {
                field += c;
            }
        } else if (c == u'"') {
            inQuotes = true;
        } else if (c == u',') {
            out << field;
            field.clear();
        } else {
            field += c;
        }
    }
    out << field;
    return out;
}

const QStringList kColumns{QStringLiteral("entries"),    QStringLiteral("action"),
                           QStringLiteral("runs"),       QStringLiteral("median_ms"),
                           QStringLiteral("max_ms"),     QStringLiteral("floor_median_ms"),
                           QStringLiteral("ratio"),      QStringLiteral("sql_median_ms"),
                           QStringLiteral("statements"), QStringLiteral("peak_rss_mib"),
                           QStringLiteral("target_ms"),  QStringLiteral("verdict")};

} // namespace

double ActionResult::medianMs() const {
    return median(times(runs));
}

double ActionResult::maxMs() const {
    return maximum(times(runs));
}

double ActionResult::floorMedianMs() const {
    return median(floorMs);
}

double ActionResult::ratio() const {
    const double f = floorMedianMs();
    return floorMs.isEmpty() || f <= 0 ? 0 : medianMs() / f;
}

double ActionResult::peakMiB() const {
    double peak = 0;
    for (const Sample& s : runs)
        peak = std::max(peak, s.peakMiB);
    return peak;
}

QString ActionResult::verdict() const {
    if (!error.isEmpty())
        return QStringLiteral("failed: ") + error;
    QStringList over;
    if (medianMs() > targetMs)
        over << QStringLiteral("time");
    if (ratio() > kRatioTarget)
        over << QStringLiteral("x floor");
    return over.isEmpty() ? QStringLiteral("ok") : QStringLiteral("over: ") + over.join(u'+');
}

void printTable(qint64 entries, int runs, const QList<ActionResult>& results) {
    QTextStream out(stdout);
    out << "\nN = " << entries << " ledger entries, " << runs
        << " runs each (times in ms, memory in MiB)\n";
    const QString header = QStringLiteral("%1 %2 %3 %4 %5 %6 %7 %8 %9  %10")
                               .arg(QStringLiteral("action"), -30)
                               .arg(QStringLiteral("median"), 8)
                               .arg(QStringLiteral("max"), 8)
                               .arg(QStringLiteral("floor"), 8)
                               .arg(QStringLiteral("x floor"), 8)
                               .arg(QStringLiteral("in SQL"), 8)
                               .arg(QStringLiteral("stmts"), 6)
                               .arg(QStringLiteral("peak"), 7)
                               .arg(QStringLiteral("target"), 7)
                               .arg(QStringLiteral("verdict"));
    out << header << '\n' << QString(header.size(), u'-') << '\n';
    for (const ActionResult& r : results) {
        const bool floor = !r.floorMs.isEmpty();
        out << QStringLiteral("%1 %2 %3 %4 %5 %6 %7 %8 %9  %10")
                   .arg(r.name, -30)
                   .arg(fixed(r.medianMs()), 8)
                   .arg(fixed(r.maxMs()), 8)
                   .arg(floor ? fixed(r.floorMedianMs(), 2) : QStringLiteral("-"), 8)
                   .arg(floor ? fixed(r.ratio()) : QStringLiteral("-"), 8)
                   .arg(fixed(median(r.sqlMs)), 8)
                   .arg(fixed(median(r.statements), 0), 6)
                   .arg(fixed(r.peakMiB()), 7)
                   .arg(fixed(r.targetMs, 0), 7)
                   .arg(r.verdict())
            << '\n';
    }
    out.flush();
}

bool writeCsv(const QString& path, qint64 entries, const QList<ActionResult>& results) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text))
        return false;
    QTextStream out(&f);
    out << kColumns.join(u',') << '\n';
    for (const ActionResult& r : results) {
        const bool floor = !r.floorMs.isEmpty();
        out << entries << ',' << quoted(r.name) << ',' << r.runs.size() << ','
            << fixed(r.medianMs(), 3) << ',' << fixed(r.maxMs(), 3) << ','
            << (floor ? fixed(r.floorMedianMs(), 3) : QString()) << ','
            << (floor ? fixed(r.ratio(), 2) : QString()) << ',' << fixed(median(r.sqlMs), 3) << ','
            << fixed(median(r.statements), 0) << ',' << fixed(r.peakMiB(), 2) << ','
            << fixed(r.targetMs, 0) << ',' << quoted(r.verdict()) << '\n';
    }
    out.flush();
    return f.error() == QFile::NoError;
}

void printComparison(const QStringList& csvPaths) {
    // action -> entries -> (median, peak)
    QMap<qint64, bool> sizes;
    QStringList order;
    QMap<QString, QMap<qint64, QPair<QString, QString>>> byAction;
    for (const QString& path : csvPaths) {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
            continue;
        QTextStream in(&f);
        const QStringList header = csvFields(in.readLine());
        const auto at = [&](const char* name) { return header.indexOf(QLatin1String(name)); };
        while (!in.atEnd()) {
            const QStringList row = csvFields(in.readLine());
            if (row.size() != header.size())
                continue;
            const qint64 n = row[at("entries")].toLongLong();
            const QString action = row[at("action")];
            sizes.insert(n, true);
            if (!order.contains(action))
                order << action;
            byAction[action][n] = {row[at("median_ms")], row[at("peak_rss_mib")]};
        }
    }
    if (sizes.isEmpty())
        return;
    QTextStream out(stdout);
    out << "\nHow the actions grow with the books: median ms / peak MiB\n";
    QString header = QStringLiteral("%1").arg(QStringLiteral("action"), -30);
    for (qint64 n : sizes.keys())
        header += QStringLiteral(" %1").arg(QString::number(n), 17);
    out << header << '\n' << QString(header.size(), u'-') << '\n';
    for (const QString& action : order) {
        QString line = QStringLiteral("%1").arg(action, -30);
        for (qint64 n : sizes.keys()) {
            const auto v = byAction[action].value(n);
            const QString cell = v.first.isEmpty()
                                     ? QStringLiteral("-")
                                     : QStringLiteral("%1 / %2").arg(fixed(v.first.toDouble()),
                                                                     fixed(v.second.toDouble()));
            line += QStringLiteral(" %1").arg(cell, 17);
        }
        out << line << '\n';
    }
    out.flush();
}

} // namespace bench
