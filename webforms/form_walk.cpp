#include "webforms/form_walk.h"

namespace qv::webforms {

std::string_view WalkMarkText(TWalkMark mark) {
    switch (mark) {
        case TWalkMark::Done: return "Done";
        case TWalkMark::Skipped: return "Skipped";
        case TWalkMark::Stopped: return "Stopped";
        case TWalkMark::None: break;
    }
    return "";
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
