// Patchwell: the tray program in front of the update engine.

#include "app.h"
#include "demo.h"
#include "langtext.h"
#include "mainframe.h"

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
    int rc = 0;
    {
        CPatchwellApp app;
        // Asked to end by the session or a caller (SIGTERM, SIGINT): as Exit from
        // the tray menu, so the sheet is cancelled and the engine unregistered.
        bool terminated = false;
        std::unique_ptr<QSocketNotifier> notifier;
        if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) == 0) {
            notifier = std::make_unique<QSocketNotifier>(signalPipe[1], QSocketNotifier::Read);
            QObject::connect(notifier.get(), &QSocketNotifier::activated, &app, [&app, &terminated] {
                char c;
                [[maybe_unused]] const auto n = ::read(signalPipe[1], &c, 1);
                terminated = true;
                // A box still up (one of the start's, before the main loop runs)
                // would hold the program: closed, its caller goes on and sees the end.
                while (QWidget *box = QApplication::activeModalWidget()) {
                    if (!box->close())
                        break;
                }
                if (app.mainFrame())
                    app.mainFrame()->OnExit();
                else
                    app.Close();
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
    }
    return rc;
}
