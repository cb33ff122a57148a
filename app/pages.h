#pragma once

#include <string>

// The addresses of the pages the program opens in its browser pane. The
// product server's host is in update/servers.h with the program's other hosts.

// Pages on the product server.
std::string ProductHomePage();  // its root
std::string OnlineStartPage();  // the start page the main window opens
std::string OnlineSupportPage();
std::string NewsPage();
std::string OrderingPage();

// The chambers' vote pages.
std::string SenateVotesPage();
std::string HouseVotesPage();

// The local copies in ProgramDirectory, as file URLs.
inline constexpr const char* kLocalStartPageFile = "qnindex.htm";
inline constexpr const char* kLocalHelpPageFile = "qnhelp.htm";
std::string LocalPage(const char* fileName);
