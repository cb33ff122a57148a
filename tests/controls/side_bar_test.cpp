#include "controls/side_bar.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QListWidget>
#include <QSignalSpy>
#include <QTest>
#include <QToolBox>

namespace {

QIcon Swatch(Qt::GlobalColor colour, int size) {
    QPixmap picture(size, size);
    picture.fill(colour);
    return QIcon(picture);
}

class SideBarTest : public testing::Test {
  protected:
    void SetUp() override {
        Bar.SetLargeImages({Swatch(Qt::red, 32), Swatch(Qt::blue, 32)});
        Bar.SetSmallImages({Swatch(Qt::green, 16)});
        Government = Bar.AddGroup("US Government", TSideBar::TIconSize::Large);
        Links = Bar.AddGroup("Additional Links", TSideBar::TIconSize::Small);
        Bar.AddItem(Government, "Senate", 0);
        Bar.AddItem(Government, "House Of Representatives", 1);
        Bar.resize(TSideBar::DesignWidth, 400);
        Bar.show();
    }

    QListWidget* List(int group) {
        return qobject_cast<QListWidget*>(Bar.findChild<QToolBox*>()->widget(group));
    }

    TSideBar Bar;
    int Government = -1;
    int Links = -1;
};

TEST_F(SideBarTest, ItemsAppendedAtRunTimeKeepOrderAndAddress) {
    EXPECT_EQ(Bar.AddItem(Links, "First", 0, "http://one.example/"), 0);
    EXPECT_EQ(Bar.AddItem(Links, "Second", 0, "http://two.example/"), 1);
    ASSERT_EQ(Bar.GroupCount(), 2);
    EXPECT_EQ(Bar.GroupCaption(Links), "Additional Links");
    EXPECT_EQ(Bar.ItemCount(Links), 2);
    EXPECT_EQ(Bar.ItemCaption(Links, 1), "Second");
    EXPECT_EQ(Bar.ItemAddress(Links, 0), "http://one.example/");
    EXPECT_EQ(Bar.ItemCaption(Government, 1), "House Of Representatives");
    // Out of range asks give nothing rather than failing.
    EXPECT_EQ(Bar.ItemCaption(Links, 2), "");
    EXPECT_EQ(Bar.ItemCount(7), 0);
    EXPECT_EQ(Bar.AddItem(7, "Nowhere", 0), -1);
}

TEST_F(SideBarTest, ItemsTakePicturesFromTheirGroupsImageList) {
    Bar.AddItem(Links, "Pictured", 0);
    Bar.AddItem(Links, "No such picture", 5);
    EXPECT_FALSE(List(Government)->item(1)->icon().isNull());
    EXPECT_EQ(List(Government)->iconSize(), QSize(32, 32));
    EXPECT_EQ(List(Links)->iconSize(), QSize(16, 16));
    EXPECT_FALSE(List(Links)->item(0)->icon().isNull());
    EXPECT_TRUE(List(Links)->item(1)->icon().isNull());
}

TEST_F(SideBarTest, ClickRaisesItemClickedAndLeavesNoHighlight) {
    QSignalSpy clicked(&Bar, &TSideBar::ItemClicked);
    QListWidget* list = List(Government);
    const QRect rect = list->visualItemRect(list->item(1));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
    ASSERT_EQ(clicked.count(), 1);
    EXPECT_EQ(clicked[0][0].toInt(), Government);
    EXPECT_EQ(clicked[0][1].toInt(), 1);
    EXPECT_TRUE(list->selectedItems().isEmpty());
    EXPECT_FALSE(list->item(1)->isSelected());
}

TEST_F(SideBarTest, KeyboardEnterAndSpaceActAsClicks) {
    QSignalSpy clicked(&Bar, &TSideBar::ItemClicked);
    QListWidget* list = List(Government);
    list->setFocus();
    list->setCurrentRow(0);
    QTest::keyClick(list, Qt::Key_Return);
    QTest::keyClick(list, Qt::Key_Down);
    QTest::keyClick(list, Qt::Key_Space);
    ASSERT_EQ(clicked.count(), 2);
    EXPECT_EQ(clicked[0][1].toInt(), 0);
    EXPECT_EQ(clicked[1][1].toInt(), 1);
    EXPECT_TRUE(list->selectedItems().isEmpty());

    // Tab goes on from the open group's list to the next group's header,
    // and Space opens that group.
    Bar.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Bar));
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Tab);
    auto* header = qobject_cast<QAbstractButton*>(QApplication::focusWidget());
    ASSERT_NE(header, nullptr);
    EXPECT_EQ(header->text(), "Additional Links");
    QTest::keyClick(header, Qt::Key_Space);
    EXPECT_EQ(Bar.ActiveGroup(), Links);
}

TEST_F(SideBarTest, ClickItemRaisesTheSignalOnlyForExistingItems) {
    QSignalSpy clicked(&Bar, &TSideBar::ItemClicked);
    Bar.ClickItem(Government, 0);
    Bar.ClickItem(Government, 2);
    Bar.ClickItem(Links, 0);
    ASSERT_EQ(clicked.count(), 1);
    EXPECT_EQ(clicked[0][0].toInt(), Government);
}

TEST_F(SideBarTest, WidthStaysBetweenLimits) {
    EXPECT_EQ(Bar.sizeHint().width(), TSideBar::DesignWidth);
    Bar.resize(40, 300);
    // At least the design's minimum, more where a header's caption needs it
    // (beside the caption a header draws 12 pixels of margin, a border and
    // padding).
    EXPECT_GE(Bar.width(), TSideBar::MinWidth);
    EXPECT_EQ(Bar.width(), Bar.minimumWidth());
    EXPECT_GE(Bar.width(), Bar.fontMetrics().horizontalAdvance("Additional Links") + 16);
    Bar.resize(600, 300);
    EXPECT_EQ(Bar.width(), TSideBar::MaxWidth);
}

TEST_F(SideBarTest, OneGroupOpenAtATime) {
    EXPECT_EQ(Bar.ActiveGroup(), Government);
    Bar.SetActiveGroup(Links);
    EXPECT_EQ(Bar.ActiveGroup(), Links);
    EXPECT_FALSE(List(Government)->isVisible());
    EXPECT_TRUE(List(Links)->isVisible());
}

}  // namespace
