#include "field/ProgramDocument.h"

#include "field/FieldModel.h"

#include <unordered_set>

namespace pavlune {

std::vector<int> ProgramDocument::load(const engine::ValueVector& elements, FieldModel& model,
                                       const FieldViewport& viewport, const CardSizer& cardSize) {
    loaded_.clear();
    std::vector<int> ids;
    for (const engine::Value& element : elements) {
        const engine::ValueMap& fields = element.asValueMap();
        const int cardSet = engine::valueForKey(fields, kSetKey).asInt();
        const int cardIndex = engine::valueForKey(fields, kIndexKey).asInt();
        if (element.getType() != engine::Value::Type::MAP || !model.isCatalogueCard(cardSet, cardIndex)) {
            loaded_.emplace_back(element);
            continue;
        }
        const engine::Vec2 position(static_cast<float>(engine::valueForKey(fields, kXKey).asInt()),
                                    static_cast<float>(engine::valueForKey(fields, kYKey).asInt()));
        const int id = model.addCard(cardSet, cardIndex, position, cardSize(cardSet, cardIndex));
        model.setCardZOrder(id, engine::valueForKey(fields, kZOrderKey).asInt());
        model.setCardValue(id, engine::valueForKey(fields, kValueKey).asString());
        model.moveCards(id, engine::Vec2::ZERO, viewport);
        model.clearSnapTarget();
        loaded_.emplace_back(id);
        ids.push_back(id);
    }
    return ids;
}

engine::ValueVector ProgramDocument::save(const FieldModel& model) const {
    engine::ValueVector elements;
    const auto append = [&elements](const PlacedCard& card) {
        elements.emplace_back(elementFor(card.cardSet, card.cardIndex, card.position, card.zOrder, card.value));
    };
    std::unordered_set<int> loadedIds;
    for (const Entry& entry : loaded_) {
        if (const int* id = std::get_if<int>(&entry)) {
            loadedIds.insert(*id);
            if (const PlacedCard* card = model.findCard(*id)) {
                append(*card);
            }
        } else {
            elements.push_back(std::get<engine::Value>(entry));
        }
    }
    // Cards made since loading come after all loaded ones, as they were created later.
    for (const PlacedCard& card : model.placedCards()) {
        if (!loadedIds.contains(card.id)) {
            append(card);
        }
    }
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
