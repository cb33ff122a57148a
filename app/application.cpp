#include "app/application.h"

#include <exception>

#include "controls/dialogs.h"

TApplication::TApplication(int& argc, char** argv, IDialogs& dialogs)
    : QApplication(argc, argv), Dialogs(dialogs) {}

bool TApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        Dialogs.Warning(nullptr, QString::fromLocal8Bit(error.what()));
    }
    return false;
}
