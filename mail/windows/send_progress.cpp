#include "mail/windows/send_progress.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QThread>
#include <QVBoxLayout>
#include <memory>

TfrmSendProgress::TfrmSendProgress(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::CustomizeWindowHint) {
    setWindowTitle("Sending Message");
    setWindowModality(Qt::ApplicationModal);
    setMinimumWidth(360);

    auto* layout = new QVBoxLayout(this);
    lblStatus = new QLabel(this);
    lblStatus->setWordWrap(true);
    lblStatus->setMinimumHeight(40);
    // A screen reader announces the step when the label changes.
    lblStatus->setAccessibleName("Progress");
    layout->addWidget(lblStatus);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    btnCancel = new QPushButton("Cancel", this);
    buttons->addWidget(btnCancel);
    buttons->addStretch(1);
    layout->addLayout(buttons);

    connect(btnCancel, &QPushButton::clicked, this, &TfrmSendProgress::btnCancelClick);
}

void TfrmSendProgress::Report(const QString& text) {
    QMetaObject::invokeMethod(
        this, [window = QPointer<TfrmSendProgress>(this), text] {
            if (window)
                window->ShowStep(text);
        },
        Qt::QueuedConnection);
}

void TfrmSendProgress::ShowStep(const QString& text) {
    lblStatus->setText(text);
    FSteps.append(text);
}

TWorkOutcome TfrmSendProgress::Run(const TBackgroundWork& work, std::exception_ptr& failure) {
    Current = &work;
    Failure = nullptr;
    Running = true;
    CancelRequested = false;
    Outcome = TWorkOutcome::Done;
    btnCancel->setText("Cancel");
    btnCancel->setEnabled(true);

    std::unique_ptr<QThread> thread(QThread::create([this, &work] {
        try {
            work.Work();
        } catch (...) {
            Failure = std::current_exception();
        }
    }));
    connect(thread.get(), &QThread::finished, this, &TfrmSendProgress::WorkEnded,
            Qt::QueuedConnection);
    thread->start();
    exec();
    // exec returns only after WorkEnded, so the thread is done or ending.
    thread->wait();
    Current = nullptr;
    failure = Failure;
    return Outcome;
}

void TfrmSendProgress::btnCancelClick() {
    if (!Running) {
        accept();
        return;
    }
    if (CancelRequested)
        return;
    CancelRequested = true;
    btnCancel->setEnabled(false);
    ShowStep("Cancelling...");
    if (Current != nullptr && Current->Cancel)
        Current->Cancel();
}

// Escape and the close box stand for Cancel while the work runs.
void TfrmSendProgress::reject() {
    btnCancelClick();
}

void TfrmSendProgress::WorkEnded() {
    Running = false;
    if (!Failure) {
        Outcome = TWorkOutcome::Done;
        accept();
        return;
    }
    if (!CancelRequested) {
        Outcome = TWorkOutcome::Failed;
        accept();
        return;
    }
    Outcome = TWorkOutcome::Cancelled;
    if (Current != nullptr && Current->CancelledText)
        ShowStep(Current->CancelledText());
    btnCancel->setText("OK");
    btnCancel->setEnabled(true);
    btnCancel->setFocus();
}
