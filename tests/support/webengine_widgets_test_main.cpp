// Test entry for tests of real widgets over the real browser engine: the
// engine is prepared before the application object exists, and everything
// runs off screen.
#include <gtest/gtest.h>

#include <QApplication>

#include "webforms/engine/browser_engine.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    PrepareBrowserEngine();
    QApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
