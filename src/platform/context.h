#pragma once

#include <QString>

class Dialogs;
class Clock;

// What every window needs from outside: where the program lives, where the data source entry
// is, how to ask the user, and what time it is. Built once in main (or by a test fixture).
struct Context {
    // The folder that holds txt/ and Salary.mdb: the executable's own folder when it holds
    // txt/, else (an installed program) the user's data folder.
    QString programFolder;
    QString odbcIniPath; // the user's ODBC ini file that holds the data source entry
    Dialogs& dialogs;
    const Clock& clock;
};
