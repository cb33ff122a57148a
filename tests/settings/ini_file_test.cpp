#include "settings/ini_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/settings_fixture.h"

namespace {

using testing::SettingsFixture;

// ---- reading ---------------------------------------------------------------

TEST(IniFileRead, SectionAndKeyNamesMatchWithoutRegardToCase) {
    IniFile ini = IniFile::FromText("[mAiN]\nhEiGhT=500\n[Mail]\nUseRemoteEMail=0\n");
    EXPECT_EQ(ini.ReadString("Main", "Height", "x"), "500");
    EXPECT_EQ(ini.ReadString("MAIN", "height", "x"), "500");
    // The reader's spelling finds the writer's.
    EXPECT_EQ(ini.ReadString("Mail", "UseRemoteEmail", "x"), "0");
    EXPECT_FALSE(ini.ReadBool("mail", "useremoteemail", true));
}

TEST(IniFileRead, NamesAndValuesAreTrimmedAndValuesAreNotUnquoted) {
    IniFile ini = IniFile::FromText("  [ Main ]  \n  Height  =  500  \nName=\"Jane\"\n");
    EXPECT_EQ(ini.ReadString("Main", "Height", "x"), "500");
    EXPECT_EQ(ini.ReadString("Main", "Name", "x"), "\"Jane\"");
}

TEST(IniFileRead, ValueRunsFromTheFirstEqualsSign) {
    IniFile ini = IniFile::FromText("[Proxy]\nProxy Password=a=b;c\n");
    EXPECT_EQ(ini.ReadString("Proxy", "Proxy Password", "x"), "a=b;c");
}

TEST(IniFileRead, MissingKeyOrSectionGivesDefaultButEmptyValueIsEmpty) {
    IniFile ini = IniFile::FromText("[Contact]\nName=\n");
    EXPECT_EQ(ini.ReadString("Contact", "Name", "dflt"), "");
    EXPECT_EQ(ini.ReadString("Contact", "City", "dflt"), "dflt");
    EXPECT_EQ(ini.ReadString("Nowhere", "Name", "dflt"), "dflt");
}

TEST(IniFileRead, CommentsAndKeysBeforeAnySectionAreNotKeys) {
    IniFile ini = IniFile::FromText(
        "Height=1\n"
        "[Main]\n"
        "; Height=2\n"
        "# Width=3\n"
        "Left=4\n");
    EXPECT_EQ(ini.ReadInteger("Main", "Height", -1), -1);
    EXPECT_EQ(ini.ReadInteger("Main", "Width", -1), -1);
    EXPECT_EQ(ini.ReadInteger("Main", "Left", -1), 4);
}

TEST(IniFileRead, FirstSectionAndFirstKeyOfANameCount) {
    IniFile ini = IniFile::FromText("[Main]\nTop=1\ntop=2\n[Other]\n[main]\nTop=3\nLeft=4\n");
    EXPECT_EQ(ini.ReadInteger("Main", "Top", -1), 1);
    EXPECT_EQ(ini.ReadInteger("Main", "Left", -1), -1);
}

TEST(IniFileRead, CrLfAndLfLinesBothRead) {
    IniFile ini = IniFile::FromText("[Main]\r\nHeight=500\r\nWidth=700\nTop=9");
    EXPECT_EQ(ini.ReadInteger("Main", "Height", -1), 500);
    EXPECT_EQ(ini.ReadInteger("Main", "Width", -1), 700);
    EXPECT_EQ(ini.ReadInteger("Main", "Top", -1), 9);
}

TEST(IniFileRead, ByteOrderMarkBeforeFirstSectionIsSkippedAndKept) {
    IniFile ini = IniFile::FromText("\xEF\xBB\xBF[Main]\nHeight=500\n");
    EXPECT_EQ(ini.ReadInteger("Main", "Height", -1), 500);
    ini.WriteInteger("Main", "Height", 501);
    EXPECT_EQ(ini.Text(), "\xEF\xBB\xBF[Main]\nHeight=501\n");
}

TEST(IniFileRead, AReadReturnsAtMost2047Characters) {
    std::string long_value(3000, 'a');
    IniFile ini = IniFile::FromText("[Contact]\nName=" + long_value + "\n");
    EXPECT_EQ(ini.ReadString("Contact", "Name", ""), std::string(2047, 'a'));
    // The default is cut the same way.
    EXPECT_EQ(ini.ReadString("Contact", "City", long_value), std::string(2047, 'a'));
    // Exactly 2047 is returned whole.
    IniFile exact = IniFile::FromText("[C]\nK=" + std::string(2047, 'b') + "\n");
    EXPECT_EQ(exact.ReadString("C", "K", "").size(), 2047u);
}

TEST(IniFileRead, CapDoesNotSplitAUtf8Character) {
    // 2046 ASCII letters and then "é" (two bytes): byte 2047 would be half of it.
    std::string value = std::string(2046, 'a') + "\xC3\xA9" + "tail";
    IniFile ini = IniFile::FromText("[C]\nK=" + value + "\n");
    EXPECT_EQ(ini.ReadString("C", "K", ""), std::string(2046, 'a'));
    // Single-byte text that is not UTF-8 is cut at 2047 bytes.
    std::string latin1(3000, '\xE9');
    IniFile other = IniFile::FromText("[C]\nK=" + latin1 + "\n");
    EXPECT_EQ(other.ReadString("C", "K", ""), std::string(2047, '\xE9'));
}

// ---- integers ----------------------------------------------------------------

TEST(ProfileInteger, DecimalAndHexadecimalForms) {
    EXPECT_EQ(ParseProfileInteger("0"), 0);
    EXPECT_EQ(ParseProfileInteger("99"), 99);
    EXPECT_EQ(ParseProfileInteger("-8"), -8);
    EXPECT_EQ(ParseProfileInteger("+8"), 8);
    EXPECT_EQ(ParseProfileInteger("007"), 7);
    EXPECT_EQ(ParseProfileInteger("0x10"), 16);
    EXPECT_EQ(ParseProfileInteger("0X1f"), 31);
    EXPECT_EQ(ParseProfileInteger("$10"), 16);
    EXPECT_EQ(ParseProfileInteger("-$10"), -16);
    EXPECT_EQ(ParseProfileInteger("2147483647"), 2147483647);
    EXPECT_EQ(ParseProfileInteger("-2147483648"), -2147483647 - 1);
    EXPECT_EQ(ParseProfileInteger("0xFFFFFFFF"), -1);
    EXPECT_EQ(ParseProfileInteger("  42"), 42);
}

TEST(ProfileInteger, MalformedTextsDoNotConvert) {
    for (const char* text : {"", "ten", "0x", "$", "-", "12a", "1 2", "42 ", "0xG", "-0x10",
                             "2147483648", "-2147483649", "0x100000000", "1.5", "1e3"}) {
        EXPECT_EQ(ParseProfileInteger(text), std::nullopt) << '"' << text << '"';
    }
}

TEST(ProfileInteger, ReadIntegerAndReadBoolFallBackToTheDefault) {
    IniFile ini =
        IniFile::FromText("[Mail]\nMax Recipients=0x10\nA=ten\nB=\nYes=7\nNo=0\nBad=yes\n");
    EXPECT_EQ(ini.ReadInteger("Mail", "Max Recipients", 99), 16);
    EXPECT_EQ(ini.ReadInteger("Mail", "A", 99), 99);
    EXPECT_EQ(ini.ReadInteger("Mail", "B", 99), 99);
    EXPECT_EQ(ini.ReadInteger("Mail", "Missing", 99), 99);
    EXPECT_TRUE(ini.ReadBool("Mail", "Yes", false));
    EXPECT_FALSE(ini.ReadBool("Mail", "No", true));
    EXPECT_TRUE(ini.ReadBool("Mail", "Bad", true));
    EXPECT_FALSE(ini.ReadBool("Mail", "Bad", false));
}

// ---- writing -----------------------------------------------------------------

TEST(IniFileWrite, NewFileGetsSectionsInWriteOrder) {
    IniFile ini;
    ini.WriteString("Proxy", "Use Proxy", "0");
    ini.WriteString("Main", "Status", "0");
    ini.WriteString("Proxy", "Proxy Host", "");
    ini.WriteString("Main", "OddRowColor", "1");
    EXPECT_EQ(ini.Text(),
              "[Proxy]\n"
              "Use Proxy=0\n"
              "Proxy Host=\n"
              "\n"
              "[Main]\n"
              "Status=0\n"
              "OddRowColor=1\n");
}

TEST(IniFileWrite, ExistingKeyIsReplacedInPlaceKeepingSpellingAndSpacing) {
    IniFile ini = IniFile::FromText("[main]\n; placement\nHEIGHT = 500\nWidth=640\n");
    ini.WriteInteger("Main", "Height", 600);
    ini.WriteInteger("MAIN", "width", 700);
    EXPECT_EQ(ini.Text(), "[main]\n; placement\nHEIGHT = 600\nWidth=700\n");
}

TEST(IniFileWrite, NewKeyGoesAtTheEndOfItsSectionBeforeTheBlankLines) {
    IniFile ini = IniFile::FromText(
        "; top\n"
        "[Main]\n"
        "Height=500\n"
        "; a comment that ends the section\n"
        "\n"
        "\n"
        "[Mail]\n"
        "ReplyTo=me@example.org\n");
    ini.WriteInteger("main", "Width", 640);
    ini.WriteString("Mail", "SMTP Server", "smtp.example.org");
    EXPECT_EQ(ini.Text(),
              "; top\n"
              "[Main]\n"
              "Height=500\n"
              "; a comment that ends the section\n"
              "Width=640\n"
              "\n"
              "\n"
              "[Mail]\n"
              "ReplyTo=me@example.org\n"
              "SMTP Server=smtp.example.org\n");
}

TEST(IniFileWrite, NewKeyInAnEmptySectionFollowsItsHeader) {
    IniFile ini = IniFile::FromText("[Main]\n\n[Mail]\n");
    ini.WriteInteger("Main", "Top", 50);
    EXPECT_EQ(ini.Text(), "[Main]\nTop=50\n\n[Mail]\n");
}

TEST(IniFileWrite, NewSectionGoesAtTheEndOfTheFile) {
    IniFile ini = IniFile::FromText("[Main]\nTop=1");  // no final line end
    ini.WriteString("Contact", "Name", "Jane");
    EXPECT_EQ(ini.Text(), "[Main]\nTop=1\n\n[Contact]\nName=Jane\n");
    IniFile spaced = IniFile::FromText("[Main]\nTop=1\n\n");
    spaced.WriteString("Contact", "Name", "Jane");
    EXPECT_EQ(spaced.Text(), "[Main]\nTop=1\n\n[Contact]\nName=Jane\n");
}

TEST(IniFileWrite, NothingIsDeletedAndCrLfBecomesLf) {
    IniFile ini = IniFile::FromText("junk line\r\n[X]\r\nweird line\r\nk=v\r\n[Main]\r\nTop=1\r\n");
    ini.WriteInteger("Main", "Top", 2);
    EXPECT_EQ(ini.Text(), "junk line\n[X]\nweird line\nk=v\n[Main]\nTop=2\n");
}

TEST(IniFileWrite, LineBreaksInAValueCannotSplitItsLine) {
    IniFile ini;
    ini.WriteString("Contact", "Street1", "1 Main St\r\n[Main]\nTop=0");
    EXPECT_EQ(ini.Text(), "[Contact]\nStreet1=1 Main St  [Main] Top=0\n");
    EXPECT_FALSE(ini.HasSection("Main"));
}

// ---- files ---------------------------------------------------------------------

class IniFileDisk : public SettingsFixture {
  protected:
    std::string Dir() const { return root_ + "/files"; }
    std::string Path() const { return Dir() + "/test.ini"; }
    void SetUp() override {
        SettingsFixture::SetUp();
        std::filesystem::create_directories(Dir());
    }
};

TEST_F(IniFileDisk, MissingFileReadsAsEmptyAndSaveCreatesIt) {
    EXPECT_EQ(ReadProfileString(Path(), "Main", "Top", "dflt"), "dflt");
    WriteProfileString(Path(), "Main", "Top", "50");
    EXPECT_EQ(ReadFile(Path()), "[Main]\nTop=50\n");
    EXPECT_EQ(ReadProfileString(Path(), "main", "top", "dflt"), "50");
    EXPECT_EQ(Entries(Dir()), std::vector<std::string>{"test.ini"});
    // The file may hold a proxy password: only its owner reads it.
    EXPECT_EQ(std::filesystem::status(Path()).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
}

TEST_F(IniFileDisk, EachWriteReplacesTheWholeFileAndLeavesNoTemporaryFile) {
    WriteFile(Path(), "; mine\r\n[Main]\r\nTop=1\r\n");
    WriteProfileString(Path(), "Main", "Top", "2");
    WriteProfileString(Path(), "Main", "Left", "3");
    EXPECT_EQ(ReadFile(Path()), "; mine\n[Main]\nTop=2\nLeft=3\n");
    EXPECT_EQ(Entries(Dir()), std::vector<std::string>{"test.ini"});
}

TEST_F(IniFileDisk, SaveThroughASymbolicLinkKeepsTheLink) {
    std::string real = Dir() + "/real.ini";
    WriteFile(real, "[Main]\nTop=1\n");
    std::filesystem::create_symlink(real, Path());
    WriteProfileString(Path(), "Main", "Top", "2");
    EXPECT_TRUE(std::filesystem::is_symlink(Path()));
    EXPECT_EQ(ReadFile(real), "[Main]\nTop=2\n");
}

TEST_F(IniFileDisk, FolderWhereTheFileShouldGoIsARefusedWrite) {
    std::filesystem::create_directories(Path());
    WriteFile(Path() + "/inside.txt", "keep");
    EXPECT_EQ(ReadProfileString(Path(), "Main", "Top", "dflt"), "dflt");
    try {
        WriteProfileString(Path(), "Main", "Top", "2");
        FAIL() << "no error raised";
    } catch (const ESettingsWriteError& e) {
        EXPECT_STREQ(e.what(), ("Unable to write to " + Path()).c_str());
        EXPECT_EQ(e.path(), Path());
    }
    // Saving a text over the folder is refused too (at the rename).
    IniFile ini;
    ini.WriteString("Main", "Top", "2");
    EXPECT_THROW(ini.Save(Path()), ESettingsWriteError);
    EXPECT_TRUE(std::filesystem::is_directory(Path()));
    EXPECT_EQ(ReadFile(Path() + "/inside.txt"), "keep");
    EXPECT_EQ(Entries(Dir()), std::vector<std::string>{"test.ini"});
}

TEST_F(IniFileDisk, MissingFolderIsARefusedWrite) {
    std::string path = Dir() + "/no/such/folder/test.ini";
    EXPECT_THROW(WriteProfileString(path, "Main", "Top", "2"), ESettingsWriteError);
}

TEST_F(IniFileDisk, FullDiskLeavesTheOldFileWholeAndNoTemporaryFile) {
    std::string old_text = "; hand-written\n[Main]\nTop=1\n";
    WriteFile(Path(), old_text);
    IniFile ini = IniFile::Load(Path());
    ini.WriteString("Contact", "Name", std::string(5000, 'x'));
    std::string path = Path();
    int rc = InChildWithFileSizeLimit(64, [&] {
        try {
            ini.Save(path);
        } catch (const ESettingsWriteError& e) {
            return std::string(e.what()) == "Unable to write to " + path ? 0 : 2;
        }
        return 1;
    });
    EXPECT_EQ(rc, 0) << "0: the exact error; 1: no error; 2: another message";
    EXPECT_EQ(ReadFile(Path()), old_text);
    EXPECT_EQ(Entries(Dir()), std::vector<std::string>{"test.ini"});
}

}  // namespace
