#pragma once

#include "ui/tablewindow.h"

#include <QSet>
#include <QStringList>
#include <functional>
#include <memory>

// The ledger window: income and expenditure entries, with the categories of each row's
// direction offered from the list files, striped rows, and the query and charts windows.
class Tfmszgl : public TableWindow {
    Q_OBJECT
public:
    using WindowFactory = std::function<std::unique_ptr<QDialog>(QWidget* parent)>;

    Tfmszgl(const Context& context, WindowFactory queryWindow, WindowFactory chartWindow,
            QWidget* parent = nullptr);

    void sz_queryClick();
    void szchartClick();

    // The choices each list column holds now.
    const QStringList& majorChoices() const { return m_majorChoices; }
    const QStringList& minorChoices() const { return m_minorChoices; }
    const QStringList& paymentChoices() const { return m_paymentChoices; }
    // The values entered into 大类, most recent first.
    const QStringList& recentMajors() const { return m_recentMajors; }

    // The row background: light grey for even record numbers, white otherwise (all white
    // while a new row is entered).
    QColor rowColor(int row) const;

private:
    QStringList majorChoicesFor(int row, ChoiceMoment moment);
    QStringList minorChoicesFor(int row, ChoiceMoment moment);
    void readMajors(const QString& direction);
    void readMinors(const QString& direction, const QString& major);
    void onValueEntered(int row, int field, const QVariant& value);
    void reportOnce(const QString& file, const QString& error);
    QString rowText(int row, const char* field) const;
    void openWindow(const WindowFactory& factory);

    WindowFactory m_queryWindow;
    WindowFactory m_chartWindow;
    QStringList m_majorChoices;
    QStringList m_minorChoices;
    QStringList m_paymentChoices;
    QStringList m_recentMajors;
    QSet<QString> m_reported;
};
