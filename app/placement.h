#pragma once

// Window placement rules, free of any window so that they can be checked on
// any screen size.

struct TScreenSize {
    int Width;
    int Height;
};

struct TWindowRect {
    int Left;
    int Top;
    int Width;
    int Height;

    bool operator==(const TWindowRect&) const = default;
};

// Rounds to the nearest integer, halves to the even neighbour (2.5 -> 2,
// 3.5 -> 4, -2.5 -> -2).
int RoundHalfEven(double value);

struct TMainPlacement {
    bool Maximized;
    // The normal-state geometry; also what the window returns to when a
    // maximized window is restored.
    TWindowRect Normal;
};

// Where the main window opens, from the saved "Status" (1 = maximized) and
// geometry and the size of the screen's usable area. A window whose saved
// top-left corner would leave less than a quarter of it on the screen opens
// at 0, 0; a saved size that does not fit opens at a standard size.
TMainPlacement PlaceMainWindow(int savedStatus, const TWindowRect& saved, TScreenSize screen);

// Where the welcome window opens: centred over the main window, or at the
// main window's top-left corner if centring would push it past the screen's
// right or bottom edge. Only the result's Left and Top are set anew.
TWindowRect PlaceWelcomeWindow(const TWindowRect& main, const TWindowRect& welcome,
                               TScreenSize screen);

// Where the about and grid colour windows open: centred over the main window,
// each axis on its own; on an axis where the centred window would reach the
// screen's right (or bottom) edge it takes the main window's left (or top)
// instead. Only the result's Left and Top are set anew.
TWindowRect PlaceDialog(const TWindowRect& main, const TWindowRect& dialog, TScreenSize screen);
