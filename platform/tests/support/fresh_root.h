#pragma once
// Gives a test its own TALLYLINE_ROOT: a new empty directory for the test's
// lifetime, the previous root restored afterwards.

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

class FreshRoot {
public:
    FreshRoot();
    ~FreshRoot();
    FreshRoot(const FreshRoot &) = delete;
    FreshRoot &operator=(const FreshRoot &) = delete;

    QString path() const { return dir_.path(); }
    // A path inside the root ("registry/HKEY_LOCAL_MACHINE.reg").
    QString file(const QString &relative) const { return dir_.path() + QLatin1Char('/') + relative; }

private:
    QTemporaryDir dir_;
    QByteArray previous_;
    bool hadPrevious_;
};

// A fixture whose every test runs on a fresh root.
class FreshRootTest : public ::testing::Test {
protected:
    FreshRoot root;
};
