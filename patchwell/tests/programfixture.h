#pragma once
// The program in-process for a test: its own TALLYLINE_ROOT and desktop folders,
// scripted message boxes and a tray that records what it was told.

#include "app.h"
#include "fresh_root.h"
#include "registry.h"
#include "trayicon.h"
#include "uiservices.h"

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <functional>
#include <memory>

#include <gtest/gtest.h>

struct TrayLog {
    bool added = false;
    bool available = true;
    QStringList tips;
    int iconChanges = 0;
    int removed = 0;
    TrayBackend *backend = nullptr;
};

class RecordingTray : public TrayBackend {
public:
    explicit RecordingTray(TrayLog *log) : log_(log) { log_->backend = this; }
    ~RecordingTray() override
    {
        if (log_->backend == this)
            log_->backend = nullptr;
    }
    bool add(const QIcon &, const QString &tip) override
    {
        log_->added = log_->available;
        log_->tips << tip;
        return log_->available;
    }
    void setIcon(const QIcon &) override { ++log_->iconChanges; }
    void setToolTip(const QString &tip) override { log_->tips << tip; }
    void remove() override { ++log_->removed; }
    void popUp(QMenu *, const QPoint &) override {}
private:
    TrayLog *log_;
};

const char *const kClassKey = "CLSID\\{CCFDE578-9BE0-11D1-8E3E-00A02450872B}\\InprocServer32";
const char *const kProducts = "Software\\Varnel\\Patchwell\\Products";

class Program : public ::testing::Test {
protected:
    FreshRoot root;
    ScriptedUiServices ui;
    TrayLog tray;
    std::unique_ptr<CPatchwellApp> app = std::make_unique<CPatchwellApp>();

    // The start-up entry and its trash stay inside the test's own folders.
    QTemporaryDir xdg;
    const bool hadConfig = qEnvironmentVariableIsSet("XDG_CONFIG_HOME");
    const bool hadData = qEnvironmentVariableIsSet("XDG_DATA_HOME");
    const QByteArray previousConfig = qgetenv("XDG_CONFIG_HOME"), previousData = qgetenv("XDG_DATA_HOME");

    Program()
    {
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(xdg.filePath("config")));
        qputenv("XDG_DATA_HOME", QFile::encodeName(xdg.filePath("data")));
        setUiServices(&ui);
        setTrayBackendFactory([this] { return std::make_unique<RecordingTray>(&tray); });
    }
    ~Program() override
    {
        if (app)
            app->ExitInstance();
        app.reset();
        setTrayBackendFactory(nullptr);
        setUiServices(nullptr);
        hadConfig ? qputenv("XDG_CONFIG_HOME", previousConfig) : qunsetenv("XDG_CONFIG_HOME");
        hadData ? qputenv("XDG_DATA_HOME", previousData) : qunsetenv("XDG_DATA_HOME");
    }
    void product(const QString &name)
    {
        reg::writeString(RegRoot::LocalMachine, QString(kProducts) + "\\" + name, "InstalledVersion", "1.0");
    }
    // Runs action once the sheet is up: from a timer, as the sheet's own modal
    // loop is above any wait of the test.
    void whenSheetShown(std::function<void(QDialog *)> action)
    {
        auto *timer = new QTimer(app.get());
        timer->setInterval(20);
        QObject::connect(timer, &QTimer::timeout, [this, timer, action] {
            if (QDialog *d = sheetShown()) {
                timer->stop();
                timer->deleteLater();
                action(d);
            }
        });
        timer->start();
    }
    QDialog *sheetShown()
    {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (w->objectName() == "CPropSheetManager" && w->isVisible())
                return static_cast<QDialog *>(w);
        return nullptr;
    }
};

