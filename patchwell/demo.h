#pragma once
// The demonstration run: Patchwell drives its own sheet through a product's
// settings and an update against a given site, saving a picture of each step.
// Started with "--screenshot-dir=DIR" (and "--demo-site=URL" for the update).

#include <QString>
#include <QStringList>

class CPatchwellApp;

struct DemoOptions {
    QString screenshotDir;
    QString site;
};

// Takes the demonstration's own options out of the arguments.
DemoOptions takeDemoOptions(QStringList &arguments);
// Starts the tour on a started program; it exits the program at its end.
void startDemoTour(CPatchwellApp &app, const DemoOptions &options);
