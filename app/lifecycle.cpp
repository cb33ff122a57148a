#include "app/lifecycle.h"

#include <array>
#include <chrono>
#include <exception>

#include "lists/list_text.h"
#include "lists/official_list.h"
#include "lists/parliament_tree.h"
#include "update/list_folders.h"

namespace {

struct TStartupList {
    const char* FileName;
    const char* FailureMessage;
    std::chrono::year_month_day TSettings::*Date;
    int (*Load)(const std::string& path);
};

const std::array<TStartupList, 5> StartupLists{{
    {"legis.dat", "Error World Parliament List.", &TSettings::Parliament,
     [](const std::string& path) {
         ParliamentTree.Clear();
         return LoadParliamentTree(path, ParliamentTree);
     }},
    {"senate.dat", "Error Loading Senate List.", &TSettings::Senate,
     [](const std::string& path) { return LoadOfficialList(path, SenateList); }},
    {"house.dat", "Error Loading House List.", &TSettings::House,
     [](const std::string& path) { return LoadOfficialList(path, HouseList); }},
    {"leaders.dat", "Error Loading World Leader List.", &TSettings::Leaders,
     [](const std::string& path) { return LoadOfficialList(path, LeaderList); }},
    {"misc.dat", "Error Loading Misc. List.", &TSettings::Misc,
     [](const std::string& path) { return LoadMiscFile(path); }},
}};

constexpr std::chrono::year_month_day FailedListDate{std::chrono::year{1999}, std::chrono::January,
                                                     std::chrono::day{1}};

}  // namespace

void LoadStartupLists(const std::string& directory, TSettings& settings,
                      const std::function<void(const std::string& message)>& warn) {
    const qv::TListFolders folders = qv::ListFolders(directory);
    for (const TStartupList& list : StartupLists) {
        int result = -1;
        try {
            result = list.Load(qv::ListFilePath(folders, list.FileName));
        } catch (const std::exception&) {
            result = -1;
        }
        if (result < 0) {
            settings.*list.Date = FailedListDate;
            warn(list.FailureMessage);
        }
    }
}

std::vector<TLinkItem> LinkItems(const TOfficialList& section) {
    std::vector<TLinkItem> items;
    items.reserve(static_cast<std::size_t>(section.RowCount()));
    for (int row = 0; row < section.RowCount(); ++row) {
        TLinkItem item;
        if (section.FieldCount() >= 1)
            item.Caption = DisplayText(section.Field(row, 0));
        if (section.FieldCount() >= 2)
            item.Address = DisplayText(section.Field(row, 1));
        items.push_back(std::move(item));
    }
    return items;
}

qv::TProxyConfig FirstRunProxy(const TSettings& settings) {
    return {settings.UseProxy,      settings.ProxyHost,
            settings.ProxyPort,     settings.UseProxyAuthorization,
            settings.ProxyUsername, settings.ProxyPassword};
}

bool RecordClosingState(TSettings& settings, TWindowState state, const TWindowRect& normal,
                        int sideBarWidth) {
    settings.OutBarWidth = sideBarWidth;
    switch (state) {
        case TWindowState::Normal:
            settings.Height = normal.Height;
            settings.Width = normal.Width;
            settings.Left = normal.Left;
            settings.Top = normal.Top;
            settings.Status = 0;
            return true;
        case TWindowState::Maximized:
            settings.Status = 1;
            return true;
        case TWindowState::Minimized:
            return false;
    }
    return false;
}

const char* const LowColourWarning =
    "You are currently running in a 256 color or less resolution\n\n"
    "For improved image quality and program speed, please set your color resolution greater "
    "than 256 colors.\n\n"
    "To change your settings, open your desktop's display settings and choose a color depth of "
    "more than 256 colors.";
