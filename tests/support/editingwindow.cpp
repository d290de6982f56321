#include "support/editingwindow.h"

#include "data/tabledataset.h"
#include "support/userinput.h"
#include "ui/celleditor.h"
#include "ui/datagrid.h"
#include "ui/tablewindow.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

EditingWindowDriver::EditingWindowDriver(TableWindow& window) : m_window(window) {}

DataGrid* EditingWindowDriver::grid() const {
    return m_window.grid();
}

TableDataset* EditingWindowDriver::dataset() const {
    return m_window.dataset();
}

int EditingWindowDriver::field(const QString& name) const {
    return dataset()->fieldIndex(name);
}

void EditingWindowDriver::show() {
    QVERIFY(userinput::showActive(&m_window));
}

void EditingWindowDriver::press(const QString& caption) {
    for (QPushButton* b : m_window.findChildren<QPushButton*>())
        if (b->text() == caption) {
            userinput::click(b);
            return;
        }
    QFAIL(qPrintable(QStringLiteral("no button %1").arg(caption)));
}

QLineEdit* EditingWindowDriver::cell(int row, const QString& name) {
    grid()->setCurrentIndex(grid()->model()->index(row, field(name)));
    grid()->setFocus();
    grid()->openEditor();
    QCoreApplication::processEvents();
    return grid()->currentEditor() ? grid()->currentEditor()->lineEdit() : nullptr;
}

void EditingWindowDriver::type(int row, const QString& name, const QString& text) {
    QLineEdit* e = cell(row, name);
    QVERIFY(e);
    e->selectAll();
    userinput::key(Qt::Key_Delete);
    userinput::type(text);
}

bool EditingWindowDriver::enter(int row, const QString& name, const QString& text) {
    type(row, name, text);
    return grid()->commitEditor();
}

QString EditingWindowDriver::value(int row, const QString& name) const {
    return dataset()->value(row, field(name)).toString();
}

QStringList EditingWindowDriver::totals() const {
    return {m_window.panelText(0), m_window.panelText(1), m_window.panelText(2)};
}
