#include "controls/send_progress.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QThread>
#include <QVBoxLayout>

TfrmSendProgress::TfrmSendProgress(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::CustomizeWindowHint) {
    setWindowTitle("Sending Message");
    setWindowModality(Qt::ApplicationModal);
    setMinimumWidth(360);

    auto* layout = new QVBoxLayout(this);
    lblStatus = new QLabel(this);
    lblStatus->setWordWrap(true);
    lblStatus->setMinimumHeight(40);
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

TfrmSendProgress::~TfrmSendProgress() {
    if (running_) {
        if (work_.Cancel)
            work_.Cancel();
        thread_->wait();
    }
}

void TfrmSendProgress::Start(const QString& firstStep, TBackgroundWork work,
                             TEndHandler ended) {
    if (busy_)
        return;
    work_ = std::move(work);
    ended_ = std::move(ended);
    failure_ = nullptr;
    busy_ = true;
    running_ = true;
    cancelRequested_ = false;
    steps_.clear();
    ShowStep(firstStep);
    btnCancel->setText("Cancel");
    btnCancel->setEnabled(true);

    thread_.reset(QThread::create([this] {
        try {
            work_.Work();
        } catch (...) {
            failure_ = std::current_exception();
        }
    }));
    connect(thread_.get(), &QThread::finished, this, &TfrmSendProgress::WorkEnded,
            Qt::QueuedConnection);
    show();
    thread_->start();
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
    if (!steps_.isEmpty() && steps_.last() == text)
        return;
    lblStatus->setText(text);
    steps_.append(text);
}

void TfrmSendProgress::btnCancelClick() {
    if (!busy_)
        return;
    if (!running_) {
        Finish(TWorkOutcome::Cancelled);  // the OK after a cancel
        return;
    }
    if (cancelRequested_)
        return;
    cancelRequested_ = true;
    btnCancel->setEnabled(false);
    ShowStep("Cancelling...");
    if (work_.Cancel)
        work_.Cancel();
}

// Escape and the close box stand for the button.
void TfrmSendProgress::reject() {
    btnCancelClick();
}

void TfrmSendProgress::WorkEnded() {
    thread_->wait();
    running_ = false;
    if (!failure_) {
        Finish(TWorkOutcome::Done);
    } else if (!cancelRequested_) {
        Finish(TWorkOutcome::Failed);
    } else {
        if (work_.CancelledText)
            ShowStep(work_.CancelledText(failure_));
        btnCancel->setText("OK");
        btnCancel->setEnabled(true);
        btnCancel->setFocus();
    }
}

void TfrmSendProgress::Finish(TWorkOutcome outcome) {
    hide();
    busy_ = false;
    const TEndHandler ended = std::move(ended_);
    ended_ = nullptr;
    work_ = {};
    ended(outcome, failure_);
}
