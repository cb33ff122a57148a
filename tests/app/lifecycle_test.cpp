#include "app/lifecycle.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <vector>

#include "lists/official_list.h"
#include "lists/parliament_tree.h"
#include "support/list_files.h"

namespace {

constexpr std::chrono::year_month_day Reset{std::chrono::year{1999}, std::chrono::January,
                                            std::chrono::day{1}};

class StartupListsTest : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(Folder.isValid());
        SetDefaultSettings();
        Defaults = Settings;
    }

    std::vector<std::string> Load() {
        std::vector<std::string> warnings;
        LoadStartupLists(Folder.path().toStdString() + "/", Settings,
                         [&](const std::string& message) { warnings.push_back(message); });
        return warnings;
    }

    QTemporaryDir Folder;
    TSettings Defaults;
};

TEST_F(StartupListsTest, EveryMissingFileWarnsInLoadOrderAndResetsItsDate) {
    EXPECT_EQ(Load(), (std::vector<std::string>{
                          "Error World Parliament List.", "Error Loading Senate List.",
                          "Error Loading House List.", "Error Loading World Leader List.",
                          "Error Loading Misc. List."}));
    EXPECT_EQ(Settings.Parliament, Reset);
    EXPECT_EQ(Settings.Senate, Reset);
    EXPECT_EQ(Settings.House, Reset);
    EXPECT_EQ(Settings.Leaders, Reset);
    EXPECT_EQ(Settings.Misc, Reset);
}

TEST_F(StartupListsTest, LoadingGoesOnPastDamagedAndMissingFiles) {
    list_files::WriteAll(Folder.path());
    list_files::Write(Folder.path(), "senate.dat", list_files::DamagedSenate);
    QFile::remove(QDir(Folder.path()).filePath("house.dat"));
    HouseList.Clear();

    EXPECT_EQ(Load(), (std::vector<std::string>{"Error Loading Senate List.",
                                                "Error Loading House List."}));
    EXPECT_EQ(Settings.Senate, Reset);
    EXPECT_EQ(Settings.House, Reset);
    EXPECT_EQ(Settings.Parliament, Defaults.Parliament);
    EXPECT_EQ(Settings.Leaders, Defaults.Leaders);
    EXPECT_EQ(Settings.Misc, Defaults.Misc);
    EXPECT_EQ(SenateList.RowCount(), 0);
    EXPECT_EQ(LeaderList.RowCount(), 1);
    EXPECT_EQ(MultimediaList.RowCount(), 2);
    EXPECT_FALSE(ParliamentTree.Root().Children.empty());
}

TEST_F(StartupListsTest, TreeIsReadAfreshNotAppended) {
    list_files::WriteAll(Folder.path());
    ASSERT_TRUE(Load().empty());
    const std::size_t groups = ParliamentTree.Root().Children.size();
    ASSERT_TRUE(Load().empty());
    EXPECT_EQ(ParliamentTree.Root().Children.size(), groups);
}

TEST_F(StartupListsTest, LinkItemsFollowFileOrder) {
    list_files::WriteAll(Folder.path());
    ASSERT_TRUE(Load().empty());
    const std::vector<TLinkItem> links = LinkItems(AdditionalLinksList);
    ASSERT_EQ(links.size(), 3u);
    EXPECT_EQ(links[0].Caption, "Link C");
    EXPECT_EQ(links[0].Address, "http://c.example/");
    EXPECT_EQ(links[2].Caption, "Link B");
    EXPECT_TRUE(LinkItems(TOfficialList()).empty());
}

TEST(RecordClosingStateTest, EachWindowState) {
    TSettings settings;
    settings.Left = 1;
    settings.Top = 2;
    settings.Width = 3;
    settings.Height = 4;
    settings.Status = 0;
    EXPECT_TRUE(RecordClosingState(settings, TWindowState::Maximized, {9, 9, 9, 9}, 120));
    EXPECT_EQ(settings.Status, 1);
    EXPECT_EQ(settings.Left, 1);
    EXPECT_EQ(settings.Height, 4);
    EXPECT_EQ(settings.OutBarWidth, 120);

    EXPECT_TRUE(RecordClosingState(settings, TWindowState::Normal, {10, 20, 700, 500}, 130));
    EXPECT_EQ(settings.Status, 0);
    EXPECT_EQ(settings.Left, 10);
    EXPECT_EQ(settings.Top, 20);
    EXPECT_EQ(settings.Width, 700);
    EXPECT_EQ(settings.Height, 500);
    EXPECT_EQ(settings.OutBarWidth, 130);

    EXPECT_FALSE(RecordClosingState(settings, TWindowState::Minimized, {0, 0, 1, 1}, 140));
    EXPECT_EQ(settings.Width, 700);
}

}  // namespace
