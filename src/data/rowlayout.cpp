#include "data/rowlayout.h"

#include "platform/apperror.h"

#include <algorithm>

namespace {

[[noreturn]] void noSuchRow(int row) {
    throw AppError(QStringLiteral("Row %1 does not exist").arg(row));
}

} // namespace

void RowLayout::reset(int storedCount) {
    m_segments.clear();
    if (storedCount > 0)
        m_segments.push_back(Segment{0, storedCount, nullptr});
    m_startsValid = false;
}

void RowLayout::rebuildStarts() const {
    if (m_startsValid)
        return;
    m_starts.resize(m_segments.size());
    int start = 0;
    for (size_t i = 0; i < m_segments.size(); ++i) {
        m_starts[i] = start;
        start += m_segments[i].length();
    }
    m_startsValid = true;
}

int RowLayout::count() const {
    if (m_segments.empty())
        return 0;
    rebuildStarts();
    return m_starts.back() + m_segments.back().length();
}

std::optional<RowLayout::Located> RowLayout::locate(int row) const {
    if (row < 0 || m_segments.empty())
        return std::nullopt;
    rebuildStarts();
    auto it = std::upper_bound(m_starts.begin(), m_starts.end(), row);
    const int seg = int(it - m_starts.begin()) - 1;
    if (seg < 0)
        return std::nullopt;
    const int offset = row - m_starts[seg];
    if (offset >= m_segments[seg].length())
        return std::nullopt;
    return Located{seg, offset};
}

std::optional<RowLayout::Place> RowLayout::find(int row) const {
    const auto at = locate(row);
    if (!at)
        return std::nullopt;
    const Segment& s = m_segments[at->segment];
    if (s.newRow)
        return Place{-1, s.newRow.get()};
    return Place{s.storedBegin + at->offset, nullptr};
}

RowLayout::Place RowLayout::at(int row) const {
    const auto place = find(row);
    if (!place)
        noSuchRow(row);
    return *place;
}

void RowLayout::insertNew(int row, NewRow values) {
    const int n = count();
    if (row < 0 || row > n)
        noSuchRow(row);
    Segment fresh{0, 0, std::make_shared<NewRow>(std::move(values))};
    if (row == n) {
        m_segments.push_back(std::move(fresh));
    } else {
        const Located at = *locate(row);
        Segment& s = m_segments[at.segment];
        if (at.offset == 0) {
            m_segments.insert(m_segments.begin() + at.segment, std::move(fresh));
        } else {
            // Split the run of stored rows around the new row.
            Segment tail{s.storedBegin + at.offset, s.storedEnd, nullptr};
            s.storedEnd = s.storedBegin + at.offset;
            m_segments.insert(m_segments.begin() + at.segment + 1, {std::move(fresh), tail});
        }
    }
    m_startsValid = false;
}

void RowLayout::remove(int row) {
    const auto at = locate(row);
    if (!at)
        noSuchRow(row);
    Segment& s = m_segments[at->segment];
    if (s.newRow || s.length() == 1) {
        m_segments.erase(m_segments.begin() + at->segment);
    } else if (at->offset == 0) {
        ++s.storedBegin;
    } else if (at->offset == s.length() - 1) {
        --s.storedEnd;
    } else {
        Segment tail{s.storedBegin + at->offset + 1, s.storedEnd, nullptr};
        s.storedEnd = s.storedBegin + at->offset;
        m_segments.insert(m_segments.begin() + at->segment + 1, tail);
    }
    m_startsValid = false;
}

bool RowLayout::hasNewRows() const {
    return std::any_of(m_segments.begin(), m_segments.end(),
                       [](const Segment& s) { return s.newRow != nullptr; });
}

QList<const RowLayout::NewRow*> RowLayout::newRows() const {
    QList<const NewRow*> out;
    for (const Segment& s : m_segments)
        if (s.newRow)
            out.append(s.newRow.get());
    return out;
}

int RowLayout::newRowsBefore(int row) const {
    const auto at = locate(row);
    const int end = at ? at->segment : int(m_segments.size());
    return int(std::count_if(m_segments.begin(), m_segments.begin() + end,
                             [](const Segment& s) { return s.newRow != nullptr; }));
}
