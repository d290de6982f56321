#include "data/bookslocation.h"

#include "data/datasourceentry.h"

BooksLocation BooksLocation::inProgramFolder(const QString& programFolder) {
    return BooksLocation(datasource::databasePathFor(programFolder));
}
