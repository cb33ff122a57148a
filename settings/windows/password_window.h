#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

// Asks for the mail password of one send where no keyring can keep it. The
// typed password is used for that send only.
class TfrmMailPassword : public QDialog {
    Q_OBJECT

  public:
    TfrmMailPassword(QWidget* parent, const QString& user, const QString& host);

    QString Password() const;

    QLabel* lblPrompt;
    QLineEdit* txtPassword;
    QPushButton* btnOK;
    QPushButton* btnCancel;
};
