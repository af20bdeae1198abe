#include "field/ProgramDocument.h"

#include "field/FieldModel.h"
#include "field/FieldRowEditor.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <optional>
#include <unordered_set>

namespace pavlune {

namespace {

using engine::Value;

bool isIntegral(const Value& value) {
    const Value::Type type = value.getType();
    return type == Value::Type::BYTE || type == Value::Type::INTEGER || type == Value::Type::UNSIGNED;
}

bool isNumeric(const Value& value) {
    return isIntegral(value) || value.getType() == Value::Type::FLOAT ||
           value.getType() == Value::Type::DOUBLE;
}

// One element as the file holds it, once its keys have the right types.
struct StoredCard {
    std::int64_t cardSet = 0;
    std::int64_t cardIndex = 0;
    double x = 0;
    double y = 0;
    std::int64_t zOrder = 0;
    std::string value;
};

std::optional<StoredCard> readElement(const Value& element) {
    if (element.getType() != Value::Type::MAP) {
        return std::nullopt;
    }
    const engine::ValueMap& fields = element.asValueMap();
    const auto field = [&fields](const char* key) -> const Value* {
        const auto found = fields.find(key);
        return found == fields.end() ? nullptr : &found->second;
    };
    StoredCard stored;
    for (const auto& [key, target] : {std::pair{ProgramDocument::kSetKey, &stored.cardSet},
                                      std::pair{ProgramDocument::kIndexKey, &stored.cardIndex},
                                      std::pair{ProgramDocument::kZOrderKey, &stored.zOrder}}) {
        if (const Value* read = field(key)) {
            if (!isIntegral(*read)) {
                return std::nullopt;
            }
            *target = read->asInt64();
        }
    }
    for (const auto& [key, target] :
         {std::pair{ProgramDocument::kXKey, &stored.x}, std::pair{ProgramDocument::kYKey, &stored.y}}) {
        if (const Value* read = field(key)) {
            if (!isNumeric(*read)) {
                return std::nullopt;
            }
            // Integers beyond int and reals alike: the field keeps the card in
            // reach (FieldModel::keptOnField), never a wrapped number.
            *target = isIntegral(*read) ? static_cast<double>(read->asInt64()) : read->asDouble();
        }
    }
    if (const Value* read = field(ProgramDocument::kValueKey)) {
        if (read->getType() != Value::Type::STRING) {
            return std::nullopt;
        }
        stored.value = read->asString();
    }
    return stored;
}

} // namespace

std::vector<int> ProgramDocument::load(const engine::ValueVector& elements, FieldModel& model,
                                       const CardSizer& cardSize) {
    shown_.clear();
    tail_.clear();
    keptShown_ = 0;
    struct Loaded {
        int id = 0;
        std::int64_t zOrder = 0;
    };
    std::vector<Loaded> cards;
    std::vector<int> ids;
    for (std::size_t at = 0; at < elements.size(); ++at) {
        const Value& element = elements[at];
        if (at >= kMaxElements) {
            tail_.push_back(element);
            continue;
        }
        if (element == hole()) {
            shown_.emplace_back(Hole{});
            continue;
        }
        const std::optional<StoredCard> stored = readElement(element);
        const bool known =
            stored && stored->cardSet >= 0 && stored->cardSet <= INT_MAX && stored->cardIndex >= 0 &&
            stored->cardIndex <= INT_MAX &&
            model.isCatalogueCard(static_cast<int>(stored->cardSet), static_cast<int>(stored->cardIndex));
        if (!known) {
            shown_.emplace_back(element);
            ++keptShown_;
            continue;
        }
        const int cardSet = static_cast<int>(stored->cardSet);
        const int cardIndex = static_cast<int>(stored->cardIndex);
        const engine::Size size = cardSize(cardSet, cardIndex);
        const engine::Vec2 position = model.keptOnField(
            engine::Vec2(static_cast<float>(stored->x), static_cast<float>(stored->y)), size);
        const int id = model.addCard(cardSet, cardIndex, position, size);
        model.setCardValue(id, stored->value);
        cards.push_back({id, stored->zOrder});
        shown_.emplace_back(id);
        ids.push_back(id);
    }

    // Drawn in the stored order (0 still above the paper, added before the
    // cards). Z-orders that are negative (under the
    // paper), tied or huge become 1..N in that order; others stay as stored.
    std::stable_sort(cards.begin(), cards.end(),
                     [](const Loaded& a, const Loaded& b) { return a.zOrder < b.zOrder; });
    bool sane = true;
    for (std::size_t rank = 0; rank < cards.size(); ++rank) {
        const std::int64_t z = cards[rank].zOrder;
        sane = sane && z >= 0 && z <= kLargestZOrder && (rank == 0 || z != cards[rank - 1].zOrder);
    }
    for (std::size_t rank = 0; rank < cards.size(); ++rank) {
        model.setCardZOrder(cards[rank].id,
                            sane ? static_cast<int>(cards[rank].zOrder) : static_cast<int>(rank) + 1);
    }
    // A card stored on a row's snap point held that row; of several there,
    // the lowest (a card dropped over a taken row came on top).
    for (const Loaded& card : cards) {
        const int row = model.rowUnder(card.id, kOnRowTolerance);
        if (row != FieldModel::kNoRow) {
            model.placeOnRow(card.id, row);
        }
    }
    // The others were loose when saved and stay loose: a card that only lay
    // near a row (a drop's clamp may leave it there) must not start to run.
    FieldRowEditor(model).settleLooseCards();
    return ids;
}

std::size_t ProgramDocument::roomForCards(const FieldModel& model) const {
    const std::size_t taken = keptShown_ + model.placedCards().size();
    return taken < kMaxElements ? kMaxElements - taken : 0;
}

engine::ValueVector ProgramDocument::save(const FieldModel& model) const {
    const auto element = [](const PlacedCard& card) {
        return engine::Value(
            elementFor(card.cardSet, card.cardIndex, card.position, card.zOrder, card.value));
    };
    std::unordered_set<int> loadedIds;
    for (const Entry& entry : shown_) {
        if (const int* id = std::get_if<int>(&entry)) {
            loadedIds.insert(*id);
        }
    }
    // Cards made since loading, in creation order.
    std::vector<const PlacedCard*> made;
    for (const PlacedCard& card : model.placedCards()) {
        if (!loadedIds.contains(card.id)) {
            made.push_back(&card);
        }
    }
    auto nextMade = made.begin();
    engine::ValueVector elements;
    elements.reserve(shown_.size() + made.size() + tail_.size());
    // A place left by a removed card: with a tail behind, a new card takes it
    // or a hole keeps it, so no tail element moves up into view.
    const auto fillHole = [&] {
        if (tail_.empty()) {
            return;
        }
        if (nextMade != made.end()) {
            elements.push_back(element(**nextMade++));
        } else {
            elements.push_back(hole());
        }
    };
    for (const Entry& entry : shown_) {
        if (const int* id = std::get_if<int>(&entry)) {
            if (const PlacedCard* card = model.findCard(*id)) {
                elements.push_back(element(*card));
            } else {
                fillHole();
            }
        } else if (const engine::Value* kept = std::get_if<engine::Value>(&entry)) {
            elements.push_back(*kept);
        } else {
            fillHole();
        }
    }
    // The other new cards come after all loaded ones, as they were created
    // later, and before the tail, so they show when reopened.
    for (; nextMade != made.end(); ++nextMade) {
        elements.push_back(element(**nextMade));
    }
    elements.insert(elements.end(), tail_.begin(), tail_.end());
    return elements;
}

engine::ValueMap ProgramDocument::elementFor(int cardSet, int cardIndex, engine::Vec2 position, int zOrder,
                                             const std::string& value) {
    return {
        {kSetKey, engine::Value(cardSet)},
        {kIndexKey, engine::Value(cardIndex)},
        // Truncated toward zero: -0.5 is stored as 0.
        {kXKey, engine::Value(static_cast<int>(position.x))},
        {kYKey, engine::Value(static_cast<int>(position.y))},
        {kZOrderKey, engine::Value(zOrder)},
        {kValueKey, engine::Value(value)},
    };
}

} // namespace pavlune
