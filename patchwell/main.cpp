// Patchwell: the tray program in front of the update engine.

#include "app.h"
#include "demo.h"
#include "langtext.h"
#include "mainframe.h"
#include "termination.h"
#include "uiservices.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Patchwell"));
    QApplication::setQuitOnLastWindowClosed(false);
    // A box blocks the window it belongs to, never the tray icon: a double click
    // on the icon brings the box forward, and Exit stays in reach.
    setWindowModalDialogs(true);
    int rc = 0;
    {
        CPatchwellApp app;
        // Once the handler that asked has returned. Not quit(): a window may
        // refuse to close (the progress window's close is its Cancel) and the
        // program would run on with no icon; exit() ends every loop.
        QObject::connect(&app, &CPatchwellApp::closing, &application, [] { QCoreApplication::exit(0); },
                         Qt::QueuedConnection);
        // Asked to end by the session or a caller (SIGTERM, SIGINT): a running
        // update is cancelled, then as Exit from the tray menu, so the sheet is
        // cancelled and the engine unregistered.
        TerminationHandler termination(app);
        // Qt's own texts (Yes, No, Cancel in the boxes) in the language of the program's texts.
        QTranslator qtTexts;
        if (pwlang::languageCode(QCoreApplication::applicationDirPath()) != QLatin1String("ENU")
            && qtTexts.load(QLocale::system(), QStringLiteral("qtbase"), QStringLiteral("_"),
                            QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
            QCoreApplication::installTranslator(&qtTexts);
        QStringList arguments = application.arguments().mid(1);
        const DemoOptions demo = takeDemoOptions(arguments);
        if (app.InitInstance(arguments) && !termination.terminated()) {
            startDemoTour(app, demo);
            rc = application.exec();
        }
        app.ExitInstance();
        // What was handed to the event loop for deletion (a closed box, the
        // retired dialogs) goes now that no handler is left on the stack.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return rc;
}
