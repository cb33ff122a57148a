#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "base/pending_file.h"
#include "commands.h"
#include "lists/congress/congress_lists.h"
#include "lists/list_writer.h"
#include "lists/official_list.h"
#include "lists/parliament_tree.h"
#include "lists/zip_districts.h"

namespace qvtool {

namespace {

namespace fs = std::filesystem;
using namespace qv;

constexpr const char* kUsage =
    "usage: qvtool lists check FILE...\n"
    "       qvtool lists from-congress YAML OUTDIR\n"
    "       qvtool lists find-zip ZIP [--dir DIR]\n";

int Usage() {
    std::fputs(kUsage, stderr);
    return 2;
}

bool Holds(const std::string& name, const char* part) {
    return name.find(part) != std::string::npos;
}

std::size_t CountNodes(const TParliamentNode& node) {
    std::size_t count = node.Children.size();
    for (const auto& child : node.Children) {
        count += CountNodes(*child);
    }
    return count;
}

// One line for one file: "FILE: OK ..." or "FILE: ERROR ...". True when it
// read.
bool CheckFile(const std::string& file) {
    const std::string name = fs::path(file).filename().string();
    int result = 0;
    std::string counts;
    if (Holds(name, "senate") || Holds(name, "house") || Holds(name, "leader")) {
        TOfficialList list;
        std::vector<std::uint8_t> flags;
        result = LoadOfficialList(file, list, &flags);
        counts = std::to_string(list.RowCount()) + " records";
    } else if (Holds(name, "misc")) {
        TOfficialList spare, multimedia, links;
        result = LoadMiscFile(file, spare, multimedia, links);
        counts = std::to_string(spare.RowCount()) + "+" + std::to_string(multimedia.RowCount()) +
                 "+" + std::to_string(links.RowCount()) + " records";
    } else if (Holds(name, "legis")) {
        TParliamentTree tree;
        result = LoadParliamentTree(file, tree);
        std::size_t groups = 0;
        for (const auto& top : tree.Root().Children) {
            groups += top->IsLeaf ? 0 : 1;
        }
        counts = std::to_string(groups) + " groups, " + std::to_string(CountNodes(tree.Root())) +
                 " nodes";
    } else {
        std::printf("%s: ERROR unknown list\n", file.c_str());
        return false;
    }
    if (result < 0) {
        std::printf("%s: ERROR %d\n", file.c_str(), result);
        return false;
    }
    std::printf("%s: OK %s\n", file.c_str(), counts.c_str());
    return true;
}

int RunCheck(const Args& args) {
    if (args.empty()) {
        return Usage();
    }
    bool allRead = true;
    for (const std::string& file : args) {
        allRead = CheckFile(file) && allRead;
    }
    return allRead ? 0 : 1;
}

// Both files are complete beside their targets before either replaces its
// target, so a failed write leaves the old lists as they were.
int RunFromCongress(const Args& args) {
    if (args.size() != 2) {
        return Usage();
    }
    try {
        const TCongressLists lists = LoadCongressLists(args[0]);
        for (const std::string& warning : lists.Warnings) {
            std::fprintf(stderr, "qvtool lists from-congress: warning: %s\n", warning.c_str());
        }
        const fs::path dir = args[1];
        fs::create_directories(dir);
        qv::TPendingFile senate((dir / "senate.dat").string());
        qv::TPendingFile house((dir / "house.dat").string());
        WriteOfficialList(senate.Stream(), lists.Senate);
        WriteOfficialList(house.Stream(), lists.House);
        senate.Close();
        house.Close();
        senate.Commit();
        house.Commit();
        std::printf("%s: %d senators\n", (dir / "senate.dat").c_str(), lists.Senate.RowCount());
        std::printf("%s: %d seats, %d vacant\n", (dir / "house.dat").c_str(),
                    lists.House.RowCount(), lists.VacantSeats);
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "qvtool lists from-congress: %s\n", e.what());
        return 1;
    }
}

// The folder qvtool runs from, where the program keeps its lists.
fs::path InstallationDirectory() {
    std::error_code ec;
    const fs::path self = fs::read_symlink("/proc/self/exe", ec);
    return ec ? fs::current_path() : self.parent_path();
}

int RunFindZip(const Args& args) {
    fs::path dir;
    std::string zip;
    bool haveZip = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--dir" && i + 1 < args.size()) {
            dir = args[++i];
        } else if (!haveZip && args[i] != "--dir") {
            zip = args[i];
            haveZip = true;
        } else {
            return Usage();
        }
    }
    if (!haveZip) {
        return Usage();
    }
    if (dir.empty()) {
        dir = InstallationDirectory();
    }
    try {
        NormalizeZip(zip);
    } catch (const EZipLookupError&) {
        std::fprintf(stderr, "ZIP code not found: %s\n", zip.c_str());
        return 1;
    }
    // The name sits in field 2 of a Senate record and field 3 of a House one.
    TOfficialList senate, house;
    const struct {
        const char* File;
        TOfficialList* List;
        int Fields;
    } lists[] = {{"senate.dat", &senate, 5}, {"house.dat", &house, 6}};
    for (const auto& list : lists) {
        const std::string path = (dir / list.File).string();
        const int result = LoadOfficialList(path, *list.List, nullptr);
        if (result < 0) {
            std::fprintf(stderr, "qvtool lists find-zip: cannot read %s (error %d)\n", path.c_str(),
                         result);
            return 1;
        }
        if (list.List->FieldCount() < list.Fields) {
            std::fprintf(stderr, "qvtool lists find-zip: %s has fewer than %d fields per record\n",
                         path.c_str(), list.Fields);
            return 1;
        }
    }
    try {
        const TZipDistricts table = TZipDistricts::Load((dir / kZipTableFileName).string());
        const TZipOfficials found = FindZipOfficials(table, zip, senate, house);
        std::string codes;
        for (const TDistrict& district : found.Districts) {
            codes += (codes.empty() ? "" : ", ") + DistrictCode(district);
        }
        std::printf("%s: %s\n", found.Zip.c_str(), codes.c_str());
        for (const int row : found.Senators) {
            std::printf("senator %s: %s\n", senate.Field(row, 0).c_str(),
                        senate.Field(row, 2).c_str());
        }
        for (const int row : found.Representatives) {
            std::printf("representative %s-%s: %s\n", house.Field(row, 0).c_str(),
                        house.Field(row, 1).c_str(), house.Field(row, 3).c_str());
        }
        return 0;
    } catch (const EZipLookupError&) {
        std::fprintf(stderr, "ZIP code not found: %s\n", zip.c_str());
        return 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "qvtool lists find-zip: %s\n", e.what());
        return 1;
    }
}

}  // namespace

// lists check FILE... | lists from-congress YAML OUTDIR | lists find-zip ZIP [--dir DIR]
int RunLists(const Args& args) {
    if (args.empty()) {
        return Usage();
    }
    const Args rest(args.begin() + 1, args.end());
    if (args[0] == "check") {
        return RunCheck(rest);
    }
    if (args[0] == "from-congress") {
        return RunFromCongress(rest);
    }
    if (args[0] == "find-zip") {
        return RunFindZip(rest);
    }
    return Usage();
}

}  // namespace qvtool
