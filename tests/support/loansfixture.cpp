#include "support/loansfixture.h"

#include "data/tabledataset.h"
#include "support/userinput.h"
#include "ui/celleditor.h"
#include "ui/datagrid.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

const QString kLoanInsert =
    QStringLiteral("insert into borrow (borrowdate, action, money, listman, flag, memo) values ");
const QString kLent = QStringLiteral("('2026-01-05', '借给别人', 1500, '张伟', 0, '')");
const QString kBorrowed = QStringLiteral("('2026-02-05', '问别人借', 2000, '李娜', 0, '')");

LoansFixture::LoansFixture(const QStringList& rows) {
    for (const QString& r : rows)
        program.exec(kLoanInsert + r);
    window = std::make_unique<LoansWindow>(program.context());
    QVERIFY(userinput::showActive(window.get()));
}

DataGrid* LoansFixture::grid() const {
    return window->grid();
}

TableDataset* LoansFixture::dataset() const {
    return window->dataset();
}

int LoansFixture::field(const char* name) const {
    return dataset()->fieldIndex(QString::fromLatin1(name));
}

void LoansFixture::click(const char* name) {
    userinput::click(window->button(QString::fromLatin1(name)));
}

int LoansFixture::stored() {
    return program.scalar(QStringLiteral("select count(*) from borrow")).toInt();
}

QStringList LoansFixture::panels() const {
    return {window->panelText(0), window->panelText(1), window->panelText(2)};
}

QLineEdit* LoansFixture::cell(int row, const char* name) {
    grid()->setCurrentIndex(grid()->model()->index(row, field(name)));
    grid()->setFocus();
    grid()->openEditor();
    QCoreApplication::processEvents();
    return grid()->currentEditor() ? grid()->currentEditor()->lineEdit() : nullptr;
}

void LoansFixture::type(int row, const char* name, const QString& text) {
    QLineEdit* e = cell(row, name);
    QVERIFY(e);
    e->selectAll();
    userinput::type(text);
}

QString LoansFixture::shown(int row, const char* name) const {
    return grid()->model()->index(row, field(name)).data().toString();
}
