#include "saves/SaveItemSavedView.h"

#include "saves/SaveItemViewListener.h"
#include "store/SaveData.h"
#include "store/SaveDataManager.h"

#include <new>
#include <utility>

SaveItemSavedView* SaveItemSavedView::create(SaveData* record, std::shared_ptr<ThumbnailLoader> loader) {
    auto* item = new (std::nothrow) SaveItemSavedView();
    if (item && item->initWithSaveData(record)) {
        item->loader_ = std::move(loader);
        item->setSaveData(record);
        item->autorelease();
        return item;
    }
    delete item;
    return nullptr;
}

SaveItemSavedView::~SaveItemSavedView() {
    cancelRequest();
}

void SaveItemSavedView::setSaveData(SaveData* record) {
    const bool sameProgram = record == data;
    SaveItemView::setSaveData(record);
    cancelRequest();
    if (!sameProgram || !thumbnailShown_) {
        showNoThumbnail();
    }
    requestThumbnail();
}

void SaveItemSavedView::onEnter() {
    SaveItemView::onEnter();
    if (!thumbnailShown_ && !request_) {
        if (pictureNode->getChildrenCount() == 0) {
            showNoThumbnail();
        }
        requestThumbnail();
    }
}

void SaveItemSavedView::onExit() {
    // Out of the strip the picture is only memory; it is decoded again if the
    // entry comes back without being rebound.
    cancelRequest();
    if (thumbnailShown_) {
        pictureNode->removeAllChildren();
        thumbnailShown_ = false;
    }
    SaveItemView::onExit();
}

void SaveItemSavedView::requestThumbnail() {
    // Empty for a record that has no picture name yet.
    const std::string path = SaveDataManager::getInstance()->getImageFullPath(data);
    if (path.empty() || !loader_) {
        return;
    }
    request_ = loader_->load(path, [this](engine::Texture2D* texture) {
        request_.reset();
        if (texture) {
            showPicture(texture);
            thumbnailShown_ = true;
        } else {
            showNoThumbnail();
        }
    });
}

void SaveItemSavedView::cancelRequest() {
    if (request_) {
        request_->cancel();
        request_.reset();
    }
}

void SaveItemSavedView::showNoThumbnail() {
    showPicture(kNoThumbnailPicture);
    thumbnailShown_ = false;
}

void SaveItemSavedView::titleTapped() {
    if (listener) {
        listener->onTitleTapped(this);
    }
}
