#pragma once

#include "registers/logic/duelist.h"

#include <QDate>
#include <optional>

struct Context;

// The reminder of what falls due, read from the books that the context's data source names.
namespace duenotice {

// What falls due on `today`, with the number of days ahead kept in the books. Throws
// AppError with the data layer's text.
duelist::DueList readDue(const Context& context, const QDate& today);

// What to tell the user now: the day's list when it has not been told yet today and
// something falls due; the day it is told is kept in the books (`duenotice.lasttold`), so a
// second start on the same day tells nothing. Books that cannot keep the day (read-only) tell
// at every start. Throws AppError when the books cannot be read.
std::optional<duelist::DueList> toTellNow(const Context& context);

} // namespace duenotice
