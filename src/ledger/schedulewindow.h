#pragma once

#include "ui/tablewindow.h"

#include <QSet>
#include <QStringList>

// The recurring entries' grid columns, in their order: when and how often, then the ledger
// row each occurrence brings.
QList<GridColumn> scheduleColumns();

// The window 定期收支: the recurring entries (salary, rent, the phone bill), each with the
// ledger row it brings and how often it falls due. The ledger appends the occurrences due
// when it opens.
class ScheduleWindow : public TableWindow {
    Q_OBJECT
public:
    ScheduleWindow(const Context& context, QWidget* parent = nullptr);

private:
    QStringList majorChoicesFor(int row);
    QStringList minorChoicesFor(int row);
    // A list file's lines; an unreadable file is reported once and offers nothing.
    QStringList readOrReport(const QString& file, const std::function<QList<QByteArray>()>& read);
    QString rowText(int row, const char* field) const;

    QStringList m_paymentChoices;
    QSet<QString> m_reported;
};
