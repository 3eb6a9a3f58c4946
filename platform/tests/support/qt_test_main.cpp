// The main of every platform test program: a Qt application on the offscreen
// platform, a fast clock, and a fresh TALLYLINE_ROOT so nothing a test does
// reaches the user's own state.

#include <QApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("TALLYLINE_TIME_SCALE"))
        qputenv("TALLYLINE_TIME_SCALE", "0.02");

    // Kept for the whole run; removed on the way out.
    QTemporaryDir root(QDir::tempPath() + QStringLiteral("/tallyline-test-XXXXXX"));
    if (qEnvironmentVariableIsEmpty("TALLYLINE_ROOT") && root.isValid())
        qputenv("TALLYLINE_ROOT", QFile::encodeName(root.path()));

    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
