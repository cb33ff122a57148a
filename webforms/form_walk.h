// A walk through several officials' web forms, one at a time: the position
// the bar above the browser shows ("3 of 12: Sen. Jane Doe") and what became
// of each official's form.
//
// Not thread-safe; used on the user-interface thread.
#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "mail/salutation.h"

namespace qv::webforms {

// What the user did at an official's form.
enum class TWalkMark { None, Done, Skipped, Stopped };

// "", "Done", "Skipped", "Stopped".
std::string_view WalkMarkText(TWalkMark mark);

// One official's form on a walk.
struct TWalkStop {
    std::string Key;    // names the official across walks, for TWalkMarks
    std::string Title;  // as the bar shows it: "Sen. Jane Doe"
    std::string Url;    // the form's address
    // The official's list record: the letter's placeholders read from it.
    TOfficialRecord Official{};
};

// The marks of every official a walk reached, by TWalkStop::Key. The program
// keeps one for its whole run, so that its window can show beside each name
// what became of that official's form.
class TWalkMarks {
  public:
    TWalkMark Mark(const std::string& key) const;
    void SetMark(const std::string& key, TWalkMark mark);

  private:
    std::map<std::string, TWalkMark> marks_;
};

class TFormWalk {
  public:
    // Starts at the first stop; an empty walk is over at once. `marks` must
    // outlive the walk.
    TFormWalk(std::vector<TWalkStop> stops, TWalkMarks& marks);

    bool Active() const { return position_ < stops_.size() && !stopped_; }
    std::size_t Position() const { return position_; }  // 0-based; Count() once gone past the last
    std::size_t Count() const { return stops_.size(); }
    const std::vector<TWalkStop>& Stops() const { return stops_; }
    // The official whose form is open. Only while Active().
    const TWalkStop& Current() const { return stops_.at(position_); }
    // "3 of 12: Sen. Jane Doe" while active; "" once over.
    std::string Caption() const;

    // Each marks the current official and moves on; nothing while over.
    void Next();  // Done, then the next official (or the end)
    void Skip();  // Skipped, then the next official (or the end)
    void Stop();  // Stopped, and the walk is over

  private:
    void MarkAndAdvance(TWalkMark mark);

    std::vector<TWalkStop> stops_;
    TWalkMarks& marks_;
    std::size_t position_ = 0;
    bool stopped_ = false;
};

}  // namespace qv::webforms
