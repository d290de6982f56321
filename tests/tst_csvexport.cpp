// Export of a grid to CSV: the quoting of fields, every row of the ledger read back by an
// independent CSV parser, the rows a fetching grid has not fetched yet, cancelling, and the
// context-menu entry of every grid.
#include "data/csvwriter.h"
#include "data/tabledataset.h"
#include "ledger/ledgerwindow.h"
#include "platform/apperror.h"
#include "registers/loanswindow.h"
#include "reports/querygrid.h"
#include "reports/querygridmodel.h"
#include "reports/querywindow.h"
#include "support/files.h"
#include "support/filesizelimit.h"
#include "support/testprogram.h"
#include "support/umaskscope.h"
#include "ui/csvexport.h"
#include "ui/datagrid.h"

#include <QAction>
#include <QBuffer>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QSqlQueryModel>
#include <QStandardPaths>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

namespace {

// The records of a CSV file as Python's csv module reads them (BOM taken off by utf-8-sig).
QList<QStringList> readBack(const QString& path) {
    const QString python = QStandardPaths::findExecutable(QStringLiteral("python3"));
    if (python.isEmpty())
        return {};
    QProcess p;
    p.start(python,
            {QStringLiteral("-c"),
             QStringLiteral("import csv, json, sys\n"
                            "with open(sys.argv[1], encoding='utf-8-sig', newline='') as f:\n"
                            "    print(json.dumps(list(csv.reader(f, strict=True))))\n"),
             path});
    if (!p.waitForFinished(60000) || p.exitCode() != 0) {
        qWarning() << p.readAllStandardError();
        return {};
    }
    QList<QStringList> out;
    for (const QJsonValue& record : QJsonDocument::fromJson(p.readAllStandardOutput()).array()) {
        QStringList fields;
        for (const QJsonValue& f : record.toArray())
            fields << f.toString();
        out << fields;
    }
    return out;
}

std::unique_ptr<LedgerWindow> openLedger(TestProgram& tp) {
    auto w = std::make_unique<LedgerWindow>(tp.context(), WindowFactory{}, WindowFactory{});
    w->show();
    return w;
}

void insertMany(TestProgram& tp, int n) {
    tp.exec(
        QStringLiteral("with recursive k(i) as (select 1 union all select i+1 from k where i<%1) "
                       "insert into mysalary(adddate,sz,szdl,szxl,money,memo) "
                       "select '2026-01-01','支出','餐饮','午餐',i,'第'||i||'笔' from k")
            .arg(n));
}

QStringList filesIn(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden);
}

} // namespace

class TestCsvExport : public QObject {
    Q_OBJECT
private slots:
    void fieldQuoting_data();
    void fieldQuoting();
    void recordsEndInCrLfAfterAByteOrderMark();
    void ledgerReadBackByPython();
    void unsavedRowsAreExportedAsShown();
    void savedAndUnsavedExportsAgree();
    void queryGridExportsRowsNotYetFetched();
    void cancelledExportLeavesNothing();
    void unwritableTargetIsAnErrorAndLeavesNothing();
    void fullDiskKeepsTheEarlierExport();
    void exportIsOwnerOnly_data();
    void exportIsOwnerOnly();
    void formulasAreNeutralisedAmountsAreNot_data();
    void formulasAreNeutralisedAmountsAreNot();
    void everyGridOffersTheExport();
    void menuEntryWritesTheChosenFile();
};

void TestCsvExport::fieldQuoting_data() {
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("field");
    QTest::newRow("plain") << QStringLiteral("午餐") << QStringLiteral("午餐");
    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("comma") << QStringLiteral("a,b") << QStringLiteral("\"a,b\"");
    QTest::newRow("quote") << QStringLiteral("say \"hi\"") << QStringLiteral("\"say \"\"hi\"\"\"");
    QTest::newRow("only a quote") << QStringLiteral("\"") << QStringLiteral("\"\"\"\"");
    QTest::newRow("LF") << QStringLiteral("a\nb") << QStringLiteral("\"a\nb\"");
    QTest::newRow("CR LF") << QStringLiteral("a\r\nb") << QStringLiteral("\"a\r\nb\"");
    QTest::newRow("lone CR") << QStringLiteral("a\rb") << QStringLiteral("\"a\rb\"");
    // Blanks belong to the field (RFC 4180); they need no quotes.
    QTest::newRow("blanks") << QStringLiteral(" 12 ") << QStringLiteral(" 12 ");
    QTest::newRow("negative number") << QStringLiteral("-1234.5") << QStringLiteral("-1234.5");
    QTest::newRow("semicolon") << QStringLiteral("a;b") << QStringLiteral("a;b");
    // A field a spreadsheet would run as a formula goes out behind a '.
    QTest::newRow("formula =") << QStringLiteral("=1+2") << QStringLiteral("'=1+2");
    QTest::newRow("formula +") << QStringLiteral("+1+2") << QStringLiteral("'+1+2");
    QTest::newRow("formula -") << QStringLiteral("-2+3+cmd|' /C calc'!A0")
                               << QStringLiteral("'-2+3+cmd|' /C calc'!A0");
    QTest::newRow("formula @") << QStringLiteral("@SUM(A1)") << QStringLiteral("'@SUM(A1)");
    QTest::newRow("leading tab") << QStringLiteral("\t=1") << QStringLiteral("'\t=1");
    QTest::newRow("leading CR") << QStringLiteral("\r=1") << QStringLiteral("\"'\r=1\"");
    QTest::newRow("formula with comma")
        << QStringLiteral("=HYPERLINK(\"http://x\",\"y\")")
        << QStringLiteral("\"'=HYPERLINK(\"\"http://x\"\",\"\"y\"\")\"");
    QTest::newRow("= later on") << QStringLiteral("a=b") << QStringLiteral("a=b");
    QTest::newRow("only a minus") << QStringLiteral("-") << QStringLiteral("'-");
    QTest::newRow("positive number") << QStringLiteral("+5") << QStringLiteral("+5");
    QTest::newRow("fraction") << QStringLiteral("-.5") << QStringLiteral("-.5");
    QTest::newRow("NUL dropped") << QString::fromUtf16(u"a\u0000b", 3) << QStringLiteral("ab");
    QTest::newRow("NUL before a formula")
        << QString::fromUtf16(u"\u0000=1", 3) << QStringLiteral("=1");
}

void TestCsvExport::fieldQuoting() {
    QFETCH(QString, value);
    QTEST(CsvWriter::field(value), "field");
}

void TestCsvExport::recordsEndInCrLfAfterAByteOrderMark() {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        CsvWriter csv(buffer);
        csv.writeByteOrderMark();
        csv.writeRecord({QStringLiteral("日期"), QStringLiteral("金额")});
        csv.writeRecord({QStringLiteral("2026-12-09"), QString()});
        csv.flush();
    }
    QCOMPARE(buffer.data(),
             QByteArray("\xEF\xBB\xBF") + QStringLiteral("日期,金额\r\n2026-12-09,\r\n").toUtf8());
}

void TestCsvExport::ledgerReadBackByPython() {
    if (QStandardPaths::findExecutable(QStringLiteral("python3")).isEmpty())
        QSKIP("python3 is not installed");
    TestProgram tp;
    tp.exec(QStringLiteral(
        "insert into mysalary(adddate,sz,szdl,szxl,money,zffs,memo) values "
        "('2026-12-01','支出','餐饮','午餐',12.5,'现金','他说\"好\"，然后走了'),"
        "('2026-12-02','收入','工资','基本',123456789.01,'银行','a,b,c'),"
        "('2026-12-03','支出','其他','杂项',-42.75,'','第一行'||char(13)||char(10)||'第二行'),"
        "('2026-12-04','支出','其他','杂项',0.1,NULL,'只有'||char(10)||'换行'),"
        "('2026-12-05','收入','其他','杂项',1500,NULL,NULL)"));
    auto ledger = openLedger(tp);
    QTemporaryDir out;
    const QString path = out.filePath(QStringLiteral("ledger.csv"));

    QVERIFY(writeGridCsv(*ledger->grid(), path));

    QVERIFY(readAll(path).startsWith("\xEF\xBB\xBF"));
    const QList<QStringList> records = readBack(path);
    QCOMPARE(records.size(), 6);
    // Columns and texts as the grid shows them, amounts as plain numbers.
    QCOMPARE(records.at(0),
             (QStringList{"日期", "收支", "大类", "细类", "金额", "支付方式", "备注"}));
    QCOMPARE(records.at(1), (QStringList{"2026-12-01", "支出", "餐饮", "午餐", "12.5", "现金",
                                         "他说\"好\"，然后走了"}));
    QCOMPARE(records.at(2),
             (QStringList{"2026-12-02", "收入", "工资", "基本", "123456789.01", "银行", "a,b,c"}));
    QCOMPARE(records.at(3),
             (QStringList{"2026-12-03", "支出", "其他", "杂项", "-42.75", "", "第一行\r\n第二行"}));
    QCOMPARE(records.at(4),
             (QStringList{"2026-12-04", "支出", "其他", "杂项", "0.1", "", "只有\n换行"}));
    QCOMPARE(records.at(5), (QStringList{"2026-12-05", "收入", "其他", "杂项", "1500", "", ""}));
}

void TestCsvExport::unsavedRowsAreExportedAsShown() {
    if (QStandardPaths::findExecutable(QStringLiteral("python3")).isEmpty())
        QSKIP("python3 is not installed");
    // A ledger larger than the grid's page cache, read from start to end, with an unsaved row.
    TestProgram tp;
    insertMany(tp, 20000);
    auto ledger = openLedger(tp);
    TableDataset* d = ledger->dataset();
    d->append();
    d->setValue(d->fieldIndex(QStringLiteral("adddate")), QStringLiteral("2026-12-09"));
    d->setValue(d->fieldIndex(QStringLiteral("money")), 7.25);
    QTemporaryDir out;
    const QString path = out.filePath(QStringLiteral("ledger.csv"));

    QVERIFY(writeGridCsv(*ledger->grid(), path));

    const QList<QStringList> records = readBack(path);
    QCOMPARE(records.size(), 1 + 20000 + 1);
    QCOMPARE(records.at(1).at(4), QStringLiteral("1"));
    QCOMPARE(records.at(12345).at(6), QStringLiteral("第12345笔"));
    QCOMPARE(records.at(20000).at(4), QStringLiteral("20000"));
    QCOMPARE(records.at(20001).at(0), QStringLiteral("2026-12-09"));
    QCOMPARE(records.at(20001).at(4), QStringLiteral("7.25"));
    // The unsaved row is still only in the window.
    QCOMPARE(tp.scalar(QStringLiteral("select count(*) from mysalary")).toInt(), 20000);
}

void TestCsvExport::savedAndUnsavedExportsAgree() {
    // Without pending changes the rows are read straight from the table; with one they come
    // through the grid. Both must write the same bytes for the same rows, in every kind of
    // column (the loans grid has dates, amounts, yes/no and texts).
    TestProgram tp;
    tp.exec(QStringLiteral(
        "insert into borrow(borrowdate,action,money,listman,hopedate,infactdate,flag,memo) values "
        "('2026-01-02','借给别人',1234567.891,'张三','2026-06-01',NULL,1,'a,\"b\"'),"
        "('2026-01-03','问别人借',-0.5,NULL,NULL,'2026-02-01',0,'x'||char(13)||char(10)||'y'),"
        "('2026-01-04','借给别人','12x',' 李四 ',NULL,NULL,0,NULL),"
        "(NULL,NULL,NULL,NULL,NULL,NULL,0,'')"));
    LoansWindow loans(tp.context());
    loans.show();
    QTemporaryDir out;
    const QString saved = out.filePath(QStringLiteral("saved.csv"));
    const QString unsaved = out.filePath(QStringLiteral("unsaved.csv"));
    QVERIFY(writeGridCsv(*loans.grid(), saved));

    TableDataset* d = loans.dataset();
    d->setCurrentRow(3);
    d->setValue(d->fieldIndex(QStringLiteral("memo")), QString());
    QVERIFY(d->isEditing() || d->hasPendingChanges());
    QVERIFY(writeGridCsv(*loans.grid(), unsaved));

    QCOMPARE(readAll(unsaved), readAll(saved));
    const QByteArray text = readAll(saved);
    QVERIFY2(text.contains("1234567.891"), text.constData());
    QVERIFY2(text.contains("-0.5"), text.constData());
    QVERIFY2(text.contains("12x"), text.constData());
    QVERIFY2(text.contains(QStringLiteral("是").toUtf8()), text.constData());
    QVERIFY2(text.contains(QStringLiteral("否").toUtf8()), text.constData());
}

void TestCsvExport::queryGridExportsRowsNotYetFetched() {
    TestProgram tp;
    insertMany(tp, 1000);
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("q"));
    db.setDatabaseName(tp.databasePath());
    QVERIFY(db.open());
    {
        QSqlQueryModel source;
        source.setQuery(QStringLiteral("select adddate, sz, money from mysalary order by id"), db);
        QueryGridModel model(
            {{QStringLiteral("日期"), QStringLiteral("adddate"), QueryGridModel::Display::Date},
             {QStringLiteral("金额"), QStringLiteral("money"), QueryGridModel::Display::Amount}},
            &source);
        QueryGrid grid(&model, {}, tp.dialogs);
        QVERIFY(model.rowCount() < 1000); // the grid has fetched only its first rows
        QTemporaryDir out;
        const QString path = out.filePath(QStringLiteral("q.csv"));

        QVERIFY(writeGridCsv(grid, path));

        const QList<QByteArray> lines = readAll(path).split('\n');
        QCOMPARE(lines.size(), 1 + 1000 + 1); // the last record ends in CR LF too
        QCOMPARE(lines.at(0), QStringLiteral("\uFEFF日期,金额\r").toUtf8());
        QCOMPARE(lines.at(1000), QByteArray("2026-01-01,1000\r"));
    }
    db.close();
    db = {};
    QSqlDatabase::removeDatabase(QStringLiteral("q"));
}

void TestCsvExport::cancelledExportLeavesNothing() {
    TestProgram tp;
    insertMany(tp, 3000);
    auto ledger = openLedger(tp);
    QTemporaryDir out;
    const QString fresh = out.filePath(QStringLiteral("fresh.csv"));
    const QString existing = out.filePath(QStringLiteral("existing.csv"));
    writeAll(existing, "earlier export");

    for (const QString& path : {fresh, existing}) {
        QList<qint64> asked;
        const bool done = writeGridCsv(*ledger->grid(), path, [&](qint64 rows, qint64 known) {
            asked << rows << known;
            return rows < 1024; // cancel part-way
        });
        QVERIFY(!done);
        QCOMPARE(asked, (QList<qint64>{512, 3000, 1024, 3000}));
    }
    QCOMPARE(filesIn(out.path()), QStringList{QStringLiteral("existing.csv")});
    QCOMPARE(readAll(existing), QByteArray("earlier export"));
}

void TestCsvExport::unwritableTargetIsAnErrorAndLeavesNothing() {
    TestProgram tp;
    insertMany(tp, 10);
    auto ledger = openLedger(tp);
    QTemporaryDir out;
    const QString path = out.filePath(QStringLiteral("missing/ledger.csv"));
    QVERIFY_THROWS_EXCEPTION(AppError, writeGridCsv(*ledger->grid(), path));
    QCOMPARE(filesIn(out.path()), QStringList());
}

void TestCsvExport::fullDiskKeepsTheEarlierExport() {
    // A small export that does not fit (no file may grow past 64 bytes, as on a full disk):
    // the export says so, and the earlier export at that path is still there.
    TestProgram tp;
    insertMany(tp, 10);
    auto ledger = openLedger(tp);
    QTemporaryDir out;
    const QString path = out.filePath(QStringLiteral("ledger.csv"));
    writeAll(path, "earlier export");
    QString error;
    {
        FileSizeLimit limit(64);
        if (!limit.ok())
            QSKIP("cannot limit the file size here");
        try {
            writeGridCsv(*ledger->grid(), path);
        } catch (const AppError& e) {
            error = e.text();
        }
    }
    QVERIFY2(error.startsWith(QStringLiteral("无法写入 %1：").arg(path)), qPrintable(error));
    QCOMPARE(readAll(path), QByteArray("earlier export"));
    QCOMPARE(filesIn(out.path()), QStringList{QStringLiteral("ledger.csv")});
}

void TestCsvExport::exportIsOwnerOnly_data() {
    QTest::addColumn<int>("mask");
    QTest::addColumn<bool>("existing"); // an earlier export, readable by all, is replaced
    QTest::newRow("umask 000") << 0 << false;
    QTest::newRow("umask 022") << 022 << false;
    QTest::newRow("umask 077") << 077 << false;
    QTest::newRow("over a 0644 file") << 022 << true;
}

void TestCsvExport::exportIsOwnerOnly() {
    // The file holds the whole ledger, as the books do: owner-only whatever the umask.
    QFETCH(int, mask);
    QFETCH(bool, existing);
    TestProgram tp;
    insertMany(tp, 3);
    auto ledger = openLedger(tp);
    QTemporaryDir out;
    const QString path = out.filePath(QStringLiteral("ledger.csv"));
    if (existing) {
        writeAll(path, "earlier export");
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner |
                                                QFile::ReadGroup | QFile::ReadOther));
    }
    {
        UmaskScope scope{mode_t(mask)};
        QVERIFY(writeGridCsv(*ledger->grid(), path));
    }
    QCOMPARE(modeOf(path), 0600u);
    QCOMPARE(readAll(path).count("\r\n"), 4);
}

void TestCsvExport::formulasAreNeutralisedAmountsAreNot_data() {
    QTest::addColumn<bool>("unsaved"); // an unsaved row: the export goes cell by cell
    QTest::newRow("rows read from the table") << false;
    QTest::newRow("rows read from the grid") << true;
}

void TestCsvExport::formulasAreNeutralisedAmountsAreNot() {
    // Text cells that a spreadsheet would run go out behind a '; the amount -3 stays a number.
    QFETCH(bool, unsaved);
    TestProgram tp;
    tp.exec(
        QStringLiteral("insert into mysalary(adddate,sz,szdl,szxl,money,zffs,memo) values "
                       "('2026-12-01','支出','=1+2','@x',-3,'+86 1','-2+3+cmd|'' /C calc''!A0')"));
    auto ledger = openLedger(tp);
    if (unsaved) {
        TableDataset* d = ledger->dataset();
        d->append();
        d->setValue(d->fieldIndex(QStringLiteral("adddate")), QStringLiteral("2026-12-09"));
    }
    QTemporaryDir out;
    const QString path = out.filePath(QStringLiteral("ledger.csv"));
    QVERIFY(writeGridCsv(*ledger->grid(), path));
    const QList<QByteArray> lines = readAll(path).split('\n');
    QVERIFY(lines.size() >= 2);
    QCOMPARE(lines.at(1), QStringLiteral("2026-12-01,支出,'=1+2,'@x,-3,'+86 1,'-2+3+cmd|' /C "
                                         "calc'!A0\r")
                              .toUtf8());
}

void TestCsvExport::everyGridOffersTheExport() {
    TestProgram tp;
    auto check = [](QTableView* grid) {
        QVERIFY(grid);
        QCOMPARE(grid->contextMenuPolicy(), Qt::ActionsContextMenu);
        auto* action = grid->findChild<QAction*>(QStringLiteral("exportCsv"));
        QVERIFY2(action, qPrintable(grid->objectName()));
        QCOMPARE(action->text(), QStringLiteral("导出为 CSV…"));
        QVERIFY(grid->actions().contains(action));
    };
    auto ledger = openLedger(tp);
    check(ledger->grid());
    LoansWindow loans(tp.context());
    check(loans.grid());
    QueryWindow query(tp.context());
    const QList<QueryGrid*> grids = query.findChildren<QueryGrid*>();
    QCOMPARE(grids.size(), 8); // entries and analysis on each of the four pages
    for (QueryGrid* g : grids)
        check(g);
}

void TestCsvExport::menuEntryWritesTheChosenFile() {
    TestProgram tp;
    insertMany(tp, 3);
    auto ledger = openLedger(tp);
    auto* action = ledger->grid()->findChild<QAction*>(QStringLiteral("exportCsv"));
    QVERIFY(action);
    QTemporaryDir out;
    const QString path = out.filePath(QStringLiteral("chosen.csv"));

    tp.dialogs.chooseFileNext(std::nullopt); // Cancel in the file dialog: nothing happens
    action->trigger();
    QCOMPARE(filesIn(out.path()), QStringList());

    tp.dialogs.chooseFileNext(path);
    action->trigger();
    QVERIFY(tp.dialogs.errors().isEmpty());
    QCOMPARE(readAll(path).count("\r\n"), 4);
    QVERIFY(tp.dialogs.asked.last().initial.endsWith(QStringLiteral("收支管理.csv")));
}

QTEST_MAIN(TestCsvExport)
#include "tst_csvexport.moc"
