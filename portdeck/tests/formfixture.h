#pragma once
// The real main window on a fresh machine state, with emulated devices on
// pseudo-terminals, scripted message boxes and a fast clock.

#include "containerframe.h"
#include "fakedevice.h"
#include "fresh_root.h"
#include "registry.h"
#include "serialport.h"
#include "uiservices.h"
#include "widgets.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QStackedWidget>
#include <QTest>
#include <gtest/gtest.h>
#include <cstdio>
#include <memory>
#include <vector>

class PortdeckForm : public ::testing::Test {
protected:
    void SetUp() override
    {
        setUiServices(&ui);
        previousDir = QDir::currentPath();
        QDir::setCurrent(root.path());
        reg::writeString(RegRoot::LocalMachine, "Software\\Varnel\\Tallyline\\Portdeck\\Language", "ID", "409");
        // Serial lock files of the test's own: another program's lock on one
        // of the machine's ports must not change what a test sees.
        previousLockDirs = qgetenv("TALLYLINE_SERIAL_LOCK_DIRS");
        lockDir = root.path() + QStringLiteral("/locks");
        QDir().mkpath(lockDir);
        qputenv("TALLYLINE_SERIAL_LOCK_DIRS", QFile::encodeName(lockDir));
    }
    void TearDown() override
    {
        if (HasFailure() && frame)
            std::fprintf(stderr, "--- debug log ---\n%s\n", qPrintable(log().left(6000)));
        frame.reset();
        devices.clear();
        setUiServices(nullptr);
        QDir::setCurrent(previousDir);
        if (previousLockDirs.isEmpty())
            qunsetenv("TALLYLINE_SERIAL_LOCK_DIRS");
        else
            qputenv("TALLYLINE_SERIAL_LOCK_DIRS", previousLockDirs);
    }
    FakeDevice &device(FakeProduct product, int com)
    {
        devices.push_back(std::make_unique<FakeDevice>(product, com, root.path()));
        return *devices.back();
    }
    void tapiName(const QString &sub, const QString &name, int com)
    {
        const QString key = "System\\CurrentControlSet\\Services\\Class\\Modem\\" + sub;
        reg::writeString(RegRoot::LocalMachine, key, "DriverDesc", name);
        reg::writeString(RegRoot::LocalMachine, key, "AttachedTo", QStringLiteral("COM%1").arg(com));
    }
    void start(const QStringList &args = {"/l"})
    {
        frame = std::make_unique<TcontainerFrame>(args);
        // The window may end while it is being destroyed (an exit that waited
        // for a loop): the hook holds the window itself, not the fixture's pointer.
        frame->terminateApplication = [this, window = frame.get()] {
            terminated = true;
            window->appTerminated = true;
        };
        frame->milestone = [this](const QString &what) { milestones << what; };
        frame->show();
    }
    bool waitFor(const std::function<bool()> &cond, int ms = 15000) { return QTest::qWaitFor(cond, ms); }
    void detected()
    {
        ASSERT_TRUE(waitFor([this] { return milestones.contains("detection"); }));
        milestones.clear();
    }
    void click(QWidget *w) { QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(20, 10)); }
    TCustomBitBtn *button(int i) { return frame->deviceButtons.value(i); }
    QString log()
    {
        QFile f(frame->logger.filePath());
        f.open(QIODevice::ReadOnly);
        return QString::fromLatin1(f.readAll());
    }
    bool logHas(const char *line) { return log().contains(QLatin1String("  :") + QLatin1String(line)); }

    FreshRoot root;
    ScriptedUiServices ui;
    QString previousDir;
    QString lockDir;
    QByteArray previousLockDirs;
    std::vector<std::unique_ptr<FakeDevice>> devices;
    std::unique_ptr<TcontainerFrame> frame;
    bool terminated = false;
    QStringList milestones;
};
