#include "demo.h"

#include "containerframe.h"
#include "widgets.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTabBar>
#include <QTimer>

#include <functional>
#include <memory>

namespace {

// The tour: device list, the ISDN TA's product screen, call log and configuration,
// then the business modem's product screen, its first-install welcome, and
// its terminal and flash screens. Each step runs once;
// a product that was not found is skipped.
class DemoTour {
public:
    DemoTour(TcontainerFrame &frame, const QString &dir) : frame_(frame), dir_(dir) {}

    void milestone(const QString &what)
    {
        if (finished_)
            return;
        if (what == QLatin1String("detection") && !detected_) {
            detected_ = true;
            later(300, [this] {
                save(QStringLiteral("device-list.png"));
                writeReport();
                if (!open(QStringLiteral("BMP_ISDNTA")))
                    openModem();
            });
        } else if (what == QLatin1String("ISDNTA") && !isdnShown_) {
            isdnShown_ = true;
            later(300, [this] {
                save(QStringLiteral("isdnta-product-screen.png"));
                frame_.appwizBtnClick();
                // The configuration reads the adapter back first.
                later(4000, [this] {
                    save(QStringLiteral("isdnta-configuration.png"));
                    // Back to the product screen and its call log, then to the device list.
                    frame_.backbtnClick();
                    later(1000, [this] { frame_.Info_TabSet->setCurrentIndex(1); });
                    later(2500, [this] {
                        save(QStringLiteral("isdnta-call-log.png"));
                        frame_.Info_TabSet->setCurrentIndex(0);
                        frame_.backbtnClick();
                        later(500, [this] { openModem(); });
                    });
                });
            });
        } else if (what == QLatin1String("56KModem") && !modemShown_) {
            modemShown_ = true;
            later(300, [this] { save(QStringLiteral("56k-product-screen.png")); });
            // A modem seen for the first time opens its welcome page once the link is up.
            later(2500, [this] {
                save(QStringLiteral("56k-welcome.png"));
                frame_.terminalbtnClick();
                later(1500, [this] {
                    save(QStringLiteral("56k-terminal.png"));
                    frame_.backbtnClick();
                    frame_.flashdiskbtnClick();
                    later(1500, [this] {
                        save(QStringLiteral("56k-flash-from-disk.png"));
                        frame_.backbtnClick();
                        end();
                    });
                });
            });
        }
    }

private:
    void later(int ms, std::function<void()> step)
    {
        QTimer::singleShot(ms, &frame_, [this, step = std::move(step)] {
            if (!finished_)
                step();
        });
    }
    void save(const QString &file) { frame_.grab().save(dir_ + QLatin1Char('/') + file); }
    void writeReport()
    {
        QFile report(dir_ + QStringLiteral("/detected.txt"));
        if (!report.open(QIODevice::WriteOnly | QIODevice::Text))
            return;
        report.write(frame_.statusInfoStatic->text().toUtf8() + '\n');
        for (TCustomBitBtn *b : frame_.deviceButtons)
            if (b->isVisible())
                report.write(b->hint().toUtf8() + '\n');
    }
    bool open(const QString &glyph)
    {
        for (TCustomBitBtn *b : frame_.deviceButtons) {
            if (!b->isHidden() && b->glyphName() == glyph) {
                frame_.HandleClickMessage(b);
                return true;
            }
        }
        return false;
    }
    void openModem()
    {
        if (!open(QStringLiteral("BMP_56KMDM")))
            end();
    }
    void end()
    {
        finished_ = true;
        QTimer::singleShot(300, &frame_, [this] { frame_.TerminateBtnClick(); });
    }

    TcontainerFrame &frame_;
    QString dir_;
    bool detected_ = false;
    bool isdnShown_ = false;
    bool modemShown_ = false;
    bool finished_ = false;
};

} // namespace

void installDemoHooks(TcontainerFrame &frame)
{
    QString dir = frame.options.screenshotDir;
    if (dir.isEmpty())
        dir = qEnvironmentVariable("TALLYLINE_SCREENSHOT_DIR");
    if (dir.isEmpty())
        return;
    QDir().mkpath(dir);
    auto tour = std::make_shared<DemoTour>(frame, dir);
    frame.milestone = [tour](const QString &what) { tour->milestone(what); };
}
