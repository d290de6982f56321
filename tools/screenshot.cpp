// Renders a window of the program over sample books into a PNG, for the README and for
// looking at a window without clicking through the program:
//   teloq_screenshot <window> [page] <out.png>
//     window: main | loans | ledger | savings | query-month | query-analysis |
//             charts (page: 0 to 5) | settings (page: syspage | szpage, the default | cxpage) |
//             schedule (定期收支) | ledger-due (the ledger with recurring entries brought in) |
//             main-due (the main window telling what falls due) |
//             import (page: a bill file; without one, a small bill of the sample kind) |
//             mapping (page: a CSV file; without one, a bank statement no reader knows)
#include "app/mainwindow.h"
#include "data/datasourceentry.h"
#include "data/schema.h"
#include "import/readbill.h"
#include "importer/importwindow.h"
#include "importer/mappingdialog.h"
#include "ledger/ledgerwindow.h"
#include "ledger/schedulewindow.h"
#include "platform/apperror.h"
#include "platform/clock.h"
#include "platform/context.h"
#include "platform/widgets/look.h"
#include "registers/loanswindow.h"
#include "registers/savingswindow.h"
#include "reports/chartswindow.h"
#include "settings/settingswindow.h"
#include "support/scripteddialogs.h"
#include "tools/sampledata.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QListWidget>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: teloq_screenshot <window> <out.png>\n");
        return 2;
    }
    applyProgramLook();

    QTemporaryDir dir;
    const QString program = dir.path() + QStringLiteral("/program");
    QDir().mkpath(program + QStringLiteral("/txt"));
    const QDir lists(QStringLiteral(TELOQ_SOURCE_LISTS));
    for (const QString& name : lists.entryList(QDir::Files))
        QFile::copy(lists.filePath(name), program + QStringLiteral("/txt/") + name);
    const QString ini = dir.path() + QStringLiteral("/odbc.ini");
    const QString db = datasource::databasePathFor(program);
    datasource::writeEntry(ini, db);
    schema::createDatabase(db);
    fillSampleBooks(db);

    ScriptedDialogs dialogs;
    FixedClock clock(QDateTime(QDate(2026, 12, 9), QTime(10, 0)));
    const Context context{program, BooksLocation(db), ini, dialogs, clock};

    const QString which = QString::fromLocal8Bit(argv[1]);
    const QString out = QString::fromLocal8Bit(argv[argc - 1]);
    std::unique_ptr<QWidget> w;
    std::unique_ptr<BillImport> import;
    if (which == QLatin1String("main"))
        w = std::make_unique<MainWindow>(context, QString(), MainWindow::Windows{});
    else if (which == QLatin1String("ledger"))
        w = std::make_unique<LedgerWindow>(context, WindowFactory{}, WindowFactory{});
    else if (which == QLatin1String("schedule")) {
        fillSampleSchedules(db);
        w = std::make_unique<ScheduleWindow>(context);
    } else if (which == QLatin1String("ledger-due")) {
        fillSampleSchedules(db);
        w = std::make_unique<LedgerWindow>(context, WindowFactory{}, WindowFactory{});
    } else if (which == QLatin1String("main-due")) {
        fillSampleSchedules(db);
        w = std::make_unique<MainWindow>(context, QString(), MainWindow::Windows{});
    } else if (which == QLatin1String("loans"))
        w = std::make_unique<LoansWindow>(context);
    else if (which == QLatin1String("savings"))
        w = std::make_unique<SavingsWindow>(context);
    else if (which == QLatin1String("charts")) {
        fillSampleYear(db);
        w = std::make_unique<ChartsWindow>(context);
        if (argc > 3)
            w->findChild<QTabWidget*>(QStringLiteral("rzpage"))->setCurrentIndex(atoi(argv[2]));
    } else if (which == QLatin1String("settings")) {
        auto settings = std::make_unique<SettingsWindow>(context);
        const QString page = argc > 3 ? QString::fromLocal8Bit(argv[2]) : QString();
        if (auto* shown = page.isEmpty() ? nullptr : settings->findChild<QWidget*>(page))
            settings->pages()->setCurrentWidget(shown);
        // The category page with an expenditure major chosen, so both lists show entries.
        settings->findChild<QWidget*>(QStringLiteral("zcradio"))->setProperty("checked", true);
        if (auto* majors = settings->findChild<QListWidget*>(QStringLiteral("szListBox")))
            majors->setCurrentRow(0);
        w = std::move(settings);
    } else if (which == QLatin1String("import")) {
        const QString bill = argc > 3 ? QString::fromLocal8Bit(argv[2]) : QString();
        try {
            import = std::make_unique<BillImport>(db, program);
            w = std::make_unique<ImportWindow>(
                context, *import,
                bill.isEmpty() ? QStringLiteral("支付宝交易明细(20261101-20261130).csv") : bill,
                bill.isEmpty() ? sampleBill() : bills::readBillFile(bill, {}));
        } catch (const AppError& e) {
            std::fprintf(stderr, "%s\n", qPrintable(e.text()));
            return 1;
        }
    } else if (which == QLatin1String("mapping")) {
        QByteArray csv = sampleStatementCsv();
        QString name = QStringLiteral("我的银行");
        if (argc > 3) {
            QFile file(QString::fromLocal8Bit(argv[2]));
            if (!file.open(QIODevice::ReadOnly)) {
                std::fprintf(stderr, "cannot read %s\n", argv[2]);
                return 1;
            }
            csv = file.readAll();
            name = QFileInfo(file.fileName()).completeBaseName();
        }
        bills::CsvMapping guess = bills::guessMapping(csv);
        guess.name = name;
        w = std::make_unique<CsvMappingDialog>(csv, guess);
    } else {
        std::fprintf(stderr, "unknown window\n");
        return 2;
    }
    w->show();
    QTimer::singleShot(300, [&] {
        w->grab().save(out);
        app.quit();
    });
    return app.exec();
}
