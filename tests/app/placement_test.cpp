#include "app/placement.h"

#include <gtest/gtest.h>

#include <limits>
#include <ostream>

// Found by GoogleTest's printer next to the type.
void PrintTo(const TWindowRect& rect, std::ostream* out) {
    *out << "{" << rect.Left << ", " << rect.Top << ", " << rect.Width << ", " << rect.Height
         << "}";
}

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

// Where a window saved at `saved` opens in the normal state.
TWindowRect Place(const TWindowRect& saved, TScreenSize screen) {
    return PlaceMainWindow(0, saved, screen).Normal;
}

TEST(PlaceMainWindowTest, NegativeLeftIsRaisedToZero) {
    EXPECT_FALSE(PlaceMainWindow(0, {-30, 10, 640, 410}, Xga).Maximized);
    EXPECT_EQ(Place({-30, 10, 640, 410}, Xga), (TWindowRect{0, 10, 640, 410}));
    EXPECT_EQ(Place({20, -5, 640, 410}, Xga), (TWindowRect{20, 0, 640, 410}));
}

TEST(PlaceMainWindowTest, OversizedWindowGetsTheStandardSizeForTheScreen) {
    EXPECT_EQ(Place({0, 0, 2000, 2000}, Xga), (TWindowRect{0, 0, 725, 516}));
    EXPECT_EQ(Place({0, 0, 2000, 2000}, Vga), (TWindowRect{0, 0, 600, 450}));
    // Up to 25 pixels less than the screen still fits.
    EXPECT_EQ(Place({0, 0, 999, 743}, Xga), (TWindowRect{0, 0, 999, 743}));
    EXPECT_EQ(Place({0, 0, 1000, 744}, Xga), (TWindowRect{0, 0, 725, 516}));
}

TEST(PlaceMainWindowTest, CornerTooFarRightOrDownOpensAtOrigin) {
    // 642 / 4 = 160.5 rounds to 160: 854 + 160 reaches 1024 - 10.
    EXPECT_EQ(Place({854, 40, 642, 410}, Xga), (TWindowRect{0, 0, 642, 410}));
    EXPECT_EQ(Place({853, 40, 642, 410}, Xga), (TWindowRect{853, 40, 642, 410}));
    // 410 / 4 = 102.5 rounds to 102: 656 + 102 reaches 768 - 10.
    EXPECT_EQ(Place({40, 656, 640, 410}, Xga), (TWindowRect{0, 0, 640, 410}));
    EXPECT_EQ(Place({40, 655, 640, 410}, Xga), (TWindowRect{40, 655, 640, 410}));
}

TEST(PlaceMainWindowTest, AbsurdSavedCornerOpensAtOriginRatherThanOffScreen) {
    const int most = std::numeric_limits<int>::max();
    EXPECT_EQ(Place({most - 40, 40, 640, 410}, Xga), (TWindowRect{0, 0, 640, 410}));
    EXPECT_EQ(Place({40, most - 40, 640, 410}, Xga), (TWindowRect{0, 0, 640, 410}));
}

TEST(PlaceMainWindowTest, SavedMaximizedStateKeepsTheNormalGeometry) {
    const TMainPlacement placement = PlaceMainWindow(1, {-5, 30, 700, 500}, Xga);
    EXPECT_TRUE(placement.Maximized);
    EXPECT_EQ(placement.Normal, (TWindowRect{0, 30, 700, 500}));
    EXPECT_FALSE(PlaceMainWindow(2, {0, 0, 700, 500}, Xga).Maximized);
}

TEST(PlaceWelcomeWindowTest, CentredOverTheMainWindowUnlessItLeavesTheScreen) {
    // 320 + 100 - rnd(150.5) = 270; 205 + 50 - 100 = 155.
    EXPECT_EQ(PlaceWelcomeWindow({100, 50, 640, 410}, {0, 0, 301, 200}, Xga),
              (TWindowRect{270, 155, 301, 200}));
    EXPECT_EQ(PlaceWelcomeWindow({900, 50, 640, 410}, {0, 0, 400, 200}, Xga),
              (TWindowRect{900, 50, 400, 200}));
    EXPECT_EQ(PlaceWelcomeWindow({0, 600, 640, 410}, {0, 0, 400, 300}, Xga),
              (TWindowRect{0, 600, 400, 300}));
}

TEST(PlaceDialogTest, CentresEachAxisUnlessItReachesTheScreenEdge) {
    struct TRow {
        const char* Name;
        TWindowRect Main;
        TWindowRect Expected;  // for a 301 by 200 window
    };
    // rnd(301 / 2) = rnd(150.5) = 150.
    const TRow rows[] = {
        {"centred", {100, 50, 640, 410}, {270, 155, 301, 200}},
        {"main at the right edge: left-aligned", {700, 50, 640, 410}, {700, 155, 301, 200}},
        {"the right edge reached exactly", {554, 50, 640, 410}, {554, 155, 301, 200}},
        {"one pixel short of it", {553, 50, 640, 410}, {723, 155, 301, 200}},
        {"main at the bottom: top-aligned", {100, 500, 640, 410}, {270, 500, 301, 200}},
        {"both edges", {800, 700, 640, 410}, {800, 700, 301, 200}},
        {"main partly off the left", {-400, 50, 640, 410}, {-230, 155, 301, 200}},
    };
    for (const TRow& row : rows) {
        SCOPED_TRACE(row.Name);
        EXPECT_EQ(PlaceDialog(row.Main, {5, 5, 301, 200}, Xga), row.Expected);
    }
}

}  // namespace
