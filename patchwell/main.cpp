// Patchwell: the tray program in front of the update engine.

#include "app.h"
#include "demo.h"
#include "langtext.h"
#include "mainframe.h"
#include "uiservices.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <QSocketNotifier>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int signalPipe[2] = {-1, -1};

void onTerminate(int)
{
    const char c = 1;
    [[maybe_unused]] const auto n = ::write(signalPipe[0], &c, 1);
}

} // namespace

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
        bool terminated = false;
        std::unique_ptr<QSocketNotifier> notifier;
        if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) == 0) {
            notifier = std::make_unique<QSocketNotifier>(signalPipe[1], QSocketNotifier::Read);
            QObject::connect(notifier.get(), &QSocketNotifier::activated, &app, [&app, &terminated] {
                char c;
                [[maybe_unused]] const auto n = ::read(signalPipe[1], &c, 1);
                terminated = true;
                app.Terminate();
                // A box still up (one of the start's, before the main loop runs)
                // would hold the program: closed, its caller goes on, sees the
                // program ending and stops.
                while (QWidget *box = QApplication::activeModalWidget()) {
                    if (!box->close())
                        break;
                }
            });
            struct sigaction sa = {};
            sa.sa_handler = onTerminate;
            sigemptyset(&sa.sa_mask);
            sa.sa_flags = SA_RESTART;
            sigaction(SIGTERM, &sa, nullptr);
            sigaction(SIGINT, &sa, nullptr);
        }
        // Qt's own texts (Yes, No, Cancel in the boxes) in the language of the program's texts.
        QTranslator qtTexts;
        if (pwlang::languageCode(QCoreApplication::applicationDirPath()) != QLatin1String("ENU")
            && qtTexts.load(QLocale::system(), QStringLiteral("qtbase"), QStringLiteral("_"),
                            QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
            QCoreApplication::installTranslator(&qtTexts);
        QStringList arguments = application.arguments().mid(1);
        const DemoOptions demo = takeDemoOptions(arguments);
        if (app.InitInstance(arguments) && !terminated) {
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
