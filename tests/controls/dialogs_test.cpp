#include "controls/dialogs.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

namespace {

// Answers the next modal message box with `button` once it is up, and
// records what it showed.
struct TBoxAnswer {
    QString Text;
    QList<QMessageBox::StandardButton> Buttons;

    void Answer(QMessageBox::StandardButton button) {
        QTimer::singleShot(0, [this, button] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            Text = box->text();
            for (QAbstractButton* each : box->buttons())
                Buttons.append(box->standardButton(each));
            box->button(button)->click();
        });
    }
};

TEST(QtDialogsTest, WarningHasOnlyAnOkButton) {
    TQtDialogs dialogs;
    TBoxAnswer answer;
    answer.Answer(QMessageBox::Ok);
    dialogs.Warning(nullptr, "Error Loading Senate List.");
    EXPECT_EQ(answer.Text, "Error Loading Senate List.");
    EXPECT_EQ(answer.Buttons, QList<QMessageBox::StandardButton>{QMessageBox::Ok});
}

TEST(QtDialogsTest, PlacedWarningOpensWhereAsked) {
    TQtDialogs dialogs;
    QPoint shownAt;
    QTimer::singleShot(0, [&] {
        QWidget* box = QApplication::activeModalWidget();
        ASSERT_NE(box, nullptr);
        shownAt = box->pos();
        qobject_cast<QMessageBox*>(box)->button(QMessageBox::Ok)->click();
    });
    dialogs.WarningAt(nullptr, "No representatives selected.", QPoint(125, 75));
    EXPECT_EQ(shownAt, QPoint(125, 75));
}

TEST(QtDialogsTest, QuestionTellsYesFromNo) {
    TQtDialogs dialogs;
    TBoxAnswer yes;
    yes.Answer(QMessageBox::Yes);
    EXPECT_TRUE(dialogs.Question(nullptr, "Save a copy?"));
    EXPECT_EQ(yes.Buttons.size(), 2);
    TBoxAnswer no;
    no.Answer(QMessageBox::No);
    EXPECT_FALSE(dialogs.Question(nullptr, "Save a copy?"));
}

TEST(QtDialogsTest, ConfirmTellsOkFromCancel) {
    TQtDialogs dialogs;
    TBoxAnswer ok;
    ok.Answer(QMessageBox::Ok);
    EXPECT_TRUE(dialogs.Confirm(nullptr, "Close window without sending message?"));
    EXPECT_EQ(ok.Buttons, (QList<QMessageBox::StandardButton>{QMessageBox::Ok, QMessageBox::Cancel}));
    TBoxAnswer cancel;
    cancel.Answer(QMessageBox::Cancel);
    EXPECT_FALSE(dialogs.Confirm(nullptr, "Close window without sending message?"));
}

}  // namespace
