#include "field/EditHistory.h"

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
    undo_.push_back(std::move(current_));
    current_ = std::move(now);
    while (undo_.size() > limit_) {
        undo_.pop_front();
    }
    redo_.clear();
    return true;
}

const EditHistory::Program* EditHistory::undo() {
    if (undo_.empty()) {
        return nullptr;
    }
    redo_.push_back(std::move(current_));
    current_ = std::move(undo_.back());
    undo_.pop_back();
    return &current_;
}

const EditHistory::Program* EditHistory::redo() {
    if (redo_.empty()) {
        return nullptr;
    }
    undo_.push_back(std::move(current_));
    current_ = std::move(redo_.back());
    redo_.pop_back();
    return &current_;
}

} // namespace pavlune
