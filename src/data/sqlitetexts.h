#pragma once

#include <QString>

// The English texts of SQLite that a user meets most (a locked, full or unreadable file) get a
// Chinese sentence in front that says what happened and what to do; the data layer's own text
// follows it unchanged, so it can still be looked up.
namespace sqlitetexts {

// `text` with the Chinese sentence in front when it holds one of those texts; otherwise (and
// when the sentence is there already) `text` itself.
QString explained(const QString& text);

} // namespace sqlitetexts
