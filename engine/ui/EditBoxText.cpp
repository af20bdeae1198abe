#include "engine/ui/EditBoxText.h"

#include <algorithm>

namespace engine::ui {

std::size_t EditBoxText::countCharacters(const std::string& text) {
    return static_cast<std::size_t>(
        std::count_if(text.begin(), text.end(), [](char c) { return !isContinuation(c); }));
}

std::size_t EditBoxText::bytesOfCharacters(const std::string& text, std::size_t count) {
    std::size_t pos = 0;
    for (std::size_t seen = 0; pos < text.size(); ++pos) {
        if (!isContinuation(text[pos])) {
            if (seen == count) {
                break;
            }
            ++seen;
        }
    }
    return pos;
}

std::pair<std::size_t, std::size_t> EditBoxText::selection() const {
    return {std::min(anchor_, caret_), std::max(anchor_, caret_)};
}

std::string EditBoxText::selectedText() const {
    const auto [begin, end] = selection();
    return text_.substr(begin, end - begin);
}

std::size_t EditBoxText::selectedCharacters() const {
    return countCharacters(selectedText());
}

void EditBoxText::setText(std::string text) {
    text_ = std::move(text);
    collapseTo(text_.size());
}

void EditBoxText::selectAll() {
    anchor_ = 0;
    caret_ = text_.size();
}

std::size_t EditBoxText::previousBoundary(std::size_t position) const {
    while (position > 0) {
        --position;
        if (!isContinuation(text_[position])) {
            break;
        }
    }
    return position;
}

std::size_t EditBoxText::nextBoundary(std::size_t position) const {
    while (position < text_.size()) {
        ++position;
        if (position == text_.size() || !isContinuation(text_[position])) {
            break;
        }
    }
    return position;
}

void EditBoxText::collapseTo(std::size_t position) {
    anchor_ = caret_ = std::min(position, text_.size());
}

void EditBoxText::moveLeft(bool extend) {
    if (!extend && hasSelection()) {
        collapseTo(selection().first);
        return;
    }
    moveTo(previousBoundary(caret_), extend);
}

void EditBoxText::moveRight(bool extend) {
    if (!extend && hasSelection()) {
        collapseTo(selection().second);
        return;
    }
    moveTo(nextBoundary(caret_), extend);
}

void EditBoxText::moveHome(bool extend) {
    moveTo(0, extend);
}

void EditBoxText::moveEnd(bool extend) {
    moveTo(text_.size(), extend);
}

void EditBoxText::moveTo(std::size_t position, bool extend) {
    position = std::min(position, text_.size());
    while (position > 0 && position < text_.size() && isContinuation(text_[position])) {
        --position;
    }
    caret_ = position;
    if (!extend) {
        anchor_ = position;
    }
}

bool EditBoxText::insert(const std::string& text) {
    if (text.empty() && !hasSelection()) {
        return false;
    }
    const auto [begin, end] = selection();
    text_.replace(begin, end - begin, text);
    collapseTo(begin + text.size());
    return true;
}

bool EditBoxText::eraseBackward() {
    if (hasSelection()) {
        return insert("");
    }
    if (caret_ == 0) {
        return false;
    }
    anchor_ = previousBoundary(caret_);
    return insert("");
}

bool EditBoxText::eraseForward() {
    if (hasSelection()) {
        return insert("");
    }
    if (caret_ >= text_.size()) {
        return false;
    }
    anchor_ = nextBoundary(caret_);
    return insert("");
}

std::string EditBoxText::cutSelection() {
    std::string cut = selectedText();
    insert("");
    return cut;
}

} // namespace engine::ui
