#pragma once

#include <QApplication>

class IDialogs;

// The program's application object: an exception that no window caught is
// shown in the general error box (a warning through `dialogs`) instead of
// ending the program. `dialogs` must outlive the object. There is one per
// process, made and used on the user-interface thread.
class TApplication : public QApplication {
  public:
    TApplication(int& argc, char** argv, IDialogs& dialogs);

    bool notify(QObject* receiver, QEvent* event) override;

  private:
    IDialogs& Dialogs;
};
