#include "demo.h"

#include "app.h"
#include "mainframe.h"
#include "patchwellctrl.h"
#include "paths.h"
#include "propsheetmanager.h"
#include "tabctrlwithdisable.h"
#include "windowmessages.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPlainTextEdit>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include <functional>

namespace {

struct Step {
    QString name;
    std::function<bool()> ready;   // polled until true
    std::function<void()> action;
    int timeoutMs;
};

class DemoTour : public QObject {
public:
    DemoTour(CPatchwellApp &app, const DemoOptions &options) : QObject(&app), app_(app), options_(options)
    {
        QDir().mkpath(options.screenshotDir);
        poll_.setInterval(20);
        connect(&poll_, &QTimer::timeout, this, &DemoTour::tick);
        build();
    }
    void start()
    {
        elapsed_.start();
        poll_.start();
    }

private:
    CPropSheetManager *sheet() const
    {
        ConfigurationSheet *s = app_.mainFrame() ? app_.mainFrame()->existingSheet() : nullptr;
        auto *m = static_cast<CPropSheetManager *>(s);
        return m && m->isVisible() ? m : nullptr;
    }
    template <class T> T *find(const char *name) const
    {
        return sheet() ? sheet()->findChild<T *>(QLatin1String(name)) : nullptr;
    }
    static QWidget *topLevel(const char *name)
    {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (w->objectName() == QLatin1String(name) && w->isVisible())
                return w;
        return nullptr;
    }
    void save(QWidget *w, const QString &file)
    {
        if (!w)
            return;
        w->grab().save(options_.screenshotDir + QLatin1Char('/') + file);
        qInfo("demo: screenshot %s", qPrintable(file));
    }
    void saveScreen(const QString &file)
    {
        if (QScreen *screen = QGuiApplication::primaryScreen())
            screen->grabWindow(0).save(options_.screenshotDir + QLatin1Char('/') + file);
        qInfo("demo: screenshot %s", qPrintable(file));
    }
    void showTab(int tab)
    {
        sheet()->tabControl()->SelectTab(tab);
    }
    void tick()
    {
        if (steps_.isEmpty())
            return;
        Step &s = steps_.first();
        if (s.ready()) {
            const Step now = steps_.takeFirst();
            qInfo("demo: %s", qPrintable(now.name));
            elapsed_.restart();
            now.action();
            return;
        }
        if (elapsed_.elapsed() > s.timeoutMs) {
            qWarning("demo: gave up waiting for: %s", qPrintable(s.name));
            steps_.clear();
            finish();
        }
    }
    void after(const QString &name, int ms, std::function<void()> action)
    {
        auto since = std::make_shared<QElapsedTimer>();
        steps_.append({name, [since, ms] {
                           if (!since->isValid())
                               since->start();
                           return since->elapsed() >= ms;
                       },
                       std::move(action), ms + 5000});
    }
    void when(const QString &name, std::function<bool()> ready, std::function<void()> action, int timeoutMs = 20000)
    {
        steps_.append({name, std::move(ready), std::move(action), timeoutMs});
    }
    // The file the viewer was given, as a picture (the demo has no viewer of its own).
    void showLogFile(const QString &picture)
    {
        QFile file(tl::mapPath(app_.control()->GetLogDirectory() + QStringLiteral("\\Patchwell.log")));
        if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
            return;
        QPlainTextEdit view;
        view.setWindowTitle(QStringLiteral("Patchwell.log"));
        view.setLineWrapMode(QPlainTextEdit::NoWrap);
        view.setPlainText(QString::fromUtf8(file.readAll()));
        view.resize(900, 420);
        view.show();
        save(&view, picture);
    }
    void finish()
    {
        poll_.stop();
        if (app_.mainFrame())
            app_.mainFrame()->OnExit();
        else
            app_.Close();
    }
    void build();

    CPatchwellApp &app_;
    DemoOptions options_;
    QTimer poll_;
    QElapsedTimer elapsed_;
    QList<Step> steps_;
};

void DemoTour::build()
{
    when("open the sheet from the tray", [] { return true; }, [this] {
        PostMessage(app_.mainFrame(), WM_TRAYNOTIFY, 0, WM_LBUTTONDBLCLK_);
    });
    when("the sheet is up", [this] { return sheet() != nullptr; }, [this] {
        QListWidget *list = find<QListWidget>("productList1001");
        const auto found = list->findItems(QStringLiteral("Varnel Brenmoor ISDN TA"), Qt::MatchExactly);
        if (!found.isEmpty())
            list->setCurrentItem(found.first());
        // Every step of the run in the log, not only its outcome.
        if (QCheckBox *all = find<QCheckBox>("logAllEvents1038"); all && !all->isChecked())
            all->click();
    });
    after("Common tab", 300, [this] { save(sheet(), QStringLiteral("patchwell-common.png")); showTab(1); });
    after("Scheduling tab", 300, [this] {
        save(sheet(), QStringLiteral("patchwell-scheduling.png"));
        showTab(2);
    });
    after("Connection tab", 300, [this] {
        save(sheet(), QStringLiteral("patchwell-connection.png"));
        showTab(3);
    });
    after("General tab: the product's own site", 300, [this] {
        if (!options_.site.isEmpty()) {
            QCheckBox *check = find<QCheckBox>("productSiteCheck1047");
            if (!check->isChecked())
                check->click();
            QLineEdit *site = find<QLineEdit>("productSite1048");
            site->setFocus();
            site->setText(options_.site);
        }
    });
    after("General tab", 300, [this] {
        save(sheet(), QStringLiteral("patchwell-general.png"));
        showTab(1);
    });
    after("Scheduling tab: every 14 days", 300, [this] {
        QLineEdit *interval = find<QLineEdit>("interval1006");
        interval->setFocus();
        interval->setText(QStringLiteral("14"));
    });
    after("Update Now", 300, [this] { find<QPushButton>("updateNow1011")->click(); });
    // The engine asks before it downloads anything.
    when("the update prompt", [] { return qobject_cast<QMessageBox *>(QApplication::activeModalWidget()) != nullptr; },
         [this] {
             auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
             save(box, QStringLiteral("patchwell-update-prompt.png"));
             QTimer::singleShot(200, box, [box] {
                 if (QAbstractButton *yes = box->button(QMessageBox::Yes))
                     yes->click();
                 else
                     box->accept();   // a message, not the prompt (no site given: up to date)
             });
         });
    when("the progress dialog", [] { return topLevel("CDownloadProgressDialog") != nullptr; }, [this] {
        QTimer::singleShot(250, this, [this] {
            save(topLevel("CDownloadProgressDialog"), QStringLiteral("patchwell-progress.png"));
            saveScreen(QStringLiteral("patchwell-progress-desktop.png"));
        });
    });
    // The sample firmware is loaded by the user with Portdeck: the engine asks
    // whether that is done; the demo says yes. Then the update is complete.
    when("the update is done", [this] {
             if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                 if (!box->property("demoAnswered").toBool()) {
                     box->setProperty("demoAnswered", true);
                     save(box, QStringLiteral("patchwell-completion-prompt.png"));
                     QTimer::singleShot(200, box, [box] {
                         if (QAbstractButton *yes = box->button(QMessageBox::Yes))
                             yes->click();
                         else
                             box->accept();
                     });
                 }
                 return false;
             }
             return app_.control() && app_.control()->GetRecentUpdateCount() > 0
                    && !topLevel("CDownloadProgressDialog");
         },
         [this] {
             if (!sheet())   // answering Yes hid the sheet: the tray brings it back
                 PostMessage(app_.mainFrame(), WM_TRAYNOTIFY, 0, WM_LBUTTONDBLCLK_);
         }, 60000);
    when("the sheet again", [this] { return sheet() != nullptr; }, [this] {
        saveScreen(QStringLiteral("patchwell-update-alert.png"));
        showTab(0);
    });
    after("View Event Log", 500, [this] { find<QPushButton>("viewEventLog1040")->click(); });
    after("the event log", 500, [this] { showLogFile(QStringLiteral("patchwell-event-log.png")); });
    after("View Recent Updates", 1000, [this] {
        save(sheet(), QStringLiteral("patchwell-after-update.png"));
        find<QPushButton>("viewRecentUpdates1049")->click();
    });
    after("the recent updates", 500, [this] { showLogFile(QStringLiteral("patchwell-recent-updates.png")); });
    after("Close the sheet and end", 1000, [this] {
        sheet()->okButton()->click();
        QTimer::singleShot(300, this, [this] { finish(); });
    });
}

} // namespace

DemoOptions takeDemoOptions(QStringList &arguments)
{
    DemoOptions options;
    for (int i = arguments.size() - 1; i >= 0; --i) {
        const QString &a = arguments[i];
        if (a.startsWith(QLatin1String("--screenshot-dir="))) {
            options.screenshotDir = a.mid(int(qstrlen("--screenshot-dir=")));
            arguments.removeAt(i);
        } else if (a.startsWith(QLatin1String("--demo-site="))) {
            options.site = a.mid(int(qstrlen("--demo-site=")));
            arguments.removeAt(i);
        }
    }
    return options;
}

void startDemoTour(CPatchwellApp &app, const DemoOptions &options)
{
    if (options.screenshotDir.isEmpty())
        return;
    (new DemoTour(app, options))->start();
}
