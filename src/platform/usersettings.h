#pragma once

#include <QString>

// The short date format of the program: every date conversion reads and writes it.
inline constexpr const char* kShortDateFormat = "yyyy-MM-dd";

// Writes the short date format into the program's own user settings (done at every start),
// a file that is owner-only (0600) whatever the umask. Returns false when the settings could
// not be written, or when something other than a regular file stands in the file's place.
bool writeShortDateFormat();

// The short date format as stored in the user settings (empty when never written).
QString storedShortDateFormat();
