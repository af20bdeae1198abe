#include "saves/SaveItemAddView.h"

#include "engine/2d/Label.h"
#include "saves/SaveListTexts.h"

#include <new>

SaveItemAddView* SaveItemAddView::create() {
    auto* item = new (std::nothrow) SaveItemAddView();
    if (item && item->init()) {
        item->autorelease();
        return item;
    }
    delete item;
    return nullptr;
}

bool SaveItemAddView::init() {
    if (!initWithSaveData(nullptr)) {
        return false;
    }
    showPicture(kNewProgramPicture);
    showTitle(SaveListTexts::kStartNew);
    return true;
}

void SaveItemAddView::titleTapped() {}
