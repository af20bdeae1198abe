#include "editor/EditorChoices.h"

#include "catalogue/DeviceManager.h"
#include "editor/link/RememberedPort.h"
#include "store/AppSettings.h"

void EditorChoices::restore() {
    AppSettings* settings = AppSettings::getInstance();
    settings->reload();
    pavlune::DeviceManager* selection = pavlune::DeviceManager::getInstance();
    static_assert(AppSettings::kChoiceCount == pavlune::kDialectCount &&
                  AppSettings::kChoiceCount == pavlune::kCardSetCount);
    if (const auto dialect = pavlune::dialectFromIndex(settings->dialect())) {
        selection->setCurrentDialect(*dialect);
    }
    if (const auto cardSet = pavlune::cardSetFromIndex(settings->cardSet())) {
        selection->setCurrentCardSet(*cardSet);
    }
}

pavlune::CatalogueView EditorChoices::catalogue() const {
    return pavlune::DeviceManager::getInstance()->getView();
}

pavlune::Dialect EditorChoices::dialect() const {
    return catalogue().getDialect();
}

pavlune::CardSet EditorChoices::cardSet() const {
    return catalogue().getCardSet();
}

void EditorChoices::chooseDialect(pavlune::Dialect dialect) {
    pavlune::DeviceManager::getInstance()->setCurrentDialect(dialect);
    AppSettings::getInstance()->setDialect(dialect);
}

void EditorChoices::chooseCardSet(pavlune::CardSet cardSet) {
    pavlune::DeviceManager::getInstance()->setCurrentCardSet(cardSet);
    AppSettings::getInstance()->setCardSet(cardSet);
}

void EditorChoices::chooseBoard(const pavlune::PortIdentity& port) {
    AppSettings::getInstance()->setPort(RememberedPort::toSettings(port));
}

std::optional<pavlune::PortIdentity> EditorChoices::rememberedBoard() const {
    return RememberedPort::fromSettings(AppSettings::getInstance()->port());
}
