#include "lists/congress/congress_lists.h"

#include <yaml-cpp/yaml.h>

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <tuple>
#include <utility>
#include <vector>

#include "lists/list_writer.h"
#include "lists/us_states.h"

namespace qv {

namespace {

struct TSenator {
    std::vector<std::string> Fields;
    std::string ServiceStart;  // ISO date, so text order is date order
    bool Senior = false;
    std::size_t Entry = 0;
};

// parent[key] when `parent` is a map holding `key`, else a null node. A
// missing key would give an invalid node, which raises on every question
// but IsDefined(); nothing here ever holds one.
YAML::Node Child(const YAML::Node& parent, const char* key) {
    if (parent.IsMap()) {
        const YAML::Node value = std::as_const(parent)[key];
        if (value.IsDefined()) {
            return value;
        }
    }
    return YAML::Node();
}

// One entry of the dataset, read with its position for the messages.
class TMember {
  public:
    TMember(const YAML::Node& node, std::size_t index, const std::string& file)
        : node_(node), index_(index), file_(file) {}

    [[noreturn]] void Fail(const std::string& what) const {
        throw ECongressDataError(Describe(what));
    }

    // The scalar at node[key], or nullopt when absent or null. Raises for a
    // value that is a map or sequence.
    std::optional<std::string> Text(const YAML::Node& node, const char* key) const {
        const YAML::Node value = Child(node, key);
        if (value.IsNull()) {
            return std::nullopt;
        }
        if (!value.IsScalar()) {
            Fail(std::string("\"") + key + "\" is not text");
        }
        return value.Scalar();
    }

    // "FILE, entry N (who): what".
    std::string Describe(const std::string& what) const {
        return file_ + ", entry " + std::to_string(index_ + 1) + Who() + ": " + what;
    }

    std::string Required(const YAML::Node& node, const char* key, const char* what) const {
        auto value = Text(node, key);
        if (!value || value->empty()) {
            Fail(std::string("no ") + what);
        }
        return *value;
    }

    const YAML::Node& Node() const { return node_; }

    YAML::Node Name() const {
        const YAML::Node name = Child(node_, "name");
        if (!name.IsMap()) {
            Fail("no name");
        }
        return name;
    }

    // The terms served, oldest first; at least one.
    YAML::Node Terms() const {
        const YAML::Node terms = Child(node_, "terms");
        if (!terms.IsSequence() || terms.size() == 0) {
            Fail("no terms");
        }
        return terms;
    }

    // The last of `terms`, the one being served.
    YAML::Node CurrentTerm(const YAML::Node& terms) const {
        const YAML::Node term = terms[terms.size() - 1];
        if (!term.IsMap()) {
            Fail("the current term is not a map");
        }
        return term;
    }

  private:
    // " (Maria Cantwell)", from whatever names the member; the messages
    // must not fail on an entry that lacks its name.
    std::string Who() const {
        const auto scalar = [](const YAML::Node& parent, const char* key) {
            const YAML::Node n = Child(parent, key);
            return n.IsScalar() ? n.Scalar() : std::string();
        };
        const YAML::Node name = Child(node_, "name");
        std::string who = scalar(name, "official_full");
        if (who.empty()) {
            who = scalar(name, "first");
            const std::string last = scalar(name, "last");
            who += who.empty() || last.empty() ? last : " " + last;
        }
        if (who.empty()) {
            who = scalar(Child(node_, "id"), "bioguide");
        }
        return who.empty() ? "" : " (" + who + ")";
    }

    YAML::Node node_;
    std::size_t index_;
    const std::string& file_;
};

std::optional<int> NonNegative(const std::string& text) {
    int value = 0;
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    if (result.ec != std::errc() || result.ptr != end || value < 0) {
        return std::nullopt;
    }
    return value;
}

std::string ListName(const TMember& member) {
    const YAML::Node name = member.Name();
    const std::string last = member.Required(name, "last", "last name");
    std::string first = member.Text(name, "nickname").value_or("");
    if (first.empty()) {
        first = member.Required(name, "first", "first name");
        // Some entries carry the nickname in the first name: "James (Jim)".
        const std::size_t open = first.find(" (");
        if (open != std::string::npos && open > 0 && first.back() == ')' &&
            first.size() > open + 3) {
            first = first.substr(open + 2, first.size() - open - 3);
        }
    }
    if (const auto suffix = member.Text(name, "suffix"); suffix && !suffix->empty()) {
        first += " " + *suffix;
    }
    return last + ", " + first;
}

// The start of the run of Senate terms for `state` that ends in the
// current term.
std::string ServiceStart(const TMember& member, const YAML::Node& terms, const std::string& state) {
    std::string start;
    for (std::size_t i = terms.size(); i-- > 0;) {
        const YAML::Node term = terms[i];
        if (!term.IsMap() || member.Text(term, "type") != "sen" ||
            member.Text(term, "state") != state) {
            break;
        }
        start = member.Required(term, "start", "start date of a Senate term");
    }
    return start;
}

// The term's address under `key` when it is a web address; a value that
// is not is reported and left out, so that the grid never takes it for a
// mailbox.
std::optional<std::string> WebAddress(const TMember& member, const YAML::Node& term,
                                      const char* key, std::vector<std::string>& warnings) {
    auto value = member.Text(term, key);
    if (!value || value->empty()) {
        return std::nullopt;
    }
    if (!value->starts_with("https://") && !value->starts_with("http://")) {
        warnings.push_back(
            member.Describe(std::string(key) + " \"" + *value + "\" is no web address; left out"));
        return std::nullopt;
    }
    return value;
}

void CheckWritable(const TMember& member, const std::vector<std::string>& fields) {
    static const char* const kWhat[] = {"state", "party", "name", "contact form or home page",
                                        "home page"};
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (!IsWritableField(fields[i])) {
            member.Fail(std::string("its ") + kWhat[std::min<std::size_t>(i, 4)] +
                        " cannot stand in a list file (empty, or holding a double quote or a "
                        "line break)");
        }
    }
}

TOfficialList TableOf(int fields, std::vector<std::vector<std::string>> rows) {
    TOfficialList table;
    table.Reset(fields);
    for (auto& row : rows) {
        table.AppendRow(std::move(row));
    }
    return table;
}

}  // namespace

TCongressLists ReadCongressLists(std::istream& in, const std::string& name) {
    YAML::Node root;
    try {
        root = YAML::Load(in);
    } catch (const YAML::Exception& e) {
        throw ECongressDataError(name + ": not readable as YAML: " + e.what());
    }
    if (!root.IsSequence()) {
        throw ECongressDataError(name + ": not a list of members");
    }

    TCongressLists lists;
    const std::size_t stateCount = UsStates().size();
    std::vector<std::vector<TSenator>> senators(stateCount);
    // Per state, the House record of each seat by district number (0 for
    // the at-large seat).
    std::vector<std::map<int, std::vector<std::string>>> seats(stateCount);

    try {
        for (std::size_t i = 0; i < root.size(); ++i) {
            TMember member(root[i], i, name);
            if (!member.Node().IsMap()) {
                member.Fail("not a member's entry");
            }
            const YAML::Node terms = member.Terms();
            const YAML::Node term = member.CurrentTerm(terms);
            const std::string type = member.Required(term, "type", "type in the current term");
            const std::string state = member.Required(term, "state", "state in the current term");
            const std::string party = member.Required(term, "party", "party in the current term");
            const int stateIndex = UsStateIndex(state);
            if (stateIndex < 0) {
                member.Fail("unknown state " + state);
            }
            const TUsState& where = UsStates()[static_cast<std::size_t>(stateIndex)];
            const std::string person = ListName(member);
            const auto url = WebAddress(member, term, "url", lists.Warnings);
            const auto form = WebAddress(member, term, "contact_form", lists.Warnings);
            const std::string email = form ? *form : url ? *url : "none";
            const std::string home = url ? *url : "n/a";
            const std::string partyLetter = party.substr(0, 1);

            if (type == "sen") {
                if (!where.IsState) {
                    member.Fail("a senator for " + state + ", which is no state");
                }
                auto& list = senators[static_cast<std::size_t>(stateIndex)];
                if (list.size() == 2) {
                    member.Fail("a third senator for " + state);
                }
                TSenator senator{{state, partyLetter, person, email, home},
                                 ServiceStart(member, terms, state),
                                 member.Text(term, "state_rank") == "senior",
                                 i};
                CheckWritable(member, senator.Fields);
                list.push_back(std::move(senator));
            } else if (type == "rep") {
                const std::string districtText =
                    member.Required(term, "district", "district in the current term");
                const auto district = NonNegative(districtText);
                // A single seat is the at-large one, numbered 0.
                const bool fits =
                    district && (where.Seats == 1 ? *district == 0
                                                  : *district >= 1 && *district <= where.Seats);
                if (!fits) {
                    member.Fail("district " + districtText + " is not a seat of " + state);
                }
                std::vector<std::string> record{
                    state, DistrictField(*district), partyLetter, person, email, home};
                CheckWritable(member, {record[0], record[2], record[3], record[4], record[5]});
                if (!seats[static_cast<std::size_t>(stateIndex)]
                         .emplace(*district, record)
                         .second) {
                    member.Fail("seat " + DistrictCode({state, *district}) +
                                " is held by an earlier entry too");
                }
            } else {
                member.Fail("unknown type \"" + type + "\" in the current term");
            }
        }
    } catch (const YAML::Exception& e) {
        // Conversions and lookups on malformed nodes; TMember names what it
        // checks itself.
        throw ECongressDataError(name + ": " + e.what());
    }

    std::vector<std::vector<std::string>> senateRows;
    std::vector<std::vector<std::string>> houseRows;
    for (std::size_t s = 0; s < stateCount; ++s) {
        auto& list = senators[s];
        std::sort(list.begin(), list.end(), [](const TSenator& a, const TSenator& b) {
            return std::tie(a.ServiceStart, b.Senior, a.Entry) <
                   std::tie(b.ServiceStart, a.Senior, b.Entry);
        });
        for (auto& senator : list) {
            senateRows.push_back(std::move(senator.Fields));
        }
        const TUsState& state = UsStates()[s];
        const int first = state.Seats == 1 ? 0 : 1;
        for (int district = first; district < first + state.Seats; ++district) {
            const auto held = seats[s].find(district);
            if (held != seats[s].end()) {
                houseRows.push_back(std::move(held->second));
            } else {
                houseRows.push_back({std::string(state.Abbreviation), DistrictField(district),
                                     "n/a", "Vacant", "none", kVacantSeatHomePage});
                ++lists.VacantSeats;
            }
        }
    }
    lists.Senate = TableOf(5, std::move(senateRows));
    lists.House = TableOf(6, std::move(houseRows));
    return lists;
}

TCongressLists LoadCongressLists(const std::string& path) {
    std::error_code ec;
    std::ifstream in;
    if (!std::filesystem::is_directory(path, ec)) {
        in.open(path, std::ios::binary);
    }
    if (!in.is_open()) {
        throw ECongressDataError("Cannot open " + path);
    }
    return ReadCongressLists(in, path);
}

}  // namespace qv
