// Makes the books of the benchmark (cached, so a rerun is quick):
//   teloq_bench_books [--out DIR] [--lists DIR] [N ...]      default N: 10000 100000 1000000
#include "books.h"
#include "platform/apperror.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QStringList>
#include <cstdio>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QString out = QStringLiteral("bench-out");
    QString listsFolder = QStringLiteral(TELOQ_SOURCE_LISTS);
    QList<qint64> sizes;
    const QStringList args = app.arguments().mid(1);
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--out") && i + 1 < args.size()) {
            out = args[++i];
        } else if (args[i] == QLatin1String("--lists") && i + 1 < args.size()) {
            listsFolder = args[++i];
        } else {
            bool ok = false;
            const qint64 n = args[i].toLongLong(&ok);
            if (!ok || n <= 0) {
                std::fprintf(stderr,
                             "usage: teloq_bench_books [--out DIR] [--lists DIR] [N ...]\n");
                return 2;
            }
            sizes << n;
        }
    }
    if (sizes.isEmpty())
        sizes = {10000, 100000, 1000000};
    try {
        for (qint64 n : sizes) {
            QElapsedTimer t;
            t.start();
            bool generated = false;
            const bench::BooksFolder f = bench::ensureBooks(out, n, listsFolder, &generated);
            std::printf("%-9lld %s (%s, %.1f s)\n", n, qPrintable(f.root),
                        generated ? "generated" : "cached", t.elapsed() / 1000.0);
            std::fflush(stdout);
        }
    } catch (const AppError& e) {
        std::fprintf(stderr, "teloq_bench_books: %s\n", qPrintable(e.text()));
        return 1;
    }
    return 0;
}
