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

} // namespace pavlune
