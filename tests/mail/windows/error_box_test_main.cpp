// Test entry for windows whose failures reach the application's error box:
// as the program's application object does, it catches what an event
// handler raises, and records the text instead of showing it.
#include <gtest/gtest.h>

#include <QApplication>
#include <exception>

#include "error_box.h"

QStringList& ErrorBoxTexts() {
    static QStringList texts;
    return texts;
}

namespace {

class TTestApplication : public QApplication {
  public:
    using QApplication::QApplication;

    bool notify(QObject* receiver, QEvent* event) override {
        try {
            return QApplication::notify(receiver, event);
        } catch (const std::exception& error) {
            ErrorBoxTexts().append(QString::fromLocal8Bit(error.what()));
        }
        return false;
    }
};

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    TTestApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
