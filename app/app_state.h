#pragma once

#include <cstdint>
#include <string>

// Process-wide state of the program shell. All of it is read and written on
// the user-interface thread only.

// The executable's folder, ending in "/": the list files, pages and pictures
// lie there. Set once at start, before the main window is created.
extern std::string ProgramDirectory;

// The display has 8 bits per pixel or fewer: the main window shows its
// caption label instead of the logo and warns once after loading the lists.
extern bool LowColourMode;

// Which list the grid shows: 0 Senate, 1 House, 2 White House, 3 World
// Leaders, 4 none (at start), 5 My Officials (a ZIP code's senators and
// representatives).
extern std::uint8_t CurrentView;

constexpr std::uint8_t NoView = 4;
