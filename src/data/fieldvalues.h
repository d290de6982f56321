#pragma once

#include "data/schema.h"

#include <QString>
#include <QVariant>

// How the values of a table's fields look in memory, in statements and as typed text.
namespace fieldvalues {

// A value read from the store (or NULL) as the dataset holds it: dates and texts as text,
// amounts and numbers as double, whole numbers as qlonglong, yes/no as bool (NULL is false).
// Text that is not a number is kept as it is in a number field.
QVariant normalised(schema::Kind kind, const QVariant& value);

// A held value as a statement binds it: yes/no as 1 or 0, everything else unchanged.
QVariant bound(schema::Kind kind, const QVariant& value);

// Typed text as a value of `kind`; throws AppError with the conversion error when it does not
// convert. Empty text gives NULL (false for yes/no); text fields take the text untrimmed.
QVariant fromText(schema::Kind kind, const QString& text);

} // namespace fieldvalues
