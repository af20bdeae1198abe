#include "saves/SaveItemSavedView.h"

#include "engine/2d/Director.h"
#include "engine/2d/TextureCache.h"
#include "engine/base/FileUtils.h"
#include "store/SaveData.h"
#include "store/SaveDataManager.h"
#include "saves/SaveItemViewListener.h"

#include <new>

SaveItemSavedView* SaveItemSavedView::create(SaveData* record) {
    auto* item = new (std::nothrow) SaveItemSavedView();
    if (item && item->initWithSaveData(record)) {
        item->setSaveData(record);
        item->autorelease();
        return item;
    }
    delete item;
    return nullptr;
}

void SaveItemSavedView::setSaveData(SaveData* record) {
    SaveItemView::setSaveData(record);
    pictureNode->removeAllChildren();
    // Empty for a record that has no picture name yet.
    const std::string path = SaveDataManager::getInstance()->getImageFullPath(record);
    if (!path.empty() && engine::FileUtils::getInstance()->isFileExist(path)) {
        engine::Director::getInstance()->getTextureCache()->removeTextureForKey(path);
        showPicture(path);
    }
    if (pictureNode->getChildrenCount() == 0) {
        showPicture(kPlaceholderPicture);
    }
}

void SaveItemSavedView::titleTapped() {
    if (listener) {
        listener->onTitleTapped(this);
    }
}
