#pragma once

#include "data/bookslocation.h"

#include <QString>

class Dialogs;
class Clock;

// What every window needs from outside: where the program lives, where its books are, where
// the data source entry is, how to ask the user, and what time it is. Built once in main (or
// by a test fixture).
struct Context {
    // The folder that holds txt/ and Salary.mdb: the executable's own folder when it holds
    // txt/, else (an installed program) the user's data folder.
    QString programFolder;
    // The books every connection of this run opens, resolved once from programFolder.
    BooksLocation books;
    // The user's ODBC ini file that holds the data source entry: written at start-up for
    // other tools, never read back by the program.
    QString odbcIniPath;
    Dialogs& dialogs;
    const Clock& clock;
};
