// A grid that is being destroyed runs none of its slots: the focus moves that the deletion of
// its editor causes must not reach it.
#include "data/tabledataset.h"
#include "support/testprogram.h"
#include "ui/celleditor.h"
#include "ui/datagrid.h"

#include <QApplication>
#include <QTest>
#include <QVBoxLayout>

namespace {

QList<GridColumn> loanColumns() {
    return {{QStringLiteral("人员"), QStringLiteral("listman"), 60, ColumnKind::Text},
            {QStringLiteral("金额"), QStringLiteral("money"), 60, ColumnKind::Amount}};
}

} // namespace

class TestGridLifetime : public QObject {
    Q_OBJECT
private slots:
    void focusMovesDuringDestructionDoNotReachTheGrid();
    void windowClosedWhileEditorHasFocus();
};

void TestGridLifetime::focusMovesDuringDestructionDoNotReachTheGrid() {
    TestProgram tp;
    TableDataset ds(tp.books(), QStringLiteral("borrow"), TableDataset::Mode::Cached);
    ds.open();
    QWidget elsewhere;
    auto* window = new QWidget;
    auto* grid = new DataGrid(&ds, loanColumns(), tp.dialogs, window);
    // An untouched new row: focus leaving a live grid would drop it.
    ds.append();
    QVERIFY(ds.isInserting());
    // While the grid's children go (its editor among them), focus moves from the grid to
    // another widget, as it does when a window closes with an editor open.
    auto* child = new QObject(grid);
    connect(child, &QObject::destroyed, &elsewhere,
            [&] { emit qApp->focusChanged(grid, &elsewhere); });

    delete window;

    QVERIFY2(ds.isInserting(), "a slot of the grid ran while it was being destroyed");
}

void TestGridLifetime::windowClosedWhileEditorHasFocus() {
    TestProgram tp;
    TableDataset ds(tp.books(), QStringLiteral("borrow"), TableDataset::Mode::Cached);
    ds.open();
    QWidget main;
    main.show();
    auto* window = new QWidget;
    auto* layout = new QVBoxLayout(window);
    auto* grid = new DataGrid(&ds, loanColumns(), tp.dialogs, window);
    layout->addWidget(grid);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    window->activateWindow();
    grid->setFocus();
    ds.append();
    grid->openEditor();
    QVERIFY(grid->currentEditor());
    grid->currentEditor()->setFocus();
    QTRY_VERIFY(grid->currentEditor()->hasFocus() ||
                grid->currentEditor()->isAncestorOf(QApplication::focusWidget()));

    window->close();
    delete window;
    QApplication::processEvents();

    // The dataset outlives the window and is still whole.
    QCOMPARE(ds.rowCount(), ds.isInserting() ? 1 : 0);
}

QTEST_MAIN(TestGridLifetime)
#include "tst_gridlifetime.moc"
