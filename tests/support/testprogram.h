#pragma once

#include "platform/clock.h"
#include "platform/context.h"
#include "support/scripteddialogs.h"

#include <QSqlDatabase>
#include <QTemporaryDir>
#include <memory>

// A complete program folder in a temporary directory for one test: the shipped list files,
// a fresh database, the data source entry in a private ODBC ini file, scripted dialogs and a
// clock fixed at 2026-12-09 10:00.
class TestProgram {
public:
    // `withDatabase` false leaves the database to be created by start-up.
    explicit TestProgram(bool withDatabase = true);
    ~TestProgram();

    QString folder() const { return m_programFolder; }
    QString databasePath() const;
    QString odbcIniPath() const { return m_iniPath; }
    BooksLocation books() const { return BooksLocation(databasePath()); }
    QString listFolder() const { return m_programFolder + QStringLiteral("/txt"); }

    ScriptedDialogs dialogs;
    FixedClock clock;
    const Context& context() const { return *m_context; }

    // Runs a statement on a separate connection of its own (as another reader would); fails
    // the test when it fails.
    void exec(const QString& sql);
    // First value of a statement on a separate connection.
    QVariant scalar(const QString& sql);
    // Whole result of a statement, one string list per row, NULL as "<null>".
    QList<QStringList> rows(const QString& sql);
    // Closes the separate connection (until the next statement), so that no connection of
    // the test holds the books open.
    void closeObserver();

private:
    QSqlDatabase observer();

    QTemporaryDir m_dir;
    QString m_programFolder;
    QString m_iniPath;
    QString m_observer;
    std::unique_ptr<Context> m_context;
};
