#pragma once

#include <QDialog>
#include <QStringList>

class IDialogs;
class QListWidget;
class QPushButton;

// The list of attachment files of a message being written: "Add File..."
// appends a chosen file's full path (the same path may be added twice),
// "Remove File" deletes the selected entry. Paths are not checked here; the
// files are read only while the message goes out.
//
// Created once at start as a hidden child of the main window and reused by
// every compose window, which loads its paths, shows it modally and reads
// them back. User-interface thread only; `dialogs` must outlive it.
class TfrmAttach : public QDialog {
    Q_OBJECT

  public:
    TfrmAttach(QWidget* parent, IDialogs& dialogs);

    QStringList Paths() const;

    void btnAddClick();
    void btnRemoveClick();

    QListWidget* ListBox1;
    QPushButton* btnAdd;
    QPushButton* btnRemove;
    QPushButton* BitBtn1;

  private:
    IDialogs& dialogs_;
};
