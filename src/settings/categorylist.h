#pragma once

#include <QListWidget>

// A list of the category editor: one entry selected at a time, in the order given, never
// edited in place. It also tells when the user clicks the entry that is already selected,
// which the page treats as choosing that entry again.
class CategoryList : public QListWidget {
    Q_OBJECT
public:
    CategoryList(const QString& objectName, const QString& accessibleName,
                 QWidget* parent = nullptr);

    // The selected row, -1 when none.
    int selectedRow() const;
    // Shows `texts` with row `row` selected (-1: none), without signals. A list that already
    // shows these texts is left as it is, so its scroll position survives.
    void showEntries(const QStringList& texts, int row);

signals:
    // A click on the entry that was selected before, ending on that entry.
    void reselected();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool m_pressedOnSelected = false;
};
