// The values a web contact form is filled from: the user's contact details
// (the settings' [Contact] section and reply-to address) and the letter.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "mail/salutation.h"
#include "settings/settings.h"

namespace qv::webforms {

// The letter a form's subject and message fields receive.
struct TLetter {
    std::string Subject;
    std::string Text;
};

// A contact name taken apart for forms that ask for its parts.
// "Dr. Mary Ann van der Berg Jr." -> Prefix "Dr.", First "Mary", Middle "Ann",
// Last "van der Berg", Suffix "Jr.".
struct TNameParts {
    std::string Prefix, First, Middle, Last, Suffix;
    bool operator==(const TNameParts&) const = default;
};

// Splits a name written "First [Middle...] Last" or "Last, First [Middle...]",
// with optional courtesy titles in front and generational or professional
// suffixes behind ("Jr.", "III", "PhD", also after a comma). A family name
// keeps its lower-case particles ("de la Cruz", "van Dyke"). A single word is
// taken as the first name. Blanks are collapsed; nothing else is changed.
TNameParts SplitName(std::string_view name);

// A US state, district, territory or armed-forces postal area.
struct TUsState {
    std::string_view Code;  // "VA"
    std::string_view Name;  // "Virginia"
};

// The state whose postal code or name (letter case and surrounding blanks
// ignored; "Washington DC" and "D.C." name the District of Columbia) is
// `text`; nullptr when none is.
const TUsState* FindUsState(std::string_view text);

// The texts to fill, by the key of the fill script's field rules. Each key
// holds its candidate texts, the preferred one first; the later ones are
// plainer or shorter forms of it, for fields that take no more ("VA" then
// "Virginia"; "12345-6789", "123456789", then "12345"). Keys:
//   prefix, firstName, middleName, lastName, suffix, fullName,
//   street1, street2, city, state, zip, zip5, zip4,
//   phone, phoneArea, phoneExchange, phoneLine, email, subject, message.
// A key without a value is left out, so its fields stay empty.
using TFillValues = std::map<std::string, std::vector<std::string>>;

// The values from the contact fields of `contact` (Name, Street1, Street2,
// City, State, ZipCode, UHomeP or else UWorkP; ReplyTo, or else `email User`
// when it holds an address, as the e-mail address; the address inside angle
// brackets when the text has them) and from the letter, whose line breaks
// become LF as a form's text area keeps them. UseContact is not consulted: a
// form asks for the details whether or not the e-mail carries them.
TFillValues BuildFillValues(const TSettings& contact, const TLetter& letter);

// `values` for the official with `official`'s record: the placeholders of
// the subject and the message (mail/salutation.h) read from the record,
// "Sir or Madam" and empty values without one. A subject or message that
// holds nothing but blanks afterwards is left out; the other keys stay.
TFillValues FillValuesFor(const TFillValues& values, const TOfficialRecord& official);

}  // namespace qv::webforms
