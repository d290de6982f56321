// The savings window: its columns and pick lists, its opening steps, its totals and the
// derivation of a deposit's figures when a kind is entered.
#include "app/windowfactories.h"
#include "data/formats.h"
#include "data/tabledataset.h"
#include "lists/gbk.h"
#include "platform/apperror.h"
#include "registers/savingswindow.h"
#include "support/editingwindow.h"
#include "support/files.h"
#include "support/testprogram.h"
#include "support/userinput.h"
#include "ui/celleditor.h"
#include "ui/datagrid.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QToolButton>

namespace {

const QString kInsert = QStringLiteral(
    "insert into saving (bankuser, begindate, money, savingtype, interest, enddate, totalmoney, "
    "interestmoney, interesttax, banknumber, bankname) values ");
// A stored deposit with its figures, as an earlier derivation wrote them.
const QString kStored = QStringLiteral("('张伟', '2026-01-05', 10000, '整存整取一年', 1.5, "
                                       "'2026-12-31', 10120, 150, 30, '6222021234567890', "
                                       "'中国工商银行')");

// The cells a derivation fills, in the order of the grid.
const QStringList kDerived{"interest", "enddate", "totalmoney", "interestmoney", "interesttax"};

// A savings window over books prepared by `setup` statements (run before the window opens).
struct SavingsFixture {
    explicit SavingsFixture(const QStringList& setup = {}) {
        for (const QString& sql : setup)
            program.exec(sql);
    }
    // Opens the window; the books can still be changed before.
    void open() {
        window = std::make_unique<SavingsWindow>(program.context());
        driver = std::make_unique<EditingWindowDriver>(*window);
        driver->show();
    }
    EditingWindowDriver& f() { return *driver; }
    // A cell of the dataset as text (numbers in the general format).
    QString cell(int row, const QString& field) const {
        return formats::toText(driver->dataset()->value(row, driver->field(field)));
    }
    QStringList derivedCells(int row) const {
        QStringList out;
        for (const QString& field : kDerived)
            out << cell(row, field);
        return out;
    }
    // A new row with the deposit date and the amount entered (either may be left empty).
    void newDeposit(const QString& date, const QString& amount) {
        f().press(QStringLiteral("新增"));
        const int row = f().dataset()->rowCount() - 1;
        if (!date.isEmpty())
            QVERIFY(f().enter(row, QStringLiteral("begindate"), date));
        if (!amount.isEmpty())
            QVERIFY(f().enter(row, QStringLiteral("money"), amount));
    }
    int lastRow() const { return driver->dataset()->rowCount() - 1; }
    bool enterKind(int row, const QString& kind) {
        return f().enter(row, QStringLiteral("savingtype"), kind);
    }

    TestProgram program;
    std::unique_ptr<SavingsWindow> window;
    std::unique_ptr<EditingWindowDriver> driver;
};

QStringList emptyCells() {
    return QStringList(kDerived.size(), QString());
}

} // namespace

class TestSavingsWindow : public QObject {
    Q_OBJECT
private slots:
    void namesAndColumns();
    void columnsReadWell();
    void pickLists();
    void totals_data();
    void totals();
    void derivation_data();
    void derivation();
    void kindBeforeAmount();
    void pickedKindDerives();
    void newDepositCountsOnlyAfterSave();
    void unknownKindRefused_data();
    void unknownKindRefused();
    void invalidCellReadsAsEmpty_data();
    void invalidCellReadsAsEmpty();
    void changedRateUsedByTheNextDerivation();
    void failedLookupChangesNothing();
    void openingStepFails_data();
    void openingStepFails();
    void windowDoesNotOpenWithoutItsStatements();
    void mainWindowOpensANewOneEachTime();
};

void TestSavingsWindow::namesAndColumns() {
    SavingsFixture x({kInsert + kStored});
    x.open();
    QCOMPARE(x.window->objectName(), QStringLiteral("fmcxgl"));
    QCOMPARE(x.window->windowTitle(), QStringLiteral("储蓄管理"));
    QCOMPARE(x.f().grid()->objectName(), QStringLiteral("cxDBGrid"));
    QCOMPARE(x.window->minimumSize(), x.window->maximumSize());
    // The five buttons in one row below the grid, left to right.
    const QStringList names{"addszgl", "szdel", "szsave", "szcancle", "closeform"};
    const QStringList captions{"新增", "删除", "保存", "取消", "关闭"};
    int left = -1;
    for (int i = 0; i < names.size(); ++i) {
        QPushButton* b = x.window->button(names[i]);
        QVERIFY2(b, qPrintable(names[i]));
        QCOMPARE(b->text(), captions[i]);
        const QPoint at = b->mapTo(x.window.get(), QPoint(0, 0));
        QVERIFY(at.x() > left);
        QVERIFY(at.y() >= x.f().grid()->geometry().bottom());
        left = at.x();
    }

    QStringList titles;
    auto* header = x.f().grid()->horizontalHeader();
    for (int vis = 0; vis < header->count(); ++vis) {
        const int logical = header->logicalIndex(vis);
        if (!x.f().grid()->isColumnHidden(logical))
            titles << x.f().grid()->model()->headerData(logical, Qt::Horizontal).toString();
    }
    QCOMPARE(titles, (QStringList{"开户名", "存入日期", "存入金额", "储蓄类型", "利率", "到期日期",
                                  "总金额", "利息", "利息税", "存单号码", "银行名称"}));
    const auto shown = [&](const char* field) {
        return x.f().grid()->model()->index(0, x.f().field(QString::fromLatin1(field))).data();
    };
    QCOMPARE(shown("begindate").toString(), QStringLiteral("2026-01-05"));
    QCOMPARE(shown("money").toString(), QStringLiteral("￥10,000"));
    QCOMPARE(shown("interest").toString(), QStringLiteral("1.5"));
    QCOMPARE(shown("totalmoney").toString(), QStringLiteral("￥10,120"));
    QCOMPARE(shown("banknumber").toString(), QStringLiteral("6222021234567890"));

    // 关闭 closes at once, asking nothing.
    x.window->button(QStringLiteral("closeform"))->click();
    QVERIFY(!x.window->isVisible());
    QVERIFY(x.program.dialogs.shown.isEmpty());
}

void TestSavingsWindow::columnsReadWell() {
    // The longest texts the columns meet in use.
    SavingsFixture x({kInsert + QStringLiteral("('欧阳小明', '2026-01-05', 1234567.89, "
                                               "'整存整取三个月', 2.75, '2026-04-05', 1241513.24, "
                                               "8487.65, 1697.53, '6222021234567890123', "
                                               "'上海浦东发展银行')")});
    x.open();
    DataGrid* grid = x.f().grid();
    grid->setCurrentIndex(grid->model()->index(0, 0)); // no editor over the cells measured
    QCOMPARE(grid->horizontalScrollBar()->isVisible(), false);
    const QFontMetrics metrics(grid->font());
    const QStringList fields{"bankuser",    "begindate",  "money",      "savingtype",
                             "interest",    "enddate",    "totalmoney", "interestmoney",
                             "interesttax", "banknumber", "bankname"};
    for (const QString& field : fields) {
        const int column = x.f().field(field);
        const QString title = grid->model()->headerData(column, Qt::Horizontal).toString();
        const QString text = grid->model()->index(0, column).data().toString();
        // Drop-down columns keep room for their button.
        const int button = field == QLatin1String("savingtype") ||
                                   field == QLatin1String("bankname") ||
                                   field.endsWith(QLatin1String("date"))
                               ? 16
                               : 0;
        const int needed =
            std::max(metrics.horizontalAdvance(title), metrics.horizontalAdvance(text) + button);
        QVERIFY2(grid->columnWidth(column) >= needed + 4,
                 qPrintable(QStringLiteral("%1: %2 < %3")
                                .arg(field)
                                .arg(grid->columnWidth(column))
                                .arg(needed + 4)));
    }
}

void TestSavingsWindow::pickLists() {
    SavingsFixture x(
        {QStringLiteral("delete from bankinterest where interestname = '整存整取半年'"),
         QStringLiteral("insert into bankinterest (interestname, interestmonth, "
                        "interest) values ('整存整取半年', 6, 1.3)")});
    writeAll(x.program.listFolder() + QStringLiteral("/bankname.txt"),
             lists::encode(QStringLiteral("招商银行\r\n中国银行\r\n农村信用社\r\n")));
    x.open();
    QVERIFY(x.program.dialogs.errors().isEmpty());
    // Kind names in the order the statement returns them.
    x.f().press(QStringLiteral("新增"));
    x.f().cell(0, QStringLiteral("savingtype"));
    QVERIFY(x.f().grid()->currentEditor());
    QCOMPARE(x.f().grid()->currentEditor()->offeredChoices(),
             (QStringList{"整存整取三个月", "整存整取一年", "整存整取二年", "整存整取三年",
                          "整存整取五年", "整存零取一年", "整存零取三年", "整存零取五年",
                          "零存整取一年", "零存整取三年", "零存整取五年", "整存整取半年"}));
    // Bank names in file order.
    x.f().cell(0, QStringLiteral("bankname"));
    QCOMPARE(x.f().grid()->currentEditor()->offeredChoices(),
             (QStringList{"招商银行", "中国银行", "农村信用社"}));
    // A bank that is not on the list is stored as typed.
    QVERIFY(x.f().enter(0, QStringLiteral("bankname"), QStringLiteral("村镇银行")));
    x.f().press(QStringLiteral("保存"));
    QCOMPARE(x.program.scalar(QStringLiteral("select bankname from saving")).toString(),
             QStringLiteral("村镇银行"));
}

void TestSavingsWindow::totals_data() {
    QTest::addColumn<QStringList>("rows"); // values lists for kInsert
    QTest::addColumn<QStringList>("panels");
    QTest::newRow("empty table") << QStringList{}
                                 << QStringList{"存入金额：0元", "利息：0元", "到期金额：0元"};
    QTest::newRow("one deposit") << QStringList{kStored}
                                 << QStringList{"存入金额：10000元", "利息：150元",
                                                "到期金额：10120元"};
    QTest::newRow("plain decimal text, no grouping")
        << QStringList{kStored, "('王芳', '2026-02-01', 1234567.5, '整存整取三个月', 1.1, "
                                "'2026-05-01', 1237962.38, 3395.06, 0, '', '')"}
        << QStringList{"存入金额：1244567.5元", "利息：3545.06元", "到期金额：1248082.38元"};
    QTest::newRow("deposit without figures")
        << QStringList{"('李娜', '2026-03-01', 500, null, null, null, null, null, null, '', '')"}
        << QStringList{"存入金额：500元", "利息：0元", "到期金额：0元"};
}

void TestSavingsWindow::totals() {
    QFETCH(QStringList, rows);
    QFETCH(QStringList, panels);
    QStringList setup;
    for (const QString& r : rows)
        setup << kInsert + r;
    SavingsFixture x(setup);
    x.open();
    QCOMPARE(x.f().totals(), panels);
    QVERIFY(x.program.dialogs.errors().isEmpty());
}

void TestSavingsWindow::derivation_data() {
    QTest::addColumn<QString>("setup"); // run before the window opens
    QTest::addColumn<QString>("date");
    QTest::addColumn<QString>("amount");
    QTest::addColumn<QString>("kind");
    // rate, maturity, amount due, interest, tax
    QTest::addColumn<QStringList>("derived");
    const QString tax20 = QStringLiteral("update tax set interesttax = 20");
    QTest::newRow("a year from the end of January")
        << tax20 << "2004-01-31"
        << "10000"
        << "整存整取一年" << QStringList{"1.5", "2005-01-25", "10120", "150", "30"};
    QTest::newRow("three months over February")
        << tax20 << "2004-03-01"
        << "10000"
        << "整存整取三个月" << QStringList{"1.1", "2004-05-30", "10022", "27.5", "5.5"};
    QTest::newRow("instalments, interest over 1000, halves")
        << tax20 << "2004-01-01"
        << "123720"
        << "零存整取三年" << QStringList{"1.3", "2006-12-16", "125703.65", "2479.56", "495.91"};
    QTest::newRow("drawn back in parts, without tax")
        << QString() << "2004-01-01"
        << "10000"
        << "整存零取一年" << QStringList{"1.1", "2004-12-26", "10059.58", "59.58", "0"};
    QTest::newRow("kind without its bankinterest row")
        << "delete from bankinterest where interestname = '整存整取三年'"
        << "2004-03-01"
        << "5000"
        << "整存整取三年" << QStringList{"0", "2004-03-01", "5000", "0", "0"};
}

void TestSavingsWindow::derivation() {
    QFETCH(QString, setup);
    QFETCH(QString, date);
    QFETCH(QString, amount);
    QFETCH(QString, kind);
    QFETCH(QStringList, derived);
    SavingsFixture x(setup.isEmpty() ? QStringList{} : QStringList{setup});
    x.open();
    x.newDeposit(date, amount);
    QVERIFY(x.enterKind(x.lastRow(), kind));
    QCOMPARE(x.derivedCells(x.lastRow()), derived);
    QCOMPARE(x.cell(x.lastRow(), QStringLiteral("savingtype")), kind);
    QVERIFY(x.program.dialogs.errors().isEmpty());
    // All of it reaches the books with 保存.
    x.f().press(QStringLiteral("保存"));
    QCOMPARE(x.program.rows(QStringLiteral("select interest, enddate, totalmoney, interestmoney, "
                                           "interesttax, savingtype from saving")),
             (QList<QStringList>{derived + QStringList{kind}}));
}

void TestSavingsWindow::kindBeforeAmount() {
    SavingsFixture x({QStringLiteral("update tax set interesttax = 20")});
    x.open();
    const QString kind = QStringLiteral("整存整取一年");
    x.newDeposit(QStringLiteral("2004-01-31"), QString());
    const int row = x.lastRow();
    // Without an amount the kind is stored and nothing is derived.
    QVERIFY(x.enterKind(row, kind));
    QCOMPARE(x.cell(row, QStringLiteral("savingtype")), kind);
    QCOMPARE(x.derivedCells(row), emptyCells());
    // Entering the amount afterwards derives nothing either.
    QVERIFY(x.f().enter(row, QStringLiteral("money"), QStringLiteral("10000")));
    QCOMPARE(x.derivedCells(row), emptyCells());
    // Committing the kind again fills every derived cell.
    QVERIFY(x.enterKind(row, kind));
    QCOMPARE(x.derivedCells(row), (QStringList{"1.5", "2005-01-25", "10120", "150", "30"}));
    // A later change of the amount leaves the derived cells as they are.
    QVERIFY(x.f().enter(row, QStringLiteral("money"), QStringLiteral("20000")));
    QCOMPARE(x.derivedCells(row), (QStringList{"1.5", "2005-01-25", "10120", "150", "30"}));
    // The derived cells stay editable by hand.
    QVERIFY(x.f().enter(row, QStringLiteral("interestmoney"), QStringLiteral("151.5")));
    x.f().press(QStringLiteral("保存"));
    QCOMPARE(x.program.rows(QStringLiteral("select money, interestmoney, totalmoney from saving")),
             (QList<QStringList>{{"20000", "151.5", "10120"}}));
    QVERIFY(x.program.dialogs.errors().isEmpty());
}

void TestSavingsWindow::pickedKindDerives() {
    SavingsFixture x;
    x.open();
    x.newDeposit(QStringLiteral("2004-03-01"), QStringLiteral("10000"));
    QLineEdit* line = x.f().cell(x.lastRow(), QStringLiteral("savingtype"));
    QVERIFY(line);
    auto* button = x.f().grid()->currentEditor()->findChild<QToolButton*>();
    QVERIFY(button);
    userinput::click(button);
    QAbstractItemView* list = line->completer()->popup();
    QTRY_VERIFY(list->isVisible());
    userinput::key(Qt::Key_Down); // the first kind, 整存整取三个月
    userinput::key(Qt::Key_Return);
    QCOMPARE(x.cell(x.lastRow(), QStringLiteral("savingtype")), QStringLiteral("整存整取三个月"));
    QCOMPARE(x.derivedCells(x.lastRow()),
             (QStringList{"1.1", "2004-05-30", "10027.5", "27.5", "0"}));
}

void TestSavingsWindow::newDepositCountsOnlyAfterSave() {
    SavingsFixture x({kInsert + kStored});
    x.open();
    const QStringList before{"存入金额：10000元", "利息：150元", "到期金额：10120元"};
    QCOMPARE(x.f().totals(), before);
    x.newDeposit(QStringLiteral("2026-02-01"), QStringLiteral("5000"));
    QVERIFY(x.enterKind(x.lastRow(), QStringLiteral("整存整取二年")));
    QCOMPARE(x.cell(x.lastRow(), QStringLiteral("interestmoney")), QStringLiteral("210"));
    QCOMPARE(x.f().totals(), before);
    x.f().press(QStringLiteral("保存"));
    QCOMPARE(x.f().totals(),
             (QStringList{"存入金额：15000元", "利息：360元", "到期金额：15330元"}));
    // 删除 and 取消 leave the totals as they are; only 保存 recounts.
    x.program.dialogs.answerNext(Dialogs::Answer::Yes);
    x.f().cell(0, QStringLiteral("bankuser"));
    x.f().press(QStringLiteral("删除"));
    x.f().press(QStringLiteral("取消"));
    QCOMPARE(x.f().totals(),
             (QStringList{"存入金额：15000元", "利息：360元", "到期金额：15330元"}));
}

void TestSavingsWindow::unknownKindRefused_data() {
    QTest::addColumn<QString>("kind");
    QTest::newRow("another kind") << "活期";
    QTest::newRow("trailing blank") << "整存整取一年 ";
    QTest::newRow("quote") << "整存整取一年' or '1'='1";
}

void TestSavingsWindow::unknownKindRefused() {
    QFETCH(QString, kind);
    SavingsFixture x({kInsert + kStored});
    x.open();
    const QStringList stored = x.derivedCells(0);
    QVERIFY(!x.enterKind(0, kind));
    QCOMPARE(x.program.dialogs.errors(),
             QStringList{QStringLiteral("'%1' 不是已知的储蓄类型.").arg(kind)});
    QCOMPARE(x.derivedCells(0), stored);
    QCOMPARE(x.cell(0, QStringLiteral("savingtype")), QStringLiteral("整存整取一年"));
    // The typed text stays in the editor for the user to mend.
    QCOMPARE(x.f().grid()->currentEditor()->text(), kind);
    x.f().grid()->abandonEditor();
    x.f().press(QStringLiteral("保存"));
    QCOMPARE(x.program.rows(QStringLiteral("select savingtype, interest, totalmoney from saving")),
             (QList<QStringList>{{"整存整取一年", "1.5", "10120"}}));

    // Without an amount the same text is stored unchecked.
    x.program.dialogs.clear();
    x.newDeposit(QStringLiteral("2026-02-01"), QString());
    QVERIFY(x.enterKind(x.lastRow(), kind));
    QCOMPARE(x.cell(x.lastRow(), QStringLiteral("savingtype")), kind);
    QVERIFY(x.program.dialogs.errors().isEmpty());
}

void TestSavingsWindow::invalidCellReadsAsEmpty_data() {
    QTest::addColumn<QString>("date");
    QTest::addColumn<QString>("amount");
    QTest::newRow("date that is no date") << "'2004-02-30'"
                                          << "10000";
    QTest::newRow("date text") << "'soon'"
                               << "10000";
    QTest::newRow("amount text") << "'2004-01-31'"
                                 << "'12x'";
    QTest::newRow("empty amount text") << "'2004-01-31'"
                                       << "''";
}

void TestSavingsWindow::invalidCellReadsAsEmpty() {
    QFETCH(QString, date);
    QFETCH(QString, amount);
    // Written by hand or by another program: the window shows what it cannot read as it is.
    SavingsFixture x({kInsert + QStringLiteral("('张伟', %1, %2, null, null, null, null, null, "
                                               "null, '', '')")
                                    .arg(date, amount)});
    x.open();
    QVERIFY(x.enterKind(0, QStringLiteral("整存整取一年")));
    QCOMPARE(x.derivedCells(0), emptyCells());
    QCOMPARE(x.cell(0, QStringLiteral("savingtype")), QStringLiteral("整存整取一年"));
    QVERIFY(x.program.dialogs.errors().isEmpty());
}

void TestSavingsWindow::changedRateUsedByTheNextDerivation() {
    SavingsFixture x;
    x.open();
    x.newDeposit(QStringLiteral("2004-01-31"), QStringLiteral("10000"));
    QVERIFY(x.enterKind(0, QStringLiteral("整存整取一年")));
    x.f().press(QStringLiteral("保存"));
    const QList<QStringList> stored = x.program.rows(QStringLiteral("select * from saving"));

    // The settings window stores new rates; the tax rate read at opening stays in use.
    x.program.exec(QStringLiteral(
        "update bankinterest set interest = 2.25 where interestname = '整存整取一年'"));
    x.program.exec(QStringLiteral("update tax set interesttax = 20"));
    x.newDeposit(QStringLiteral("2004-01-31"), QStringLiteral("10000"));
    QVERIFY(x.enterKind(1, QStringLiteral("整存整取一年")));
    QCOMPARE(x.derivedCells(1), (QStringList{"2.25", "2005-01-25", "10225", "225", "0"}));
    // The stored deposit keeps its figures, in the grid and in the books.
    QCOMPARE(x.derivedCells(0), (QStringList{"1.5", "2005-01-25", "10150", "150", "0"}));
    x.f().press(QStringLiteral("保存"));
    QCOMPARE(x.program.rows(QStringLiteral("select * from saving where id = (select min(id) "
                                           "from saving)")),
             stored);
}

void TestSavingsWindow::failedLookupChangesNothing() {
    SavingsFixture x({kInsert + kStored});
    x.open();
    x.program.exec(QStringLiteral("alter table bankinterest rename to gone"));
    const QStringList stored = x.derivedCells(0);
    QVERIFY(!x.enterKind(0, QStringLiteral("整存整取五年")));
    QCOMPARE(x.program.dialogs.errors().size(), 1);
    QVERIFY2(x.program.dialogs.errors().first().contains(QStringLiteral("bankinterest")),
             qPrintable(x.program.dialogs.errors().first()));
    // No cell was written and the kind was not stored.
    QCOMPARE(x.derivedCells(0), stored);
    QCOMPARE(x.cell(0, QStringLiteral("savingtype")), QStringLiteral("整存整取一年"));
}

void TestSavingsWindow::openingStepFails_data() {
    QTest::addColumn<QString>("breakIt");
    QTest::addColumn<QString>("error");
    QTest::addColumn<bool>("kindsRead");
    QTest::addColumn<bool>("taxRead");
    QTest::newRow("bank-name file missing") << "bankname"
                                            << "bankname.txt" << false << false;
    QTest::newRow("tax table missing") << "drop table tax"
                                       << "tax" << true << false;
}

void TestSavingsWindow::openingStepFails() {
    QFETCH(QString, breakIt);
    QFETCH(QString, error);
    QFETCH(bool, kindsRead);
    QFETCH(bool, taxRead);
    SavingsFixture x({QStringLiteral("update tax set interesttax = 20"), kInsert + kStored});
    if (breakIt == QLatin1String("bankname"))
        QVERIFY(QFile::remove(x.program.listFolder() + QStringLiteral("/bankname.txt")));
    else
        x.program.exec(breakIt);
    x.open();
    // One error box naming what failed; the window is open all the same.
    QVERIFY(x.window->isVisible());
    QCOMPARE(x.program.dialogs.errors().size(), 1);
    QVERIFY2(x.program.dialogs.errors().first().contains(error),
             qPrintable(x.program.dialogs.errors().first()));
    // The later steps did not run: no totals.
    QCOMPARE(x.f().totals(), (QStringList{QString(), QString(), QString()}));
    QCOMPARE(x.window->taxRate(), taxRead ? 20.0 : 0.0);
    x.f().cell(0, QStringLiteral("savingtype"));
    QCOMPARE(x.f().grid()->currentEditor()->offeredChoices().size(), kindsRead ? 12 : 0);
    x.f().cell(0, QStringLiteral("bankname"));
    QCOMPARE(x.f().grid()->currentEditor()->offeredChoices().isEmpty(),
             breakIt == QLatin1String("bankname"));

    // The window works: a derivation, 保存 and the totals after it.
    x.program.dialogs.clear();
    x.newDeposit(QStringLiteral("2004-01-31"), QStringLiteral("10000"));
    QVERIFY(x.enterKind(x.lastRow(), QStringLiteral("整存整取一年")));
    QCOMPARE(x.cell(x.lastRow(), QStringLiteral("totalmoney")), QStringLiteral("10150"));
    x.f().press(QStringLiteral("保存"));
    QVERIFY(x.program.dialogs.errors().isEmpty());
    QCOMPARE(x.f().totals(),
             (QStringList{"存入金额：20000元", "利息：300元", "到期金额：20270元"}));
}

void TestSavingsWindow::windowDoesNotOpenWithoutItsStatements() {
    SavingsFixture x({QStringLiteral("drop table bankinterest")});
    QVERIFY_THROWS_EXCEPTION(AppError, x.open());
    QVERIFY(x.program.dialogs.shown.isEmpty());
}

void TestSavingsWindow::mainWindowOpensANewOneEachTime() {
    TestProgram program;
    const MainWindow::Windows windows = programWindows(program.context());
    QVERIFY(windows.savings);
    const std::unique_ptr<QDialog> first = windows.savings(nullptr);
    const std::unique_ptr<QDialog> second = windows.savings(nullptr);
    QVERIFY(qobject_cast<SavingsWindow*>(first.get()));
    QVERIFY(qobject_cast<SavingsWindow*>(second.get()));
    QVERIFY(first != second);
    QCOMPARE(first->objectName(), QStringLiteral("fmcxgl"));
}

QTEST_MAIN(TestSavingsWindow)
#include "tst_savingswindow.moc"
