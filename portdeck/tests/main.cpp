#include "clock.h"

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    // Fast, yet slower than a loaded machine answers; set in the environment
    // too, so that the emulators the tests start keep the same clock.
    if (qEnvironmentVariableIsEmpty("TALLYLINE_TIME_SCALE"))
        qputenv("TALLYLINE_TIME_SCALE", "0.05");
    tl::setTimeScale(qEnvironmentVariable("TALLYLINE_TIME_SCALE").toDouble());
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
