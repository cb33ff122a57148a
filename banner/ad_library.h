// The interface between the sponsor banner and the advertising library
// libadimage.so, which fetches and draws the advertisements into the
// banner's window. The library is loaded at run time from the program's
// folder, else from the system's library search path; a replacement needs
// only the five exports below, looked up by these names, with the C calling
// convention. Everything else the library does is its own affair.
#pragma once

#include <cstdint>

// "Initialize": starts one banner. `window` is the banner's native window id
// (an X11 window on X), `softwareId` and `version` identify the program with
// the advertising service, `bannerType` is the banner format's type code and
// `flags` is 1 to stay off line, else 0. Nonzero for success.
using TAdInitialize = std::int16_t (*)(std::uintptr_t window, std::int32_t softwareId,
                                       std::int32_t version, std::int32_t bannerType,
                                       std::int32_t flags);
// "StartMessaging": lets the library send the banner its notifications.
// Nonzero for success.
using TAdStartMessaging = std::int16_t (*)(std::int32_t softwareId);
// "SetThrottle", "SetProxy", "SetOffline": must be exported; the program
// never calls them.
using TAdUnused = void (*)();

// Notification numbers the library sends a banner's window.
constexpr std::uint32_t AdChangeMessage = 0x87B7;        // a new advertisement is shown
constexpr std::uint32_t AdClickThroughMessage = 0x87B9;  // the user clicked the advertisement

extern "C" {

// The library's way back to the program: the program exports this function
// (in its dynamic symbol table; find it with dlsym(RTLD_DEFAULT,
// "QvAdImageNotify")), and the library calls it with a window it was given
// to Initialize and one of the two message numbers. It may be called from
// any thread, at any time: the message is queued and the banner raises its
// event on the user-interface thread. Returns 1 when the message was queued
// for a live banner, 0 for an unknown or destroyed window or another
// message number, which are dropped.
int QvAdImageNotify(std::uintptr_t window, std::uint32_t message);
}
