#pragma once

#include <QAbstractTableModel>
#include <QList>
#include <QPointer>
#include <QSqlQueryModel>

// The rows of a query as a read-only grid shows them: a fixed list of columns, each bound to
// a field of the query by name, with its title and its display format. The columns and their
// titles stay while the query is closed; rows are fetched from the query as the grid scrolls.
class QueryGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum class Display { Text, Date, Amount };
    struct Column {
        QString title;
        QString field;
        Display display = Display::Text;
        Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter;
    };

    QueryGridModel(QList<Column> columns, QSqlQueryModel* source, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

    const QList<Column>& columns() const { return m_columns; }

    // A stored value as a column of `display` shows it.
    static QString displayText(const QVariant& value, Display display);

private:
    void bindFields();

    QList<Column> m_columns;
    QList<int> m_sourceColumns; // field position in the query per column, -1 when absent
    QPointer<QSqlQueryModel> m_source;
};
