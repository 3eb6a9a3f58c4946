// Program entry: one Portdeck per machine, then the main window and the
// small windows, and the message loop.

#include "commandline.h"
#include "containerframe.h"
#include "demo.h"
#include "portdeckdictionary.h"
#include "singleinstance.h"
#include "startup.h"
#include "uiservices.h"

#include <QApplication>
#include <exception>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Portdeck"));
    PortdeckDictionary dictionary;

    if (anotherPortdeckRunning(&dictionary))
        return 0;
    NamedMutex mutex(QStringLiteral("Portdeck.exe"));
    if (!mutex.create() && anotherPortdeckRunning(&dictionary))
        return 0;   // started at the same moment as another copy

    try {
        QStringList args = QApplication::arguments();
        args.removeFirst();
        TcontainerFrame frame(args, &dictionary);
        frame.releaseMutex = [&mutex] { mutex.release(); };
        frame.createDialogs();
        installDemoHooks(frame);
        frame.show();
        app.exec();
    } catch (const std::exception &e) {
        // The framework's standard exception message; then the program ends.
        ui().messageBox(nullptr, QString::fromLocal8Bit(e.what()), QStringLiteral("Portdeck"), MB_OK, MB_ICONERROR);
    }
    mutex.release();
    return 0;
}
