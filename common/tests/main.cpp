// Every run gets its own machine state, so nothing reaches the user's own.
#include <QTemporaryDir>
#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    QTemporaryDir root;
    qputenv("TALLYLINE_ROOT", root.path().toLocal8Bit());
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
