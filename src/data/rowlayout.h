#pragma once

#include <QList>
#include <QVariant>
#include <memory>
#include <optional>
#include <vector>

// The order of the rows a table dataset shows: runs of stored rows, named by their position in
// the store, with single new rows (not stored yet) placed anywhere between them. Knows nothing
// of the database; finding a row costs a binary search over the runs.
class RowLayout {
public:
    // The values of a new row, one per field.
    using NewRow = QList<QVariant>;

    // Where a shown row comes from: a stored position, or a new row.
    struct Place {
        int stored = -1;          // position in the store when newRow is null
        NewRow* newRow = nullptr; // owned by the layout
    };

    // Shows the stored rows 0 .. storedCount-1 in order and nothing else.
    void reset(int storedCount);

    int count() const;
    // The place of shown row `row`, or nothing when there is no such row.
    std::optional<Place> find(int row) const;
    // The place of shown row `row`; throws AppError when there is no such row.
    Place at(int row) const;

    // Shows a new row holding `values` at `row` (0 .. count()); throws AppError past the end.
    void insertNew(int row, NewRow values);
    // Stops showing row `row`; throws AppError when there is no such row.
    void remove(int row);

    bool hasNewRows() const;
    // The new rows, in the order they are shown.
    QList<const NewRow*> newRows() const;
    // How many new rows are shown above row `row`.
    int newRowsBefore(int row) const;

private:
    struct Segment {
        int storedBegin = 0; // stored rows [storedBegin, storedEnd) when newRow is null
        int storedEnd = 0;
        std::shared_ptr<NewRow> newRow;
        int length() const { return newRow ? 1 : storedEnd - storedBegin; }
    };
    struct Located {
        int segment = -1;
        int offset = 0;
    };
    std::optional<Located> locate(int row) const;
    void rebuildStarts() const;

    std::vector<Segment> m_segments;
    mutable std::vector<int> m_starts; // first shown row of each segment
    mutable bool m_startsValid = false;
};
