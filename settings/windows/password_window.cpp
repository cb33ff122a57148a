#include "settings/windows/password_window.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TfrmMailPassword::TfrmMailPassword(QWidget* parent, const QString& user, const QString& host)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint) {
    setWindowTitle("SMTP Password");
    auto* layout = new QVBoxLayout(this);
    lblPrompt = new QLabel(QString("&Password of %1 on %2:").arg(user, host), this);
    lblPrompt->setWordWrap(true);
    lblPrompt->setTextFormat(Qt::PlainText);
    txtPassword = new QLineEdit(this);
    txtPassword->setEchoMode(QLineEdit::Password);
    txtPassword->setAccessibleName("Password");
    lblPrompt->setBuddy(txtPassword);
    auto* hint = new QLabel("Leave it empty to send without logging in.", this);
    hint->setWordWrap(true);
    txtPassword->setAccessibleDescription(hint->text());
    layout->addWidget(lblPrompt);
    layout->addWidget(txtPassword);
    layout->addWidget(hint);

    auto* buttons = new QDialogButtonBox(this);
    btnOK = buttons->addButton("OK", QDialogButtonBox::AcceptRole);
    btnOK->setDefault(true);
    btnCancel = buttons->addButton("Cancel", QDialogButtonBox::RejectRole);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    setMinimumWidth(320);
}

QString TfrmMailPassword::Password() const {
    return txtPassword->text();
}
