#include "app/pages.h"

#include <QUrl>

#include "app/app_state.h"
#include "update/servers.h"

namespace {

std::string ProductPage(const char* path) {
    return std::string("http://") + qv::servers::kProductHost + path;
}

}  // namespace

std::string ProductHomePage() {
    return ProductPage("/");
}

std::string OnlineStartPage() {
    return ProductPage("/qnweb/qnindex120.htm");
}

std::string OnlineSupportPage() {
    return ProductPage("/qnweb/qnhelp.htm");
}

std::string NewsPage() {
    return ProductPage("/qnnews/");
}

std::string OrderingPage() {
    return ProductPage("/order.html");
}

std::string SenateVotesPage() {
    return std::string("https://") + qv::servers::kSenateHost +
           "/legislative/legis_act_rollcall.html";
}

std::string HouseVotesPage() {
    return std::string("https://") + qv::servers::kHouseClerkHost + "/evs/index.htm";
}

std::string LocalPage(const char* fileName) {
    return QUrl::fromLocalFile(QString::fromStdString(ProgramDirectory + fileName))
        .toString()
        .toStdString();
}
