#include "catalogue/DeviceManager.h"

#include "catalogue/CardSet.h"
#include "catalogue/Dialect.h"

namespace pavlune {

DeviceManager* DeviceManager::getInstance() {
    // A function-local static makes the first call safe from any thread.
    static DeviceManager* const instance = [] {
        auto* manager = new DeviceManager();
        manager->init();
        return manager;
    }();
    return instance;
}

DeviceManager::DeviceManager() = default;

DeviceManager::~DeviceManager() = default;

bool DeviceManager::init() {
    currentDialect_.store(jam);
    currentCardSet_.store(basic);
    return true;
}

void DeviceManager::setCurrentDialect(Dialect dialect) {
    currentDialect_.store(CatalogueView::checkedDialect(dialect));
}

void DeviceManager::setCurrentCardSet(CardSet set) {
    currentCardSet_.store(CatalogueView::checkedCardSet(set));
}

CatalogueView DeviceManager::getView() const {
    return CatalogueView(getCurrentDialect(), getCurrentCardSet());
}

std::string DeviceManager::getCardFaceImage(int card) const {
    return getView().getCardFaceImage(card);
}

std::string DeviceManager::getCardFaceImage(int card, int set) const {
    return getView().getCardFaceImage(card, set);
}

std::string DeviceManager::getCardBackImage(int card, int set) const {
    return getView().getCardBackImage(card, set);
}

CardCode DeviceManager::getCardCode(int card, int set) const {
    return getView().getCardCode(card, set);
}

std::vector<engine::Rect> DeviceManager::getInputRects(int card, int set) const {
    return getView().getInputRects(card, set);
}

int DeviceManager::getCardCount(int set) const {
    return getView().getCardCount(set);
}

std::string DeviceManager::getCardSetTabImage(int set) const {
    return getView().getCardSetTabImage(set);
}

std::string DeviceManager::getDialectButtonImage(int dialect) const {
    return getView().getDialectButtonImage(dialect);
}

std::vector<CardCode> DeviceManager::getPrologue() const {
    return getView().getPrologue();
}

std::vector<CardCode> DeviceManager::getEpilogue() const {
    return getView().getEpilogue();
}

CardCode DeviceManager::getBreakCode() const {
    return getView().getBreakCode();
}

CardCode DeviceManager::getResetCode() const {
    return getView().getResetCode();
}

int DeviceManager::getCharPacing() const {
    return getView().getCharPacing();
}

std::string DeviceManager::getLineEnd() const {
    return getView().getLineEnd();
}

bool DeviceManager::isLineNumbered() const {
    return getView().isLineNumbered();
}

std::string DeviceManager::getStatementSeparator() const {
    return getView().getStatementSeparator();
}

std::string DeviceManager::getInputNumberImage() const {
    return getView().getInputNumberImage();
}

bool DeviceManager::isByteCoded() const {
    return getView().isByteCoded();
}

int DeviceManager::getInstructionSize() const {
    return getView().getInstructionSize();
}

char DeviceManager::getGapFillByte() const {
    return getView().getGapFillByte();
}

int DeviceManager::getProgramImageSize() const {
    return getView().getProgramImageSize();
}

char DeviceManager::getPadByte() const {
    return getView().getPadByte();
}

} // namespace pavlune
