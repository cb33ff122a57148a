#include "mail/windows/attach_window.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "controls/dialogs.h"

TfrmAttach::TfrmAttach(QWidget* parent, IDialogs& dialogs) : QDialog(parent), dialogs_(dialogs) {
    setWindowTitle("File Attachments");
    resize(420, 240);

    auto* layout = new QHBoxLayout(this);
    auto* left = new QVBoxLayout;
    auto* caption = new QLabel("&Files to attach:", this);
    ListBox1 = new QListWidget(this);
    ListBox1->setAccessibleName("Files to attach");
    caption->setBuddy(ListBox1);
    left->addWidget(caption);
    left->addWidget(ListBox1, 1);
    layout->addLayout(left, 1);

    auto* buttons = new QVBoxLayout;
    btnAdd = new QPushButton("&Add File...", this);
    btnRemove = new QPushButton("&Remove File", this);
    btnRemove->setEnabled(false);
    BitBtn1 = new QPushButton("OK", this);
    BitBtn1->setDefault(true);
    buttons->addWidget(btnAdd);
    buttons->addWidget(btnRemove);
    buttons->addStretch(1);
    buttons->addWidget(BitBtn1);
    layout->addLayout(buttons);

    connect(btnAdd, &QPushButton::clicked, this, &TfrmAttach::btnAddClick);
    connect(btnRemove, &QPushButton::clicked, this, &TfrmAttach::btnRemoveClick);
    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);
}

QStringList TfrmAttach::Paths() const {
    QStringList paths;
    for (int row = 0; row < ListBox1->count(); ++row)
        paths.append(ListBox1->item(row)->text());
    return paths;
}

void TfrmAttach::btnAddClick() {
    const std::optional<QString> path =
        dialogs_.OpenFile(this, "Add File", "Text Files (*.txt);;All Files (*)");
    if (!path)
        return;
    ListBox1->addItem(*path);
    btnRemove->setEnabled(true);
}

void TfrmAttach::btnRemoveClick() {
    const int row = ListBox1->currentRow();
    if (row < 0 || ListBox1->selectedItems().isEmpty())
        return;
    delete ListBox1->takeItem(row);
    if (ListBox1->count() == 0)
        btnRemove->setEnabled(false);
}
