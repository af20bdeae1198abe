#include "field/EditHistory.h"

#include <algorithm>
#include <iterator>
#include <utility>

namespace pavlune {

void EditHistory::reset(Program current) {
    current_ = std::move(current);
    undo_.clear();
    redo_.clear();
}

bool EditHistory::record(Program now) {
    if (now == current_) {
        return false;
    }
    // The elements both share at the front and, of the rest, at the back.
    const std::size_t shorter = std::min(now.size(), current_.size());
    std::size_t front = 0;
    while (front < shorter && now[front] == current_[front]) {
        ++front;
    }
    std::size_t back = 0;
    while (back < shorter - front && now[now.size() - 1 - back] == current_[current_.size() - 1 - back]) {
        ++back;
    }
    Change wayBack{front, now.size() - front - back, {}};
    const auto first = current_.begin() + static_cast<std::ptrdiff_t>(front);
    const auto last = current_.end() - static_cast<std::ptrdiff_t>(back);
    wayBack.elements.assign(std::make_move_iterator(first), std::make_move_iterator(last));
    current_ = std::move(now);
    undo_.push_back(std::move(wayBack));
    while (undo_.size() > limit_) {
        undo_.pop_front();
    }
    redo_.clear();
    return true;
}

EditHistory::Change EditHistory::apply(Change change) {
    const auto first = current_.begin() + static_cast<std::ptrdiff_t>(change.at);
    const auto last = first + static_cast<std::ptrdiff_t>(change.count);
    Change inverse{change.at, change.elements.size(), {}};
    inverse.elements.assign(std::make_move_iterator(first), std::make_move_iterator(last));
    const auto at = current_.erase(first, last);
    current_.insert(at, std::make_move_iterator(change.elements.begin()),
                    std::make_move_iterator(change.elements.end()));
    return inverse;
}

const EditHistory::Program* EditHistory::undo() {
    if (undo_.empty()) {
        return nullptr;
    }
    redo_.push_back(apply(std::move(undo_.back())));
    undo_.pop_back();
    return &current_;
}

const EditHistory::Program* EditHistory::redo() {
    if (redo_.empty()) {
        return nullptr;
    }
    undo_.push_back(apply(std::move(redo_.back())));
    redo_.pop_back();
    return &current_;
}

} // namespace pavlune
