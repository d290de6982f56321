// Kills a child that saves batches of ledger changes and rewrites a list file, at random
// moments, and checks after every kill that the books are intact, that every batch is wholly
// there or wholly absent, that no reported save is lost, and that the list file holds the old
// or the new content. Prints the counts; exits non-zero when anything was wrong.
//   teloq_crash [KILLS]          (default 100)
//   teloq_crash --import [KILLS] (the same for imports of bills and their take-back)
//   teloq_crash --child FOLDER   (the child; started by the parent)
//   teloq_crash --backup-child FOLDER   (the child that checks and copies the books)
// Then kills as often a child that checks and copies the books into the copy of one day after
// another, and checks that every copy under a final name is sound and the newest one is kept.
#include "crash.h"

#include "data/backups.h"

#include <QCoreApplication>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>
#include <cstdio>

namespace {

struct Totals {
    int kills = 0;
    int batches = 0;
    int listWrites = 0;
    int lost = 0;
    int halfWritten = 0;
    int damaged = 0;  // integrity_check failed
    int badLists = 0; // a list file that is neither the old nor the new content
};

// The last number reported after `word` in the child's output, or -1.
int lastReported(const QByteArray& output, const QByteArray& word, int* count) {
    int last = -1;
    for (const QByteArray& line : output.split('\n')) {
        const QList<QByteArray> parts = line.split(' ');
        if (parts.size() == 2 && parts[0] == word) {
            last = parts[1].toInt();
            ++*count;
        }
    }
    return last;
}

// Kills a child that checks and copies the books day after day, and checks after every kill
// that every copy under a final name passes the check, that the newest copy reported made (or
// a newer one) is still there, and that pruning keeps the number of copies kept.
int runBackupParent(int kills, const QString& folder, QRandomGenerator& random) {
    crash::prepareBackups(folder);
    int made = 0, unsound = 0, lostNewest = 0, tooMany = 0;
    int reportedDay = -1;
    for (int k = 0; k < kills; ++k) {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--backup-child"), folder});
        if (!child.waitForStarted())
            return 2;
        // A check and a copy with their writes to disk take a few hundred milliseconds.
        QThread::msleep(50 + random.bounded(1200));
        child.kill();
        child.waitForFinished();
        if (child.exitStatus() != QProcess::CrashExit) {
            std::fprintf(stderr, "the backup child ended by itself (exit code %d)\n",
                         child.exitCode());
            return 2;
        }
        const int day = lastReported(child.readAllStandardOutput(), "copy", &made);
        reportedDay = std::max(reportedDay, day);
        const crash::CopyFindings f = crash::inspectCopies(folder);
        unsound += f.unsound;
        if (reportedDay >= 0 && f.newestDay < reportedDay)
            ++lostNewest;
        // A kill between a new copy's rename and the pruning leaves one more, for the next start.
        if (f.copies > backups::kKeptCopies + 1)
            ++tooMany;
    }
    std::printf("backup kills: %d, copies made: %d, copies failing the check: %d, "
                "newest copy lost: %d, too many copies kept: %d\n",
                kills, made, unsound, lostNewest, tooMany);
    if (made == 0) {
        std::printf("no copy was made: nothing was tested\n");
        return 1;
    }
    return unsound == 0 && lostNewest == 0 && tooMany == 0 ? 0 : 1;
}

int runParent(int kills) {
    QTemporaryDir dir;
    if (!dir.isValid())
        return 2;
    const QString folder = dir.path() + QStringLiteral("/program");
    crash::prepare(folder);
    Totals t;
    int savedBatch = 0; // the last batch a child reported saved
    int savedList = 0;  // the last list version a child reported written
    QRandomGenerator random(20261210);
    for (int k = 0; k < kills; ++k) {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--child"), folder});
        if (!child.waitForStarted())
            return 2;
        // Let it work for a while, then kill it (SIGKILL) wherever it is.
        QThread::msleep(30 + random.bounded(250));
        child.kill();
        child.waitForFinished();
        const QByteArray output = child.readAllStandardOutput();
        if (child.exitStatus() != QProcess::CrashExit) {
            std::fprintf(stderr, "the child ended by itself (exit code %d)\n", child.exitCode());
            return 2;
        }
        ++t.kills;
        const int batch = lastReported(output, "batch", &t.batches);
        const int list = lastReported(output, "list", &t.listWrites);
        if (batch >= 0)
            savedBatch = batch;
        if (list >= 0)
            savedList = list;

        const crash::Findings f = crash::inspect(folder);
        if (!f.intact)
            ++t.damaged;
        if (f.counter < savedBatch)
            t.lost += savedBatch - f.counter;
        t.halfWritten += f.halfWritten;
        // The old content or the new one: the last reported version or the one after it.
        if (f.listVersion != savedList && f.listVersion != savedList + 1)
            ++t.badLists;
        savedBatch = std::max(savedBatch, f.counter);
        savedList = std::max(savedList, f.listVersion);
    }
    std::printf("kills: %d, batches: %d, lost: %d, half-written: %d, damaged books: %d, "
                "list rewrites: %d, lists neither old nor new: %d\n",
                t.kills, t.batches, t.lost, t.halfWritten, t.damaged, t.listWrites, t.badLists);
    const bool sound = t.lost == 0 && t.halfWritten == 0 && t.damaged == 0 && t.badLists == 0;
    // A run in which the child never got a batch saved between kills proves nothing.
    if (t.batches == 0) {
        std::printf("no batch was saved: nothing was tested\n");
        return 1;
    }
    const int backupsResult =
        runBackupParent(kills, dir.path() + QStringLiteral("/backups"), random);
    return sound && backupsResult == 0 ? 0 : 1;
}

// The import mode: after every kill, every import is wholly there or wholly absent, no
// reported import is lost, and the ledger's kept totals still match its entries.
int runImportParent(int kills) {
    QTemporaryDir dir;
    if (!dir.isValid())
        return 2;
    const QString folder = dir.path() + QStringLiteral("/program");
    crash::prepare(folder);
    int imports = 0, lost = 0, half = 0, damaged = 0, badTotals = 0, saved = 0;
    QRandomGenerator random(20261211);
    for (int k = 0; k < kills; ++k) {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--import-child"), folder});
        if (!child.waitForStarted())
            return 2;
        QThread::msleep(30 + random.bounded(250));
        child.kill();
        child.waitForFinished();
        if (child.exitStatus() != QProcess::CrashExit) {
            std::fprintf(stderr, "the child ended by itself (exit code %d)\n", child.exitCode());
            return 2;
        }
        const int reported = lastReported(child.readAllStandardOutput(), "import", &imports);
        if (reported >= 0)
            saved = reported;
        const crash::ImportFindings f = crash::inspectImports(folder);
        damaged += !f.intact;
        badTotals += !f.totalsExact;
        half += f.halfWritten;
        if (f.last < saved)
            lost += saved - f.last;
        saved = std::max(saved, f.last);
    }
    std::printf("kills: %d, imports: %d, lost: %d, half-written: %d, damaged books: %d, "
                "totals off: %d\n",
                kills, imports, lost, half, damaged, badTotals);
    if (imports == 0) {
        std::printf("no import was saved: nothing was tested\n");
        return 1;
    }
    return lost == 0 && half == 0 && damaged == 0 && badTotals == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 3 && args[1] == QLatin1String("--child"))
        return crash::runChild(args[2]);
    if (args.size() == 3 && args[1] == QLatin1String("--import-child"))
        return crash::runImportChild(args[2]);
    QStringList rest = args.mid(1);
    const bool importMode = !rest.isEmpty() && rest[0] == QLatin1String("--import");
    if (importMode)
        rest.removeFirst();
    if (args.size() == 3 && args[1] == QLatin1String("--backup-child"))
        return crash::runBackupChild(args[2]);
    if (args.size() == 3 && args[1] == QLatin1String("--prepare-backups")) {
        crash::prepareBackups(args[2]);
        return 0;
    }
    int kills = 100;
    if (rest.size() == 1) {
        bool ok = false;
        kills = rest[0].toInt(&ok);
        if (!ok || kills < 1) {
            std::fprintf(stderr, "usage: teloq_crash [--import] [KILLS]\n");
            return 2;
        }
    }
    return importMode ? runImportParent(kills) : runParent(kills);
}
