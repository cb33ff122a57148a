#pragma once

#include <QDialog>
#include <QStringList>
#include <exception>
#include <functional>

class QLabel;
class QPushButton;

// Network work of a send action, run off the user-interface thread.
struct TBackgroundWork {
    // Runs on the worker thread; what it raises comes back from Run.
    std::function<void()> Work;
    // Called on the user-interface thread when the user cancels while Work
    // runs; it must be safe to call then and make Work end soon.
    std::function<void()> Cancel;
    // Shown once Work has ended after a cancel (e.g. how much was done).
    std::function<QString()> CancelledText;
};

enum class TWorkOutcome { Done, Failed, Cancelled };

// The modal progress window of a send action: while the work runs on its
// worker thread, this window keeps every window of the program from input
// and shows the current step; its Cancel button asks the work to stop and,
// once it has, the window says what was done and waits for the user.
//
// Lives on the user-interface thread. Report may be called from any thread
// while Run is under way.
class TfrmSendProgress : public QDialog {
    Q_OBJECT

  public:
    explicit TfrmSendProgress(QWidget* parent);

    // Runs work.Work and returns when it has ended and, after a cancel, when
    // the user dismissed the window. `failure` receives what the work raised
    // (null when it ended normally).
    TWorkOutcome Run(const TBackgroundWork& work, std::exception_ptr& failure);

    // Thread-safe: shows `text` as the current step.
    void Report(const QString& text);

    // Shows `text` as the current step; user-interface thread only.
    void ShowStep(const QString& text);

    // Every text shown, in order, since the window was made.
    const QStringList& Steps() const { return FSteps; }

    QLabel* lblStatus;
    QPushButton* btnCancel;

  protected:
    void reject() override;

  private:
    void btnCancelClick();
    void WorkEnded();

    const TBackgroundWork* Current = nullptr;
    std::exception_ptr Failure;
    bool Running = false;
    bool CancelRequested = false;
    TWorkOutcome Outcome = TWorkOutcome::Done;
    QStringList FSteps;
};
