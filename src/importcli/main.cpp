// teloq-import: imports bill files into the books the program would open (or --books FILE).
#include "app/datafolder.h"
#include "data/datasourceentry.h"
#include "import/importcommand.h"
#include "import/readbill.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTextStream>
#include <cstdio>
#include <termios.h>
#include <unistd.h>

namespace {

// The folder of the program's data as teloq finds it: teloq-import lives in bin/ beside or
// below the program folder of a build, or among the installed programs.
QString programDataFolder() {
    const QString here = QCoreApplication::applicationDirPath();
    const QDir parent(here + QStringLiteral("/.."));
    if (!QFileInfo(here + QStringLiteral("/txt")).isDir() &&
        QFileInfo(parent.filePath(QStringLiteral("txt"))).isDir())
        return QDir::cleanPath(parent.absolutePath());
    return dataFolderOfThisProgram().folder;
}

// Asks for a zip's password on the terminal without echoing it; nothing when stdin is no
// terminal or the user ends the input.
std::optional<QString> askOnTerminal(const QString& file, bool again) {
    if (!::isatty(STDIN_FILENO))
        return std::nullopt;
    QTextStream err(stderr);
    err << (again ? QStringLiteral("密码不对，请重新输入 %1 的密码：")
                  : QStringLiteral("请输入 %1 的密码："))
               .arg(file);
    err.flush();
    termios old{};
    const bool quiet = ::tcgetattr(STDIN_FILENO, &old) == 0;
    if (quiet) {
        termios silent = old;
        silent.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &silent);
    }
    QTextStream in(stdin);
    QString line;
    const bool ok = in.readLineInto(&line);
    if (quiet)
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &old);
    err << '\n';
    err.flush();
    if (!ok)
        return std::nullopt;
    return line;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Teloq"));
    QTextStream out(stdout);
    QTextStream err(stderr);
    const QString folder = programDataFolder();
    importcommand::Environment env{out,
                                   err,
                                   [](const QString& path, const bills::PasswordPrompt& prompt,
                                      const bills::StatementOptions& options) {
                                       return bills::readBillFile(path, prompt, options);
                                   },
                                   askOnTerminal,
                                   datasource::databasePathFor(folder),
                                   folder,
                                   QDateTime::currentDateTime()};
    return importcommand::run(app.arguments().mid(1), env);
}
