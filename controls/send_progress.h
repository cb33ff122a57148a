#pragma once

#include <QDialog>
#include <QStringList>
#include <exception>
#include <functional>
#include <memory>

class QLabel;
class QPushButton;
class QThread;

// Network work of a window (a send action, a connection test), run off the
// user-interface thread.
struct TBackgroundWork {
    // Runs on the worker thread; what it raises is handed to the end handler.
    std::function<void()> Work;
    // Called on the user-interface thread when the user cancels while Work
    // runs; it must be safe to call then and make Work end soon.
    std::function<void()> Cancel;
    // Shown once Work has ended after a cancel, from what it raised (e.g.
    // how much was done).
    std::function<QString(std::exception_ptr failure)> CancelledText;
};

enum class TWorkOutcome { Done, Failed, Cancelled };

// The progress window of network work such as a send action (titled
// "Sending Message"; other work sets its own title): while the work runs on
// its worker thread, this window is shown application-modal, so no window of
// the program takes input, and names the current step; its Cancel button (or
// Escape) asks the work to stop and, once it has, the window says what was
// done and waits for the user's OK. Nothing waits in a nested event loop: the
// end handler runs from the event loop when all is over.
//
// Lives on the user-interface thread. Destroying it while work runs cancels
// the work and waits for its thread.
class TfrmSendProgress : public QDialog {
    Q_OBJECT

  public:
    using TEndHandler = std::function<void(TWorkOutcome, std::exception_ptr failure)>;

    explicit TfrmSendProgress(QWidget* parent);
    ~TfrmSendProgress() override;

    // Shows `firstStep`, starts work.Work, shows the window and returns at
    // once. `ended` runs on
    // the user-interface thread once the work has ended (after a cancel, once
    // the user has dismissed the window), with the window hidden and Busy()
    // false; what it raises goes to the application's error box. Nothing
    // happens while the window is busy.
    void Start(const QString& firstStep, TBackgroundWork work, TEndHandler ended);

    // From Start until the end handler is called.
    bool Busy() const { return busy_; }

    // Thread-safe: shows `text` as the current step.
    void Report(const QString& text);

    // Shows `text` as the current step, unless it is the current step
    // already; user-interface thread only.
    void ShowStep(const QString& text);

    // Every step shown since the last Start, in order.
    const QStringList& Steps() const { return steps_; }

    QLabel* lblStatus;
    QPushButton* btnCancel;

  protected:
    void reject() override;

  private:
    void btnCancelClick();
    void WorkEnded();
    void Finish(TWorkOutcome outcome);

    TBackgroundWork work_;
    TEndHandler ended_;
    std::unique_ptr<QThread> thread_;
    std::exception_ptr failure_;  // written by the worker before it ends
    bool busy_ = false;
    bool running_ = false;  // the worker thread has not ended yet
    bool cancelRequested_ = false;
    QStringList steps_;
};
