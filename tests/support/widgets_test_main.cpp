// Test entry for tests of real widgets: the application object must exist
// before any widget does.
#include <gtest/gtest.h>

#include <QApplication>

int main(int argc, char** argv) {
    // CTest lists the tests before it sets their environment; run off screen
    // then too.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
