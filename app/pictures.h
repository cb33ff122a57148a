#pragma once

#include <QPixmap>
#include <array>

// The JPEG pictures the windows show; they lie in ProgramDirectory.

inline constexpr const char* kLogoPicture = "qnlogo.jpg";
// The program icon, 32 by 32, and the welcome and about windows' background
// tile.
inline constexpr const char* kIconPicture = "qnicon.jpg";
inline constexpr const char* kBackgroundPicture = "qnbkgnd.jpg";

// The side bar's large pictures: Senate, House Of Representatives, White
// House, Senate Voting, House Voting, World Leaders, World Parliaments (the
// items in their order), then My Officials.
inline constexpr std::array<const char*, 8> kLargeSideBarPictures{
    "sbsenate.jpg", "sbhouse.jpg",  "sbwhite.jpg",  "sbsvote.jpg",
    "sbhvote.jpg",  "sbworld.jpg", "sbparlia.jpg", "sbmyzip.jpg"};
inline constexpr int kMyOfficialsPictureIndex = 7;

// The side bar's small pictures: 0 Multimedia links, 1 Additional Links.
inline constexpr std::array<const char*, 2> kSmallSideBarPictures{"sbmedia.jpg", "sblink.jpg"};

// The browser tool bar's icons, side by side in one strip per state, in the
// order back, forward, stop, refresh, home, send, news: the normal strip and
// the highlighted one shown under the mouse pointer.
inline constexpr const char* kToolBarPicture = "tbnormal.jpg";
inline constexpr const char* kToolBarHotPicture = "tbhot.jpg";
inline constexpr int kToolBarIconWidth = 38;
inline constexpr int kToolBarIconHeight = 32;

// The picture `name` from ProgramDirectory, decoded as JPEG; a null pixmap
// if it is missing or cannot be decoded, so that a window still opens.
QPixmap LoadPicture(const char* name);
