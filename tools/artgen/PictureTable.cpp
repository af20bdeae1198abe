#include "tools/artgen/PictureTable.h"

#include "tools/artgen/AppIcon.h"
#include "tools/artgen/CardArt.h"
#include "tools/artgen/CardPainter.h"

#include <set>
#include <sstream>

namespace pavlune::artgen {

std::vector<PictureEntry> PictureTable::build(const std::vector<CardFacts>& cards) {
    std::vector<PictureEntry> entries;
    ScreenPictures::appendTo(entries);
    CharacterMaps::appendTo(entries);
    AppIcon::appendTo(entries);
    std::set<std::string> seen;
    for (const CardFacts& facts : cards) {
        const CardArt* art = CardArtTable::find(facts.set, facts.index);
        const std::string key = "card " + std::to_string(facts.set) + "/" + std::to_string(facts.index);
        if (art == nullptr)
            continue; // Generator::run refuses such a catalogue before drawing
        entries.push_back({facts.facePath, kCardWidth, kCardHeight, key + " front: " + art->caption,
                           [art, facts](Canvas& c) { CardPainter::front(c, *art, facts); }});
        const char* names[kPictureDialects] = {"jam", "latte"};
        for (int dialect = 0; dialect < kPictureDialects; ++dialect) {
            if (!seen.insert(facts.backPath[dialect]).second)
                continue;
            entries.push_back({facts.backPath[dialect], kCardWidth, kCardHeight,
                               key + " back, " + names[dialect] + " code (stored mirrored)",
                               [facts, dialect](Canvas& c) {
                                   Canvas reading(c.width(), c.height());
                                   CardPainter::back(reading, facts, dialect);
                                   CardPainter::mirror(reading, c);
                               }});
        }
    }
    return entries;
}

std::string PictureTable::sizeTableMarkdown(const std::vector<PictureEntry>& entries) {
    std::ostringstream out;
    out << "| path | design width | design height | what it is |\n";
    out << "|---|---|---|---|\n";
    for (const PictureEntry& e : entries)
        out << "| " << e.path << " | " << e.width << " | " << e.height << " | " << e.what << " |\n";
    return out.str();
}

} // namespace pavlune::artgen
