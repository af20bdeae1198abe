#include "editor/panel/ListingView.h"

#include "editor/EditorTexts.h"
#include "engine/2d/Label.h"
#include "engine/2d/LayerColor.h"
#include "widgets/FieldScrollView.h"

#include <algorithm>

using engine::Color4B;
using engine::Size;
using engine::Vec2;

namespace {

const Color4B kInk(30, 42, 56, 255);
const Color4B kNumberBlue(11, 110, 153, 255);
const Color4B kHintGrey(120, 135, 145, 255);
const Color4B kStripe(236, 246, 251, 255);
// The board's glyphs are square: eight bytes in hex fill 23 of them.
constexpr float kCodeSize = 18;
constexpr float kBytesSize = 14;
constexpr float kReadingSize = 16;
// Room for three digits right-aligned before the code.
constexpr float kNumberWidth = 44;
constexpr float kColumnGap = 20;

engine::Label* makeLabel(const std::string& text, bool boardFont, float size, const Color4B& colour,
                         float anchorX) {
    engine::Label* label = boardFont
                               ? engine::Label::createWithTTF(text, ListingView::kBoardFont, size)
                               : engine::Label::createWithSystemFont(text, ListingView::kJapaneseFont, size);
    if (label) {
        label->setTextColor(colour);
        label->setAnchorPoint(Vec2(anchorX, 0.5f));
    }
    return label;
}

} // namespace

ListingView::ListingView(engine::Node* parent, const Vec2& origin, const Size& size,
                         const std::vector<pavlune::ListingLine>& lines) {
    view_ = FieldScrollView::create(size);
    if (!view_ || !parent) {
        view_ = nullptr;
        return;
    }
    view_->setDirection(FieldScrollView::VERTICAL);
    view_->bounceable = false;
    view_->setPosition(origin);
    const float height = std::max(size.height, 2 * kMargin + static_cast<float>(lines.size()) * kLineHeight);
    view_->setContentSize(Size(size.width, height));
    view_->setContentOffset(Vec2(0, size.height - height));
    parent->addChild(view_);

    if (lines.empty()) {
        if (engine::Label* hint =
                makeLabel(EditorTexts::kEmptyListing, false, kReadingSize, kHintGrey, 0.5f)) {
            hint->setPosition(size.width / 2, height - kMargin - kLineHeight);
            view_->addChild(hint);
        }
        return;
    }
    const float readingX = readingColumn(lines);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const float y = height - kMargin - (static_cast<float>(i) + 0.5f) * kLineHeight;
        if (i % 2 == 1) {
            if (auto* stripe = engine::LayerColor::create(kStripe, size.width, kLineHeight)) {
                stripe->setPosition(0, y - kLineHeight / 2);
                view_->addChild(stripe);
            }
        }
        addLine(lines[i], y, readingX);
    }
}

float ListingView::readingColumn(const std::vector<pavlune::ListingLine>& lines) const {
    float widest = 0;
    if (const engine::Label* measure = makeLabel("", true, kBytesSize, kInk, 0)) {
        for (const pavlune::ListingLine& line : lines) {
            widest = std::max(widest, measure->measureText(line.code));
        }
    }
    return kMargin + kNumberWidth + kColumnGap + widest + kColumnGap;
}

void ListingView::addLine(const pavlune::ListingLine& line, float y, float readingX) {
    // que lines carry a number column; jam and latte start at the margin.
    const bool numbered = !line.number.empty() || !line.reading.empty();
    const float codeSize = numbered ? kBytesSize : kCodeSize;
    if (!line.number.empty()) {
        if (engine::Label* number = makeLabel(line.number, true, codeSize, kNumberBlue, 1)) {
            number->setPosition(kMargin + kNumberWidth, y);
            view_->addChild(number);
        }
    }
    if (engine::Label* code = makeLabel(line.code, true, codeSize, kInk, 0)) {
        code->setPosition(numbered ? kMargin + kNumberWidth + kColumnGap : kMargin, y);
        view_->addChild(code);
    }
    if (!line.reading.empty()) {
        if (engine::Label* reading = makeLabel(line.reading, false, kReadingSize, kInk, 0)) {
            reading->setPosition(readingX, y);
            view_->addChild(reading);
        }
    }
}

void ListingView::scrollBy(float distance) {
    if (!view_) {
        return;
    }
    const Vec2 offset = view_->getContentOffset();
    const float y =
        std::clamp(offset.y + distance, view_->minContainerOffset().y, view_->maxContainerOffset().y);
    view_->setContentOffset(Vec2(offset.x, y));
}
