#pragma once

#include <QString>

// Where the books (Salary.mdb) and the list folder txt/ live for one run of the program.
struct DataFolder {
    QString folder;       // holds Salary.mdb and txt/
    QString shippedLists; // installed lists copied into folder/txt at the first start; empty
                          // when the program keeps its data beside itself
};

// A program whose own folder holds txt/ (the build folder, a portable copy) keeps its data
// there. Any other program is an installed one: its data goes to `userDataFolder` and its
// lists come from `installedLists`. The rule looks only at txt/, never at write permission, so
// a program run by a user who may write anywhere (root) still finds the same books.
DataFolder dataFolderFor(const QString& programFolder, const QString& userDataFolder,
                         const QString& installedLists);

// The rule for the running program: the user's data folder is AppDataLocation (for example
// ~/.local/share/Teloq), the installed lists are share/teloq/txt of the installation.
DataFolder dataFolderOfThisProgram();

// Copies the shipped lists into <folder>/txt when that folder has no txt/ yet. The copy is
// made in a temporary folder and renamed into place, so an interrupted start never leaves half
// a set; lists that are already there are never touched. Throws AppError when it fails.
void provideLists(const DataFolder& data);
