#pragma once

#include "catalogue/CardCode.h"
#include "catalogue/CardSet.h"
#include "catalogue/Dialect.h"
#include "engine/base/Geometry.h"

#include <array>
#include <string>
#include <vector>

namespace pavlune {

template <typename T> using PerDialect = std::array<T, kDialectCount>;
template <typename T> using PerCardSet = std::array<T, kCardSetCount>;

// The built-in tables: cards, pictures, code per dialect and the per-dialect
// constants. Built once, never changed, so any thread may read them without a
// lock. Other code reads them through a CatalogueView.
struct Catalogue {
    // [Dialect]
    PerDialect<std::string> dialectButtonOnImages;
    PerDialect<std::string> dialectButtonOffImages;
    PerDialect<std::string> inputNumberImages;
    // [CardSet] = {selected, unselected}
    PerCardSet<std::array<std::string, 2>> cardSetTabImages;
    // [CardSet][card]
    PerCardSet<std::vector<std::string>> cardFaceImages;
    // [CardSet][Dialect][card]
    PerCardSet<PerDialect<std::vector<std::string>>> cardBackImages;
    PerCardSet<PerDialect<std::vector<std::vector<engine::Rect>>>> inputRects;
    PerCardSet<PerDialect<std::vector<CardCode>>> cardCodes;

    // Fixed sequences [Dialect].
    PerDialect<std::vector<CardCode>> prologueCodes;
    PerDialect<std::vector<CardCode>> epilogueCodes;
    PerDialect<CardCode> breakCodes;
    PerDialect<CardCode> resetCodes;

    // Per-dialect constants.
    PerDialect<int> charPacing;
    PerDialect<bool> lineNumbered;
    PerDialect<int> byteCoded;
    PerDialect<std::string> statementSeparators;
    PerDialect<std::string> lineEnds;
    PerDialect<int> instructionSizes;
    PerDialect<int> gapFillBytes;
    PerDialect<int> programImageSizes;
    PerDialect<int> padBytes;

    // The one instance, built on first use.
    static const Catalogue& get();

private:
    Catalogue();
    void buildPictureTables();
    void buildCardCodes();
    void buildQueCodes();
    void buildSequencesAndConstants();
};

} // namespace pavlune
