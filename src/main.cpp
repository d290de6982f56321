#include "app/datafolder.h"
#include "app/desktopnotice.h"
#include "app/mainwindow.h"
#include "app/startup.h"
#include "app/windowfactories.h"
#include "data/datasourceentry.h"
#include "platform/clock.h"
#include "platform/context.h"
#include "platform/singleinstance.h"
#include "platform/widgets/look.h"
#include "platform/widgets/qtdialogs.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(kApplicationTitle));
    applyProgramLook();

    QtDialogs dialogs;
    SystemClock clock;
    // Beside the program for a portable copy, else in the user's data folder.
    const DataFolder data = dataFolderOfThisProgram();
    // The books are resolved here, once; every connection of this run opens them.
    const Context context{data.folder, BooksLocation::inProgramFolder(data.folder),
                          datasource::odbcIniPath(), dialogs, clock};

    SingleInstance instance(SingleInstance::keyFor(QString::fromLatin1(kApplicationTitle)));
    if (instance.anotherIsRunning()) {
        // The running instance comes to the front; this one only re-points the data source.
        registerDataSource(context);
        return 0;
    }

    // The window shows at once; the check of the books runs meanwhile on a worker thread.
    Startup startup(context, data.shippedLists);
    startup.begin();
    MainWindow bank(context, startup, programWindows(context));
    bank.setDesktopNotifier(notifyDesktop);
    QObject::connect(&instance, &SingleInstance::raiseRequested, &bank,
                     &MainWindow::restoreAndRaise);
    bank.show();
    return app.exec();
}
