#pragma once

#include "import/csvmapping.h"

#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <optional>

// The CSV column mappings the user kept, in the books (table importmapping: name, header,
// mapping as JSON). Every function takes the connection to use; the table is made on the
// first save.
namespace bills {

// The kept mappings, by name.
QList<CsvMapping> loadMappings(const QSqlDatabase& db);
// The mapping kept under `name`.
std::optional<CsvMapping> findMappingByName(const QSqlDatabase& db, const QString& name);
// The mapping kept for files with this header (as headerKey() writes it).
std::optional<CsvMapping> findMappingByHeader(const QSqlDatabase& db, const QString& header);
// Keeps `mapping` under its name, replacing one of that name. AppError when the name is empty
// or the books refuse the change.
void saveMapping(const QSqlDatabase& db, const CsvMapping& mapping);
// Forgets the mapping of that name; false when there was none.
bool removeMapping(const QSqlDatabase& db, const QString& name);

} // namespace bills
