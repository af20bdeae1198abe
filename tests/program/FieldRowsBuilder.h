#pragma once

#include "program/FieldRows.h"

#include <initializer_list>
#include <optional>
#include <string>

namespace pavlune::testing {

// A slot holding one card.
inline std::optional<CardSlot> card(int set, int index, std::string value = "") {
    return CardSlot{set, index, std::move(value)};
}

// An empty slot.
inline std::optional<CardSlot> none() {
    return std::nullopt;
}

// Field rows of one slot each, as the editor holds them.
inline FieldRows oneSlotRows(std::initializer_list<std::optional<CardSlot>> slots) {
    FieldRows rows;
    for (const auto& slot : slots) {
        rows.push_back(FieldRow{slot});
    }
    return rows;
}

} // namespace pavlune::testing
