#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace pavlune {

// What one card, or one fixed sequence, contributes to a program in one
// dialect. Lookups hand out copies; a default record means "nothing".
struct CardCode {
    static constexpr int fixed = 0; // a card without a typed number
    static constexpr int input = 1; // a card that carries a number typed by the user

    // Keys of `patches` and of each patch.
    static constexpr const char* kPatchLine = "line";
    static constexpr const char* kPatchInput = "input";
    // A que loop end's compare: receives the typed number of its loop start.
    static constexpr const char* kPatchCount = "count";
    static constexpr const char* kPatchPosition = "position";
    static constexpr const char* kPatchSize = "size";

    using Patch = std::map<std::string, int>;

    int kind = fixed;
    // Program text (jam, latte) or display text (que); may hold line feeds.
    std::string code;
    // Pause in ms after each character; negative: the dialect's pacing.
    int charDelay = -1;
    bool appendLineEnd = true;
    bool echo = true;
    // Substring of `code` replaced by a number; empty: nothing is replaced.
    std::string placeholder;
    float multiplier = 1.0f;
    // A que loop end: substring of `code` replaced by its compare's count,
    // which the loop start's typed number sets when the start is an input card.
    std::string countPlaceholder;
    // For a que loop start: the key of its matching loop end card.
    int pairEndIndex = -1;
    int pairEndSet = -1;
    // Never set in the catalogue: the instruction line of an open loop start.
    int startLine = -1;
    // Que byte code: a whole number of 8-byte instructions.
    std::vector<std::uint8_t> bytes;
    // Where numbers are written into `bytes`: "line" or "input", each with
    // "position" (byte offset) and "size" (only 2 is acted on); "count" on a
    // loop end whose start carries the number of turns.
    std::map<std::string, Patch> patches;

    bool isLoopStart() const { return pairEndIndex >= 0 || pairEndSet >= 0; }
    bool hasPlaceholder() const { return !placeholder.empty(); }
    // The patch named `key` when it is a 2-byte patch; null otherwise.
    const Patch* twoBytePatch(const std::string& key) const {
        const auto patch = patches.find(key);
        if (patch == patches.end()) {
            return nullptr;
        }
        const auto size = patch->second.find(kPatchSize);
        const auto position = patch->second.find(kPatchPosition);
        if (size == patch->second.end() || size->second != 2 || position == patch->second.end()) {
            return nullptr;
        }
        return &patch->second;
    }

    bool operator==(const CardCode&) const = default;
};

} // namespace pavlune
