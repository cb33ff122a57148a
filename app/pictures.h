#pragma once

#include <QPixmap>
#include <array>

// The JPEG pictures the windows show; they lie in ProgramDirectory.

inline constexpr const char* LogoPicture = "qnlogo.jpg";

// The side bar's large pictures, by item: Senate, House Of Representatives,
// White House, Senate Voting, House Voting, World Leaders, World Parliaments.
inline constexpr std::array<const char*, 7> LargeSideBarPictures{
    "sbsenate.jpg", "sbhouse.jpg", "sbwhite.jpg", "sbsvote.jpg",
    "sbhvote.jpg",  "sbworld.jpg", "sbparlia.jpg"};

// The side bar's small pictures: 0 Multimedia links, 1 Additional Links.
inline constexpr std::array<const char*, 2> SmallSideBarPictures{"sbmedia.jpg", "sblink.jpg"};

// The picture `name` from ProgramDirectory, decoded as JPEG; a null pixmap
// if it is missing or cannot be decoded, so that a window still opens.
QPixmap LoadPicture(const char* name);
