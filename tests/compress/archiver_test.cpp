// TArchiver against real files in a temporary folder, with a fake
// free-space query where the test needs to control it.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <sstream>

#include "compress/archive_errors.h"
#include "compress/archive_writer.h"
#include "compress/archiver.h"
#include "compress/compressors.h"
#include "support/archive_support.h"

namespace qv::compress::testing {
namespace {

namespace fs = std::filesystem;

class TFakeFreeSpace : public TFreeSpaceQuery {
  public:
    explicit TFakeFreeSpace(std::int64_t bytes) : bytes_(bytes) {}
    std::int64_t DiskFreeBytes(const std::string&) const override { return bytes_; }

  private:
    std::int64_t bytes_;
};

Bytes StoredArchive(const std::vector<std::pair<std::string, std::string>>& entries,
                    TMethod method = TMethod::Stored) {
    TArchiveWriter writer(std::string(MethodID(method)));
    for (const auto& [name, text] : entries) {
        writer.AddData(name, ToBytes(text), method);
    }
    return writer.Bytes();
}

TArchiveEntryHeader RawHeader(TMethod method, std::int32_t expanded, std::int32_t checksum,
                              std::int32_t lock = 0) {
    TArchiveEntryHeader h;
    h.method = static_cast<std::uint8_t>(method);
    h.expandedSize = expanded;
    h.checksum = checksum;
    h.lock = lock;
    return h;
}

class ArchiverTest : public ::testing::Test {
  protected:
    ArchiverTest() {
        archiver.SetTargetPath(dir.Folder());
        archiver.SetExceptionOnFileError(true);
    }

    // Expands `archive` from memory; returns the written paths.
    std::vector<std::string> Expand(const Bytes& archive, std::vector<std::string> names) {
        std::istringstream in(std::string(archive.begin(), archive.end()));
        archiver.ExpandArchiveStream(in, &names);
        return names;
    }
    std::vector<std::string> ExpandAll(const Bytes& archive) {
        std::istringstream in(std::string(archive.begin(), archive.end()));
        std::vector<std::string> written;
        archiver.OnCheckFile = [&](std::string& path, TArchiveProcessMode) {
            written.push_back(path);
        };
        archiver.ExpandArchiveStream(in, nullptr);
        return written;
    }
    std::string Named(const Bytes& archive, const std::string& name) {
        const fs::path file = dir.Path() / "archive.qv";
        WriteFile(file, archive);
        std::string result = name;
        archiver.ExpandNamedFile(result, file.string());
        return result;
    }
    std::vector<std::string> FilesInDir() const {
        std::vector<std::string> names;
        for (const auto& e : fs::recursive_directory_iterator(dir.Path())) {
            names.push_back(fs::relative(e.path(), dir.Path()).string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    TTempFolder dir;
    TArchiver archiver;
};

TEST_F(ArchiverTest, TargetPathGetsOneFinalSeparator) {
    TArchiver a;
    EXPECT_EQ(a.TargetPath(), "");
    a.SetTargetPath("/tmp/x");
    EXPECT_EQ(a.TargetPath(), "/tmp/x/");
    a.SetTargetPath("/tmp/x/");
    EXPECT_EQ(a.TargetPath(), "/tmp/x/");
    a.SetTargetPath("");
    EXPECT_EQ(a.TargetPath(), "");
    EXPECT_FALSE(a.MakeDirectories() || a.ExceptionOnFileError() || a.CheckSpaceBeforeExpand());
    EXPECT_EQ(a.Key(), 0);
}

TEST_F(ArchiverTest, NamedFileIsFoundIgnoringCaseAndWrittenUnderItsStoredName) {
    const Bytes archive = StoredArchive({{"other.dat", "x"}, {"Temp2.DAT", "list"}});
    EXPECT_EQ(Named(archive, "temp2.dat"), dir.Folder() + "Temp2.DAT");
    EXPECT_EQ(ReadFile(dir.Path() / "Temp2.DAT"), ToBytes("list"));
    EXPECT_FALSE(fs::exists(dir.Path() / "other.dat"));
    EXPECT_EQ(Named(archive, "missing.dat"), "");
}

TEST_F(ArchiverTest, ShortOrEmptyArchivesExpandNothing) {
    EXPECT_EQ(Named(FromHex("51 56 50 4B 1A"), "a"), "");
    EXPECT_EQ(Named({}, "a"), "");
    // A header total of 0 ends the expansion before the first entry.
    Bytes archive = StoredArchive({{"a", "abc"}});
    archive[8] = 0;
    archive[9] = archive[10] = archive[11] = 0;
    EXPECT_EQ(Named(archive, "a"), "");
    EXPECT_EQ(FilesInDir(), std::vector<std::string>{"archive.qv"});
}

TEST_F(ArchiverTest, EntriesPastTheHeaderTotalAreIgnored) {
    Bytes archive = StoredArchive({{"a", "abc"}, {"b", "de"}, {"c", "f"}});
    archive[8] = 3;  // total: only the first entry's size
    EXPECT_EQ(ExpandAll(archive), std::vector<std::string>{dir.Folder() + "a"});
    // What follows the counted entries is not read as an entry, even when it
    // could not be one.
    archive = StoredArchive({{"a", "abc"}});
    archive.insert(archive.end(), 40, 0xFF);
    EXPECT_EQ(ExpandAll(archive), std::vector<std::string>{dir.Folder() + "a"});
}

TEST_F(ArchiverTest, EntriesOfEveryMethodExpandWithFoldersAndStamps) {
    archiver.SetMakeDirectories(true);
    const Bytes text = SampleText(100000, 1);
    const std::uint32_t stamp =
        (((2021 - 1980) << 9 | 7 << 5 | 4) << 16) | (13 << 11 | 30 << 5 | 10);
    TArchiveWriter writer("LH5");
    for (TMethod m : {TMethod::Stored, TMethod::RunLength, TMethod::Lzh, TMethod::Lh5}) {
        writer.AddData("lists\\" + std::string(MethodID(m)) + "\\data.txt", text, m, stamp,
                       m == TMethod::Lh5 ? kAttributeReadOnly : 0);
    }
    const std::vector<std::string> written =
        Expand(writer.Bytes(), {"LISTS\\non\\data.txt", "lists\\RLE\\data.txt",
                                "lists\\lzh\\data.txt", "lists\\LH5\\data.txt"});
    ASSERT_EQ(written.size(), 4u);
    EXPECT_EQ(written[0], dir.Folder() + "lists/NON/data.txt");
    for (const std::string& path : written) {
        SCOPED_TRACE(path);
        EXPECT_TRUE(ReadFile(path) == text);
        const auto time = std::chrono::system_clock::to_time_t(
            std::chrono::file_clock::to_sys(fs::last_write_time(path)));
        EXPECT_EQ(TimeToDosTime(time), stamp);
    }
    const fs::perms writeBits =
        fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    EXPECT_EQ(fs::status(written[3]).permissions() & writeBits, fs::perms::none);
    EXPECT_NE(fs::status(written[2]).permissions() & fs::perms::owner_write, fs::perms::none);
    fs::permissions(written[3], fs::perms::owner_write, fs::perm_options::add);
}

TEST_F(ArchiverTest, HeaderFaultsRaiseTheirOwnErrors) {
    const Bytes good = StoredArchive({{"a", "abc"}});
    struct TCase {
        const char* what;
        std::size_t offset;
        std::uint8_t value;
        std::string message;
    };
    const TCase cases[] = {
        {"magic", 0, 'X', "Can't recognize compressed file header"},
        {"archive type", 12, 0, "Archive type must be caMulti"},
        {"method ID", 5, 'n', "Unrecognized compression method: \"nON\" in header"},
        {"negative stored size", 21 + 15, 0xFF, "Can't recognize compressed file header"},
        {"negative name length", 21 + 1, 0x80, "Can't recognize compressed file header"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.what);
        Bytes archive = good;
        archive[c.offset] = c.value;
        try {
            Expand(archive, {"a"});
            ADD_FAILURE() << "no error";
        } catch (const EArchiveError& e) {
            EXPECT_EQ(e.what(), c.message);
        }
    }
    Bytes custom = good;
    custom[5] = 'X';
    std::string asked;
    archiver.OnRecognize = [&](const std::string& id, bool& recognized) {
        asked = id;
        recognized = true;
    };
    EXPECT_EQ(Expand(custom, {"a"}).size(), 1u);
    EXPECT_EQ(asked, "XON");
}

// Damaged entries: each fails with its class and leaves no file of its own,
// while a good file already at the target stays as it was.
TEST_F(ArchiverTest, FailedEntriesLeaveTheOldFileInPlace) {
    struct TCase {
        const char* what;
        TArchiveEntryHeader header;
        Bytes stored;
        std::string errorClass;
    };
    const Bytes content = ToBytes("new list content");
    const auto sum = static_cast<std::int32_t>(ByteSum(content));
    const Bytes lzh = CompressLzh(content);
    const TCase cases[] = {
        {"stored, wrong checksum", RawHeader(TMethod::Stored, 3, 1), ToBytes("abc"),
         "EBadChecksum"},
        {"LZH, wrong checksum", RawHeader(TMethod::Lzh, 16, 5), lzh, "EBadChecksum"},
        {"LH5, damaged table", RawHeader(TMethod::Lh5, 10, 0), FromHex("00 01 09"),
         "ELZHBadDecodeTable"},
        {"LZH, stored data cut short", RawHeader(TMethod::Lzh, 16, sum),
         Bytes(lzh.begin(), lzh.begin() + 4), "EBadChecksum"},
        {"RLE, wrong checksum", RawHeader(TMethod::RunLength, 5, 1), FromHex("41 94 05"),
         "EBadChecksum"},
        {"locked, no key", RawHeader(TMethod::Stored, 3, 0, 1), ToBytes("abc"), "EInvalidKey"},
        {"method 7, checksum set", RawHeader(static_cast<TMethod>(7), 3, 9), ToBytes("abc"),
         "EBadChecksum"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.what);
        WriteFile(dir.Path() / "list.dat", ToBytes("good"));
        TArchiveWriter writer("LH5");
        writer.AddStoredEntry(c.header, "list.dat", c.stored);
        try {
            Expand(writer.Bytes(), {"list.dat"});
            ADD_FAILURE() << "no error";
        } catch (const EArchiveError& e) {
            EXPECT_EQ(e.ClassName(), c.errorClass);
        }
        EXPECT_EQ(ReadFile(dir.Path() / "list.dat"), ToBytes("good"));
        EXPECT_EQ(FilesInDir(), std::vector<std::string>{"list.dat"});
    }
}

TEST_F(ArchiverTest, ChecksumRules) {
    TArchiveWriter writer("NON");
    // A stored entry with checksum 0 is taken as it is.
    writer.AddStoredEntry(RawHeader(TMethod::Stored, 3, 0), "zero", ToBytes("abc"));
    // A custom entry without a handler writes nothing and passes with 0;
    // the entry after it is still found where its header says.
    writer.AddStoredEntry(RawHeader(TMethod::Custom, 3, 0), "custom", ToBytes("xyz"));
    writer.AddStoredEntry(RawHeader(static_cast<TMethod>(9), 3, 0), "unknown", ToBytes("xyz"));
    writer.AddData("after", ToBytes("tail"), TMethod::Stored);
    const auto written = ExpandAll(writer.Bytes());
    ASSERT_EQ(written.size(), 4u);
    EXPECT_EQ(ReadFile(written[0]), ToBytes("abc"));
    EXPECT_TRUE(ReadFile(written[1]).empty());
    EXPECT_TRUE(ReadFile(written[2]).empty());
    EXPECT_EQ(ReadFile(written[3]), ToBytes("tail"));
}

TEST_F(ArchiverTest, CustomMethodRunsTheExpandHandler) {
    TArchiveWriter writer("CUS");
    writer.AddStoredEntry(RawHeader(TMethod::Custom, 6, 'a' * 6), "c", ToBytes("6a"));
    archiver.OnExpand = [](std::ostream& dest, std::istream& source, std::int32_t sourceSize,
                           std::int32_t destSize, const std::string& id, std::int32_t& checksum) {
        EXPECT_EQ(sourceSize, 2);
        EXPECT_EQ(id, "CUS");
        std::string data(2, '\0');
        source.read(data.data(), 2);
        dest << std::string(static_cast<std::size_t>(destSize), data[1]);
        checksum = 'a' * destSize;
    };
    EXPECT_EQ(ReadFile(Expand(writer.Bytes(), {"c"}).at(0)), ToBytes("aaaaaa"));
}

TEST_F(ArchiverTest, LockedEntriesNeedTheKey) {
    const Bytes text = SampleText(20000, 4);
    TArchiveWriter writer("LH5", 0x1234567);
    writer.AddData("locked.txt", text, TMethod::Lh5);
    writer.AddData("stored.txt", text, TMethod::Stored);
    const Bytes archive = writer.Bytes();
    EXPECT_THROW(Expand(archive, {"locked.txt"}), EInvalidKey);
    archiver.SetKey(0x1234567);
    const auto written = Expand(archive, {"locked.txt", "stored.txt"});
    ASSERT_EQ(written.size(), 2u);
    EXPECT_TRUE(ReadFile(written[0]) == text);
    EXPECT_TRUE(ReadFile(written[1]) == text);
    archiver.SetKey(99);
    EXPECT_THROW(Expand(archive, {"locked.txt"}), EInvalidKey);
    EXPECT_THROW(Expand(archive, {"stored.txt"}), EInvalidKey);
}

TEST_F(ArchiverTest, CheckFileHandlerRedirectsSkipsAndStops) {
    const Bytes archive = StoredArchive({{"a", "1"}, {"b", "2"}, {"c", "3"}, {"d", "4"}});
    archiver.OnCheckFile = [&](std::string& path, TArchiveProcessMode mode) {
        EXPECT_EQ(static_cast<int>(mode), 1);
        if (path.ends_with("a")) {
            path = dir.Folder() + "renamed";
        } else if (path.ends_with("b")) {
            path.clear();
        } else if (path.ends_with("c")) {
            path = "*";
        }
    };
    EXPECT_EQ(Expand(archive, {"a", "b", "c", "d"}),
              std::vector<std::string>{dir.Folder() + "renamed"});
    EXPECT_EQ(FilesInDir(), std::vector<std::string>{"renamed"});
}

TEST_F(ArchiverTest, UnsafeNamesAreRefusedBeforeWriting) {
    archiver.SetMakeDirectories(true);
    using namespace std::string_literals;
    for (const std::string& name :
         {"..\\evil"s, "lists\\..\\..\\evil"s, "\\etc\\evil"s, "/etc/evil"s, "lists/../../evil"s,
          ".."s, "a\\.."s, "..\0\\evil"s}) {
        SCOPED_TRACE(name);
        const Bytes archive = StoredArchive({{name, "x"}});
        try {
            Expand(archive, {name});
            ADD_FAILURE() << "no error";
        } catch (const EUnsafeEntryName& e) {
            // A message is a C string: it ends at a NUL in the name.
            EXPECT_STREQ(e.what(), ("Entry name leaves the target folder: " + name).c_str());
        }
        EXPECT_TRUE(FilesInDir().empty());
    }
    // Dots inside a name are not a step up.
    EXPECT_EQ(Expand(StoredArchive({{"a..b\\...", "x"}}), {"a..b\\..."}).size(), 1u);
}

TEST_F(ArchiverTest, FreeSpaceIsCheckedAgainstTheExpandedSize) {
    const Bytes archive = StoredArchive({{"empty", ""}, {"big", std::string(100, 'b')}});
    {
        TArchiver failing(std::make_shared<TFakeFreeSpace>(-1));
        failing.SetTargetPath(dir.Folder());
        failing.SetCheckSpaceBeforeExpand(true);
        std::vector<std::string> names{"empty"};
        std::istringstream in(std::string(archive.begin(), archive.end()));
        try {
            failing.ExpandArchiveStream(in, &names);
            ADD_FAILURE() << "no error";
        } catch (const EInsufficientDiskSpace& e) {
            EXPECT_EQ(e.what(), "Not enough disk space to expand " + dir.Folder() + "empty");
        }
    }
    TArchiver tight(std::make_shared<TFakeFreeSpace>(99));
    tight.SetTargetPath(dir.Folder());
    tight.SetCheckSpaceBeforeExpand(true);
    std::vector<std::string> names{"big"};
    std::istringstream in(std::string(archive.begin(), archive.end()));
    EXPECT_THROW(tight.ExpandArchiveStream(in, &names), EInsufficientDiskSpace);
    // An old file at the target is no space: the entry is written beside it
    // in full before the old one goes.
    WriteFile(dir.Path() / "big", ToBytes(std::string(100, 'o')));
    std::istringstream beside(std::string(archive.begin(), archive.end()));
    EXPECT_THROW(tight.ExpandArchiveStream(beside, &names), EInsufficientDiskSpace);
    EXPECT_EQ(ReadFile(dir.Path() / "big"), ToBytes(std::string(100, 'o')));
    tight.SetCheckSpaceBeforeExpand(false);
    std::istringstream again(std::string(archive.begin(), archive.end()));
    EXPECT_NO_THROW(tight.ExpandArchiveStream(again, &names));
}

TEST_F(ArchiverTest, OutputThatCannotBeCreated) {
    const Bytes archive = StoredArchive({{"taken", "1"}, {"free", "2"}});
    fs::create_directory(dir.Path() / "taken");  // a folder where the file should go
    try {
        Expand(archive, {"taken", "free"});
        ADD_FAILURE() << "no error";
    } catch (const EFCreateError& e) {
        EXPECT_NE(std::string(e.what()).find(dir.Folder() + "taken"), std::string::npos);
    }
    archiver.SetExceptionOnFileError(false);
    EXPECT_EQ(Expand(archive, {"taken", "free"}), std::vector<std::string>{dir.Folder() + "free"});
    // A missing folder without MakeDirectories, and a file where a folder
    // should be with it.
    archiver.SetExceptionOnFileError(true);
    const Bytes nested = StoredArchive({{"free\\sub\\x", "3"}});
    EXPECT_THROW(Expand(nested, {"free\\sub\\x"}), EFCreateError);
    archiver.SetMakeDirectories(true);
    EXPECT_THROW(Expand(nested, {"free\\sub\\x"}), EInOutError);
    EXPECT_THROW(archiver.ExpandArchiveFile((dir.Path() / "none.qv").string(), nullptr),
                 EFOpenError);
}

TEST_F(ArchiverTest, ProgressRunsFromZeroToHundredAndCanStopAnEntry) {
    const Bytes text = SampleText(200000, 9);
    TArchiveWriter writer("LH5");
    writer.AddData("t", text, TMethod::Lzh);
    std::vector<int> seen;
    archiver.OnShowProgress = [&](int& percent) { seen.push_back(percent); };
    Expand(writer.Bytes(), {"t"});
    ASSERT_GE(seen.size(), 3u);
    EXPECT_EQ(seen.front(), 0);
    EXPECT_EQ(seen.back(), 100);
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
    // Stopping at the start reads nothing: checksum 0, which a stored entry
    // with checksum 0 accepts.
    TArchiveWriter stored("NON");
    stored.AddStoredEntry(RawHeader(TMethod::Stored, 3, 0), "s", ToBytes("abc"));
    archiver.OnShowProgress = [](int& percent) { percent = -1; };
    EXPECT_TRUE(ReadFile(Expand(stored.Bytes(), {"s"}).at(0)).empty());
}

}  // namespace
}  // namespace qv::compress::testing
