#include "controls/dialogs.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <algorithm>

namespace {

using TButtons = QList<QMessageBox::StandardButton>;

// Each box as shown (text, buttons, place) and what the chosen button returns.
TEST(QtDialogsTest, EachBoxShowsItsButtonsAndReturnsTheAnswer) {
    enum TKind { Warning, WarningAt, Question, Confirm };
    const TButtons ok{QMessageBox::Ok};
    const TButtons yesNo{QMessageBox::Yes, QMessageBox::No};
    const TButtons okCancel{QMessageBox::Ok, QMessageBox::Cancel};
    const struct {
        TKind Kind;
        QMessageBox::StandardButton Answer;
        bool Result;
        TButtons Buttons;
    } cases[] = {
        {Warning, QMessageBox::Ok, true, ok},
        {WarningAt, QMessageBox::Ok, true, ok},
        {Question, QMessageBox::Yes, true, yesNo},
        {Question, QMessageBox::No, false, yesNo},
        {Confirm, QMessageBox::Ok, true, okCancel},
        {Confirm, QMessageBox::Cancel, false, okCancel},
    };
    const QString text = "Close window without sending message?";
    const QPoint place(125, 75);
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.Kind << " answered " << c.Answer);
        QString shownText;
        QPoint shownAt;
        TButtons buttons;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            shownText = box->text();
            shownAt = box->pos();
            for (QAbstractButton* each : box->buttons())
                buttons.append(box->standardButton(each));
            box->button(c.Answer)->click();
        });
        TQtDialogs dialogs;
        bool result = true;
        switch (c.Kind) {
            case Warning: dialogs.Warning(nullptr, text); break;
            case WarningAt: dialogs.WarningAt(nullptr, text, place); break;
            case Question: result = dialogs.Question(nullptr, text); break;
            case Confirm: result = dialogs.Confirm(nullptr, text); break;
        }
        EXPECT_EQ(result, c.Result);
        EXPECT_EQ(shownText, text);
        std::sort(buttons.begin(), buttons.end());
        EXPECT_EQ(buttons, c.Buttons);
        if (c.Kind == WarningAt) {
            EXPECT_EQ(shownAt, place);
        }
    }
}

}  // namespace
