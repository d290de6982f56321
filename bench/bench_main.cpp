// Times the user's actions over one set of books made by teloq_bench_books, against the same
// statements run directly on SQLite, and prints and saves the table:
//   teloq_bench --books DIR [--out DIR] [--runs N] [--only TEXT] [--trace]
//   teloq_bench --compare FILE.csv ...
// The books are never changed: every action runs on a scratch copy of the program folder.
#include "actions.h"
#include "books.h"
#include "data/datasourceentry.h"
#include "measure.h"
#include "platform/apperror.h"
#include "report.h"
#include "session.h"
#include "sqltrace.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFont>
#include <QStyleFactory>
#include <cstdio>

namespace {

struct Options {
    QString books;
    QString out = QStringLiteral("bench-out");
    int runs = 5;
    QString only;
    bool trace = false;
    QStringList compare;
};

bool parse(const QStringList& args, Options& o) {
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == QLatin1String("--books") && hasValue)
            o.books = args[++i];
        else if (a == QLatin1String("--out") && hasValue)
            o.out = args[++i];
        else if (a == QLatin1String("--runs") && hasValue)
            o.runs = std::max(1, args[++i].toInt());
        else if (a == QLatin1String("--only") && hasValue)
            o.only = args[++i];
        else if (a == QLatin1String("--trace"))
            o.trace = true;
        else if (a == QLatin1String("--compare"))
            o.compare = args.mid(i + 1);
        else
            return false;
        if (a == QLatin1String("--compare"))
            break;
    }
    return !o.books.isEmpty() || !o.compare.isEmpty();
}

// A fresh copy of the books' program folder and its own data source entry.
bench::BooksFolder scratchCopy(const QString& booksRoot, const QString& scratchRoot) {
    QDir(scratchRoot).removeRecursively();
    bench::BooksFolder s{scratchRoot, scratchRoot + QStringLiteral("/program"),
                         scratchRoot + QStringLiteral("/odbc.ini")};
    const QDir from(booksRoot + QStringLiteral("/program"));
    if (!QDir().mkpath(s.programFolder + QStringLiteral("/txt")))
        throw AppError(QStringLiteral("Cannot create %1").arg(s.programFolder));
    for (const QString& name : QDir(from.filePath(QStringLiteral("txt"))).entryList(QDir::Files))
        if (!QFile::copy(from.filePath(QStringLiteral("txt/") + name),
                         s.programFolder + QStringLiteral("/txt/") + name))
            throw AppError(QStringLiteral("Cannot copy %1").arg(name));
    const QString db = datasource::databasePathFor(s.programFolder);
    if (!QFile::copy(datasource::databasePathFor(from.path()), db))
        throw AppError(QStringLiteral("Cannot copy the books of %1").arg(booksRoot));
    QFile::setPermissions(db, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    if (datasource::writeEntry(s.odbcIniPath, db) != datasource::WriteResult::Written)
        throw AppError(QStringLiteral("Cannot write %1").arg(s.odbcIniPath));
    return s;
}

bench::ActionResult runAction(const bench::Action& action, bench::Session& session,
                              const QString& databasePath, const bench::BooksFacts& facts, int runs,
                              bool trace) {
    bench::ActionResult r{action.name, action.targetMs, {}, {}, {}, {}, {}};
    try {
        for (int i = 0; i < runs; ++i) {
            QElapsedTimer preparing;
            preparing.start();
            if (action.prepare)
                action.prepare(session);
            if (trace)
                std::fprintf(stderr, "    prepared in %.1f ms\n", preparing.nsecsElapsed() / 1e6);
            bench::sqltrace::reset();
            bench::sqltrace::setVerbose(trace);
            r.runs << bench::measure([&] { action.act(session); });
            bench::sqltrace::setVerbose(false);
            const bench::sqltrace::Totals sql = bench::sqltrace::totals();
            if (trace)
                std::fprintf(stderr, "    run %d: %.3f ms\n", i + 1, r.runs.last().ms);
            r.sqlMs << sql.ms;
            r.statements << double(sql.statements);
            if (action.finish)
                action.finish(session);
        }
        if (action.floor) {
            for (int i = 0; i < runs; ++i) {
                bench::FloorRun floor(databasePath, facts);
                r.floorMs << bench::measure([&] { action.floor(floor); }).ms;
                if (action.floorFinish)
                    action.floorFinish(floor);
            }
        }
    } catch (const std::exception& e) {
        r.error = QString::fromUtf8(e.what());
        session.closeWindows();
    }
    return r;
}

} // namespace

int main(int argc, char* argv[]) {
    Options o;
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    if (!parse(args, o)) {
        std::fprintf(
            stderr,
            "usage: teloq_bench --books DIR [--out DIR] [--runs N] [--only TEXT] [--trace]\n"
            "       teloq_bench --compare FILE.csv ...\n");
        return 2;
    }
    if (!o.compare.isEmpty()) {
        bench::printComparison(o.compare);
        return 0;
    }

    const QString booksRoot = QDir(o.books).absolutePath();
    const QString scratchRoot =
        QDir(o.out).absoluteFilePath(QStringLiteral("scratch-") + QDir(booksRoot).dirName());
    // Offscreen unless told otherwise, and the program's user settings kept out of $HOME.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(scratchRoot + QStringLiteral("-config")));
    bench::sqltrace::install();

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Teloq"));
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    // As src/main.cpp: a free Song-style face stands in for "宋体".
    QFont::insertSubstitution(QStringLiteral("宋体"), QStringLiteral("AR PL UMing CN"));
    QFont font(QStringLiteral("宋体"));
    font.setPixelSize(12);
    QApplication::setFont(font);

    try {
        const bench::BooksFolder scratch = scratchCopy(booksRoot, scratchRoot);
        const QString db = datasource::databasePathFor(scratch.programFolder);
        const bench::BooksFacts facts = bench::readFacts(db);
        QList<bench::ActionResult> results;
        {
            bench::Session session(scratch.programFolder, scratch.odbcIniPath);
            for (const bench::Action& action : bench::allActions(facts)) {
                if (!o.only.isEmpty() && !action.name.contains(o.only))
                    continue;
                std::fprintf(stderr, "  %lld: %s\n", facts.entries, qPrintable(action.name));
                results << runAction(action, session, db, facts, o.runs, o.trace);
            }
        }
        bench::printTable(facts.entries, o.runs, results);
        const QString csv =
            QDir(o.out).absoluteFilePath(QStringLiteral("bench-%1.csv").arg(facts.entries));
        if (!bench::writeCsv(csv, facts.entries, results))
            throw AppError(QStringLiteral("Cannot write %1").arg(csv));
        std::printf("written to %s\n", qPrintable(csv));
        QDir(scratchRoot).removeRecursively();
        QDir(scratchRoot + QStringLiteral("-config")).removeRecursively();
        for (const bench::ActionResult& r : results)
            if (!r.error.isEmpty())
                return 1;
    } catch (const AppError& e) {
        std::fprintf(stderr, "teloq_bench: %s\n", qPrintable(e.text()));
        return 1;
    }
    return 0;
}
