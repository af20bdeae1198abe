#pragma once

#include "catalogue/CardCode.h"
#include "catalogue/CatalogueView.h"
#include "engine/base/Geometry.h"
#include "engine/base/Ref.h"

#include <atomic>
#include <string>
#include <vector>

namespace pavlune {

// Process-wide holder of the current dialect and card set, and the door to the
// card catalogue: each lookup combines its arguments with those selections.
// Despite the name it knows nothing of serial ports.
//
// The selections are atomic because the send and stop routines read them from
// worker threads while the engine thread may write them. A routine that needs
// one consistent selection for a whole send takes `getView()` once.
class DeviceManager : public engine::Ref {
public:
    // Created and initialised on the first call; never released.
    static DeviceManager* getInstance();

    ~DeviceManager() override;
    // Selects jam and the basic set.
    virtual bool init();

    Dialect getCurrentDialect() const { return static_cast<Dialect>(currentDialect_.load()); }
    CardSet getCurrentCardSet() const { return static_cast<CardSet>(currentCardSet_.load()); }
    // Typed: an index from outside becomes a Dialect or CardSet through
    // dialectFromIndex / cardSetFromIndex, which refuse anything outside 0..2.
    void setCurrentDialect(Dialect dialect);
    void setCurrentCardSet(CardSet set);

    // The catalogue as seen with the current selections.
    CatalogueView getView() const;

    std::string getCardFaceImage(int card) const;
    std::string getCardFaceImage(int card, int set) const;
    std::string getCardBackImage(int card, int set) const;
    CardCode getCardCode(int card, int set) const;
    std::vector<engine::Rect> getInputRects(int card, int set) const;
    int getCardCount(int set) const;
    std::string getCardSetTabImage(int set) const;
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

protected:
    DeviceManager();

private:
    std::atomic<int> currentDialect_{0};
    std::atomic<int> currentCardSet_{0};
};

} // namespace pavlune
