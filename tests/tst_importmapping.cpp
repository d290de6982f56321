// What the user tells about a statement the file cannot tell itself: the columns of a CSV of no
// known layout (设置导入格式, kept under a name and used again for the same header) and the
// day/month order of a QIF file, in the import window and on the command line.
#include "data/tabledataset.h"
#include "import/importcommand.h"
#include "import/mappingstore.h"
#include "importer/importflow.h"
#include "importer/importmodel.h"
#include "importer/importwindow.h"
#include "importer/mappingdialog.h"
#include "ledger/ledgerwindow.h"
#include "support/modalstep.h"
#include "support/testprogram.h"
#include "support/userinput.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

using namespace bills;

namespace {

// Titles no guess knows: the user has to say which column is which.
const QByteArray kOwnTitles("Posted,Details,Value\n"
                            "2024-05-01,Salary,8000.00\n"
                            "2024-05-03,Groceries,-120.50\n");

// A QIF file whose days and months are all 12 or less: 1/2'2020 is 2 January or 1 February.
const QByteArray kAmbiguousQif("!Type:Bank\n"
                               "D1/2'2020\nT-10.00\nPShop\n^\n"
                               "D3/4'2020\nT25.00\nPFriend\n^\n");

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

template <class T> T* child(QWidget* w, const char* name) {
    T* found = w->findChild<T*>(QString::fromLatin1(name));
    if (!found)
        qFatal("no %s", name);
    return found;
}

// The rows of the dialog's preview as "date direction amount".
QStringList previewOf(CsvMappingDialog& dialog) {
    auto* grid = child<QTableWidget>(&dialog, "mappingpreview");
    QStringList rows;
    for (int r = 0; r < grid->rowCount(); ++r)
        rows << QStringList{grid->item(r, 0)->text(), grid->item(r, 1)->text(),
                            grid->item(r, 2)->text()}
                    .join(u' ');
    return rows;
}

void choose(CsvMappingDialog& dialog, const char* box, int column) {
    auto* combo = child<QComboBox>(&dialog, box);
    combo->setCurrentIndex(combo->findData(column));
}

struct LedgerFixture {
    LedgerFixture() {
        window =
            std::make_unique<LedgerWindow>(program.context(), WindowFactory{}, WindowFactory{});
        window->show();
    }
    int stored() { return program.scalar(QStringLiteral("select count(*) from mysalary")).toInt(); }
    void clickImport() { window->button(QStringLiteral("importbtn"))->click(); }
    QString totals(ImportWindow* w) {
        return w->findChild<QLabel*>(QStringLiteral("importtotals"))->text();
    }

    TestProgram program;
    std::unique_ptr<LedgerWindow> window;
};

struct CommandRun {
    int status = 0;
    QString out;
    QString err;
};

CommandRun runCommand(TestProgram& p, const QStringList& args) {
    CommandRun run;
    QTextStream out(&run.out), err(&run.err);
    importcommand::Environment env{
        out,
        err,
        [](const QString& path, const PasswordPrompt& prompt, const StatementOptions& options) {
            return readBillFile(path, prompt, options);
        },
        nullptr,
        p.databasePath(),
        p.folder(),
        QDateTime(QDate(2026, 12, 9), QTime(10, 0))};
    run.status = importcommand::run(args, env);
    return run;
}

} // namespace

class TestImportMapping : public QObject {
    Q_OBJECT
private slots:
    void dialogMapsEachAmountStyle_data();
    void dialogMapsEachAmountStyle();
    void dialogByKeyboard();
    void mappedCsvFromTheLedgerThenReused();
    void mappingCancelled();
    void qifDateOrderAsked_data();
    void qifDateOrderAsked();
    void commandLine_data();
    void commandLine();
};

// Whatever the amount style, the choices made in the dialog read the file to the cent.
void TestImportMapping::dialogMapsEachAmountStyle_data() {
    QTest::addColumn<QByteArray>("csv");
    QTest::addColumn<int>("style");
    QTest::addColumn<QList<int>>("columns"); // amount, income, expense, direction
    QTest::addColumn<QString>("incomeTexts");
    QTest::addColumn<QStringList>("rows");
    const QStringList expected{"2024-05-01 收入 8000.00", "2024-05-03 支出 120.50"};
    QTest::newRow("signed") << kOwnTitles << int(AmountStyle::Signed) << QList<int>{2, -1, -1, -1}
                            << QString() << expected;
    QTest::newRow("income and expense columns")
        << QByteArray("Posted,Details,In,Out\n2024-05-01,Salary,\"8,000.00\",\n"
                      "2024-05-03,Groceries,-,120.50\n")
        << int(AmountStyle::IncomeExpense) << QList<int>{-1, 2, 3, -1} << QString() << expected;
    QTest::newRow("amount and direction")
        << QByteArray("Posted,Details,Value,Way\n2024-05-01,Salary,8000.00,CR\n"
                      "2024-05-03,Groceries,120.50,DR\n")
        << int(AmountStyle::AmountAndDirection) << QList<int>{2, -1, -1, 3}
        << QStringLiteral("CR，入账") << expected;
}

void TestImportMapping::dialogMapsEachAmountStyle() {
    QFETCH(QByteArray, csv);
    QFETCH(int, style);
    QFETCH(QList<int>, columns);
    QFETCH(QString, incomeTexts);
    QFETCH(QStringList, rows);
    CsvMapping start = guessMapping(csv);
    start.name = QStringLiteral("网银");
    CsvMappingDialog dialog(csv, start);
    choose(dialog, "mappingdate", 0);
    auto* styleBox = child<QComboBox>(&dialog, "mappingstyle");
    styleBox->setCurrentIndex(styleBox->findData(style));
    choose(dialog, "mappingamount", columns[0]);
    choose(dialog, "mappingincome", columns[1]);
    choose(dialog, "mappingexpense", columns[2]);
    choose(dialog, "mappingdirection", columns[3]);
    child<QLineEdit>(&dialog, "mappingincometexts")->setText(incomeTexts);
    QCOMPARE(dialog.problem(), QString());
    QCOMPARE(previewOf(dialog), rows);
    const CsvMapping m = dialog.mapping();
    QCOMPARE(m.header, headerKey(cleanCells(QString::fromUtf8(csv.left(csv.indexOf('\n'))))));
    // What the dialog shows is what the mapping reads, also after it is kept and read back.
    const BillFile read = readMappedCsv(csv, mappingFromJson(mappingToJson(m)));
    QCOMPARE(read.rows.size(), rows.size());
    QCOMPARE(read.rows[1].cents, qint64(12050));
}

// A person at the keyboard: Alt and the underlined letter go to a field, arrows choose a
// column, Enter confirms; 确定 stays closed until the mapping is whole and named.
void TestImportMapping::dialogByKeyboard() {
    CsvMappingDialog dialog(kOwnTitles, guessMapping(kOwnTitles));
    QVERIFY(userinput::showActive(&dialog));
    auto* ok = child<QPushButton>(&dialog, "mappingok");
    auto* problem = child<QLabel>(&dialog, "mappingproblem");
    QVERIFY(!ok->isEnabled());
    QCOMPARE(problem->text(), QStringLiteral("没有指定日期列"));

    userinput::key(Qt::Key_D, Qt::AltModifier);
    QCOMPARE(userinput::focusWidget(), child<QComboBox>(&dialog, "mappingdate"));
    userinput::key(Qt::Key_Down); // （无） → 1：Posted
    QCOMPARE(problem->text(), QStringLiteral("没有指定金额列"));
    userinput::key(Qt::Key_A, Qt::AltModifier);
    for (int i = 0; i < 3; ++i)
        userinput::key(Qt::Key_Down); // → 3：Value
    QCOMPARE(child<QComboBox>(&dialog, "mappingamount")->currentText(), QStringLiteral("3：Value"));
    QCOMPARE(problem->text(), QStringLiteral("请给这个导入格式起个名称"));
    QVERIFY(!ok->isEnabled());
    QCOMPARE(previewOf(dialog), (QStringList{"2024-05-01 收入 8000.00", "2024-05-03 支出 120.50"}));

    userinput::key(Qt::Key_N, Qt::AltModifier);
    userinput::type(QStringLiteral("我的银行"));
    QVERIFY(ok->isEnabled());
    QCOMPARE(problem->text(), QString());
    userinput::key(Qt::Key_Return);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(dialog.mapping().name, QStringLiteral("我的银行"));
}

// 导入 on a CSV of no known layout: the mapping step, then the preview; the mapping is kept, and
// the next statement with the same header goes straight to the preview.
void TestImportMapping::mappedCsvFromTheLedgerThenReused() {
    LedgerFixture f;
    const QString may = f.program.folder() + QStringLiteral("/mybank.csv");
    writeFile(may, kOwnTitles);
    f.program.dialogs.chooseFileNext(may);
    bool mapped = false;
    whenModalShows<CsvMappingDialog>([&](CsvMappingDialog* d) {
        mapped = true;
        QCOMPARE(d->windowTitle(), QStringLiteral("设置导入格式"));
        QCOMPARE(child<QLineEdit>(d, "mappingname")->text(), QStringLiteral("mybank"));
        choose(*d, "mappingdate", 0);
        choose(*d, "mappingamount", 2);
        userinput::click(child<QPushButton>(d, "mappingok"));
    });
    whenModalShows<ImportWindow>([&](ImportWindow* w) {
        QCOMPARE(f.totals(w), QStringLiteral("新记录 2 条：收入 8000.00 元，支出 120.50 元；重复 0 "
                                             "条；跳过 0 条"));
        child<QPushButton>(w, "importok")->click();
    });
    f.clickImport();
    QVERIFY(mapped);
    QCOMPARE(f.stored(), 2);
    QCOMPARE(f.program.scalar(QStringLiteral("select name from importmapping")).toString(),
             QStringLiteral("mybank"));

    // June's statement: one row again, one new. No mapping step this time.
    const QString june = f.program.folder() + QStringLiteral("/june.csv");
    writeFile(june, "Posted,Details,Value\n2024-05-03,Groceries,-120.50\n2024-06-01,Salary,8000\n");
    f.program.dialogs.chooseFileNext(june);
    bool previewed = false;
    whenModalShows<ImportWindow>([&](ImportWindow* w) {
        previewed = true;
        QCOMPARE(f.totals(w), QStringLiteral("新记录 1 条：收入 8000.00 元，支出 0.00 元；重复 1 "
                                             "条；跳过 0 条"));
        child<QPushButton>(w, "importok")->click();
    });
    f.clickImport();
    QVERIFY(previewed);
    QCOMPARE(f.stored(), 3);
    QCOMPARE(f.window->dataset()->rowCount(), 3);

    // A format that reads wrongly is mended from the preview: 修改导入格式 brings the mapping
    // step back, starting from the kept format; renamed, it replaces the one it came from.
    const QString july = f.program.folder() + QStringLiteral("/july.csv");
    writeFile(july, "Posted,Details,Value\n2024-07-02,Card payment,45.00\n");
    f.program.dialogs.chooseFileNext(july);
    int previews = 0;
    whenModalShows<ImportWindow>([&](ImportWindow* w) {
        ++previews;
        QCOMPARE(f.totals(w), QStringLiteral("新记录 1 条：收入 45.00 元，支出 0.00 元；重复 0 "
                                             "条；跳过 0 条"));
        child<QPushButton>(w, "importremap")->click();
    });
    whenModalShows<CsvMappingDialog>([&](CsvMappingDialog* d) {
        QCOMPARE(child<QComboBox>(d, "mappingamount")->currentText(), QStringLiteral("3：Value"));
        child<QCheckBox>(d, "mappingpositiveincome")->setChecked(false);
        child<QLineEdit>(d, "mappingname")->setText(QStringLiteral("信用卡"));
        child<QPushButton>(d, "mappingok")->click();
        whenModalShows<ImportWindow>([&](ImportWindow* w) {
            ++previews;
            QCOMPARE(f.totals(w), QStringLiteral("新记录 1 条：收入 0.00 元，支出 45.00 元；重复 "
                                                 "0 条；跳过 0 条"));
            child<QPushButton>(w, "importok")->click();
        });
    });
    f.clickImport();
    QCOMPARE(previews, 2);
    QCOMPARE(f.stored(), 4);
    QCOMPARE(f.program.rows(QStringLiteral("select name from importmapping")),
             (QList<QStringList>{{"信用卡"}}));
}

void TestImportMapping::mappingCancelled() {
    LedgerFixture f;
    const QString path = f.program.folder() + QStringLiteral("/mybank.csv");
    writeFile(path, kOwnTitles);
    f.program.dialogs.chooseFileNext(path);
    whenModalShows<CsvMappingDialog>([](CsvMappingDialog* d) {
        QVERIFY(userinput::showActive(d));
        userinput::key(Qt::Key_Escape);
    });
    f.clickImport();
    QCOMPARE(f.stored(), 0);
    QVERIFY(f.program.dialogs.errors().isEmpty());
    // Nothing kept either: the table of kept formats is made on the first one.
    QCOMPARE(f.program
                 .scalar(QStringLiteral(
                     "select count(*) from sqlite_master where name = 'importmapping'"))
                 .toInt(),
             0);
}

// A QIF file that cannot tell its date order: the user is asked; 是 reads month first, 否 day
// first, 取消 imports nothing.
void TestImportMapping::qifDateOrderAsked_data() {
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("firstDate"); // empty: no import window
    QTest::newRow("month first") << int(Dialogs::Answer::Yes) << QStringLiteral("2020-01-02");
    QTest::newRow("day first") << int(Dialogs::Answer::No) << QStringLiteral("2020-02-01");
    QTest::newRow("cancel") << int(Dialogs::Answer::Cancel) << QString();
}

void TestImportMapping::qifDateOrderAsked() {
    QFETCH(int, answer);
    QFETCH(QString, firstDate);
    LedgerFixture f;
    const QString path = f.program.folder() + QStringLiteral("/old.qif");
    writeFile(path, kAmbiguousQif);
    f.program.dialogs.chooseFileNext(path);
    f.program.dialogs.answerNext(Dialogs::Answer(answer));
    if (!firstDate.isEmpty())
        whenModalShows<ImportWindow>([&](ImportWindow* w) {
            QCOMPARE(w->model()->index(0, ImportModel::Date).data().toString(), firstDate);
            child<QPushButton>(w, "importok")->click();
        });
    f.clickImport();
    const ScriptedDialogs::Shown question = f.program.dialogs.shown.first();
    QCOMPARE(question.buttons, Dialogs::Buttons::YesNoCancel);
    QVERIFY2(question.text.contains(QStringLiteral("old.qif")), qPrintable(question.text));
    QCOMPARE(f.stored(), firstDate.isEmpty() ? 0 : 2);
    if (!firstDate.isEmpty())
        QCOMPARE(f.program.scalar(QStringLiteral("select min(adddate) from mysalary")).toString(),
                 firstDate);
}

// teloq-import: --mapping NAME reads a CSV with a kept import format, a kept format whose
// header the file has is used without it, --date-order settles a QIF file's dates; what is
// missing is said with the option that gives it.
void TestImportMapping::commandLine_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<bool>("keepMapping");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("said"); // in the output or the errors
    QTest::addColumn<int>("written");
    const QByteArray otherHeader("When,What,Money\n2024-05-01,Salary,8000.00\n");
    QTest::newRow("unknown CSV") << kOwnTitles << QStringList() << false << 1
                                 << QStringLiteral("--mapping 名称") << 0;
    QTest::newRow("kept format by header")
        << kOwnTitles << QStringList() << true << 0 << QStringLiteral("2 条新记录") << 2;
    QTest::newRow("--mapping NAME, another header")
        << otherHeader << QStringList{"--mapping", "网银"} << true << 0
        << QStringLiteral("1 条新记录") << 1;
    QTest::newRow("--mapping=NAME unknown")
        << kOwnTitles << QStringList{"--mapping=别的"} << true << 1
        << QStringLiteral("没有名为“别的”的导入格式；已保存的有：网银") << 0;
    QTest::newRow("QIF undecided")
        << kAmbiguousQif << QStringList() << false << 1 << QStringLiteral("--date-order mdy") << 0;
    QTest::newRow("QIF day first")
        << kAmbiguousQif << QStringList{"--date-order", "dmy", "--dry-run"} << false << 0
        << QStringLiteral("2020-02-01,支出,") << 0;
    QTest::newRow("QIF month first") << kAmbiguousQif << QStringList{"--date-order=mdy"} << false
                                     << 0 << QStringLiteral("2 条新记录") << 2;
    QTest::newRow("bad date order") << kAmbiguousQif << QStringList{"--date-order", "ymd"} << false
                                    << 2 << QStringLiteral("mdy 或 dmy") << 0;
}

void TestImportMapping::commandLine() {
    QFETCH(QByteArray, file);
    QFETCH(QStringList, options);
    QFETCH(bool, keepMapping);
    QFETCH(int, status);
    QFETCH(QString, said);
    QFETCH(int, written);
    TestProgram p;
    if (keepMapping) {
        CsvMapping m = guessMapping(kOwnTitles);
        m.name = QStringLiteral("网银");
        m.dateColumn = 0;
        m.amountColumn = 2;
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("k"));
        db.setDatabaseName(p.databasePath());
        QVERIFY(db.open());
        saveMapping(db, m);
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("k"));
    const QString path = p.folder() + QStringLiteral("/statement");
    writeFile(path, file);
    const CommandRun run = runCommand(p, QStringList(options) << path);
    QVERIFY2(run.out.contains(said) || run.err.contains(said), qPrintable(run.out + run.err));
    QCOMPARE(run.status, status);
    QCOMPARE(p.scalar(QStringLiteral("select count(*) from mysalary")).toInt(), written);
}

QTEST_MAIN(TestImportMapping)
#include "tst_importmapping.moc"
