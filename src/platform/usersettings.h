#pragma once

#include <QString>

// The short date format of the program: every date conversion reads and writes it.
inline constexpr const char* kShortDateFormat = "yyyy-MM-dd";

// Writes the short date format into the program's own user settings (done at every start).
// Returns false when the settings could not be written.
bool writeShortDateFormat();
