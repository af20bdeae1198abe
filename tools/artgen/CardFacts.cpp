#include "tools/artgen/CardFacts.h"

#include "catalogue/CardSet.h"
#include "catalogue/CatalogueView.h"
#include "catalogue/Dialect.h"

namespace pavlune::artgen {

std::vector<CardFacts> CardFacts::fromCatalogue() {
    std::vector<CardFacts> cards;
    for (int set = 0; set < kCardSetCount; ++set) {
        const CatalogueView first(jam, *cardSetFromIndex(set));
        for (int index = 0; index < first.getCardCount(set); ++index) {
            CardFacts facts;
            facts.set = set;
            facts.index = index;
            facts.facePath = first.getCardFaceImage(index, set);
            for (int dialect = 0; dialect < kPictureDialects; ++dialect) {
                const CatalogueView view(*dialectFromIndex(dialect), *cardSetFromIndex(set));
                const CardCode record = view.getCardCode(index, set);
                facts.backPath[dialect] = view.getCardBackImage(index, set);
                facts.code[dialect] = record.code;
                facts.numberCard[dialect] = record.kind == CardCode::input && record.hasPlaceholder();
                for (const engine::Rect& r : view.getInputRects(index, set))
                    facts.inputBoxes[dialect].push_back(
                        {r.origin.x, r.origin.y, r.size.width, r.size.height});
            }
            cards.push_back(std::move(facts));
        }
    }
    return cards;
}

} // namespace pavlune::artgen
