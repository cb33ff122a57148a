#include "webforms/form_walk.h"

namespace qv::webforms {

namespace {

std::string_view Trim(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

}  // namespace

std::string_view WalkMarkText(TWalkMark mark) {
    switch (mark) {
        case TWalkMark::Done: return "Done";
        case TWalkMark::Skipped: return "Skipped";
        case TWalkMark::Stopped: return "Stopped";
        case TWalkMark::None: break;
    }
    return "";
}

std::string ReadingOrderName(std::string_view listName) {
    const std::size_t comma = listName.find(',');
    if (comma == std::string_view::npos) {
        return std::string(Trim(listName));
    }
    const std::string_view last = Trim(listName.substr(0, comma));
    const std::string_view first = Trim(listName.substr(comma + 1));
    if (first.empty() || last.empty()) {
        return std::string(first.empty() ? last : first);
    }
    return std::string(first) + " " + std::string(last);
}

TWalkMark TWalkMarks::Mark(const std::string& key) const {
    const auto found = marks_.find(key);
    return found == marks_.end() ? TWalkMark::None : found->second;
}

void TWalkMarks::SetMark(const std::string& key, TWalkMark mark) {
    marks_[key] = mark;
}

TFormWalk::TFormWalk(std::vector<TWalkStop> stops, TWalkMarks& marks)
    : stops_(std::move(stops)), marks_(marks) {}

std::string TFormWalk::Caption() const {
    if (!Active()) {
        return "";
    }
    return std::to_string(position_ + 1) + " of " + std::to_string(stops_.size()) + ": " +
           Current().Title;
}

void TFormWalk::MarkAndAdvance(TWalkMark mark) {
    if (Active()) {
        marks_.SetMark(Current().Key, mark);
        ++position_;
    }
}

void TFormWalk::Next() {
    MarkAndAdvance(TWalkMark::Done);
}

void TFormWalk::Skip() {
    MarkAndAdvance(TWalkMark::Skipped);
}

void TFormWalk::Stop() {
    if (Active()) {
        marks_.SetMark(Current().Key, TWalkMark::Stopped);
        stopped_ = true;
    }
}

}  // namespace qv::webforms
