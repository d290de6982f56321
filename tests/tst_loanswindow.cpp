// The loans window: its columns, its totals and its own uses of the editing operations.
#include "data/tabledataset.h"
#include "registers/loanswindow.h"
#include "support/loansfixture.h"
#include "support/testprogram.h"
#include "support/userinput.h"
#include "ui/celleditor.h"
#include "ui/datagrid.h"
#include "ui/gridmodel.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {} // namespace

class TestLoansWindow : public QObject {
    Q_OBJECT
private slots:
    void totals_data();
    void totals();
    void addTwiceGivesOneRow();
    void addTypeCancelLeavesDatabase();
    void deleteThenCancelRestores();
    void deleteThenSaveRemovesAndOnlyThenTotalsChange();
    void deleteOnNewRowTouchesNoOther();
    void deleteAnsweredNo();
    void deleteOnEmptyDataset();
    void editAndSaveWithoutLeavingRow();
    void closeWithPendingEditsStoresNothing();
    void flagSetAndSavedLeavesTotals();
    void unsavedRowsNotCounted();
    void refusedSaveKeepsEverything();
    void badAmountKeepsRowUnderEdit();
    void badDateShowsConversionError();
    void titlesAndPickList();
};

void TestLoansWindow::totals_data() {
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QStringList>("panels");
    QTest::newRow("empty") << QStringList{} << QStringList{"借出：0元", "欠款：0元", "余额：0元"};
    QTest::newRow("1500 lent, 2000 borrowed")
        << QStringList{kLent, kBorrowed}
        << QStringList{"借出：1500元", "欠款：2000元", "余额：-500元"};
    QTest::newRow("settled not counted")
        << QStringList{kLent, "('2026-01-06', '借给别人', 300, 'x', 1, '')"}
        << QStringList{"借出：1500元", "欠款：0元", "余额：1500元"};
    QTest::newRow("other direction text never counted")
        << QStringList{kLent, "('2026-01-06', '借给', 300, 'x', 0, '')",
                       "('2026-01-06', '借给别人 ', 300, 'x', 0, '')"}
        << QStringList{"借出：1500元", "欠款：0元", "余额：1500元"};
    QTest::newRow("general number format")
        << QStringList{"('2026-01-06', '借给别人', 0.1, 'x', 0, '')",
                       "('2026-01-06', '借给别人', 0.2, 'y', 0, '')",
                       "('2026-01-06', '问别人借', 1000.25, 'z', 0, '')"}
        << QStringList{"借出：0.3元", "欠款：1000.25元", "余额：-999.95元"};
    // The balance is the difference of the sums as shown: 0.1 + 0.2 is 0.3 there, not
    // 0.30000000000000004.
    QTest::newRow("balance of the shown sums")
        << QStringList{"('2026-01-06', '借给别人', 0.1, 'x', 0, '')",
                       "('2026-01-06', '借给别人', 0.2, 'y', 0, '')",
                       "('2026-01-06', '问别人借', 0.3, 'z', 0, '')"}
        << QStringList{"借出：0.3元", "欠款：0.3元", "余额：0元"};
}

void TestLoansWindow::totals() {
    QFETCH(QStringList, rows);
    QFETCH(QStringList, panels);
    LoansFixture f(rows);
    QCOMPARE(f.panels(), panels);
    QVERIFY(f.program.dialogs.errors().isEmpty());
}

void TestLoansWindow::addTwiceGivesOneRow() {
    LoansFixture f({kLent});
    f.click("addszgl");
    f.click("addszgl");
    QCOMPARE(f.dataset()->rowCount(), 2);
    QVERIFY(f.dataset()->isInserting());
    f.click("szsave");
    QCOMPARE(f.stored(), 1);
    QCOMPARE(f.dataset()->rowCount(), 1);
}

void TestLoansWindow::addTypeCancelLeavesDatabase() {
    LoansFixture f({kLent});
    f.click("addszgl");
    f.type(1, "listman", QStringLiteral("王芳"));
    QVERIFY(f.grid()->commitEditor());
    f.click("szcancle");
    QCOMPARE(f.dataset()->rowCount(), 1);
    QCOMPARE(f.stored(), 1);
    QCOMPARE(f.dataset()->value(0, f.dataset()->fieldIndex("listman")).toString(),
             QStringLiteral("张伟"));
}

void TestLoansWindow::deleteThenCancelRestores() {
    LoansFixture f({kLent, kBorrowed});
    f.program.dialogs.answerNext(Dialogs::Answer::Yes);
    f.click("szdel");
    QCOMPARE(f.dataset()->rowCount(), 1);
    const auto box = f.program.dialogs.shown.last();
    QCOMPARE(box.caption, QStringLiteral("提示"));
    QCOMPARE(box.text, QStringLiteral("是否确定要删除此数据?  "));
    QCOMPARE(box.buttons, Dialogs::Buttons::YesNo);
    QCOMPARE(box.icon, Dialogs::Icon::Question);
    QCOMPARE(box.defaultAnswer, Dialogs::Answer::Yes);
    f.click("szcancle");
    QCOMPARE(f.dataset()->rowCount(), 2);
    QCOMPARE(f.dataset()->value(0, f.dataset()->fieldIndex("listman")).toString(),
             QStringLiteral("张伟"));
    QCOMPARE(f.stored(), 2);
}

void TestLoansWindow::deleteThenSaveRemovesAndOnlyThenTotalsChange() {
    LoansFixture f({kLent, kBorrowed});
    f.program.dialogs.answerNext(Dialogs::Answer::Yes);
    f.click("szdel");
    QCOMPARE(f.panels().at(0), QStringLiteral("借出：1500元"));
    f.click("szsave");
    QCOMPARE(f.stored(), 1);
    QCOMPARE(f.panels(), (QStringList{"借出：0元", "欠款：2000元", "余额：-2000元"}));
}

void TestLoansWindow::deleteOnNewRowTouchesNoOther() {
    LoansFixture f({kLent, kBorrowed});
    f.click("addszgl");
    f.type(2, "listman", QStringLiteral("新人"));
    f.program.dialogs.answerNext(Dialogs::Answer::Yes);
    f.click("szdel");
    QCOMPARE(f.dataset()->rowCount(), 2);
    QVERIFY(!f.dataset()->hasPendingChanges());
    QVERIFY(f.program.dialogs.errors().isEmpty());
    f.click("szsave");
    QCOMPARE(f.stored(), 2);
}

void TestLoansWindow::deleteAnsweredNo() {
    LoansFixture f({kLent});
    f.program.dialogs.answerNext(Dialogs::Answer::No);
    f.click("szdel");
    QCOMPARE(f.dataset()->rowCount(), 1);
    QVERIFY(!f.dataset()->hasPendingChanges());
}

void TestLoansWindow::deleteOnEmptyDataset() {
    LoansFixture f;
    f.program.dialogs.answerNext(Dialogs::Answer::Yes);
    f.click("szdel");
    QCOMPARE(f.program.dialogs.errors(),
             QStringList{"Cannot perform this operation on an empty dataset."});
    QCOMPARE(f.dataset()->rowCount(), 0);
}

void TestLoansWindow::editAndSaveWithoutLeavingRow() {
    LoansFixture f({kLent});
    f.type(0, "money", QStringLiteral("1800"));
    f.click("szsave");
    QCOMPARE(f.program.scalar("select money from borrow").toDouble(), 1800.0);
    QCOMPARE(f.panels().at(0), QStringLiteral("借出：1800元"));
}

void TestLoansWindow::closeWithPendingEditsStoresNothing() {
    LoansFixture f({kLent});
    f.type(0, "listman", QStringLiteral("改名"));
    QVERIFY(f.grid()->commitEditor());
    f.click("addszgl");
    const int boxes = f.program.dialogs.shown.size();
    f.click("cmdclose");
    QVERIFY(!f.window->isVisible());
    QCOMPARE(f.program.dialogs.shown.size(), boxes);
    QCOMPARE(f.program.scalar("select listman from borrow").toString(), QStringLiteral("张伟"));
    QCOMPARE(f.stored(), 1);
}

void TestLoansWindow::flagSetAndSavedLeavesTotals() {
    LoansFixture f({kLent, kBorrowed});
    const int flag = f.dataset()->fieldIndex("flag");
    QModelIndex cell = f.grid()->model()->index(0, flag);
    QVERIFY(f.grid()->model()->setData(cell, Qt::Checked, Qt::CheckStateRole));
    QCOMPARE(f.panels().at(0), QStringLiteral("借出：1500元"));
    f.click("szsave");
    QCOMPARE(f.panels(), (QStringList{"借出：0元", "欠款：2000元", "余额：-2000元"}));
    cell = f.grid()->model()->index(0, flag);
    QVERIFY(f.grid()->model()->setData(cell, Qt::Unchecked, Qt::CheckStateRole));
    f.click("szsave");
    QCOMPARE(f.panels().at(0), QStringLiteral("借出：1500元"));
}

void TestLoansWindow::unsavedRowsNotCounted() {
    LoansFixture f;
    f.click("addszgl");
    f.type(0, "action", QStringLiteral("借给别人"));
    QVERIFY(f.grid()->commitEditor());
    f.type(0, "money", QStringLiteral("250"));
    QVERIFY(f.grid()->commitEditor());
    QCOMPARE(f.panels().at(0), QStringLiteral("借出：0元"));
    f.click("szsave");
    QCOMPARE(f.panels().at(0), QStringLiteral("借出：250元"));
    // The flag of a row that never touched it is stored as false, never NULL.
    QCOMPARE(f.program.scalar("select count(*) from borrow where flag = 0").toInt(), 1);
}

void TestLoansWindow::refusedSaveKeepsEverything() {
    LoansFixture f({kLent, kBorrowed});
    f.program.exec("create trigger refuse before insert on borrow when new.memo = 'bad' "
                   "begin select raise(abort, 'refused by the books'); end");
    f.type(0, "listman", QStringLiteral("改名"));
    QVERIFY(f.grid()->commitEditor());
    f.click("addszgl");
    f.type(2, "memo", QStringLiteral("bad"));
    f.click("szsave");
    QCOMPARE(f.program.dialogs.errors().size(), 1);
    QVERIFY(f.program.dialogs.errors().first().startsWith(QStringLiteral("refused by the books")));
    QCOMPARE(f.program.scalar("select listman from borrow order by id").toString(),
             QStringLiteral("张伟"));
    QCOMPARE(f.stored(), 2);
    QCOMPARE(f.dataset()->rowCount(), 3);
    QCOMPARE(f.dataset()->rowState(0), TableDataset::RowState::Changed);
    QCOMPARE(f.dataset()->rowState(2), TableDataset::RowState::New);
    // Mend the row and save again: every edit arrives.
    f.type(2, "memo", QStringLiteral("good"));
    f.click("szsave");
    QCOMPARE(f.stored(), 3);
    QCOMPARE(f.program.scalar("select listman from borrow order by id").toString(),
             QStringLiteral("改名"));
    QCOMPARE(f.program.scalar("select memo from borrow order by id desc").toString(),
             QStringLiteral("good"));
}

void TestLoansWindow::badAmountKeepsRowUnderEdit() {
    LoansFixture f({kLent});
    f.type(0, "money", QStringLiteral("12x"));
    userinput::key(Qt::Key_Tab);
    QCOMPARE(f.program.dialogs.errors(), QStringList{"'12x' is not a valid floating point value."});
    QVERIFY(f.grid()->currentEditor());
    QCOMPARE(f.grid()->currentEditor()->text(), QStringLiteral("12x"));
    QCOMPARE(f.grid()->currentIndex().column(), f.dataset()->fieldIndex("money"));
    f.click("szsave");
    QCOMPARE(f.program.scalar("select money from borrow").toDouble(), 1500.0);
}

void TestLoansWindow::badDateShowsConversionError() {
    LoansFixture f({kLent});
    f.type(0, "hopedate", QStringLiteral("2026-02-30"));
    QVERIFY(!f.grid()->commitEditor());
    QCOMPARE(f.program.dialogs.errors(), QStringList{"'2026-02-30' is not a valid date."});
    QCOMPARE(f.grid()->currentEditor()->text(), QStringLiteral("2026-02-30"));
}

void TestLoansWindow::titlesAndPickList() {
    LoansFixture f({kLent});
    QCOMPARE(f.window->windowTitle(), QStringLiteral("借贷管理"));
    const QStringList titles{"借贷日期",   "借贷行为",     "金额", "人员",
                             "预还款日期", "实际还款日期", "标志", "备注"};
    QStringList shown;
    auto* h = f.grid()->horizontalHeader();
    for (int vis = 0; vis < h->count(); ++vis) {
        const int logical = h->logicalIndex(vis);
        if (!f.grid()->isColumnHidden(logical))
            shown << f.grid()->model()->headerData(logical, Qt::Horizontal).toString();
    }
    QCOMPARE(shown, titles);
    QCOMPARE(f.grid()->model()->index(0, f.dataset()->fieldIndex("money")).data().toString(),
             QStringLiteral("￥1,500"));
    f.cell(0, "action");
    CellEditor* editor = f.grid()->currentEditor();
    QVERIFY(editor);
    QCOMPARE(editor->offeredChoices(), (QStringList{"借给别人", "问别人借"}));
    // Text not on the list is stored as typed.
    f.type(0, "action", QStringLiteral("还款"));
    f.click("szsave");
    QCOMPARE(f.program.scalar("select action from borrow").toString(), QStringLiteral("还款"));
}

QTEST_MAIN(TestLoansWindow)
#include "tst_loanswindow.moc"
