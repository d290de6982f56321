#pragma once

#include "actions.h"

namespace bench {

// The import of a bill of 10 000 rows: its preview against the books, and writing it.
QList<Action> importActions(const BooksFacts& facts);

} // namespace bench
