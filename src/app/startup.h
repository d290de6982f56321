#pragma once

#include <QString>
#include <optional>

struct Context;

// The start-up steps after the single-instance test: give an installed program its lists
// (copied from `shippedLists` at the first start), write the data source entry naming the
// context's books (for other tools; the program itself opens context.books), check the books
// and back them up, create the database on a first start, read the stored password and set
// the short date format. Returns the stored password, or nothing when it could not be read or
// the books are damaged; then every window stays locked for this run (errors have been shown
// through the context's dialogs).
std::optional<QString> runStartup(const Context& context, const QString& shippedLists = {});

// Only writes the data source entry, naming the context's books: what a second instance does
// before it ends. A running instance is not affected: its connections open the books it
// resolved at its own start.
void registerDataSource(const Context& context);

// The password test: the entered text must be the stored password exactly, verified through
// its hash when the books keep one (a costly check: make it once per entry). An unreadable
// stored password lets nobody in.
bool passwordPasses(const std::optional<QString>& stored, const QString& entered);
