#include "app/placement.h"

#include <cmath>

int RoundHalfEven(double value) {
    const double lower = std::floor(value);
    const double fraction = value - lower;
    if (fraction < 0.5)
        return static_cast<int>(lower);
    if (fraction > 0.5)
        return static_cast<int>(lower) + 1;
    const int even = static_cast<int>(lower);
    return even % 2 == 0 ? even : even + 1;
}

TMainPlacement PlaceMainWindow(int savedStatus, const TWindowRect& saved, TScreenSize screen) {
    TMainPlacement placement{savedStatus == 1, {}};
    TWindowRect& rect = placement.Normal;
    // Wide sums: the saved values come from a file and may be anything, and
    // a wrapped sum would send the window far off the screen.
    const long long right = static_cast<long long>(saved.Left) + RoundHalfEven(saved.Width / 4.0);
    const long long bottom = static_cast<long long>(saved.Top) + RoundHalfEven(saved.Height / 4.0);
    if (right < screen.Width - 10 && bottom < screen.Height - 10) {
        rect.Left = saved.Left < 0 ? 0 : saved.Left;
        rect.Top = saved.Top < 0 ? 0 : saved.Top;
    } else {
        rect.Left = 0;
        rect.Top = 0;
    }
    if (saved.Width <= screen.Width - 25)
        rect.Width = saved.Width;
    else
        rect.Width = screen.Width < 800 ? 600 : 725;
    if (saved.Height <= screen.Height - 25)
        rect.Height = saved.Height;
    else
        rect.Height = screen.Height < 600 ? 450 : 516;
    return placement;
}

TWindowRect PlaceWelcomeWindow(const TWindowRect& main, const TWindowRect& welcome,
                               TScreenSize screen) {
    TWindowRect rect = welcome;
    rect.Left = RoundHalfEven(main.Width / 2.0) + main.Left - RoundHalfEven(welcome.Width / 2.0);
    rect.Top = RoundHalfEven(main.Height / 2.0) + main.Top - RoundHalfEven(welcome.Height / 2.0);
    if (rect.Left + rect.Width > screen.Width || rect.Top + rect.Height > screen.Height) {
        rect.Left = main.Left;
        rect.Top = main.Top;
    }
    return rect;
}

namespace {

// One axis of PlaceDialog, in wide arithmetic against saved extremes.
int CentreOnAxis(int mainStart, int mainLength, int ownLength, int screenLength) {
    const long long centre = static_cast<long long>(mainStart) + RoundHalfEven(mainLength / 2.0);
    const long long half = RoundHalfEven(ownLength / 2.0);
    if (centre + half >= screenLength)
        return mainStart;
    return static_cast<int>(centre - half);
}

}  // namespace

TWindowRect PlaceDialog(const TWindowRect& main, const TWindowRect& dialog, TScreenSize screen) {
    TWindowRect rect = dialog;
    rect.Left = CentreOnAxis(main.Left, main.Width, dialog.Width, screen.Width);
    rect.Top = CentreOnAxis(main.Top, main.Height, dialog.Height, screen.Height);
    return rect;
}
