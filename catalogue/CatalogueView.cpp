#include "catalogue/CatalogueView.h"

#include "catalogue/Catalogue.h"

#include <stdexcept>

namespace pavlune {

namespace {

// Entry `card` of a card list, or `fallback` past its end; the comparison is
// unsigned so that a negative index is past the end too.
template <typename T> T cardEntry(const std::vector<T>& list, int card, const T& fallback = T{}) {
    const auto index = static_cast<std::size_t>(static_cast<unsigned int>(card));
    return index < list.size() ? list[index] : fallback;
}

std::size_t index(int value) {
    return static_cast<std::size_t>(value);
}

} // namespace

CatalogueView::CatalogueView(Dialect dialect, CardSet cardSet)
    : catalogue_(Catalogue::get()), dialect_(checkedDialect(dialect)), cardSet_(checkedCardSet(cardSet)) {}

int CatalogueView::checkedDialect(int dialect) {
    if (dialect < 0 || dialect >= kDialectCount) {
        throw std::out_of_range("dialect " + std::to_string(dialect) + " outside 0..2");
    }
    return dialect;
}

int CatalogueView::checkedCardSet(int set) {
    if (set < 0 || set >= kCardSetCount) {
        throw std::out_of_range("card set " + std::to_string(set) + " outside 0..2");
    }
    return set;
}

std::string CatalogueView::getCardFaceImage(int card) const {
    return getCardFaceImage(card, cardSet_);
}

std::string CatalogueView::getCardFaceImage(int card, int set) const {
    return cardEntry(catalogue_.cardFaceImages[index(checkedCardSet(set))], card);
}

std::string CatalogueView::getCardBackImage(int card, int set) const {
    return cardEntry(catalogue_.cardBackImages[index(checkedCardSet(set))][index(dialect_)], card);
}

CardCode CatalogueView::getCardCode(int card, int set) const {
    return cardEntry(catalogue_.cardCodes[index(checkedCardSet(set))][index(dialect_)], card);
}

std::vector<engine::Rect> CatalogueView::getInputRects(int card, int set) const {
    return cardEntry(catalogue_.inputRects[index(checkedCardSet(set))][index(dialect_)], card);
}

int CatalogueView::getCardCount(int set) const {
    return static_cast<int>(catalogue_.cardFaceImages[index(checkedCardSet(set))].size());
}

std::string CatalogueView::getCardSetTabImage(int set) const {
    const auto& pair = catalogue_.cardSetTabImages[index(checkedCardSet(set))];
    return pair.at(set == cardSet_ ? 0 : 1);
}

std::string CatalogueView::getDialectButtonImage(int dialect) const {
    const auto d = index(checkedDialect(dialect));
    return dialect == dialect_ ? catalogue_.dialectButtonOnImages[d] : catalogue_.dialectButtonOffImages[d];
}

std::vector<CardCode> CatalogueView::getPrologue() const {
    return catalogue_.prologueCodes[index(dialect_)];
}

std::vector<CardCode> CatalogueView::getEpilogue() const {
    return catalogue_.epilogueCodes[index(dialect_)];
}

CardCode CatalogueView::getBreakCode() const {
    return catalogue_.breakCodes[index(dialect_)];
}

CardCode CatalogueView::getResetCode() const {
    return catalogue_.resetCodes[index(dialect_)];
}

int CatalogueView::getCharPacing() const {
    return catalogue_.charPacing[index(dialect_)];
}

std::string CatalogueView::getLineEnd() const {
    return catalogue_.lineEnds[index(dialect_)];
}

bool CatalogueView::isLineNumbered() const {
    return catalogue_.lineNumbered[index(dialect_)];
}

std::string CatalogueView::getStatementSeparator() const {
    return catalogue_.statementSeparators[index(dialect_)];
}

std::string CatalogueView::getInputNumberImage() const {
    return catalogue_.inputNumberImages[index(dialect_)];
}

bool CatalogueView::isByteCoded() const {
    return catalogue_.byteCoded[index(dialect_)] == 1;
}

int CatalogueView::getInstructionSize() const {
    return catalogue_.instructionSizes[index(dialect_)];
}

char CatalogueView::getGapFillByte() const {
    return static_cast<char>(catalogue_.gapFillBytes[index(dialect_)] & 0xFF);
}

int CatalogueView::getProgramImageSize() const {
    return catalogue_.programImageSizes[index(dialect_)];
}

char CatalogueView::getPadByte() const {
    return static_cast<char>(catalogue_.padBytes[index(dialect_)] & 0xFF);
}

} // namespace pavlune
