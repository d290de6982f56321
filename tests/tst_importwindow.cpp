// The import window from the ledger: 导入 → a bill file → the preview → a changed category →
// 导入 → the entries in the ledger; the same file again gives no new entries; take-back; the
// password of a zip; unsaved ledger changes first; a card payment seen on the card's statement
// too, shown 可能重复 and unticked until the user ticks it.
#include "data/tabledataset.h"
#include "importer/importflow.h"
#include "importer/importmodel.h"
#include "importer/importwindow.h"
#include "ledger/ledgerwindow.h"
#include "support/modalstep.h"
#include "support/testbills.h"
#include "support/testprogram.h"
#include "support/userinput.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTableView>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

namespace {

struct Fixture {
    Fixture() {
        bill = program.folder() + QStringLiteral("/alipay.csv");
        writeTestBill(
            bill, QStringLiteral("支付宝"),
            {QStringLiteral(
                 "2024-01-03,08:00:00,支出,12.50,交通出行,滴滴出行,/,余额,交易成功,t1,,"),
             QStringLiteral(
                 "2024-01-04,09:00:00,支出,0.10,餐饮美食,某饭店,午饭,花呗,交易成功,t2,,"),
             QStringLiteral(
                 "2024-01-05,09:00:00,不计收支,9.00,投资理财,余额宝,/,余额,交易成功,t3,,")});
        window =
            std::make_unique<LedgerWindow>(program.context(), WindowFactory{}, WindowFactory{});
        window->setBillReader([this](const QString& path, const bills::PasswordPrompt& prompt,
                                     const bills::StatementOptions& options) {
            if (reader)
                return reader(path, prompt, options);
            return readTestBill(path);
        });
        window->show();
    }
    int stored() { return program.scalar(QStringLiteral("select count(*) from mysalary")).toInt(); }
    QPushButton* button(QWidget* w, const char* name) {
        return w->findChild<QPushButton*>(QString::fromLatin1(name));
    }
    QString totals(ImportWindow* w) {
        return w->findChild<QLabel*>(QStringLiteral("importtotals"))->text();
    }

    TestProgram program;
    QString bill;
    BillReader reader;
    std::unique_ptr<LedgerWindow> window;
};

} // namespace

class TestImportWindow : public QObject {
    Q_OBJECT
private slots:
    void importThenAgainGivesNothingNew();
    void cancelWritesNothing();
    void cancelledFileDialog();
    void unsavedChangesFirst_data();
    void unsavedChangesFirst();
    void takeBack_data();
    void takeBack();
    void zipPassword();
    void possibleDuplicateTickedByUser();
};

void TestImportWindow::importThenAgainGivesNothingNew() {
    Fixture f;
    QPushButton* importButton = f.window->button(QStringLiteral("importbtn"));
    QVERIFY(importButton);
    QCOMPARE(importButton->text(), QStringLiteral("导入"));
    f.program.dialogs.chooseFileNext(f.bill);
    bool seen = false;
    whenModalShows<ImportWindow>([&](ImportWindow* w) {
        seen = true;
        QCOMPARE(w->objectName(), QStringLiteral("fmimport"));
        QCOMPARE(w->windowTitle(), QStringLiteral("导入账单"));
        ImportModel* m = w->model();
        QCOMPARE(m->rowCount(), 3);
        QStringList headers;
        for (int c = 0; c < m->columnCount(); ++c)
            headers << m->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
        QCOMPARE(headers, (QStringList{"导入", "日期", "收支", "大类", "细类", "金额", "支付方式",
                                       "备注", "状态"}));
        QCOMPARE(m->index(0, ImportModel::Major).data().toString(), QStringLiteral("交通"));
        QCOMPARE(m->index(0, ImportModel::Minor).data().toString(), QStringLiteral("打车"));
        QVERIFY(!m->index(2, ImportModel::Status).data().toString().isEmpty());
        QCOMPARE(m->index(2, ImportModel::Tick).data(Qt::CheckStateRole), QVariant());
        QCOMPARE(f.totals(w),
                 QStringLiteral("新记录 2 条：收入 0.00 元，支出 12.60 元；重复 0 条；跳过 1 条"));
        // The category is changed through the grid's pick list of the user's majors.
        auto* grid = w->findChild<QTableView*>(QStringLiteral("importgrid"));
        const QModelIndex major = m->index(1, ImportModel::Major);
        grid->setCurrentIndex(major); // opens the pick list, as a click or a key does
        auto* box = grid->findChild<QComboBox*>();
        QVERIFY(box);
        QVERIFY(box->findText(QStringLiteral("购物")) > 0);
        QCOMPARE(box->findText(QStringLiteral("工资")), -1); // an income major, not offered
        box->setCurrentIndex(box->findText(QStringLiteral("购物")));
        f.button(w, "importok")->click();
    });
    importButton->click();
    QVERIFY(seen);
    QCOMPARE(f.window->dataset()->rowCount(), 2);
    QCOMPARE(f.program.rows(
                 QStringLiteral("select szdl, szxl, money, zffs from mysalary order by adddate")),
             (QList<QStringList>{{"交通", "打车", "12.5", "支付宝"},
                                 {"购物", "<null>", "0.1", "支付宝"}}));

    // The same file again: nothing new, the rest marked 重复.
    f.program.dialogs.chooseFileNext(f.bill);
    whenModalShows<ImportWindow>([&](ImportWindow* w) {
        QCOMPARE(f.totals(w),
                 QStringLiteral("新记录 0 条：收入 0.00 元，支出 0.00 元；重复 2 条；跳过 1 条"));
        QCOMPARE(w->model()->index(0, ImportModel::Status).data().toString(),
                 QStringLiteral("重复"));
        f.button(w, "importok")->click();
    });
    importButton->click();
    QCOMPARE(f.stored(), 2);
}

void TestImportWindow::cancelWritesNothing() {
    Fixture f;
    f.program.dialogs.chooseFileNext(f.bill);
    whenModalShows<ImportWindow>([&](ImportWindow* w) {
        // Unticking changes the totals line; 取消 writes nothing at all.
        w->model()->setData(w->model()->index(0, ImportModel::Tick), Qt::Unchecked,
                            Qt::CheckStateRole);
        QVERIFY(f.totals(w).startsWith(QStringLiteral("新记录 1 条")));
        f.button(w, "importcancel")->click();
    });
    f.window->button(QStringLiteral("importbtn"))->click();
    QCOMPARE(f.stored(), 0);
}

void TestImportWindow::cancelledFileDialog() {
    Fixture f;
    f.program.dialogs.chooseFileNext(std::nullopt);
    f.window->button(QStringLiteral("importbtn"))->click();
    QCOMPARE(f.program.dialogs.asked.size(), 1);
    QVERIFY(f.program.dialogs.shown.isEmpty());
    QCOMPARE(f.stored(), 0);
}

void TestImportWindow::unsavedChangesFirst_data() {
    QTest::addColumn<bool>("save");
    QTest::newRow("save them") << true;
    QTest::newRow("cancel them") << false;
}

void TestImportWindow::unsavedChangesFirst() {
    QFETCH(bool, save);
    Fixture f;
    TableDataset* d = f.window->dataset();
    d->append();
    const auto set = [d](const char* field, const char* text) {
        const int i = d->fieldIndex(QString::fromLatin1(field));
        d->setValue(i, d->convert(i, QString::fromUtf8(text)));
    };
    set("adddate", "2024-02-01");
    set("sz", "收入");
    set("money", "5");
    d->post();
    f.program.dialogs.answerNext(save ? Dialogs::Answer::Yes : Dialogs::Answer::No);
    f.program.dialogs.chooseFileNext(f.bill);
    whenModalShows<ImportWindow>([&](ImportWindow* w) { f.button(w, "importok")->click(); });
    f.window->button(QStringLiteral("importbtn"))->click();
    QVERIFY(f.program.dialogs.shown.first().text.contains(QStringLiteral("未保存")));
    QCOMPARE(f.stored(), save ? 3 : 2);
    QCOMPARE(d->rowCount(), save ? 3 : 2);
}

void TestImportWindow::takeBack_data() {
    QTest::addColumn<bool>("yes");
    QTest::newRow("yes") << true;
    QTest::newRow("no") << false;
}

void TestImportWindow::takeBack() {
    QFETCH(bool, yes);
    Fixture f;
    f.program.exec(QStringLiteral(
        "insert into mysalary (adddate, sz, money) values ('2024-01-01', '收入', 5)"));
    f.program.dialogs.chooseFileNext(f.bill);
    whenModalShows<ImportWindow>([&](ImportWindow* w) { f.button(w, "importok")->click(); });
    f.window->button(QStringLiteral("importbtn"))->click();
    QCOMPARE(f.stored(), 3);
    // The list of earlier imports is in the import window; the question names the count.
    f.program.dialogs.chooseFileNext(f.bill);
    f.program.dialogs.answerNext(yes ? Dialogs::Answer::Yes : Dialogs::Answer::No);
    whenModalShows<ImportWindow>([&](ImportWindow* w) {
        auto* list = w->findChild<QTableWidget*>(QStringLiteral("importlist"));
        QCOMPARE(list->rowCount(), 1);
        QCOMPARE(list->item(0, 0)->text(), QStringLiteral("alipay.csv"));
        QCOMPARE(list->item(0, 2)->text(), QStringLiteral("2"));
        f.button(w, "takebackbtn")->click();
        QCOMPARE(list->rowCount(), yes ? 0 : 1);
        f.button(w, "importcancel")->click();
    });
    f.window->button(QStringLiteral("importbtn"))->click();
    const ScriptedDialogs::Shown question = f.program.dialogs.shown.last();
    QVERIFY2(question.text.contains(QStringLiteral("2 条记录")), qPrintable(question.text));
    QCOMPARE(f.stored(), yes ? 1 : 3);
    QCOMPARE(f.window->dataset()->rowCount(), yes ? 1 : 3);
}

void TestImportWindow::zipPassword() {
    Fixture f;
    // A reader that wants the password "secret", as the zip of a bill does.
    QStringList given;
    f.reader = [&](const QString& path, const bills::PasswordPrompt& prompt,
                   const bills::StatementOptions&) {
        bool again = false;
        for (;;) {
            const std::optional<QString> p = prompt(QStringLiteral("bill.zip"), again);
            if (!p)
                throw bills::ImportCancelled();
            given << *p;
            if (*p == QLatin1String("secret"))
                return readTestBill(path);
            again = true;
        }
    };
    f.program.dialogs.chooseFileNext(f.bill);
    f.program.dialogs.typeNext(QStringLiteral("wrong"));
    f.program.dialogs.typeNext(QStringLiteral("secret"));
    whenModalShows<ImportWindow>([&](ImportWindow* w) { f.button(w, "importok")->click(); });
    f.window->button(QStringLiteral("importbtn"))->click();
    QCOMPARE(given, (QStringList{"wrong", "secret"}));
    QCOMPARE(f.program.dialogs.errors().size(), 1);
    QVERIFY(f.program.dialogs.errors()[0].contains(QStringLiteral("密码不对")));
    QCOMPARE(f.stored(), 2);
    // Cancel at the password: nothing imported, nothing said, no window.
    f.program.dialogs.clear();
    f.program.dialogs.chooseFileNext(f.bill);
    f.program.dialogs.typeNext(std::nullopt);
    f.window->button(QStringLiteral("importbtn"))->click();
    QVERIFY(f.program.dialogs.errors().isEmpty());
    QCOMPARE(f.stored(), 2);
}

void TestImportWindow::possibleDuplicateTickedByUser() {
    Fixture f;
    // The Alipay bill with a payment by card, imported first.
    writeTestBill(f.bill, QStringLiteral("支付宝"),
                  {QStringLiteral("2024-03-10,12:00:00,支出,25.00,日用百货,某超市,牙膏,"
                                  "工商银行储蓄卡(9876),交易成功,t9,,")});
    f.program.dialogs.chooseFileNext(f.bill);
    whenModalShows<ImportWindow>([&](ImportWindow* w) { f.button(w, "importok")->click(); });
    f.window->button(QStringLiteral("importbtn"))->click();
    QCOMPARE(f.stored(), 1);
    // Then the card's statement with the same payment and a salary.
    f.reader = [](const QString&, const bills::PasswordPrompt&, const bills::StatementOptions&) {
        bills::BillFile bank;
        bank.source = bills::Source::Icbc;
        bank.account = QStringLiteral("6222****9876");
        bank.rows << billRow("2024-03-11", "支出", "25.00", "支付宝（中国）网络技术有限公司",
                             "消费", "fp:1", "", "")
                  << billRow("2024-03-12", "收入", "8000.00", "某公司", "工资", "fp:2", "", "");
        return bank;
    };
    f.program.dialogs.chooseFileNext(QStringLiteral("icbc.csv"));
    bool seen = false;
    whenModalShows<ImportWindow>([&](ImportWindow* w) {
        seen = true;
        ImportModel* m = w->model();
        const QModelIndex tick = m->index(0, ImportModel::Tick);
        QCOMPARE(tick.data(Qt::CheckStateRole), QVariant(Qt::Unchecked));
        QVERIFY(m->flags(tick) & Qt::ItemIsUserCheckable);
        QVERIFY2(
            m->index(0, ImportModel::Status)
                .data()
                .toString()
                .startsWith(QStringLiteral("可能重复：已导入 支付宝 2024-03-10 支出 25.00 元")),
            qPrintable(m->index(0, ImportModel::Status).data().toString()));
        QCOMPARE(m->index(1, ImportModel::Tick).data(Qt::CheckStateRole), QVariant(Qt::Checked));
        QCOMPARE(f.totals(w), QStringLiteral("新记录 1 条：收入 8000.00 元，支出 0.00 元；重复 0 "
                                             "条；可能重复 1 条；跳过 0 条"));
        // The user clicks the row's check box.
        auto* grid = w->findChild<QTableView*>(QStringLiteral("importgrid"));
        QStyleOptionViewItem option;
        option.initFrom(grid->viewport());
        option.rect = grid->visualRect(tick);
        option.features |= QStyleOptionViewItem::HasCheckIndicator;
        const QRect box =
            grid->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, grid);
        userinput::click(grid->viewport(), box.center());
        QCOMPARE(tick.data(Qt::CheckStateRole), QVariant(Qt::Checked));
        QCOMPARE(f.totals(w), QStringLiteral("新记录 2 条：收入 8000.00 元，支出 25.00 元；重复 0 "
                                             "条；跳过 0 条"));
        f.button(w, "importok")->click();
    });
    f.window->button(QStringLiteral("importbtn"))->click();
    QVERIFY(seen);
    QCOMPARE(
        f.program.rows(QStringLiteral("select adddate, money from mysalary order by adddate")),
        (QList<QStringList>{{"2024-03-10", "25"}, {"2024-03-11", "25"}, {"2024-03-12", "8000"}}));
}

QTEST_MAIN(TestImportWindow)
#include "tst_importwindow.moc"
