#include "demo.h"

#include "containerframe.h"
#include "widgets.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTimer>

namespace {

void save(TcontainerFrame &frame, const QString &dir, const QString &file)
{
    frame.grab().save(dir + QLatin1Char('/') + file);
}

} // namespace

void installDemoHooks(TcontainerFrame &frame)
{
    QString dir = frame.options.screenshotDir;
    if (dir.isEmpty())
        dir = qEnvironmentVariable("TALLYLINE_SCREENSHOT_DIR");
    if (dir.isEmpty())
        return;
    QDir().mkpath(dir);
    auto finished = std::make_shared<bool>(false);
    frame.milestone = [&frame, dir, finished](const QString &what) {
        if (*finished)
            return;
        if (what == QLatin1String("detection")) {
            QTimer::singleShot(300, &frame, [&frame, dir, finished] {
                save(frame, dir, QStringLiteral("device-list.png"));
                QFile report(dir + QStringLiteral("/detected.txt"));
                if (report.open(QIODevice::WriteOnly | QIODevice::Text)) {
                    report.write(frame.statusInfoStatic->text().toUtf8() + '\n');
                    for (TCustomBitBtn *b : frame.deviceButtons)
                        if (b->isVisible())
                            report.write(b->hint().toUtf8() + '\n');
                }
                for (TCustomBitBtn *b : frame.deviceButtons) {
                    if (b->isVisible() && b->glyphName() == QLatin1String("BMP_ISDNTA")) {
                        frame.HandleClickMessage(b);
                        return;
                    }
                }
                *finished = true;
                frame.TerminateBtnClick();
            });
        } else if (what == QLatin1String("ISDNTA")) {
            *finished = true;
            QTimer::singleShot(300, &frame, [&frame, dir] {
                save(frame, dir, QStringLiteral("isdnta-product-screen.png"));
                frame.TerminateBtnClick();
            });
        }
    };
}
