#pragma once

#include <QString>

class Dialogs;
class Clock;

// What every window needs from outside: where the program lives, where the data source entry
// is, how to ask the user, and what time it is. Built once in main (or by a test fixture).
struct Context {
    QString programFolder; // the folder of the executable; holds txt/ and Salary.mdb
    QString odbcIniPath;   // the user's ODBC ini file that holds the data source entry
    Dialogs& dialogs;
    const Clock& clock;
};
