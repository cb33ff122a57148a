// Test entry for tests that run the real browser engine: it is prepared before
// the application object exists, and everything runs off screen.
#include <gtest/gtest.h>

#include <QGuiApplication>

#include "webforms/engine/browser_engine.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    PrepareBrowserEngine();
    QGuiApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
