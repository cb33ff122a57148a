// The officials who take letters through a web contact form instead of a
// mailbox, gathered from the loaded lists: what the Web Forms window lists,
// filters and ticks, and the stops of a walk through their forms.
//
// Plain values and functions; the lists are only read.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "webforms/form_walk.h"

class TOfficialList;
struct TPresidentRecord;

namespace qv::webforms {

// An e-mail field that holds a web address ("http://..." or "https://...",
// scheme in any letter case) names a contact form.
bool IsWebFormAddress(std::string_view email);

enum class TFormOffice { Senate, House, President, Leader };

struct TWebFormOfficial {
    TFormOffice Office = TFormOffice::Senate;
    int Record = 0;        // position in its list (0 for the President)
    std::string State;     // "OH"; empty for the President and leaders
    std::string District;  // the House list's "3" or "AL"; else empty
    std::string Party;     // "D", "R", "I" ...; empty for the President and leaders
    std::string Name;      // as the list writes it, shown as UTF-8: "Doe, Jane"
    std::string Country;   // leaders only
    // "Senator", "Representative", "Delegate", "Resident Commissioner",
    // "President", or a leader's title as the list writes it.
    std::string Role;
    std::string Stop;  // TWalkStop::Title: "Sen. Jane Doe"
    std::string Url;   // the form's address
    // Names the official across list reloads and walks (TWalkStop::Key):
    // office, seat and name, never a position in a list.
    std::string Key;
    // The record, for the letter's placeholders (TWalkStop::Official).
    TOfficialRecord Official;
};

// The officials whose e-mail field is a contact form, in this order: the
// Senate and the House in list order, the President, then the leaders in
// list order. Lists too short in fields for their kind give none.
std::vector<TWebFormOfficial> WebFormOfficials(const TOfficialList& senate,
                                               const TOfficialList& house,
                                               const TOfficialList& leaders,
                                               const TPresidentRecord& president);

// The Web Forms window's filter: a state or territory abbreviation and a
// party letter, each empty for all. The President and the leaders have
// neither, so they pass only a filter that is empty on both counts.
struct TWebFormFilter {
    std::string State;
    std::string Party;
};

bool PassesFilter(const TWebFormOfficial& official, const TWebFormFilter& filter);

// The walk's stop at this official's form.
TWalkStop WalkStopFor(const TWebFormOfficial& official);

}  // namespace qv::webforms
