#include "webforms/fill_values.h"

#include <algorithm>
#include <array>
#include <cctype>

#include "base/line_breaks.h"
#include "base/trim.h"

namespace qv::webforms {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::vector<std::string> Words(std::string_view text) {
    std::vector<std::string> words;
    std::size_t i = 0;
    while (i < text.size()) {
        if (IsBlank(text[i])) {
            ++i;
            continue;
        }
        std::size_t end = i;
        while (end < text.size() && !IsBlank(text[end])) {
            ++end;
        }
        words.emplace_back(text.substr(i, end - i));
        i = end;
    }
    return words;
}

std::string Join(const std::vector<std::string>& words, std::size_t from, std::size_t to) {
    std::string joined;
    for (std::size_t i = from; i < to; ++i) {
        if (!joined.empty()) {
            joined += ' ';
        }
        joined += words[i];
    }
    return joined;
}

// Lower-case ASCII letters and digits only: "Ph.D." -> "phd", "D.C." -> "dc".
std::string Folded(std::string_view text) {
    std::string folded;
    for (char c : text) {
        auto u = static_cast<unsigned char>(c);
        if (std::isalnum(u) != 0) {
            folded += static_cast<char>(std::tolower(u));
        }
    }
    return folded;
}

template <std::size_t N>
bool IsOneOf(std::string_view word, const std::array<std::string_view, N>& set) {
    const std::string folded = Folded(word);
    return !folded.empty() && std::find(set.begin(), set.end(), folded) != set.end();
}

constexpr std::array<std::string_view, 11> kPrefixes = {
    "mr", "mrs", "ms", "miss", "mx", "dr", "prof", "rev", "hon", "sir", "dame"};
constexpr std::array<std::string_view, 13> kSuffixes = {
    "jr", "sr", "ii", "iii", "iv", "v", "md", "phd", "esq", "dds", "dvm", "rn", "cpa"};
// Words that begin a family name when they follow the given name in lower
// case: "Ludwig van Beethoven", "Maria de la Cruz".
constexpr std::array<std::string_view, 14> kParticles = {
    "van", "von", "der", "den", "de", "del", "della", "da", "di", "du", "la", "le", "dos", "bin"};

bool IsLowerParticle(const std::string& word) {
    return std::islower(static_cast<unsigned char>(word.front())) != 0 && IsOneOf(word, kParticles);
}

constexpr std::array<TUsState, 59> kUsStates = {{
    {"AL", "Alabama"},        {"AK", "Alaska"},          {"AZ", "Arizona"},
    {"AR", "Arkansas"},       {"CA", "California"},      {"CO", "Colorado"},
    {"CT", "Connecticut"},    {"DE", "Delaware"},        {"DC", "District of Columbia"},
    {"FL", "Florida"},        {"GA", "Georgia"},         {"HI", "Hawaii"},
    {"ID", "Idaho"},          {"IL", "Illinois"},        {"IN", "Indiana"},
    {"IA", "Iowa"},           {"KS", "Kansas"},          {"KY", "Kentucky"},
    {"LA", "Louisiana"},      {"ME", "Maine"},           {"MD", "Maryland"},
    {"MA", "Massachusetts"},  {"MI", "Michigan"},        {"MN", "Minnesota"},
    {"MS", "Mississippi"},    {"MO", "Missouri"},        {"MT", "Montana"},
    {"NE", "Nebraska"},       {"NV", "Nevada"},          {"NH", "New Hampshire"},
    {"NJ", "New Jersey"},     {"NM", "New Mexico"},      {"NY", "New York"},
    {"NC", "North Carolina"}, {"ND", "North Dakota"},    {"OH", "Ohio"},
    {"OK", "Oklahoma"},       {"OR", "Oregon"},          {"PA", "Pennsylvania"},
    {"RI", "Rhode Island"},   {"SC", "South Carolina"},  {"SD", "South Dakota"},
    {"TN", "Tennessee"},      {"TX", "Texas"},           {"UT", "Utah"},
    {"VT", "Vermont"},        {"VA", "Virginia"},        {"WA", "Washington"},
    {"WV", "West Virginia"},  {"WI", "Wisconsin"},       {"WY", "Wyoming"},
    {"AS", "American Samoa"}, {"GU", "Guam"},            {"MP", "Northern Mariana Islands"},
    {"PR", "Puerto Rico"},    {"VI", "U.S. Virgin Islands"},
    {"AA", "Armed Forces Americas"}, {"AE", "Armed Forces Europe"},
    {"AP", "Armed Forces Pacific"},
}};

std::string Digits(std::string_view text) {
    std::string digits;
    for (char c : text) {
        if (std::isdigit(static_cast<unsigned char>(c)) != 0) {
            digits += c;
        }
    }
    return digits;
}

// Appends `text` unless it is empty or already a candidate.
void AddCandidate(std::vector<std::string>& list, std::string text) {
    if (!text.empty() && std::find(list.begin(), list.end(), text) == list.end()) {
        list.push_back(std::move(text));
    }
}

void Put(TFillValues& values, const std::string& key, std::vector<std::string> candidates) {
    if (!candidates.empty()) {
        values[key] = std::move(candidates);
    }
}

void Put(TFillValues& values, const std::string& key, std::string_view text) {
    std::vector<std::string> list;
    AddCandidate(list, std::string(TrimSpacesTabsAndLineBreaks(text)));
    Put(values, key, std::move(list));
}

// "John Q. Public <jqp@example.org>" -> "jqp@example.org".
std::string BareAddress(std::string_view text) {
    text = TrimSpacesTabsAndLineBreaks(text);
    const std::size_t open = text.rfind('<');
    const std::size_t close = text.rfind('>');
    if (open != std::string_view::npos && close != std::string_view::npos && open < close) {
        return std::string(TrimSpacesTabsAndLineBreaks(text.substr(open + 1, close - open - 1)));
    }
    return std::string(text);
}

void PutName(TFillValues& values, std::string_view name) {
    const TNameParts parts = SplitName(name);
    Put(values, "prefix", parts.Prefix);
    Put(values, "firstName", parts.First);
    if (!parts.Middle.empty()) {
        // Forms with a one-letter middle initial field take the initial,
        // the whole of its UTF-8 sequence.
        std::size_t initial = 1;
        while (initial < parts.Middle.size() &&
               (static_cast<unsigned char>(parts.Middle[initial]) & 0xC0) == 0x80) {
            ++initial;
        }
        std::vector<std::string> middle{parts.Middle};
        AddCandidate(middle, parts.Middle.substr(0, initial));
        Put(values, "middleName", std::move(middle));
    }
    Put(values, "lastName", parts.Last);
    Put(values, "suffix", parts.Suffix);
    std::string full = parts.First;
    for (const std::string* part : {&parts.Middle, &parts.Last, &parts.Suffix}) {
        if (!part->empty()) {
            full += (full.empty() ? "" : " ") + *part;
        }
    }
    Put(values, "fullName", full);
}

void PutState(TFillValues& values, std::string_view state) {
    if (const TUsState* found = FindUsState(state)) {
        Put(values, "state", {std::string(found->Code), std::string(found->Name)});
    } else {
        Put(values, "state", state);
    }
}

void PutZip(TFillValues& values, std::string_view zip) {
    zip = TrimSpacesTabsAndLineBreaks(zip);
    const std::string digits = Digits(zip);
    const bool usShape = std::all_of(zip.begin(), zip.end(), [](char c) {
        return std::isdigit(static_cast<unsigned char>(c)) != 0 || c == '-' || c == ' ';
    });
    if (usShape && digits.size() == 9) {
        const std::string zip5 = digits.substr(0, 5);
        Put(values, "zip", {zip5 + "-" + digits.substr(5), digits, zip5});
        Put(values, "zip5", zip5);
        Put(values, "zip4", digits.substr(5));
    } else if (usShape && digits.size() == 5) {
        Put(values, "zip", digits);
        Put(values, "zip5", digits);
    } else {
        Put(values, "zip", zip);  // not a US ZIP code: given as written
    }
}

void PutPhone(TFillValues& values, std::string_view phone) {
    phone = TrimSpacesTabsAndLineBreaks(phone);
    std::string digits = Digits(phone);
    if (digits.size() == 11 && digits.front() == '1') {
        digits.erase(0, 1);  // the North American country code
    }
    std::vector<std::string> candidates;
    AddCandidate(candidates, std::string(phone));
    if (digits.size() == 10) {
        const std::string area = digits.substr(0, 3);
        const std::string exchange = digits.substr(3, 3);
        const std::string line = digits.substr(6);
        AddCandidate(candidates, area + "-" + exchange + "-" + line);
        AddCandidate(candidates, "(" + area + ") " + exchange + "-" + line);
        AddCandidate(candidates, digits);
        Put(values, "phoneArea", area);
        Put(values, "phoneExchange", exchange);
        Put(values, "phoneLine", line);
    }
    Put(values, "phone", std::move(candidates));
}

}  // namespace

TNameParts SplitName(std::string_view name) {
    TNameParts parts;
    auto append = [](std::string& to, const std::string& word) {
        to += (to.empty() ? "" : " ") + word;
    };

    // "Public, John Q." puts the family name first; "John Public, Jr." only
    // sets a suffix apart.
    std::vector<std::string> given = Words(name);
    std::vector<std::string> family;
    std::vector<std::string> trailing;
    const std::string_view trimmed = TrimSpacesTabsAndLineBreaks(name);
    if (const std::size_t comma = trimmed.find(','); comma != std::string_view::npos) {
        std::vector<std::string> head = Words(trimmed.substr(0, comma));
        std::vector<std::string> tail = Words(trimmed.substr(comma + 1));
        const bool onlySuffixes = std::all_of(tail.begin(), tail.end(), [](const std::string& w) {
            return IsOneOf(w, kSuffixes);
        });
        if (onlySuffixes) {
            given = std::move(head);
            trailing = std::move(tail);
        } else {
            given = std::move(tail);
            family = std::move(head);
        }
    }

    // A lone word is a name even when it reads like a title ("Miss").
    auto remaining = [&] { return given.size() + family.size(); };
    while (!given.empty() && remaining() > 1 && IsOneOf(given.front(), kPrefixes)) {
        append(parts.Prefix, given.front());
        given.erase(given.begin());
    }
    std::vector<std::string> suffixes;
    while (!given.empty() && remaining() > 1 && IsOneOf(given.back(), kSuffixes)) {
        suffixes.insert(suffixes.begin(), given.back());
        given.pop_back();
    }
    for (const std::string& word : suffixes) {
        append(parts.Suffix, word);
    }
    for (const std::string& word : trailing) {
        append(parts.Suffix, word);
    }

    if (family.empty() && given.size() == 1 && !parts.Prefix.empty()) {
        family = std::move(given);  // "Mr. Smith"
        given.clear();
    } else if (family.empty() && given.size() > 1) {
        std::size_t last = given.size() - 1;
        while (last > 1 && IsLowerParticle(given[last - 1])) {
            --last;
        }
        family.assign(given.begin() + static_cast<std::ptrdiff_t>(last), given.end());
        given.resize(last);
    }
    if (!given.empty()) {
        parts.First = given.front();
        parts.Middle = Join(given, 1, given.size());
    }
    parts.Last = Join(family, 0, family.size());
    return parts;
}

const TUsState* FindUsState(std::string_view text) {
    const std::string folded = Folded(TrimSpacesTabsAndLineBreaks(text));
    if (folded.empty()) {
        return nullptr;
    }
    const std::string code = folded == "washingtondc" ? "dc" : folded;
    for (const TUsState& state : kUsStates) {
        if (Folded(state.Code) == code || Folded(state.Name) == folded ||
            (state.Code == "VI" && folded == "virginislands")) {
            return &state;
        }
    }
    return nullptr;
}

TFillValues BuildFillValues(const TSettings& contact, const TLetter& letter) {
    TFillValues values;
    PutName(values, contact.Name);
    Put(values, "street1", contact.Street1);
    Put(values, "street2", contact.Street2);
    Put(values, "city", contact.City);
    PutState(values, contact.State);
    PutZip(values, contact.ZipCode);
    const bool noHomePhone = TrimSpacesTabsAndLineBreaks(contact.UHomeP).empty();
    PutPhone(values, noHomePhone ? contact.UWorkP : contact.UHomeP);

    std::string email = BareAddress(contact.ReplyTo);
    if (email.empty() && contact.EmailUser.find('@') != std::string::npos) {
        email = BareAddress(contact.EmailUser);
    }
    Put(values, "email", email);

    Put(values, "subject", letter.Subject);
    const std::string text = WithLfLineBreaks(letter.Text);
    if (!TrimSpacesTabsAndLineBreaks(text).empty()) {
        values["message"] = {text};
    }
    return values;
}

TFillValues FillValuesFor(const TFillValues& values, const TOfficialRecord& official) {
    TFillValues personal = values;
    const TSalutation salutation = SalutationFor(official);
    for (const char* key : {"subject", "message"}) {
        const auto found = personal.find(key);
        if (found == personal.end()) {
            continue;
        }
        std::vector<std::string> texts;
        for (const std::string& text : found->second) {
            std::string expanded = ExpandPlaceholders(text, salutation);
            if (!TrimSpacesTabsAndLineBreaks(expanded).empty()) {
                texts.push_back(std::move(expanded));
            }
        }
        if (texts.empty()) {
            personal.erase(found);
        } else {
            found->second = std::move(texts);
        }
    }
    return personal;
}

}  // namespace qv::webforms
