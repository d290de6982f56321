#pragma once

#include <QString>
#include <QStringList>
#include <Qt>
#include <functional>

// The moments at which a pick-list column is asked for its choices.
enum class ChoiceMoment {
    EditorOpened,  // the cell's editor is prepared
    ButtonPressed, // the user pressed the drop-down button
    Typing         // the list dropped down by itself as the user typed
};

// How a grid column shows and edits its value.
enum class ColumnKind { Date, PickList, Amount, YesNo, Text };

// One column of an editing grid, as a window declares it.
struct GridColumn {
    QString title;  // caption in the title row
    QString field;  // column of the table
    int width = 64; // width in pixels; the columns are stretched in these proportions
    ColumnKind kind = ColumnKind::Text;
    QStringList choices = {}; // fixed choices of a pick-list column
    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter;
    // Choices computed for a row at the moment a list is offered (editor prepared or list
    // dropped down); when set, it replaces `choices`.
    std::function<QStringList(int row, ChoiceMoment moment)> choicesFor = {};
    bool readOnly = false; // shown and visited, never edited
};
