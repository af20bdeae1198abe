#pragma once

#include "catalogue/CardCode.h"
#include "catalogue/CardSet.h"
#include "catalogue/Dialect.h"
#include "engine/base/Geometry.h"

#include <string>
#include <vector>

namespace pavlune {

struct Catalogue;

// The catalogue seen through one dialect and one card set: every lookup, on
// a fixed selection (DeviceManager hands out the one of the shared
// selection). A program generator holds one for the whole of a send, so a
// selection changed meanwhile cannot mix two dialects.
//
// Card sets and dialects outside 0..2 raise std::out_of_range (a caller
// error); a card index past the end of its list (negative included) gives
// the empty string, a default CardCode or an empty list.
class CatalogueView {
public:
    CatalogueView(Dialect dialect, CardSet cardSet);

    Dialect getDialect() const { return static_cast<Dialect>(dialect_); }
    CardSet getCardSet() const { return static_cast<CardSet>(cardSet_); }

    std::string getCardFaceImage(int card) const;
    std::string getCardFaceImage(int card, int set) const;
    std::string getCardBackImage(int card, int set) const;
    CardCode getCardCode(int card, int set) const;
    std::vector<engine::Rect> getInputRects(int card, int set) const;
    // The number of cards in a set (the same in every dialect).
    int getCardCount(int set) const;
    // The selected picture for this view's card set, the unselected one otherwise.
    std::string getCardSetTabImage(int set) const;
    // The selected picture for this view's dialect, the unselected one otherwise.
    std::string getDialectButtonImage(int dialect) const;

    std::vector<CardCode> getPrologue() const;
    std::vector<CardCode> getEpilogue() const;
    CardCode getBreakCode() const;
    CardCode getResetCode() const;
    int getCharPacing() const;
    std::string getLineEnd() const;
    bool isLineNumbered() const;
    std::string getStatementSeparator() const;
    std::string getInputNumberImage() const;
    bool isByteCoded() const;
    int getInstructionSize() const;
    char getGapFillByte() const;
    int getProgramImageSize() const;
    char getPadByte() const;

    // Throw std::out_of_range unless the index lies in 0..2.
    static int checkedDialect(int dialect);
    static int checkedCardSet(int set);

private:
    const Catalogue& catalogue_;
    int dialect_;
    int cardSet_;
};

} // namespace pavlune
