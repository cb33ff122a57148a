#include "app/placement.h"

#include <gtest/gtest.h>

namespace {

constexpr TScreenSize Xga{1024, 768};
constexpr TScreenSize Vga{640, 480};

TEST(RoundHalfEvenTest, HalvesGoToTheEvenNeighbour) {
    EXPECT_EQ(RoundHalfEven(0.5), 0);
    EXPECT_EQ(RoundHalfEven(1.5), 2);
    EXPECT_EQ(RoundHalfEven(2.5), 2);
    EXPECT_EQ(RoundHalfEven(160.5), 160);
    EXPECT_EQ(RoundHalfEven(161.5), 162);
    EXPECT_EQ(RoundHalfEven(-0.5), 0);
    EXPECT_EQ(RoundHalfEven(-1.5), -2);
    EXPECT_EQ(RoundHalfEven(2.25), 2);
    EXPECT_EQ(RoundHalfEven(2.75), 3);
}

TEST(PlaceMainWindowTest, NegativeLeftIsRaisedToZero) {
    const TMainPlacement placement = PlaceMainWindow(0, {-30, 10, 640, 410}, Xga);
    EXPECT_FALSE(placement.Maximized);
    EXPECT_EQ(placement.Normal.Left, 0);
    EXPECT_EQ(placement.Normal.Top, 10);
    EXPECT_EQ(placement.Normal.Width, 640);
    EXPECT_EQ(placement.Normal.Height, 410);
}

TEST(PlaceMainWindowTest, OversizedWindowGetsTheStandardSizeForTheScreen) {
    TMainPlacement placement = PlaceMainWindow(0, {0, 0, 2000, 2000}, Xga);
    EXPECT_EQ(placement.Normal.Width, 725);
    EXPECT_EQ(placement.Normal.Height, 516);
    placement = PlaceMainWindow(0, {0, 0, 2000, 2000}, Vga);
    EXPECT_EQ(placement.Normal.Width, 600);
    EXPECT_EQ(placement.Normal.Height, 450);
    // Up to 25 pixels less than the screen still fits.
    placement = PlaceMainWindow(0, {0, 0, 999, 743}, Xga);
    EXPECT_EQ(placement.Normal.Width, 999);
    EXPECT_EQ(placement.Normal.Height, 743);
    placement = PlaceMainWindow(0, {0, 0, 1000, 744}, Xga);
    EXPECT_EQ(placement.Normal.Width, 725);
    EXPECT_EQ(placement.Normal.Height, 516);
}

TEST(PlaceMainWindowTest, CornerTooFarRightOrDownOpensAtOrigin) {
    // 642 / 4 = 160.5 rounds to 160: 854 + 160 reaches 1024 - 10.
    TMainPlacement placement = PlaceMainWindow(0, {854, 40, 642, 410}, Xga);
    EXPECT_EQ(placement.Normal.Left, 0);
    EXPECT_EQ(placement.Normal.Top, 0);
    placement = PlaceMainWindow(0, {853, 40, 642, 410}, Xga);
    EXPECT_EQ(placement.Normal.Left, 853);
    EXPECT_EQ(placement.Normal.Top, 40);
    // 410 / 4 = 102.5 rounds to 102: 656 + 102 reaches 768 - 10.
    placement = PlaceMainWindow(0, {40, 656, 640, 410}, Xga);
    EXPECT_EQ(placement.Normal.Left, 0);
    EXPECT_EQ(placement.Normal.Top, 0);
    placement = PlaceMainWindow(0, {40, 655, 640, 410}, Xga);
    EXPECT_EQ(placement.Normal.Top, 655);
}

TEST(PlaceMainWindowTest, SavedMaximizedStateKeepsTheNormalGeometry) {
    const TMainPlacement placement = PlaceMainWindow(1, {-5, 30, 700, 500}, Xga);
    EXPECT_TRUE(placement.Maximized);
    EXPECT_EQ(placement.Normal.Left, 0);
    EXPECT_EQ(placement.Normal.Top, 30);
    EXPECT_EQ(placement.Normal.Width, 700);
    EXPECT_FALSE(PlaceMainWindow(2, {0, 0, 700, 500}, Xga).Maximized);
}

TEST(PlaceWelcomeWindowTest, CentredOverTheMainWindowUnlessItLeavesTheScreen) {
    TWindowRect welcome = PlaceWelcomeWindow({100, 50, 640, 410}, {0, 0, 301, 200}, Xga);
    // 320 + 100 - rnd(150.5) = 270; 205 + 50 - 100 = 155.
    EXPECT_EQ(welcome.Left, 270);
    EXPECT_EQ(welcome.Top, 155);
    EXPECT_EQ(welcome.Width, 301);
    welcome = PlaceWelcomeWindow({900, 50, 640, 410}, {0, 0, 400, 200}, Xga);
    EXPECT_EQ(welcome.Left, 900);
    EXPECT_EQ(welcome.Top, 50);
    welcome = PlaceWelcomeWindow({0, 600, 640, 410}, {0, 0, 400, 300}, Xga);
    EXPECT_EQ(welcome.Left, 0);
    EXPECT_EQ(welcome.Top, 600);
}

}  // namespace
